#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "ground/windows/HtmlView.h"
#include "shell/ListCommands.h"
#include "screens/views/FrmHTML.h"

#include <QTemporaryDir>
#include <QTest>

class TestFrmHtml : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void titleByMode_data()
    {
        QTest::addColumn<HtmlWindowMode>("mode");
        QTest::addColumn<int>("women");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("menu");
        QTest::newRow("men") << HtmlWindowMode::PeopleList << 0 << QStringLiteral("Список мужчин") << true;
        QTest::newRow("women") << HtmlWindowMode::PeopleList << 1 << QStringLiteral("Список женщин") << true;
        QTest::newRow("pair") << HtmlWindowMode::PairSearch << 0 << QStringLiteral("Поиск пары") << true;
        QTest::newRow("search") << HtmlWindowMode::NameSearch << 1 << QStringLiteral("Поиск") << true;
        QTest::newRow("help") << HtmlWindowMode::Help << 0 << QStringLiteral("Справка") << false;
        QTest::newRow("whole test") << HtmlWindowMode::WholeTest << 0 << QStringLiteral("Показать весь тест") << true;
        QTest::newRow("card page") << HtmlWindowMode::CardPage << 0 << QString() << true;
    }
    void titleByMode()
    {
        QFETCH(HtmlWindowMode, mode);
        QFETCH(int, women);
        QFETCH(QString, title);
        QFETCH(bool, menu);
        ScriptedPlatform pf;
        App app(pf);
        // A window left with another title and a hidden menu must not carry them over.
        app.frmHTML.caption = QStringLiteral("старый");
        app.frmHTML.File.visible = !menu;
        app.st.list.Mode = mode;
        app.st.people.ListWomen = women;
        bool checked = false;
        pf.onModal[WindowId::Html] = [&] {
            QCOMPARE(app.frmHTML.caption, title);
            QCOMPARE(app.frmHTML.File.visible, menu);
            QVERIFY(app.frmHTML.Timer1.enabled);
            checked = true;
        };
        ShowHtmlWindow(app);
        QVERIFY(checked);
    }

    void helpFromMenu()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        app.st.list.ListHtml = QStringLiteral("<html>старое</html>");
        pf.onModal[WindowId::Html] = [&] {
            frmHTML_Timer(app);
            frmHTML_Timer(app);  // one shot only
        };
        frmForma_MenuClick(app, QStringLiteral("HelpCallHelp"));
        QCOMPARE(pf.modals, QList<WindowId>{WindowId::Html});
        QCOMPARE(app.frmHTML.usrWebHtml1.url, QStringLiteral("/opt/tandemo/Help.htm"));
        QCOMPARE(app.frmHTML.usrWebHtml1.loads, 1);
        QCOMPARE(app.st.list.Mode, HtmlWindowMode::Help);
        QCOMPARE(app.st.list.ListHtml, QStringLiteral("<html>старое</html>"));
    }

    void wholeTestAndRefresh()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.list.Mode = HtmlWindowMode::WholeTest;
        app.st.list.ListHtml = QStringLiteral("<html>весь тест</html>");
        pf.onModal[WindowId::Html] = [&] {
            frmHTML_Timer(app);
            QCOMPARE(app.frmHTML.usrWebHtml1.text, QStringLiteral("<html>весь тест</html>"));
            app.st.list.ListHtml = QStringLiteral("<html>новое</html>");
            frmHTML_MenuClick(app, QStringLiteral("FileObnovit"));
            QCOMPARE(app.frmHTML.usrWebHtml1.text, QStringLiteral("<html>новое</html>"));
            QCOMPARE(app.frmHTML.usrWebHtml1.loads, 2);
            frmHTML_MenuClick(app, QStringLiteral("FileExit"));
            QVERIFY(app.frmHTML.closeRequested);
        };
        ShowHtmlWindow(app);
        QVERIFY(!app.frmHTML.visible);
    }

    void closingReleasesLists()
    {
        QTemporaryDir folder;
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.WorkFolder = folder.path() + QLatin1Char('/');
        app.st.CardFields[1].Otvety = QStringLiteral("01");
        app.st.CardFields[1].Pol = 0;
        app.st.CardFields[2].Pol = 1;
        app.st.CardFields[2].NameFamiliya = QStringLiteral("Анна");
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("a.tnw"), PersonFileContent(app.st.CardFields[2]));
        app.st.people.PeopleLast = 0;
        app.st.people.People = {PersonEntry{QStringLiteral("Анна"), QStringLiteral("24"), 0, QStringLiteral("a.tnw")}};
        app.st.list.Mode = HtmlWindowMode::PairSearch;
        int searches = 0;
        pf.onModal[WindowId::Html] = [&] {
            frmHTML_Timer(app);
            searches = app.st.pairs.PairsLast + 1;
        };
        ShowHtmlWindow(app);
        QCOMPARE(searches, 1);  // the ranking ran from the window's start
        QCOMPARE(app.st.pairs.PairsLast, -1);
        QCOMPARE(app.st.pairs.Pairs.size(), 1);
        QCOMPARE(app.st.people.PeopleLast, -1);
        QCOMPARE(app.st.people.People.size(), 1);
        QVERIFY(app.st.people.People[0].NameFamiliya.isEmpty());
        QCOMPARE(app.st.list.Mode, HtmlWindowMode::PairSearch);
    }
};

QTEST_GUILESS_MAIN(TestFrmHtml)
#include "tst_frmhtml.moc"
