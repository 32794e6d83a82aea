#include "EditorFixture.h"
#include "Fixtures.h"

#include "screens/editor/FrmLoadVopros.h"
#include "screens/editor/Markup.h"
#include "shell/MainCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FileFilter)

namespace {
const QString kPicture = QStringLiteral("<img border=\"0\" src=\"my pic.jpg\">");
const QString kVideo = QStringLiteral(
    "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"clip 1.webm\" Type=\"video/x-ms-asf-plugin\" "
    "name=\"videonn\" AutoStart=1 quality=high ShowControls=1 ControlType=1 width=\"360\" "
    "height=\"270\"></EMBED></OBJECT>");
const QString kAudio = QStringLiteral(
    "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"song.mp3\" Type=\"video/x-ms-asf-plugin\" "
    "name=\"videonn\" AutoStart=1></EMBED></OBJECT>");

// One of the two boxes the commands write into, with its own menu: the main
// window's Txt editing question 1, or the bulk text box.
struct Target : EditorSession {
    MarkupTarget target;
    QTemporaryDir tmp;
    explicit Target(MarkupTarget which) : EditorSession(2, 2), target(which)
    {
        app.st.Dialog = DialogMode::LoadQuestions;
        frmLoadVopros_Load(app);
    }
    Control& box() { return TargetBox(app, target); }
    void set(const QString& text, int start, int length)
    {
        if (target == MarkupTarget::MainTxt)
            type(text);
        else
            box().text = text;
        box().selStart = start;
        box().selLength = length;
    }
    void click(const QString& item)
    {
        if (target == MarkupTarget::MainTxt)
            frmForma_MenuClick(app, item);
        else
            frmLoadVopros_Event(app, UiEvent{UiEvent::Click, item});
    }
    QString file(const QString& relative)
    {
        const QString path = tmp.path() + QLatin1Char('/') + relative;
        QDir().mkpath(path.left(path.lastIndexOf(QLatin1Char('/'))));
        fixtures::writeBytes(path, "data");
        return path;
    }
    // In the main window an insertion is an edit of question 1's text.
    void checkStored()
    {
        if (target == MarkupTarget::MainTxt)
            QCOMPARE(question(1).Vopros, box().text);
    }
};

void addTargets()
{
    QTest::addColumn<MarkupTarget>("target");
}
}  // namespace

class TestMarkup : public QObject {
    Q_OBJECT

