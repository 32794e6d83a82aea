#include "ScriptedPlatform.h"

#include "screens/document/FrmPassW.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "screens/editor/NewTest.h"

#include <QTest>

namespace {
// A loaded five-question test with the password "Ключ"; question `gap`
// (when not 0) lacks its second answer.
void loadTest(App& app, int gap)
{
    app.st.test.TestPassword = QStringLiteral("Ключ");
    app.st.test.QuestionCount = 5;
    app.st.test.Questions.resizeFresh(5);
    for (int q = 1; q <= 5; ++q) {
        clsTest& question = app.st.test.Questions[q];
        question.Vopros = QStringLiteral("Вопрос %1").arg(q);
        question.CountOtvetov = 1;
        question.AddOtvety(0, QStringLiteral("Да"));
        if (q != gap)
            question.AddOtvety(1, QStringLiteral("Нет"));
    }
    app.st.test.TestFilePath = QStringLiteral("/t/test.tnd");
    app.st.folders.WorkFolder = QStringLiteral("/t/");
    app.frmForma.FileChange.enabled = true;
    app.frmForma.FileListLudey[1].enabled = true;
    app.frmForma.usrWeb1.visible = true;
    app.frmForma.Txt.visible = false;
}
}  // namespace

class TestPassW : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void testPassword_data()
    {
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("question");
        QTest::newRow("complete test: question 1") << 0 << 1;
        QTest::newRow("question 4 incomplete") << 4 << 4;
    }
    void testPassword()
    {
        QFETCH(int, gap);
        QFETCH(int, question);
        ScriptedPlatform pf;
        App app(pf);
        loadTest(app, gap);
        pf.onModal[WindowId::PassW] = [&] {
            FrmPassW& w = app.frmPassW;
            QVERIFY(w.visible);
            QVERIFY(!w.OK.enabled);
            QCOMPARE(w.defaultButton, QStringLiteral("OK"));
            QCOMPARE(w.cancelButton, QStringLiteral("NO"));
            w.TPW.text = QStringLiteral("ключ");
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Не верный пароль")});
            QCOMPARE(app.st.main.Phase, TestPhase::StartPage);
            w.TPW.text = QStringLiteral("Ключ");
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            QVERIFY(w.closeRequested);
        };
        frmForma_MenuClick(app, QStringLiteral("FileChange"));
        QCOMPARE(pf.modals, QList<WindowId>{WindowId::PassW});
        QCOMPARE(app.st.main.CurrentQuestion, question);
        // The editor shows that question with its text selected.
        QCOMPARE(app.frmForma.NmWpr.text, QStringLiteral("Вопрос №%1 из 5").arg(question));
        QCOMPARE(app.st.editor.Target, EditTarget::Question);
        QCOMPARE(app.frmForma.Txt.text, QStringLiteral("Вопрос %1").arg(question));
        QCOMPARE(app.frmForma.focus, QStringLiteral("Txt"));
        QCOMPARE(app.st.Dialog, DialogMode::ChangeTest);
        QCOMPARE(app.st.main.View, ViewMode::NewTest);
        // The loaded test stays the one being edited.
        QCOMPARE(app.st.test.TestFilePath, QStringLiteral("/t/test.tnd"));
        QCOMPARE(app.st.folders.WorkFolder, QStringLiteral("/t/"));
        const FrmForma& m = app.frmForma;
        QVERIFY(!m.FileChange.enabled && !m.FileObnovit.enabled && !m.FileSnachala.enabled);
        QVERIFY(m.FileSave.enabled && m.FileSaveAs.enabled && m.Edit.enabled);
        QVERIFY(m.FileProsmotr.enabled && !m.FileProsmotr.checked);
        QVERIFY(!m.FileListLudey[0].enabled && !m.FileListLudey[1].enabled && !m.FileFoundLudey.enabled &&
                !m.FileKartochka.enabled);
        QVERIFY(!m.usrWeb1.visible && m.Txt.visible && m.picVopros.visible && m.SelKolOtvetov.visible);
        QVERIFY(m.Nazad.enabled && m.kDalee.enabled);
        QCOMPARE(m.defaultButton, QStringLiteral("kDalee"));
    }

    void cancelChangesNothing()
    {
        ScriptedPlatform pf;
        App app(pf);
        loadTest(app, 0);
        pf.onModal[WindowId::PassW] = [&] {
            app.frmPassW.TPW.text = QStringLiteral("Клю");
            frmPassW_TPW_Change(app);
            frmPassW_NO_Click(app);
        };
        frmForma_MenuClick(app, QStringLiteral("FileChange"));
        QCOMPARE(app.st.main.Phase, TestPhase::StartPage);
        QVERIFY(app.frmForma.FileChange.enabled);
        QVERIFY(app.frmForma.usrWeb1.visible);
        QVERIFY(pf.messages.isEmpty());
        // The next opening starts empty again.
        pf.onModal[WindowId::PassW] = [&] {
            QVERIFY(app.frmPassW.TPW.text.isEmpty());
            QVERIFY(!app.frmPassW.OK.enabled);
        };
        frmForma_MenuClick(app, QStringLiteral("FileChange"));
    }

    void forbiddenKeys()
    {
        for (QChar ch : QStringLiteral("|,\"_"))
            QVERIFY2(!frmPassW_KeyAllowed(ch), qPrintable(QString(ch)));
        for (QChar ch : QStringLiteral("aЯ1 .'-"))
            QVERIFY2(frmPassW_KeyAllowed(ch), qPrintable(QString(ch)));
    }
};

QTEST_GUILESS_MAIN(TestPassW)
#include "tst_passw.moc"
