#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/editor/FrmParam.h"
#include "screens/document/FrmPassW.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "screens/people/FrmFound.h"
#include "screens/people/FrmKartochka.h"
#include "ground/App.h"
#include "screens/document/FileCommands.h"

#include <QTemporaryDir>
#include <QTest>

using fixtures::readBytes;

// Test files are Windows-1251. Question and answer texts are HTML and keep any
// character as a character reference; the other fields take only what the
// code page holds.
class TestCodePage : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

private Q_SLOTS:
    void htmlEncoding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Cyrillic, euro and numero kept") << "Ёж € №" << QByteArray("\xA8\xE6 \x88 \xB9");
        QTest::newRow("emoji outside the basic plane") << "a😀b" << QByteArray("a&#128512;b");
        QTest::newRow("letter and symbol outside the code page") << "ŵ∑" << QByteArray("&#373;&#8721;");
        QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) << QByteArray("&#55357;");
        QTest::newRow("markup untouched") << "<b>&amp;</b>" << QByteArray("<b>&amp;</b>");
    }
    void htmlEncoding()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(textfile::encodeHtml(text), bytes);
        QCOMPARE(textfile::fitsCodePage(text), !bytes.contains("&#"));
    }

    void questionsSurviveSaveAndReopen()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        app.st.test.TestName = QStringLiteral("Тест €");
        app.st.test.TestPassword = QStringLiteral("ключ");
        app.st.test.QuestionCount = 1;
        app.st.test.Questions.resizeFresh(1);
        app.st.test.Questions[1].Vopros = QStringLiteral("Смайл 😀, ŵ и ∑ за 5 €?");
        app.st.test.Questions[1].CountOtvetov = 1;
        app.st.test.Questions[1].AddOtvety(0, QStringLiteral("Да 😀"));
        app.st.test.Questions[1].AddOtvety(1, QStringLiteral("Нет"));
        const QString path = tmp.path() + QStringLiteral("/smile/test.tnd");
        QDir().mkpath(tmp.path() + QStringLiteral("/smile"));
        SaveTest(app, path);
        QVERIFY(pf.messages.isEmpty());
        const QByteArray bytes = readBytes(path);
        QVERIFY(bytes.contains("&#128512;, &#373; \xE8 &#8721; \xE7\xE0 5 \x88?\r\n"));
        QVERIFY(!bytes.contains('\x1A'));

        ScriptedPlatform pf2;
        App reopened(pf2);
        reopened.st.folders.AppFolder = app.st.folders.AppFolder;
        OpenTest(reopened, path);
        QVERIFY(pf2.messages.isEmpty());
        QCOMPARE(reopened.st.test.TestName, QStringLiteral("Тест €"));
        QCOMPARE(reopened.st.test.Questions[1].Vopros, QStringLiteral("Смайл &#128512;, &#373; и &#8721; за 5 €?"));
        QCOMPARE(reopened.st.test.Questions[1].ListOtvety(0), QStringLiteral("Да &#128512;"));
    }

    // A typed character goes to the dialog's handler as a key press.
    void keysOfPlainFields_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("taken");
        const char* boxes[][2] = {{"0", "NameT"},           {"0", "TPW"},         {"1", "TPW"},
                                  {"2", "txtNameFamiliya"}, {"2", "txtInfo(0)"}, {"2", "txtInfo(5)"},
                                  {"3", "txtNameFamiliya"}};
        for (const auto& box : boxes) {
            const int dialog = QByteArray(box[0]).toInt();
            const QString control = QString::fromLatin1(box[1]);
            for (const QString& ch : {QStringLiteral("😀"), QStringLiteral("ŵ"), QStringLiteral("∑")})
                QTest::addRow("%d %s %s refused", dialog, box[1], qPrintable(ch)) << dialog << control << ch << false;
            for (const QString& ch : {QStringLiteral("Ж"), QStringLiteral("€")})
                QTest::addRow("%d %s %s taken", dialog, box[1], qPrintable(ch)) << dialog << control << ch << true;
        }
    }
    void keysOfPlainFields()
    {
        QFETCH(int, dialog);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(bool, taken);
        ScriptedPlatform pf;
        App app(pf);
        UiEvent e{UiEvent::KeyPress, control};
        e.text = typed;
        bool answer = false;
        switch (dialog) {
        case 0: answer = frmParam_Event(app, e); break;
        case 1: answer = frmPassW_Event(app, e); break;
        case 2: answer = frmKartochka_Event(app, e); break;
        default: answer = frmFound_Event(app, e); break;
        }
        QCOMPARE(answer, taken);
    }

    void pastedNameAndPasswordAreCleaned()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.Dialog = DialogMode::NewTest;
        frmParam_Load(app);
        for (Control* box : {&app.frmParam.NameT, &app.frmParam.TPW}) {
            box->text = QStringLiteral("Тест😀 ∑€");
            frmParam_Event(app, UiEvent{UiEvent::Change, box->name});
            QCOMPARE(box->text, QStringLiteral("Тест €"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
