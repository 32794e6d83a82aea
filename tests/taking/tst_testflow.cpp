#include "ScriptedPlatform.h"
#include "TakingFixture.h"

#include "shell/MainCommands.h"
#include "engines/Proverka.h"
#include "screens/taking/QuestionPage.h"
#include "screens/taking/TestFlow.h"
#include "shell/VyborOtveta.h"
#include "screens/views/Firmy.h"
#include "screens/views/Splash.h"

#include <QTest>

namespace {
// Fixed pieces of the pages, as the program's pages are defined.
const QString kH1 = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><font size='5'>");
const QString kH2 = QStringLiteral(
    "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>"
    "<body topmargin=0  leftmargin=5 rightmargin=5><font size='5'>");
const QString kEnd = QStringLiteral("</body></html>");
const QString kFolder = QStringLiteral("/work/tests/");

int chosenMarkers(const QString& page)
{
    return static_cast<int>(page.count(QStringLiteral("znak1.jpg")));
}

void start(TakingSession& s)
{
    ReStart(s.app, 0);
    VyborOtveta(s.app, QStringLiteral("http://tnd.s.ru/"));
}

void answer(TakingSession& s, int index)
{
    VyborOtveta(s.app, bareLink(QString::number(index)));
}
}

class TestFlow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startPage_data()
    {
        QTest::addColumn<int>("notReady");
        QTest::addColumn<QString>("middle");
        QTest::newRow("ready") << 0
                               << QStringLiteral(
                                      "<br><br><a class='lnk' href='http://tnd.s.ru'>Начать тестирование</a>"
                                      "<br><br><a class='lnk' href='http://tnd.m.ru'>Список мужчин</a>"
                                      "<br><a class='lnk' href='http://tnd.w.ru'>Список женщин</a>"
                                      "<br><a class='lnk' href='http://tnd.i.ru'>Поиск</a>");
        QTest::newRow("not ready") << 3 << QStringLiteral("<br><br>Тест не готов!");
    }
    void startPage()
    {
        QFETCH(int, notReady);
        QFETCH(QString, middle);
        TakingSession s(kFolder, 3);
        FrmForma& f = s.app.frmForma;
        s.app.st.main.Phase = TestPhase::Editor;
        f.Edit.enabled = f.FileSave.enabled = f.FileSaveAs.enabled = f.FileSnachala.enabled = true;
        f.FileProsmotr.enabled = f.FileProsmotr.checked = true;
        f.Txt.visible = f.picOtvety[9].visible = f.kDalee.enabled = f.Nazad.enabled = true;
        f.defaultButton = f.kDalee.name;
        ReStart(s.app, notReady);
        QCOMPARE(s.app.st.main.MainHtml,
                 QStringLiteral("<html><style type='text/css'>.lnk{color:blue; font-size:28px; font-family:Times New "
                                "Roman; text-decoration:none; } a:hover{color:red}</style><head><meta "
                                "http-equiv='Content-Type' content='text/html; charset=windows-1251'></head><body "
                                "topmargin=0  leftmargin=5 rightmargin=5 link='blue' vlink='blue'><center><font "
                                "size='5'>Знакомства") +
                     middle + QStringLiteral("</font></center></body></html>"));
        QCOMPARE(f.usrWeb1.text, s.app.st.main.MainHtml);
        QCOMPARE(s.app.st.main.Phase, TestPhase::StartPage);
        QVERIFY(!f.Edit.enabled && !f.FileSave.enabled && !f.FileSaveAs.enabled && !f.FileSnachala.enabled);
        QVERIFY(!f.FileProsmotr.enabled && !f.FileProsmotr.checked);
        QVERIFY(f.FileChange.enabled && f.FileObnovit.enabled && f.usrWeb1.visible);
        QVERIFY(!f.Txt.visible && !f.picOtvety[9].visible);
        QVERIFY(!f.kDalee.enabled && !f.Nazad.enabled && !f.kRezultat.enabled);
        QVERIFY(f.defaultButton.isEmpty());
    }

    void questionPageBytes()
    {
        TakingSession s(kFolder, 5, 3);
        start(s);
        answer(s, 0);  // question 1
        frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 1);
        s.app.st.test.Questions[1].Vopros = QStringLiteral("<b>Ваш цвет?</b>");
        Wopros(s.app);
        const QString expected =
            kH1 + QStringLiteral("Вопрос №1 из 5</font><br>") +
            QStringLiteral("<font size='4' color='green'><b>Ваш цвет?</b></font><br>") +
            QStringLiteral("<br><font size='5'>Варианты ответов:</font><br>") + QStringLiteral("<table><td>") +
            QStringLiteral("<a style='text-decoration: none' href='http://tnd.0'><img border='0' "
                           "src='/opt/tandemo/znak1.jpg'><font size='4'>1) Ответ 1.0</font></a><br>") +
            QStringLiteral("<a style='text-decoration: none' href='http://tnd.1'><img border='0' "
                           "src='/opt/tandemo/znak0.jpg'><font size='4'>2) Ответ 1.1</font></a><br>") +
            QStringLiteral("<a style='text-decoration: none' href='http://tnd.2'><img border='0' "
                           "src='/opt/tandemo/znak0.jpg'><font size='4'>3) Ответ 1.2</font></a><br>") +
            QStringLiteral("</td></table>") + kEnd;
        QCOMPARE(s.app.st.main.MainHtml, expected);
        QCOMPARE(s.app.frmForma.usrWeb1.text, expected);
        // First question: nothing to go back to, nothing to save yet.
        QVERIFY(!s.app.frmForma.Nazad.enabled);
        QVERIFY(s.app.frmForma.kDalee.enabled);
        QVERIFY(!s.app.frmForma.kRezultat.enabled);
    }

    void tenAnswersAndEmptyTexts()
    {
        TakingSession s(kFolder, 12, 10);
        s.app.st.test.Questions[3].Vopros.clear();
        s.app.st.test.Questions[3].AddOtvety(4, QString());
        start(s);
        answer(s, 9);
        answer(s, 9);
        const QString page = s.app.st.main.MainHtml;
        QVERIFY(page.contains(QStringLiteral("Вопрос №3 из 12</font><br><font size='4' color='green'></font><br>")));
        QVERIFY(page.contains(QStringLiteral("href='http://tnd.9'><img border='0' src='/opt/tandemo/znak0.jpg'>"
                                             "<font size='4'>10) Ответ 3.9</font></a><br></td></table>")));
        // An empty answer stays empty on the test page.
        QVERIFY(page.contains(QStringLiteral("<font size='4'>5) </font></a><br>")));
        QCOMPARE(page.count(QStringLiteral("<a style")), 10);
        QCOMPARE(chosenMarkers(page), 0);
    }

    void finishedPageBytes()
    {
        TakingSession s(kFolder, 2);
        start(s);
        answer(s, 1);
        answer(s, 2);
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        QCOMPARE(s.app.st.main.MainHtml,
                 kH1 + QStringLiteral("<center><font size='5'>Тест пройден.<br><a style='text-decoration: none' "
                                      "href='http://tnd.r'>Сохранить результат.</font></a><br></font></center>") +
                     kEnd);
        QVERIFY(!s.app.frmForma.kDalee.enabled);
        QVERIFY(s.app.frmForma.Nazad.enabled);
        QVERIFY(s.app.frmForma.kRezultat.enabled);
    }

    void previewPageBytes()
    {
        TakingSession s(kFolder, 3, 2);
        s.app.st.main.Phase = TestPhase::Editor;
        s.app.st.test.Questions[2].Vopros.clear();
        s.app.st.test.Questions[2].AddOtvety(1, QString());
        s.app.st.test.Questions[2].NomerOtveta = 0;
        Show1Wopros(s.app, 2);
        const QString table = QStringLiteral(
            "<tr><table><tr><td valign='top'><img border='0' src='/opt/tandemo/znak0.jpg'><font size='4' "
            "color='blue'>1) Ответ 2.0</font></td></tr><tr><td valign='top'><img border='0' "
            "src='/opt/tandemo/znak0.jpg'><font size='4' color='blue'>2) ?</font></td></tr></table></tr><br>");
        QCOMPARE(s.app.st.main.MainHtml, kH2 + QStringLiteral("Вопрос №2 из 3</font><br><font size='4' color='green'>?"
                                                         "</font><br><br><font size='5'>Варианты ответов:</font><br>") +
                                        table + kEnd);
        // During an attempt the chosen answer is marked in the table.
        s.app.st.main.Phase = TestPhase::Attempt;
        QCOMPARE(chosenMarkers(ShowHTMLOtvety(s.app, 2)), 1);
        QVERIFY(ShowHTMLOtvety(s.app, 2).startsWith(QStringLiteral(
            "<tr><table><tr><td valign='top'><img border='0' src='/opt/tandemo/znak1.jpg'>")));
    }

    void cancelledCardChangesNothing()
    {
        TakingSession s(kFolder, 3);
        s.cancelCard = true;
        ReStart(s.app, 0);
        const QString startPage = s.app.st.main.MainHtml;
        const int loads = s.app.frmForma.usrWeb1.loads;
        s.app.st.test.Questions[2].NomerOtveta = 1;
        frmForma_ButtonClick(s.app, QStringLiteral("kDalee"));  // disabled on the start page
        QVERIFY(s.pf.modals.isEmpty());
        VyborOtveta(s.app, QStringLiteral("http://tnd.s.ru/"));
        QCOMPARE(s.pf.modals, QList<WindowId>{WindowId::Kartochka});
        QCOMPARE(s.app.st.main.Phase, TestPhase::StartPage);
        QCOMPARE(s.app.st.Dialog, DialogMode::NewCard);
        QCOMPARE(s.app.st.main.MainHtml, startPage);
        QCOMPARE(s.app.frmForma.usrWeb1.loads, loads);
        QCOMPARE(s.app.st.test.Questions[2].NomerOtveta, 1);
        QVERIFY(!s.app.frmForma.FileKartochka.enabled && !s.app.frmForma.FileSnachala.enabled);
    }

    void startClearsAnswersAndEnablesMenus()
    {
        TakingSession s(kFolder, 3);
        for (int q = 1; q <= 3; ++q)
            s.app.st.test.Questions[q].NomerOtveta = 1;
        ReStart(s.app, 0);
        s.app.st.main.Phase = TestPhase::StartPage;
        Dalee(s.app);  // "Дальше" in phase 0 starts too
        QCOMPARE(s.app.st.main.Phase, TestPhase::Attempt);
        QCOMPARE(s.app.st.main.CurrentQuestion, 1);
        for (int q = 1; q <= 3; ++q)
            QCOMPARE(s.app.st.test.Questions[q].NomerOtveta, -1);
        QCOMPARE(chosenMarkers(s.app.st.main.MainHtml), 0);
        const FrmForma& f = s.app.frmForma;
        QVERIFY(f.FileKartochka.enabled && f.FileObnovit.enabled && f.FileSnachala.enabled);
        QVERIFY(f.usrWeb1.visible && !f.picVopros.visible);
        QCOMPARE(s.app.st.CardFields[0].NameFamiliya, QStringLiteral("Анна Петрова"));
    }

    void navigation()
    {
        TakingSession s(kFolder, 5);
        start(s);
        answer(s, 2);  // 3) on question 1 records index 2
        QCOMPARE(s.app.st.test.Questions[1].NomerOtveta, 2);
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        answer(s, 0);
        frmForma_ButtonClick(s.app, QStringLiteral("kDalee"));  // leaves 3 unanswered
        QCOMPARE(s.app.st.main.CurrentQuestion, 4);
        answer(s, 1);
        QCOMPARE(s.app.st.main.CurrentQuestion, 5);
        for (int i = 0; i < 3; ++i)
            frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QCOMPARE(chosenMarkers(s.app.st.main.MainHtml), 1);
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("znak1.jpg'><font size='4'>1) Ответ 2.0")));
        frmForma_ButtonClick(s.app, QStringLiteral("kDalee"));  // skips nothing: 3 is open
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        answer(s, 2);  // 4 is answered: on to 5
        QCOMPARE(s.app.st.main.CurrentQuestion, 5);
        // Changing an earlier answer replaces it and moves past the answered ones.
        frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        answer(s, 1);
        QCOMPARE(s.app.st.test.Questions[2].NomerOtveta, 1);
        QCOMPARE(s.app.st.main.CurrentQuestion, 5);
        answer(s, 0);
        QCOMPARE(s.app.st.main.CurrentQuestion, 6);
        // Next after the last open question, and Back from the finished page.
        frmForma_ButtonClick(s.app, QStringLiteral("kDalee"));  // disabled there
        QCOMPARE(s.app.st.main.CurrentQuestion, 6);
        frmForma_ButtonClick(s.app, QStringLiteral("Nazad"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 5);
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("Вопрос №5 из 5")));
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("znak1.jpg'><font size='4'>1) Ответ 5.0")));
        QCOMPARE(chosenMarkers(s.app.st.main.MainHtml), 1);
        Dalee(s.app);
        QCOMPARE(s.app.st.main.CurrentQuestion, 6);
    }

    void saveWithOpenQuestions()
    {
        TakingSession s(kFolder, 7);
        start(s);
        answer(s, 0);
        frmForma_ButtonClick(s.app, QStringLiteral("kDalee"));  // 2 left open
        answer(s, 0);
        answer(s, 0);
        frmForma_ButtonClick(s.app, QStringLiteral("kDalee"));  // 5 left open
        answer(s, 0);
        QCOMPARE(s.app.st.main.CurrentQuestion, 7);
        const int loads = s.app.frmForma.usrWeb1.loads;
        frmForma_ButtonClick(s.app, QStringLiteral("kRezultat"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("Вопрос №2 из 7")));
        QCOMPARE(s.app.frmForma.usrWeb1.loads, loads + 1);
        QCOMPARE(s.pf.messageTexts(), QStringList{QStringLiteral("Вы не ответили на этот вопрос")});
        QCOMPARE(s.pf.messages[0].icon, MsgIcon::Information);
        QCOMPARE(s.pf.messages[0].title, QStringLiteral("Тандемо"));
        QCOMPARE(s.pf.messages[0].buttons, MsgButtons::Ok);

        frmForma_ButtonClick(s.app, QStringLiteral("kRezultat"));
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QCOMPARE(s.app.frmForma.usrWeb1.loads, loads + 1);  // the page is not shown again
        QCOMPARE(s.pf.messages.size(), 2);
        QCOMPARE(s.app.st.main.Phase, TestPhase::Attempt);
        QCOMPARE(s.app.st.main.View, ViewMode::None);
    }

    void links_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("recorded");  // -1: nothing recorded
        QTest::addColumn<bool>("external");
        QTest::addColumn<int>("windows");  // modal windows shown, the card at the start included
        QTest::newRow("answer 7") << bareLink(QStringLiteral("7")) << 7 << false << 1;
        QTest::newRow("external") << QStringLiteral("http://www.example.org/") << -1 << true << 1;
        QTest::newRow("short foreign link") << QStringLiteral("http://a.bc.de/") << 0 << false << 1;
        QTest::newRow("seventeen characters") << QStringLiteral("http://tnd.3.ru/x") << -1 << true << 1;
        QTest::newRow("upper-case S is an answer") << QStringLiteral("http://tnd.S.ru/") << 0 << false << 1;
        // Only the end page after a saved result searches a pair.
        QTest::newRow("pair search") << QStringLiteral("http://tnd.p.ru/") << -1 << false << 1;
    }
    void links()
    {
        QFETCH(QString, link);
        QFETCH(int, recorded);
        QFETCH(bool, external);
        QFETCH(int, windows);
        TakingSession s(kFolder, 3, 10);
        start(s);
        VyborOtveta(s.app, link);
        QCOMPARE(s.app.st.test.Questions[1].NomerOtveta, recorded);
        QCOMPARE(s.app.st.main.CurrentQuestion, recorded >= 0 ? 2 : 1);
        QCOMPARE(s.pf.openedUrls, external ? QStringList{link} : QStringList());
        QCOMPARE(s.pf.modals.size(), windows);
    }

    void splashLinkAndAnswersOutsideAnAttempt()
    {
        TakingSession s(kFolder, 3);
        s.app.st.folders.SplashPicture = QStringLiteral("/opt/tandemo/sunbird.jpg");
        ShowFirmy(s.app);
        VyborOtveta(s.app, QStringLiteral("http://tnd.b.ru/"));
        QCOMPARE(s.app.st.main.View, ViewMode::ShowZastavka);
        QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("Уж замуж невтерпеж!")));
        // A link inside a question that the author previews is not an answer.
        s.app.st.main.Phase = TestPhase::Editor;
        s.app.st.main.CurrentQuestion = 2;
        s.app.st.test.Questions[2].NomerOtveta = -1;
        const QString page = s.app.st.main.MainHtml;
        VyborOtveta(s.app, bareLink(QStringLiteral("1")));
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QCOMPARE(s.app.st.test.Questions[2].NomerOtveta, -1);
        QCOMPARE(s.app.st.main.MainHtml, page);
    }

    void startAgain_data()
    {
        QTest::addColumn<MsgAnswer>("reply");
        QTest::newRow("no") << MsgAnswer::No;
        QTest::newRow("yes") << MsgAnswer::Yes;
    }
    void startAgain()
    {
        QFETCH(MsgAnswer, reply);
        TakingSession s(kFolder, 3);
        start(s);
        answer(s, 1);
        s.pf.messageAnswers.push_back(reply);
        frmForma_MenuClick(s.app, QStringLiteral("FileSnachala"));
        QCOMPARE(s.pf.messages.size(), 1);
        QCOMPARE(s.pf.messages[0].text, QStringLiteral("Начать сначала?"));
        QCOMPARE(s.pf.messages[0].buttons, MsgButtons::YesNo);
        QCOMPARE(s.pf.messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(s.pf.messages[0].defaultAnswer, MsgAnswer::No);
        const FrmForma& f = s.app.frmForma;
        if (reply == MsgAnswer::No) {
            QCOMPARE(s.app.st.main.Phase, TestPhase::Attempt);
            QCOMPARE(s.app.st.main.CurrentQuestion, 2);
            QVERIFY(f.FileSnachala.enabled && f.Nazad.enabled);
        } else {
            QCOMPARE(s.app.st.main.Phase, TestPhase::StartPage);
            QVERIFY(s.app.st.main.MainHtml.contains(QStringLiteral("Начать тестирование")));
            QVERIFY(!f.FileSnachala.enabled && !f.Nazad.enabled && !f.kDalee.enabled && !f.kRezultat.enabled);
            QVERIFY(!f.FileKartochka.enabled);
        }
    }

    void ownCardDuringTheTest()
    {
        TakingSession s(kFolder, 3);
        start(s);
        answer(s, 1);
        s.name = QStringLiteral("Анна Сидорова");
        frmForma_MenuClick(s.app, QStringLiteral("FileKartochka"));
        QCOMPARE(s.pf.modals.size(), 2);
        QCOMPARE(s.app.st.CardFields[0].NameFamiliya, QStringLiteral("Анна Сидорова"));
        QCOMPARE(s.app.st.CardFields[0].Pol, 1);
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QCOMPARE(s.app.st.test.Questions[1].NomerOtveta, 1);
    }

    void proverka_data()
    {
        QTest::addColumn<int>("emptyQuestion");
        QTest::addColumn<int>("emptyAnswer");
        QTest::addColumn<int>("announce");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("message");
        QTest::newRow("complete, announced") << 0 << -1 << 1 << 0 << true;
        QTest::newRow("complete, silent") << 0 << -1 << 0 << 0 << false;
        QTest::newRow("third answer of 1 empty") << 1 << 2 << 1 << 1 << false;
        QTest::newRow("text of 3 empty") << 3 << -1 << 1 << 3 << false;
        QTest::newRow("hidden answer empty") << 2 << 5 << 1 << 0 << true;
    }
    void proverka()
    {
        QFETCH(int, emptyQuestion);
        QFETCH(int, emptyAnswer);
        QFETCH(int, announce);
        QFETCH(int, result);
        QFETCH(bool, message);
        TakingSession s(kFolder, 4, 4);
        s.app.st.test.Questions[2].CountOtvetov = 2;  // answers 3..9 of question 2 do not count
        if (emptyQuestion > 0 && emptyAnswer < 0)
            s.app.st.test.Questions[emptyQuestion].Vopros.clear();
        if (emptyQuestion > 0 && emptyAnswer >= 0)
            s.app.st.test.Questions[emptyQuestion].AddOtvety(emptyAnswer, QString());
        QCOMPARE(Proverka(s.app, announce), result);
        QCOMPARE(s.pf.messageTexts(), message ? QStringList{QStringLiteral("Тест готов!")} : QStringList());
        if (message)
            QCOMPARE(s.pf.messages[0].icon, MsgIcon::Information);
    }

    void poiskTochki_data()
    {
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("result");
        QTest::newRow("extension") << "\\" << "C:\\Tests\\Знакомства.tnd" << 20;
        QTest::newRow("dotted folder, bare name") << "\\" << "C:\\Tests.old\\Знакомства" << 0;
        QTest::newRow("drive prefix only") << "\\" << "C:." << 0;
        QTest::newRow("dot at position 4") << "/" << "abc.tnd" << 4;
        QTest::newRow("dot at position 3 ignored") << "/" << "ab.x" << 0;
        QTest::newRow("unix folder with dot") << "/" << "/home/a.b/test" << 0;
        QTest::newRow("empty") << "/" << "" << 0;
    }
    void poiskTochki()
    {
        QFETCH(QString, sep);
        QFETCH(QString, path);
        QFETCH(int, result);
        TakingSession s(kFolder, 1);
        s.app.st.folders.PathSep = sep;
        QCOMPARE(PoiskTochki(s.app, path), result);
    }
};

QTEST_GUILESS_MAIN(TestFlow)
#include "tst_testflow.moc"
