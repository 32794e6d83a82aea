#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/editor/FrmParam.h"
#include "screens/document/FrmPassW.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "screens/editor/Editor.h"
#include "screens/editor/Markup.h"
#include "screens/people/FrmFound.h"
#include "screens/people/FrmKartochka.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/FieldText.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {
// What the window hands to the core after a paste, an input-method commit or
// a drop: the box's whole new text with the caret after the inserted piece,
// then a change event.
bool arrive(App& app, WindowModel& window, Control& box, const QString& before, const QString& inserted,
            const QString& after, const std::function<bool(App&, const UiEvent&)>& handler)
{
    box.text = before + inserted + after;
    box.selStart = static_cast<int>((before + inserted).size());
    box.selLength = 0;
    window.focus = box.name;
    return handler(app, UiEvent{UiEvent::Change, box.name});
}

// The fields that take text, by the window that holds them.
struct Field {
    std::function<void(App&)> open;
    std::function<Control&(App&)> box;
    std::function<WindowModel&(App&)> window;
    std::function<bool(App&, const UiEvent&)> handler;
    FieldKind kind;
};

Field field(const QString& which)
{
    auto card = [](App& app) {
        app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(app);
        app.frmKartochka.chPodrobnee.checked = true;
        frmKartochka_chPodrobnee_Click(app);
    };
    auto cardWindow = [](App& app) -> WindowModel& { return app.frmKartochka; };
    if (which == QLatin1String("card name"))
        return {card, [](App& app) -> Control& { return app.frmKartochka.txtNameFamiliya; }, cardWindow,
                frmKartochka_Event, FieldKind::Plain};
    if (which == QLatin1String("card about"))
        return {card, [](App& app) -> Control& { return app.frmKartochka.txtInfo[2]; }, cardWindow,
                frmKartochka_Event, FieldKind::Plain};
    if (which == QLatin1String("card photo"))
        return {card, [](App& app) -> Control& { return app.frmKartochka.txtInfo[5]; }, cardWindow,
                frmKartochka_Event, FieldKind::Plain};
    auto param = [](App& app) {
        app.st.Dialog = DialogMode::NewTest;
        frmParam_Load(app);
    };
    auto paramWindow = [](App& app) -> WindowModel& { return app.frmParam; };
    if (which == QLatin1String("test name"))
        return {param, [](App& app) -> Control& { return app.frmParam.NameT; }, paramWindow, frmParam_Event,
                FieldKind::Plain};
    if (which == QLatin1String("test password"))
        return {param, [](App& app) -> Control& { return app.frmParam.TPW; }, paramWindow, frmParam_Event,
                FieldKind::Plain};
    if (which == QLatin1String("password dialog"))
        return {[](App& app) { app.frmPassW.visible = true; },
                [](App& app) -> Control& { return app.frmPassW.TPW; },
                [](App& app) -> WindowModel& { return app.frmPassW; }, frmPassW_Event, FieldKind::Plain};
    if (which == QLatin1String("name search"))
        return {[](App&) {}, [](App& app) -> Control& { return app.frmFound.txtNameFamiliya; },
                [](App& app) -> WindowModel& { return app.frmFound; }, frmFound_Event, FieldKind::Plain};
    if (which == QLatin1String("tag dialog"))
        return {[](App& app) {
                    app.st.Dialog = DialogMode::TagMainText;
                    frmTag_Load(app);
                },
                [](App& app) -> Control& { return app.frmTag.txtFIO; },
                [](App& app) -> WindowModel& { return app.frmTag; }, frmTag_Event, FieldKind::Html};
    // The editor's box on the text of question 1.
    return {[](App& app) {
                app.st.test.QuestionCount = 1;
                app.st.test.Questions.resizeFresh(1);
                app.st.main.CurrentQuestion = 1;
                app.st.main.Phase = TestPhase::Editor;
                app.st.editor.Target = EditTarget::Question;
                app.st.editor.SkipTxtChange = 0;
            },
            [](App& app) -> Control& { return app.frmForma.Txt; },
            [](App& app) -> WindowModel& { return app.frmForma; }, frmForma_Event, FieldKind::Html};
}

const QStringList kFields{"card name",      "card about",  "card photo", "test name", "test password",
                          "password dialog", "name search", "tag dialog", "editor box"};

QString foreignPaste()
{
    return QStringLiteral("José\r\nMüller 😀");
}
}  // namespace

