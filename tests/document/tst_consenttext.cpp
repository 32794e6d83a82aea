#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/Consent.h"
#include "engines/TestFile.h"
#include "ground/App.h"
#include "screens/document/ConsentText.h"
#include "screens/document/FileCommands.h"
#include "screens/document/FrmPassW.h"
#include "screens/editor/FrmParam.h"
#include "shell/MainCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A saved test of one question (password "Ключ") in a folder of its own.
struct Author {
    QTemporaryDir tmp;
    ScriptedPlatform pf;
    App app{pf};
    QString test;

    Author()
    {
        AppState& st = app.st;
        st.folders.PathSep = QStringLiteral("/");
        st.folders.AppFolder = tmp.path() + QStringLiteral("/");
        st.folders.WorkFolder = st.folders.AppFolder;
        test = st.folders.WorkFolder + QStringLiteral("Знакомства.tnd");
        st.test.TestName = QStringLiteral("Знакомства");
        st.test.TestPassword = QStringLiteral("Ключ");
        st.test.QuestionCount = 1;
        st.test.Questions.resizeFresh(1);
        st.test.Questions[1].Vopros = QStringLiteral("Вопрос");
        st.test.Questions[1].CountOtvetov = 1;
        st.test.Questions[1].AddOtvety(0, QStringLiteral("Да"));
        st.test.Questions[1].AddOtvety(1, QStringLiteral("Нет"));
        SaveTest(app, test);
        QCOMPARE(st.test.TestFilePath, test);
    }

    void password(const QString& typed)
    {
        pf.onModal[WindowId::PassW] = [this, typed] {
            app.frmPassW.TPW.text = typed;
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            if (app.frmPassW.visible)
                frmPassW_NO_Click(app);
        };
    }
    QByteArray text() const { return consent::ReadText(test).value_or(QByteArray("none")); }
};
}  // namespace

class TestConsentText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editedFromTheMenu_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("saved") << QStringLiteral("Ключ") << QStringLiteral("<p>Новый текст</p>") << true
                               << QByteArray("<p>Новый текст</p>");
        QTest::newRow("emptied: removed") << QStringLiteral("Ключ") << QStringLiteral("  \n") << true
                                          << QByteArray("none");
        QTest::newRow("cancelled") << QStringLiteral("Ключ") << QStringLiteral("<p>Новый текст</p>") << false
                                   << QByteArray("<p>Старый</p>");
        QTest::newRow("wrong password") << QStringLiteral("Замок") << QString() << true << QByteArray("<p>Старый</p>");
    }
    void editedFromTheMenu()
    {
        QFETCH(QString, password);
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(QByteArray, kept);
        Author a;
        QVERIFY(consent::WriteText(a.test, QStringLiteral("<p>Старый</p>")));
        a.password(password);
        QString shown;
        a.pf.onModal[WindowId::SoglasieText] = [&] {
            shown = a.app.frmSoglasieText.txtText.text;
            a.app.frmSoglasieText.txtText.text = typed;
            frmSoglasieText_Event(a.app, {UiEvent::Click, ok ? QStringLiteral("OK") : QStringLiteral("NO")});
        };
        frmForma_Event(a.app, {UiEvent::Click, QStringLiteral("KartotekaSoglasie")});
        const bool right = password == a.app.st.test.TestPassword;
        QCOMPARE(a.pf.modals.count(WindowId::SoglasieText), right ? 1 : 0);
        if (right)
            QCOMPARE(shown, QStringLiteral("<p>Старый</p>"));
        QCOMPARE(a.text(), kept);
    }

    // The editor is the author's already: no password asked.
    void noPasswordInTheEditor()
    {
        Author a;
        a.app.st.main.Phase = TestPhase::Editor;
        a.pf.onModal[WindowId::SoglasieText] = [&] {
            a.app.frmSoglasieText.txtText.text = QStringLiteral("<p>Текст</p>");
            frmSoglasieText_OK_Click(a.app);
        };
        frmForma_Event(a.app, {UiEvent::Click, QStringLiteral("KartotekaSoglasie")});
        QCOMPARE(a.pf.modals, QList<WindowId>{WindowId::SoglasieText});
        QCOMPARE(a.text(), QByteArray("<p>Текст</p>"));
    }

    // A new test gets the default text on its first save only; a test
    // opened from its file gets none.
    void newTestGetsTheDefaultOnItsFirstSave()
    {
        Author a;
        a.pf.onModal[WindowId::Param] = [&] {
            FrmParam& w = a.app.frmParam;
            w.NameT.text = QStringLiteral("Новый");
            w.TPW.text = QStringLiteral("Ключ");
            w.txtVsegoVoprosov.text = QStringLiteral("1");
            w.SelKolOtvetov.listIndex = 1;
            frmParam_OK_Click(a.app);
        };
        FileNew_Click(a.app);
        QVERIFY(a.app.st.test.TestFilePath.isEmpty());
        // One test a folder.
        QVERIFY(QDir().mkpath(a.tmp.path() + QStringLiteral("/новый")));
        const QString path = a.tmp.path() + QStringLiteral("/новый/Новый.tnd");
        a.pf.fileAnswers.push_back(path);
        SaveTestDialog(a.app);
        QCOMPARE(a.app.st.test.TestFilePath, path);
        QCOMPARE(consent::ReadText(path), std::optional<QByteArray>(consent::DefaultText().toUtf8()));
        // Removed by the author, it stays removed at the next save.
        QVERIFY(consent::WriteText(path, QString()));
        SaveTestDialog(a.app);
        QCOMPARE(consent::ReadText(path), std::nullopt);
        // An older test opened and saved under a new name gets none.
        OpenTest(a.app, a.test);
        QVERIFY(QDir().mkpath(a.tmp.path() + QStringLiteral("/копия")));
        const QString copy = a.tmp.path() + QStringLiteral("/копия/Копия.tnd");
        a.pf.fileAnswers.push_back(copy);
        SaveTestDialogAs(a.app);
        QCOMPARE(a.app.st.test.TestFilePath, copy);
        QCOMPARE(consent::ReadText(copy), std::nullopt);
    }

    void openingForEditingOffersTheDefaultOnce_data()
    {
        QTest::addColumn<MsgAnswer>("answer");
        QTest::newRow("yes") << MsgAnswer::Yes;
        QTest::newRow("no") << MsgAnswer::No;
    }
    void openingForEditingOffersTheDefaultOnce()
    {
        QFETCH(MsgAnswer, answer);
        Author a;
        a.password(QStringLiteral("Ключ"));
        a.pf.messageAnswers.push_back(answer);
        FileChange_Click(a.app);
        QCOMPARE(a.pf.messages.size(), 1);
        QCOMPARE(a.pf.messages.first().buttons, MsgButtons::YesNo);
        QCOMPARE(a.text(), answer == MsgAnswer::Yes ? consent::DefaultText().toUtf8() : QByteArray("none"));
        // Once a run: entering the editor again asks nothing.
        QFile::remove(consent::TextPath(a.test));
        FileChange_Click(a.app);
        QCOMPARE(a.pf.messages.size(), 1);
    }

    // A test with its text is not asked about.
    void aTestWithItsTextIsNotAsked()
    {
        Author a;
        QVERIFY(consent::WriteText(a.test, QStringLiteral("<p>Свой</p>")));
        a.password(QStringLiteral("Ключ"));
        FileChange_Click(a.app);
        QVERIFY(a.pf.messages.isEmpty());
        QCOMPARE(a.text(), QByteArray("<p>Свой</p>"));
    }
};

QTEST_GUILESS_MAIN(TestConsentText)
#include "tst_consenttext.moc"