    // Every row runs on both boxes.
    template <typename Rows>
    static void bothTargets(Rows rows)
    {
        for (MarkupTarget target : {MarkupTarget::MainTxt, MarkupTarget::BulkText})
            rows(target, target == MarkupTarget::MainTxt ? "main window: " : "bulk text: ");
    }

private Q_SLOTS:
    void tags_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("snippet");
        QTest::newRow("0") << 0 << "<sup></sup>";
        QTest::newRow("1") << 1 << "<sub></sub>";
        QTest::newRow("2") << 2 << "&nbsp;";
        QTest::newRow("3") << 3 << "<br>";
        QTest::newRow("4") << 4 << "&#60;&#62;";
        QTest::newRow("5") << 5 << "";
        QTest::newRow("-1") << -1 << "";
    }
    void tags()
    {
        QFETCH(int, number);
        QFETCH(QString, snippet);
        QCOMPARE(Tags(number), snippet);
    }

    void encoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("latin") << "abc" << "&#97;&#98;&#99;";
        QTest::newRow("space") << " " << "&#32;";
        QTest::newRow("bold tag") << "<b>" << "&#60;&#98;&#62;";
        QTest::newRow("cyrillic kept") << "Да, ok" << "Да&#44;&#32;&#111;&#107;";
        QTest::newRow("quotes and signs") << "«»±" << "&#171;&#187;&#177;";
        QTest::newRow("ends of the range") << "~\x7f\x1f" << "&#126;\x7f\x1f";
        QTest::newRow("tab and line end kept") << "\t\n" << "\t\n";
        QTest::newRow("other symbols kept") << "€№—" << "€№—";
    }
    void encoding()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        QCOMPARE(EncodeTags(text), encoded);
    }

    void commands_data()
    {
        addTargets();
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("chosen");  // file dialog answer, relative to a folder; "" cancels
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("resultStart");
        QTest::addColumn<int>("resultLength");
        bothTargets([](MarkupTarget t, const char* where) {
            auto row = [&](const char* name) { return &QTest::newRow((QByteArray(where) + name).constData()); };
            *row("sup, caret inside a word") << t << "Привет" << 3 << 0 << "EditTextUpDown(0)" << ""
                                             << "При<sup></sup>вет" << 8 << 0;
            *row("sub, word selected is replaced") << t << "a word b" << 2 << 4 << "EditTextUpDown(1)" << ""
                                                   << "a <sub></sub> b" << 7 << 0;
            *row("not equal sign") << t << "x" << 1 << 0 << "EditNeravenstvo" << "" << "x&#60;&#62;" << 6 << 0;
            *row("picture from another folder, name with spaces")
                << t << "ab" << 1 << 0 << "EditAddFile(0)" << "other folder/my pic.jpg" << "a" + kPicture + "b"
                << 1 + int(kPicture.size()) << 0;
            *row("video replaces the selection") << t << "abc" << 1 << 1 << "EditAddFile(1)" << "clips/clip 1.webm"
                                                 << "a" + kVideo + "c" << 1 + int(kVideo.size()) << 0;
            *row("audio") << t << "" << 0 << 0 << "EditAddFile(2)" << "song.mp3" << kAudio << int(kAudio.size()) << 0;
            *row("picture cancelled") << t << "abc" << 0 << 2 << "EditAddFile(0)" << "" << "abc" << 0 << 2;
            *row("video cancelled") << t << "abc" << 1 << 1 << "EditAddFile(1)" << "" << "abc" << 1 << 1;
            *row("audio cancelled") << t << "abc" << 3 << 0 << "EditAddFile(2)" << "" << "abc" << 3 << 0;
            *row("found file left selected") << t << "см. " << 4 << 0 << "EditFoundFile" << "docs/план 2.txt"
                                             << "см. план 2.txt" << 4 << 10;
            *row("found file cancelled") << t << "abc" << 1 << 1 << "EditFoundFile" << "" << "abc" << 1 << 1;
            *row("found file missing") << t << "abc" << 1 << 1 << "EditFoundFile" << "!nothing.txt" << "abc" << 1 << 1;
        });
    }
    void commands()
    {
        QFETCH(MarkupTarget, target);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, item);
        QFETCH(QString, chosen);
        QFETCH(QString, result);
        QFETCH(int, resultStart);
        QFETCH(int, resultLength);
        Target t(target);
        t.set(text, selStart, selLength);
        if (!chosen.isEmpty()) {
            // "!" names a file that is not there.
            t.pf.fileAnswers.push_back(chosen.startsWith(QLatin1Char('!'))
                                           ? t.tmp.path() + QLatin1Char('/') + chosen.mid(1)
                                           : t.file(chosen));
        }
        t.click(item);
        QCOMPARE(t.box().text, result);
        QCOMPARE(t.box().selStart, resultStart);
        QCOMPARE(t.box().selLength, resultLength);
        t.checkStored();
        QVERIFY(t.pf.messages.isEmpty());
    }

    void fileDialogFilters_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QList<FileFilter>>("filters");
        const FileFilter all{QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")};
        QTest::newRow("picture") << "EditAddFile(0)"
                                 << QList<FileFilter>{{"Picture (*.jpg; *.gif)", "*.jpg;*.gif"}, all};
        QTest::newRow("video") << "EditAddFile(1)"
                               << QList<FileFilter>{{"Video (*.mp4; *.webm; *.ogv; *.mpg; *.avi; *.swf)",
                                                       "*.mp4;*.webm;*.ogv;*.mpg;*.avi;*.swf"},
                                                      all};
        QTest::newRow("audio") << "EditAddFile(2)"
                               << QList<FileFilter>{{"Audio (*.mp3; *.wav; *.ogg; *.oga; *.opus; *.m4a; *.mid)",
                                                       "*.mp3;*.wav;*.ogg;*.oga;*.opus;*.m4a;*.mid"},
                                                      all};
        QTest::newRow("any file") << "EditFoundFile" << QList<FileFilter>{all};
    }
    void fileDialogFilters()
    {
        QFETCH(QString, item);
        QFETCH(QList<FileFilter>, filters);
        Target t(MarkupTarget::BulkText);
        t.app.st.folders.LastFolder = QStringLiteral("/home/author/pictures/");
        const QString chosen = t.file(QStringLiteral("media/x.jpg"));
        t.pf.fileAnswers.push_back(chosen);
        t.click(item);
        QCOMPARE(t.pf.fileDialogs.size(), 1);
        QVERIFY(!t.pf.fileDialogs.front().save);
        QCOMPARE(t.pf.fileDialogs.front().filters, filters);
        QCOMPARE(t.pf.fileDialogs.front().initialFolder, QStringLiteral("/home/author/pictures/"));
        QCOMPARE(t.app.st.folders.LastFolder, t.tmp.path() + QStringLiteral("/media/"));
    }

    // A clip in a format the view cannot play goes in all the same; the author
    // is told once a run which formats do play.
    void unplayableFormatWarnsOnce()
    {
        Target t(MarkupTarget::BulkText);
        t.set(QString(), 0, 0);
        const QString avi = t.file(QStringLiteral("clips/old.avi"));
        t.pf.fileAnswers.push_back(avi);
        t.click(QStringLiteral("EditAddFile(1)"));
        const QString video = QStringLiteral(
            "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"old.avi\" Type=\"video/x-ms-asf-plugin\" "
            "name=\"videonn\" AutoStart=1 quality=high ShowControls=1 ControlType=1 width=\"360\" "
            "height=\"270\"></EMBED></OBJECT>");
        QCOMPARE(t.box().text, video);
        QCOMPARE(t.pf.messages.size(), 1);
        const auto& m = t.pf.messages.front();
        QCOMPARE(m.text, QStringLiteral("Файл \"") + avi +
                             QStringLiteral("\" в программе не воспроизводится.\nВоспроизводятся видео ролики "
                                            "(*.mp4; *.webm; *.ogv) и аудио ролики (*.mp3; *.wav; *.ogg; *.oga; "
                                            "*.opus; *.m4a)."));
        QCOMPARE(m.title, QStringLiteral("Тандемо"));
        QCOMPARE(m.icon, MsgIcon::Information);

        // Not again: neither for another such clip nor for one that plays.
        t.pf.fileAnswers.push_back(t.file(QStringLiteral("tune.MID")));
        t.click(QStringLiteral("EditAddFile(2)"));
        QVERIFY(t.box().text.endsWith(QStringLiteral(
            "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"tune.MID\" Type=\"video/x-ms-asf-plugin\" "
            "name=\"videonn\" AutoStart=1></EMBED></OBJECT>")));
        t.pf.fileAnswers.push_back(t.file(QStringLiteral("film.mpg")));
        t.click(QStringLiteral("EditAddFile(1)"));
        QVERIFY(t.box().text.endsWith(QStringLiteral("src=\"film.mpg\" Type=\"video/x-ms-asf-plugin\" name=\"videonn\" "
                                                     "AutoStart=1 quality=high ShowControls=1 ControlType=1 "
                                                     "width=\"360\" height=\"270\"></EMBED></OBJECT>")));
        QCOMPARE(t.pf.messages.size(), 1);
    }

    void quoteInAFileNameStaysInsideTheAttribute()
    {
        Target t(MarkupTarget::MainTxt);
        t.set(QString(), 0, 0);
        t.pf.fileAnswers.push_back(QStringLiteral("/pics/say \"cheese\".jpg"));
        t.click(QStringLiteral("EditAddFile(0)"));
        QCOMPARE(t.box().text, QStringLiteral("<img border=\"0\" src=\"say &quot;cheese&quot;.jpg\">"));
    }

    void textInTag_data()
    {
        addTargets();
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("typed");  // what the author types into the dialog; "" keeps it
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("result");
        bothTargets([](MarkupTarget t, const char* where) {
            auto row = [&](const char* name) { return &QTest::newRow((QByteArray(where) + name).constData()); };
            *row("selection encoded in place") << t << "Жирный <b> текст" << 7 << 3 << "" << true
                                               << "Жирный &#60;&#98;&#62; текст";
            *row("nothing selected: typed text at the caret") << t << "Ответ: " << 7 << 0 << "Да, ok «±»" << true
                                                              << "Ответ: Да&#44;&#32;&#111;&#107;&#32;&#171;&#177;&#187;";
            *row("cancelled") << t << "Жирный <b> текст" << 7 << 3 << "" << false << "Жирный <b> текст";
        });
    }
    void textInTag()
    {
        QFETCH(MarkupTarget, target);
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, typed);
        QFETCH(bool, confirm);
        QFETCH(QString, result);
        Target t(target);
        t.set(text, selStart, selLength);
        bool shown = false;
        t.pf.onModal[WindowId::Tag] = [&] {
            shown = true;
            FrmTag& w = t.app.frmTag;
            QCOMPARE(t.app.st.Dialog, target == MarkupTarget::BulkText ? DialogMode::TagBulkText : DialogMode::TagMainText);
            QCOMPARE(w.caption, QStringLiteral("Кодировать текст в тэги"));
            QCOMPARE(w.txtFIO.text, text.mid(selStart, selLength));
            QCOMPARE(w.txtFIO.selStart, 0);
            QCOMPARE(w.txtFIO.selLength, selLength);
            QCOMPARE(w.OK.enabled, selLength > 0);
            QVERIFY(w.defaultButton.isEmpty());
            if (!typed.isEmpty()) {
                w.txtFIO.text = typed;
                frmTag_Event(t.app, UiEvent{UiEvent::Change, QStringLiteral("txtFIO")});
                QVERIFY(w.OK.enabled);
            }
            frmTag_Event(t.app, UiEvent{UiEvent::Click, confirm ? QStringLiteral("OK") : QStringLiteral("NO")});
            QVERIFY(w.closeRequested);
        };
        t.click(QStringLiteral("EditTextInTag"));
        QVERIFY(shown);
        QCOMPARE(t.box().text, result);
        t.checkStored();
        if (!confirm) {
            QCOMPARE(t.box().selStart, selStart);
            QCOMPARE(t.box().selLength, selLength);
        }
    }

    void tagDialogOkFollowsTheText()
    {
        Target t(MarkupTarget::MainTxt);
        t.set(QString(), 0, 0);
        t.app.st.Dialog = DialogMode::TagMainText;
        frmTag_Load(t.app);
        FrmTag& w = t.app.frmTag;
        QVERIFY(!w.OK.enabled);
        // A click on a disabled OK does nothing.
        frmTag_Event(t.app, UiEvent{UiEvent::Click, QStringLiteral("OK")});
        QVERIFY(!w.closeRequested);
        w.txtFIO.text = QStringLiteral("x");
        frmTag_Event(t.app, UiEvent{UiEvent::Change, QStringLiteral("txtFIO")});
        QVERIFY(w.OK.enabled);
        w.txtFIO.text.clear();
        frmTag_Event(t.app, UiEvent{UiEvent::Change, QStringLiteral("txtFIO")});
        QVERIFY(!w.OK.enabled);
    }

    void mainMenuActsOnlyWhileTheMenuIsAvailable()
    {
        Target t(MarkupTarget::MainTxt);
        t.set(QStringLiteral("abc"), 1, 0);
        t.f().Edit.enabled = false;
        t.click(QStringLiteral("EditTextUpDown(0)"));
        QCOMPARE(t.box().text, QStringLiteral("abc"));
    }
};

QTEST_GUILESS_MAIN(TestMarkup)
#include "tst_markup.moc"