class TestFieldText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void oneLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("CR LF is one blank") << "Анна\r\nПетрова" << "Анна Петрова";
        QTest::newRow("LF, CR each a blank") << "a\nb\rc" << "a b c";
        QTest::newRow("two line ends") << "a\r\n\r\nb" << "a  b";
        QTest::newRow("tab and SUB") << QStringLiteral("a\tb\x1A") << "a b ";
        QTest::newRow("Unicode line and paragraph separators")
            << QStringLiteral("a\u2028b\u2029c\u0085") << "a b c ";
        QTest::newRow("nothing to do") << "Ёлка, «ель» №5" << "Ёлка, «ель» №5";
    }
    void oneLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(OneLine(text), expected);
    }

    void foreignCharactersListedOnce()
    {
        QCOMPARE(ForeignCharacters(QStringLiteral("José Müller 😀 é😀")), QStringLiteral("éü😀"));
        QVERIFY(ForeignCharacters(QStringLiteral("Анна «№»")).isEmpty());
    }

    // A paste of a line break and of characters outside Windows-1251 into
    // every one-line field: the line break becomes a blank, the plain fields
    // keep the rest of the paste and say which characters were left out,
    // HTML fields keep everything. The caret stays after the pasted piece.
    void pasteIntoEveryField_data()
    {
        QTest::addColumn<QString>("which");
        for (const QString& f : kFields)
            QTest::newRow(qPrintable(f)) << f;
    }
    void pasteIntoEveryField()
    {
        QFETCH(QString, which);
        ScriptedPlatform pf;
        App app(pf);
        const Field f = field(which);
        f.open(app);
        Control& box = f.box(app);
        QVERIFY(arrive(app, f.window(app), box, QStringLiteral("<"), foreignPaste(), QStringLiteral(">"), f.handler));
        if (f.kind == FieldKind::Plain) {
            QCOMPARE(box.text, QStringLiteral("<Jos Mller >"));
            QCOMPARE(box.selStart, 11);
            QCOMPARE(pf.messages.size(), 1);
            QCOMPARE(pf.messages[0].text,
                     QStringLiteral("Символы «é ü 😀» нельзя сохранить в файле программы, они пропущены."));
            QCOMPARE(pf.messages[0].icon, MsgIcon::Information);
        } else {
            QCOMPARE(box.text, QStringLiteral("<José Müller 😀>"));
            QCOMPARE(box.selStart, 15);
            QVERIFY(pf.messages.isEmpty());
        }
        QCOMPARE(box.selLength, 0);

        // A clean paste changes nothing and says nothing.
        pf.messages.clear();
        QVERIFY(arrive(app, f.window(app), box, QString(), QStringLiteral("Анна"), QString(), f.handler));
        QCOMPARE(box.text, QStringLiteral("Анна"));
        QVERIFY(pf.messages.isEmpty());
    }

    // Keys typed one by one follow the same rule, and a refusal is told.
    void typedCharacterOutsideTheCodePage_data()
    {
        pasteIntoEveryField_data();
    }
    void typedCharacterOutsideTheCodePage()
    {
        QFETCH(QString, which);
        ScriptedPlatform pf;
        App app(pf);
        const Field f = field(which);
        f.open(app);
        UiEvent key{UiEvent::KeyPress, f.box(app).name};
        key.text = QStringLiteral("é");
        QCOMPARE(f.handler(app, key), f.kind == FieldKind::Html);
        QCOMPARE(pf.messages.size(), f.kind == FieldKind::Html ? 0 : 1);
        key.text = QStringLiteral("ж");
        QVERIFY(f.handler(app, key));
    }

    // The editor stores what the rule leaves: the question text never holds a
    // line break.
    void editorStoresTheCleanText()
    {
        ScriptedPlatform pf;
        App app(pf);
        const Field f = field(QStringLiteral("editor box"));
        f.open(app);
        arrive(app, app.frmForma, app.frmForma.Txt, QStringLiteral("Ваш"), QStringLiteral("\r\nрост?"), QString(),
               f.handler);
        QCOMPARE(app.st.test.Questions[1].Vopros, QStringLiteral("Ваш рост?"));
    }

    // Pasted text passes no key rule: what may not be typed into a password
    // is taken out too.
    void passwordPasteLosesForbiddenCharacters()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.frmPassW.visible = true;
        arrive(app, app.frmPassW, app.frmPassW.TPW, QString(), QStringLiteral("a|b,c\"d_e"), QString(),
               frmPassW_Event);
        QCOMPARE(app.frmPassW.TPW.text, QStringLiteral("abcde"));
        QCOMPARE(app.frmPassW.TPW.selStart, 5);
    }

    // The name pasted into the card reaches the person file on one line, in
    // Windows-1251, and the file reads back as written.
    void pastedCardNameOnDisk()
    {
        QTemporaryDir tmp;
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
        const Field f = field(QStringLiteral("card name"));
        f.open(app);
        arrive(app, app.frmKartochka, app.frmKartochka.txtNameFamiliya, QString(),
               QStringLiteral("Анна\r\nПетрова é"), QString(), f.handler);
        app.frmKartochka.txtDataRogdeniya.text = QStringLiteral("1985");
        app.frmKartochka.selPol[1].checked = true;
        app.frmKartochka.selPol[0].checked = false;
        frmKartochka_selPol_Click(app, 1);
        frmKartochka_OK_Click(app);
        QCOMPARE(app.st.Dialog, DialogMode::Confirmed);
        app.st.CardFields[0].Parol = QStringLiteral("тест");
        QVERIFY(SaveKartochka(app, QStringLiteral("a.tnw"), 0));
        const QByteArray bytes = fixtures::readBytes(tmp.filePath(QStringLiteral("a.tnw")));
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.value(1), textfile::encode(QStringLiteral("Анна Петрова \r")));
        QVERIFY(!bytes.contains('\x1a'));
        QCOMPARE(OpenKartochka(app, QStringLiteral("a.tnw"), 1), CardOpen::Opened);
        QCOMPARE(app.st.CardFields[1].NameFamiliya, QStringLiteral("Анна Петрова "));
        QCOMPARE(app.st.CardFields[1].Pol, 1);
        QCOMPARE(app.st.CardFields[1].Parol, QStringLiteral("тест"));
    }

    // A pasted test name reaches the test file on one line and the test
    // reopens whole.
    void pastedTestNameOnDisk()
    {
        QTemporaryDir tmp;
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.AppFolder = tmp.path() + QLatin1Char('/');
        app.st.folders.PathSep = QStringLiteral("/");
        const Field f = field(QStringLiteral("test name"));
        f.open(app);
        arrive(app, app.frmParam, app.frmParam.NameT, QString(), QStringLiteral("Знакомства\r\nü"), QString(),
               f.handler);
        app.frmParam.TPW.text = QStringLiteral("пароль");
        app.frmParam.txtVsegoVoprosov.text = QStringLiteral("1");
        frmParam_OK_Click(app);
        QCOMPARE(app.st.test.TestName, QStringLiteral("Знакомства "));
        app.st.test.Questions[1].Vopros = QStringLiteral("Вопрос");
        app.st.test.Questions[1].AddOtvety(0, QStringLiteral("Да"));
        QDir(tmp.path()).mkdir(QStringLiteral("t"));
        const QString path = tmp.filePath(QStringLiteral("t/знакомства.tnd"));
        SaveTest(app, path);
        const QList<QByteArray> lines = fixtures::readBytes(path).split('\n');
        QCOMPARE(lines.value(1), textfile::encode(QStringLiteral("Знакомства \r")));
        App other(pf);
        other.st.folders.PathSep = QStringLiteral("/");
        OpenTest(other, path);
        QCOMPARE(other.st.test.TestName, QStringLiteral("Знакомства "));
        QCOMPARE(other.st.test.QuestionCount, 1);
        QCOMPARE(other.st.test.Questions[1].Vopros, QStringLiteral("Вопрос"));
    }

    // A path from the photo dialog is taken whole or not at all: with a
    // letter dropped it would name another file.
    void photoPathFromTheFileDialog_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("taken");
        QTest::newRow("Cyrillic") << "/home/anna/фото.jpg" << true;
        QTest::newRow("é in the name") << "/home/anna/café.jpg" << false;
        QTest::newRow("ë in the folder") << "/home/zoë/фото.jpg" << false;
        QTest::newRow("line break in the name") << "/home/anna/a\nb.jpg" << false;
    }
    void photoPathFromTheFileDialog()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, taken);
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        field(QStringLiteral("card photo")).open(app);
        app.frmKartochka.txtInfo[5].text = QStringLiteral("/old.jpg");
        pf.fileAnswers.push_back(chosen);
        frmKartochka_Event(app, UiEvent{UiEvent::Click, app.frmKartochka.kObzorEmblema.name});
        QCOMPARE(app.frmKartochka.txtInfo[5].text, taken ? chosen : QStringLiteral("/old.jpg"));
        QCOMPARE(pf.messages.size(), taken ? 0 : 1);
        if (!taken) {
            QVERIFY(pf.messages[0].text.contains(QStringLiteral("Выберите другой файл.")));
            QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        }
    }

    // A file name inserted into a question never brings a line break in.
    void insertedFileNameStaysOnOneLine()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        field(QStringLiteral("editor box")).open(app);
        pf.fileAnswers.push_back(QStringLiteral("/pics/a\nb.jpg"));
        MarkupMenuClick(app, MarkupTarget::MainTxt, QStringLiteral("EditAddFile(0)"));
        QCOMPARE(app.st.test.Questions[1].Vopros, QStringLiteral("<img border=\"0\" src=\"a b.jpg\">"));
    }
};

QTEST_GUILESS_MAIN(TestFieldText)
#include "tst_fieldtext.moc"
