#include "ScriptedPlatform.h"

#include "ground/App.h"
#include "shell/VyborOtveta.h"
#include "screens/views/Firmy.h"
#include "ground/windows/HtmlView.h"
#include "screens/views/Splash.h"

#include <QTest>

class TestSplash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splashPageIsExact()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.SplashPicture = QStringLiteral("/нет/такой/картинки.jpg");
        ShowZastavka(app);
        const QString cmd = QStringLiteral("http://tnd.");
        const QString expected =
            QStringLiteral("<html><head><style type='text/css'>.lnkMini{color:blue; font-size:16px; font-family:Times New Roman; text-decoration:none; } .lnk{color:blue; font-size:28px; font-family:Times New Roman; text-decoration:none; } a:hover{color:red}</style>") +
            QStringLiteral("<meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head><body topmargin=0 leftmargin=0><table width='100%'><td align='left'><a class='lnkMini' href='") +
            cmd + QStringLiteral("f.ru") +
            QStringLiteral("'>Список фирм использующих эту программу (1)</a></td><td align='right' style type='color:black; font-size:16px; font-family:Times New Roman;'><b>Уж замуж невтерпеж!</b></td></table>") +
            QStringLiteral("<table width='100%'><td align='center'><a class='lnk' href='") +
            QStringLiteral("https://podari-zhizn.ru/'>Фонд «Подари жизнь»") +
            QStringLiteral("</a><br><font face='Times New Roman' size='6'>Тандемо</font></td></table><table width='100%'><td align='center'><table width='100%'><td align='center'><a class='lnk' href='") +
            cmd + QStringLiteral("n.ru") + QStringLiteral("'>Создать тест</a></td><td align='center'><a class='lnk' href='") +
            cmd + QStringLiteral("o.ru") + QStringLiteral("'>Открыть тест</a></td><td align='center'></td></table>") +
            QStringLiteral("<table width='100%'><td align='center'><img border='0' src='") +
            QStringLiteral("/нет/такой/картинки.jpg") + QStringLiteral("'></td></table></body></html>");
        QCOMPARE(app.st.main.MainHtml, expected);
        QCOMPARE(app.frmForma.usrWeb1.text, expected);
        QCOMPARE(app.st.main.View, ViewMode::ShowZastavka);
        // The prefix is eleven characters and begins with "http"; a main
        // command arrives as at most sixteen.
        QCOMPARE(kCommandPrefix.size(), 11);
        QCOMPARE((Command(QStringLiteral("s")) + QLatin1Char('/')).size(), 16);
    }

    void agencyPageAndBack()
    {
        ScriptedPlatform pf;
        App app(pf);
        ShowZastavka(app);
        VyborOtveta(app, QStringLiteral("http://tnd.f.ru/"));
        QCOMPARE(app.st.main.View, ViewMode::ShowFirmy);
        QCOMPARE(app.frmForma.usrWeb1.text, app.st.main.MainHtml);
        QVERIFY(app.st.main.MainHtml.contains(QStringLiteral("href='http://tnd.b.ru'")));
        QVERIFY(app.st.main.MainHtml.contains(QStringLiteral("charset=windows-1251")));
        VyborOtveta(app, QStringLiteral("http://tnd.b.ru/"));
        QCOMPARE(app.st.main.View, ViewMode::ShowZastavka);
    }

    void externalLinksGoToTheDesktop()
    {
        ScriptedPlatform pf;
        App app(pf);
        ShowZastavka(app);
        const int loads = app.frmForma.usrWeb1.loads;
        VyborOtveta(app, QStringLiteral("https://podari-zhizn.ru/"));
        QCOMPARE(pf.openedUrls, QStringList{QStringLiteral("https://podari-zhizn.ru/")});
        QCOMPARE(app.frmForma.usrWeb1.loads, loads);
    }
};

QTEST_GUILESS_MAIN(TestSplash)
#include "tst_splash.moc"
