#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/editor/FrmParam.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "shell/VyborOtveta.h"
#include "screens/views/Splash.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
struct Filled {
    QString name, password, count;
    int answers = -1;  // list index, -1 none chosen
};

// Opens the dialog through `open`, fills it and presses OK; returns whether it closed.
bool confirm(App& app, ScriptedPlatform& pf, const Filled& in, const std::function<void(App&)>& open)
{
    bool closed = false;
    pf.onModal[WindowId::Param] = [&] {
        FrmParam& w = app.frmParam;
        w.NameT.text = in.name;
        w.TPW.text = in.password;
        w.txtVsegoVoprosov.text = in.count;
        w.SelKolOtvetov.listIndex = in.answers;
        frmParam_OK_Click(app);
        closed = w.closeRequested;
        if (!closed)
            frmParam_NO_Click(app);
    };
    open(app);
    return closed;
}

void fileNew(App& app)
{
    frmForma_MenuClick(app, app.frmForma.FileNew.name);
}

void parameters(App& app)
{
    frmForma_MenuClick(app, app.frmForma.EditParametry.name);
}
}  // namespace

class TestFrmParam : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newTest_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("listIndex");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("countOtvetov");
        QTest::addColumn<QString>("home");  // set when the program is installed
        QTest::newRow("3 questions, \" 4\"") << "3" << 2 << 3 << 3 << QString();
        QTest::newRow("no answer count: two") << "3" << -1 << 3 << 1 << QString();
        QTest::newRow("\"007\"") << "007" << -1 << 7 << 1 << QString();
        QTest::newRow("\"10\" answers") << "2" << 8 << 2 << 9 << QString();
        QTest::newRow("installed: starts in the home folder") << "2" << 0 << 2 << 1 << QStringLiteral("/home/anna/");
    }
    void newTest()
    {
        QFETCH(QString, count);
        QFETCH(int, listIndex);
        QFETCH(int, questions);
        QFETCH(int, countOtvetov);
        QFETCH(QString, home);
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        app.st.folders.HomeFolder = home;
        app.st.folders.WorkFolder = QStringLiteral("/t/");
        app.st.test.TestFilePath = QStringLiteral("/t/старый.tnd");
        pf.onModal[WindowId::Param] = [&] {
            FrmParam& w = app.frmParam;
            QCOMPARE(w.caption, QStringLiteral("Создать тест"));
            QVERIFY(w.NameT.text.isEmpty() && w.TPW.text.isEmpty() && w.txtVsegoVoprosov.text.isEmpty());
            QVERIFY(w.SelKolOtvetov.visible && w.Label1[3].visible);
            QCOMPARE(w.SelKolOtvetov.listIndex, -1);
            QCOMPARE(w.cancelButton, QStringLiteral("NO"));
            QVERIFY(w.defaultButton.isEmpty());
            w.NameT.text = QStringLiteral("Знакомства");
            w.TPW.text = QStringLiteral("Ключ");
            w.txtVsegoVoprosov.text = count;
            w.SelKolOtvetov.listIndex = listIndex;
            frmParam_OK_Click(app);
            QVERIFY(w.closeRequested);
        };
        // The splash page's "n" link leads here as File > "Создать" does.
        ShowZastavka(app);
        VyborOtveta(app, QStringLiteral("http://tnd.n.ru/"));
        QCOMPARE(pf.modals, QList<WindowId>{WindowId::Param});
        const AppState& st = app.st;
        QCOMPARE(st.test.QuestionCount, questions);
        for (int q = 1; q <= questions; ++q) {
            QCOMPARE(st.test.Questions[q].CountOtvetov, countOtvetov);
            QVERIFY(st.test.Questions[q].Vopros.isEmpty() && st.test.Questions[q].ListOtvety(0).isEmpty());
        }
        QCOMPARE(st.test.TestName, QStringLiteral("Знакомства"));
        QCOMPARE(st.test.TestPassword, QStringLiteral("Ключ"));
        QCOMPARE(st.main.CurrentQuestion, 1);
        QCOMPARE(st.main.Phase, TestPhase::Editor);
        QVERIFY(st.test.TestFilePath.isEmpty());
        QCOMPARE(st.folders.WorkFolder, home.isEmpty() ? st.folders.AppFolder : home);
        QCOMPARE(app.frmForma.caption, QStringLiteral("Знакомства - [] - Тандемо"));
        QCOMPARE(app.frmForma.NmWpr.text, QStringLiteral("Вопрос №1 из %1").arg(questions));
        QCOMPARE(app.frmForma.SelKolOtvetov.listIndex, countOtvetov - 1);
        QVERIFY(app.frmForma.picOtvety[static_cast<size_t>(countOtvetov)].visible);
        QCOMPARE(app.frmForma.focus, QStringLiteral("Txt"));
    }

    void refused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no name") << "" << "k" << "3" << "NameT";
        QTest::newRow("no password") << "n" << "" << "3" << "TPW";
        QTest::newRow("count 0") << "n" << "k" << "0" << "txtVsegoVoprosov";
        QTest::newRow("no count") << "n" << "k" << "" << "txtVsegoVoprosov";
    }
    void refused()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, count);
        QFETCH(QString, focus);
        ScriptedPlatform pf;
        App app(pf);
        pf.onModal[WindowId::Param] = [&] {
            FrmParam& w = app.frmParam;
            w.NameT.text = name;
            w.TPW.text = password;
            w.txtVsegoVoprosov.text = count;
            frmParam_OK_Click(app);
            QVERIFY(w.visible && !w.closeRequested);
            QCOMPARE(w.focus, focus);
            frmParam_NO_Click(app);
        };
        fileNew(app);
        QCOMPARE(app.st.main.Phase, TestPhase::StartPage);
        QCOMPARE(app.st.test.QuestionCount, 0);
        QVERIFY(app.st.test.TestName.isEmpty());
        QVERIFY(pf.messages.isEmpty());
    }

    void changeParameters()
    {
        QTemporaryDir tmp;
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.AppFolder = tmp.path() + QLatin1Char('/');
        QVERIFY(confirm(app, pf, {QStringLiteral("Тест"), QStringLiteral("k"), QStringLiteral("5"), 3}, fileNew));
        for (int q = 1; q <= 5; ++q) {
            app.st.test.Questions[q].Vopros = QStringLiteral("Вопрос %1").arg(q);
            for (int i = 0; i < 5; ++i)
                app.st.test.Questions[q].AddOtvety(i, QStringLiteral("%1.%2").arg(q).arg(i));
        }
        app.st.main.CurrentQuestion = 4;
        app.frmForma.Edit.enabled = true;

        pf.onModal[WindowId::Param] = [&] {
            FrmParam& w = app.frmParam;
            QCOMPARE(w.NameT.text, QStringLiteral("Тест"));
            QCOMPARE(w.NameT.tooltip, QStringLiteral("Тест"));
            QCOMPARE(w.TPW.text, QStringLiteral("k"));
            QCOMPARE(w.txtVsegoVoprosov.text, QStringLiteral("5"));
            QVERIFY(!w.SelKolOtvetov.visible && !w.Label1[3].visible);
            w.NameT.text = QStringLiteral("Новое имя");
            frmParam_Change(app, w.NameT.name);
            QCOMPARE(w.NameT.tooltip, QStringLiteral("Новое имя"));
            w.txtVsegoVoprosov.text = QStringLiteral("8");
            frmParam_OK_Click(app);
        };
        parameters(app);
        QCOMPARE(app.st.Dialog, DialogMode::ChangeParameters);
        QCOMPARE(app.st.test.QuestionCount, 8);
        QCOMPARE(app.st.test.TestName, QStringLiteral("Новое имя"));
        QCOMPARE(app.frmForma.caption, QStringLiteral("Новое имя - [] - Тандемо"));
        QCOMPARE(app.st.main.CurrentQuestion, 1);
        QCOMPARE(app.frmForma.NmWpr.text, QStringLiteral("Вопрос №1 из 8"));
        QCOMPARE(app.st.test.Questions[5].CountOtvetov, 4);  // the common count (" 5") stays
        for (int q = 6; q <= 8; ++q)
            QCOMPARE(app.st.test.Questions[q].CountOtvetov, 1);

        app.frmForma.Edit.enabled = true;
        QVERIFY(confirm(app, pf, {QStringLiteral("Новое имя"), QStringLiteral("k"), QStringLiteral("3")}, parameters));
        QCOMPARE(app.st.test.QuestionCount, 3);
        const QString path = tmp.path() + QStringLiteral("/t.tnd");
        SaveTest(app, path);
        const QByteArray file = fixtures::readBytes(path);
        QVERIFY(file.contains(textfile::encode(QStringLiteral("Вопрос 3"))));
        QVERIFY(!file.contains(textfile::encode(QStringLiteral("Вопрос 4"))));
        QVERIFY(!file.contains("4.0"));

        // Raised again, questions 4 and 5 come back with their texts and two answers.
        app.frmForma.Edit.enabled = true;
        QVERIFY(confirm(app, pf, {QStringLiteral("Новое имя"), QStringLiteral("k"), QStringLiteral("5")}, parameters));
        QCOMPARE(app.st.test.Questions[4].Vopros, QStringLiteral("Вопрос 4"));
        QCOMPARE(app.st.test.Questions[5].ListOtvety(1), QStringLiteral("5.1"));
        QCOMPARE(app.st.test.Questions[5].CountOtvetov, 1);

        // File > "Создать" afterwards starts from an empty dialog with the list.
        pf.onModal[WindowId::Param] = [&] {
            QVERIFY(app.frmParam.NameT.text.isEmpty() && app.frmParam.txtVsegoVoprosov.text.isEmpty());
            QVERIFY(app.frmParam.SelKolOtvetov.visible);
            frmParam_NO_Click(app);
        };
        fileNew(app);
        QCOMPARE(app.st.test.QuestionCount, 5);
        QCOMPARE(app.st.editor.Target, EditTarget::Nothing);  // the editor's field was let go
    }

    void keyRules()
    {
        ScriptedPlatform pf;
        App app(pf);
        struct Case {
            const char* box;
            const char* refused;
            const char* accepted;
        };
        for (const Case& c : {Case{"NameT", "|_", "a,\"Я 1-"}, Case{"TPW", "|,\"_", "aЯ 1-'"},
                              Case{"txtVsegoVoprosov", "a -.,|", "0123456789\b"}}) {
            for (QChar ch : QString::fromUtf8(c.refused))
                QVERIFY2(!frmParam_KeyAllowed(QString::fromLatin1(c.box), ch), c.box);
            for (QChar ch : QString::fromUtf8(c.accepted))
                QVERIFY2(frmParam_KeyAllowed(QString::fromLatin1(c.box), ch), c.box);
        }
        QCOMPARE(app.frmParam.txtVsegoVoprosov.maxLength, 5);
        // Pasted text obeys the same rules.
        FrmParam& w = app.frmParam;
        w.NameT.text = QStringLiteral("a|b_c");
        frmParam_Change(app, w.NameT.name);
        QCOMPARE(w.NameT.text, QStringLiteral("abc"));
        QCOMPARE(w.NameT.tooltip, QStringLiteral("abc"));
        w.TPW.text = QStringLiteral("p,a\"s|s_");
        frmParam_Change(app, w.TPW.name);
        QCOMPARE(w.TPW.text, QStringLiteral("pass"));
        w.txtVsegoVoprosov.text = QStringLiteral(" 1x2");
        frmParam_Change(app, w.txtVsegoVoprosov.name);
        QCOMPARE(w.txtVsegoVoprosov.text, QStringLiteral("12"));
    }
};

QTEST_GUILESS_MAIN(TestFrmParam)
#include "tst_frmparam.moc"
