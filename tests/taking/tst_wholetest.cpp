#include "Fixtures.h"
#include "TakingFixture.h"

#include "screens/editor/NewTest.h"
#include "shell/MainCommands.h"
#include "screens/taking/TestFlow.h"
#include "shell/VyborOtveta.h"
#include "screens/taking/WholeTest.h"
#include "screens/views/FrmHTML.h"
#include "shell/ListCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestWholeTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeTestPage()
    {
        TakingSession s(QStringLiteral("/t/"), 2, 3);
        s.app.st.test.Questions[2].AddOtvety(2, QString());
        s.app.st.test.Questions[1].Vopros.clear();
        s.app.st.main.CurrentQuestion = 1;
        NewTest(s.app, 1);
        QString shown;
        s.pf.onModal[WindowId::Html] = [&] {
            QCOMPARE(s.app.frmHTML.caption, QStringLiteral("Показать весь тест"));
            frmHTML_Timer(s.app);
            shown = s.app.frmHTML.usrWebHtml1.text;
        };
        frmForma_MenuClick(s.app, s.app.frmForma.EditShowAllTest.name);
        QCOMPARE(s.app.st.list.Mode, HtmlWindowMode::WholeTest);
        const QString marker = QStringLiteral("<img border='0' src='/opt/tandemo/znak0.jpg'>");
        auto answer = [&](int n, const QString& text) {
            return QStringLiteral("<tr><td valign='top'>") + marker + QStringLiteral("<font size='4' color='blue'>") +
                   QString::number(n) + QStringLiteral(") ") + text + QStringLiteral("</font></td></tr>");
        };
        const QString expected =
            QStringLiteral("<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                           "</head><body leftmargin=5 rightmargin=5><center><font size='6'>Знакомства</font></center>") +
            QStringLiteral("<tr><td><font size='4' color='red'>Вопрос №1</font></td></tr><br><font size='4' "
                           "color='green'>?</font></td></tr><tr><table>") +
            answer(1, QStringLiteral("Ответ 1.0")) + answer(2, QStringLiteral("Ответ 1.1")) +
            answer(3, QStringLiteral("Ответ 1.2")) +
            QStringLiteral("</table></tr><br><tr><td><font size='4' color='red'>Вопрос №2</font></td></tr><br><font "
                           "size='4' color='green'>Вопрос 2</font></td></tr><tr><table>") +
            answer(1, QStringLiteral("Ответ 2.0")) + answer(2, QStringLiteral("Ответ 2.1")) +
            answer(3, QStringLiteral("?")) + QStringLiteral("</table></tr><br></body></html>");
        QCOMPARE(s.app.st.list.ListHtml, expected);
        QCOMPARE(shown, expected);
        QVERIFY(!expected.contains(QStringLiteral("href")));
    }

    void preview()
    {
        TakingSession s(QStringLiteral("/t/"), 5, 3);
        s.app.st.main.CurrentQuestion = 1;
        NewTest(s.app, 1);
        s.app.st.main.CurrentQuestion = 3;
        frmForma_Event(s.app, {UiEvent::Click, QStringLiteral("picOtvety(1)")});
        FrmForma& f = s.app.frmForma;
        QCOMPARE(s.app.st.editor.Target, AnswerTarget(1));
        frmForma_MenuClick(s.app, f.FileProsmotr.name);
        QVERIFY(f.FileProsmotr.checked);
        QVERIFY(f.usrWeb1.visible && !f.picVopros.visible && !f.Txt.visible && !f.SelKolOtvetov.visible);
        QVERIFY(!f.Nazad.enabled && !f.kDalee.enabled && !f.Edit.enabled);
        const QString& page = s.app.st.main.MainHtml;
        QCOMPARE(f.usrWeb1.text, page);
        QVERIFY(page.contains(QStringLiteral("Вопрос №3 из 5</font><br><font size='4' color='green'>Вопрос 3")));
        QVERIFY(page.contains(QStringLiteral("Варианты ответов:")));
        QVERIFY(page.contains(QStringLiteral("znak0.jpg'><font size='4' color='blue'>2) Ответ 3.1")));
        QVERIFY(!page.contains(QStringLiteral("href")));
        QVERIFY(!page.contains(QStringLiteral("znak1")));
        // A stray answer link in the preview moves nobody.
        VyborOtveta(s.app, QStringLiteral("http://tnd.1/"));
        QCOMPARE(s.app.st.test.Questions[3].NomerOtveta, 0);

        f.focus = QStringLiteral("usrWeb1");
        frmForma_MenuClick(s.app, f.FileProsmotr.name);
        QVERIFY(!f.FileProsmotr.checked);
        QVERIFY(!f.usrWeb1.visible && f.picVopros.visible && f.Txt.visible && f.SelKolOtvetov.visible);
        QVERIFY(f.Nazad.enabled && f.kDalee.enabled && f.Edit.enabled);
        QCOMPARE(f.focus, QStringLiteral("Txt"));
        QCOMPARE(s.app.st.editor.Target, AnswerTarget(1));

        // With nothing being edited the focus stays where it was.
        frmForma_Event(s.app, {UiEvent::GotFocus, QStringLiteral("SelKolOtvetov")});
        f.focus = QStringLiteral("SelKolOtvetov");
        frmForma_MenuClick(s.app, f.FileProsmotr.name);
        frmForma_MenuClick(s.app, f.FileProsmotr.name);
        QCOMPARE(f.focus, QStringLiteral("SelKolOtvetov"));
    }

    void refreshShowsTheEndPageAgain()
    {
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 2, 2);
        ReStart(s.app, 0);
        VyborOtveta(s.app, QStringLiteral("http://tnd.s.ru/"));
        VyborOtveta(s.app, bareLink(QStringLiteral("0")));
        VyborOtveta(s.app, bareLink(QStringLiteral("1")));
        VyborOtveta(s.app, bareLink(QStringLiteral("r")));
        const QStringList results = QDir(tmp.path()).entryList(QDir::Files);
        QCOMPARE(results.size(), 1);
        const QString endPage = s.app.st.main.MainHtml;
        const int loads = s.app.frmForma.usrWeb1.loads;
        QVERIFY(s.app.frmForma.FileObnovit.enabled);
        frmForma_MenuClick(s.app, s.app.frmForma.FileObnovit.name);
        QCOMPARE(s.app.frmForma.usrWeb1.loads, loads + 1);
        QCOMPARE(s.app.frmForma.usrWeb1.text, endPage);
        QCOMPARE(s.app.st.main.MainHtml, endPage);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files), results);
    }
};

QTEST_GUILESS_MAIN(TestWholeTest)
#include "tst_wholetest.moc"
