#include "ScriptedPlatform.h"

#include "ground/App.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"

#include <QSize>
#include <QTest>

class TestMainForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menusAtStartUp()
    {
        ScriptedPlatform pf;
        App app(pf);
        Main(app);
        FrmForma& f = app.frmForma;
        const auto menus = f.menus();
        QStringList choosable;
        for (Control* item : menus[0]) {
            if (item != &f.File && item->text != QLatin1String("-") && item->enabled && item->visible)
                choosable << item->text;
        }
        QCOMPARE(choosable, (QStringList{QStringLiteral("Создать"), QStringLiteral("Открыть"),
                                         QStringLiteral("Обновить"), QStringLiteral("Выход")}));
        QVERIFY(!f.Edit.enabled);
        for (Control* item : menus[3])
            QVERIFY(item->enabled && item->visible);
        QVERIFY(!f.FileProsmotr.checked);
        QCOMPARE(f.FileOpen.shortcut, QStringLiteral("Ctrl+O"));
        QCOMPARE(f.FileSave.shortcut, QStringLiteral("Ctrl+S"));
        QCOMPARE(f.HelpCallHelp.shortcut, QStringLiteral("F1"));
        for (Control* c : {&f.Nazad, &f.kDalee, &f.kRezultat})
            QVERIFY(c->visible && !c->enabled);
        for (Control* c : {&f.NmWpr, &f.picVopros, &f.WrOt, &f.SelKolOtvetov, &f.INF, &f.Txt})
            QVERIFY(!c->visible);
    }

    void layoutFollowsTheClientArea_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("viewHeight");
        QTest::addColumn<int>("boxWidth");
        QTest::newRow("design") << 632 << 417 << 386 << 616;
        QTest::newRow("wider by 100") << 732 << 417 << 386 << 716;
        QTest::newRow("tiny") << 10 << 20 << 0 << 0;
        QTest::newRow("nothing") << 0 << 0 << 0 << 0;
    }
    void layoutFollowsTheClientArea()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, viewHeight);
        QFETCH(int, boxWidth);
        ScriptedPlatform pf;
        App app(pf);
        FrmForma& f = app.frmForma;
        f.clientWidth = width;
        f.clientHeight = height;
        Form_Resize(app);
        QCOMPARE(f.usrWeb1.left, 0);
        QCOMPARE(f.usrWeb1.top, 31);
        QCOMPARE(f.usrWeb1.width, width);
        QCOMPARE(f.usrWeb1.height, viewHeight);
        for (Control* c : {&f.picVopros, &f.Txt, &f.picOtvety[0], &f.picOtvety[9]}) {
            QCOMPARE(c->width, boxWidth);
            QCOMPARE(c->left, 8);
        }
        QCOMPARE(f.picOtvety[9].top, 132 + 24 * 9);
        QCOMPARE(f.Txt.top, 388);
        // The buttons, labels and the answer count list never move.
        QCOMPARE(f.kRezultat.left, 216);
        QCOMPARE(f.kRezultat.width, 185);
        QCOMPARE(f.SelKolOtvetov.left, 176);
    }

    // The window opens at four fifths of the screen's free area, never below
    // its design size.
    void openingSizeFollowsTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("client");
        QTest::newRow("1280 x 900") << QSize(1280, 900) << QSize(1024, 720);
        QTest::newRow("1920 x 1080") << QSize(1920, 1080) << QSize(1536, 864);
        QTest::newRow("800 x 600") << QSize(800, 600) << QSize(640, 480);
        QTest::newRow("640 x 480") << QSize(640, 480) << QSize(632, 417);
    }
    void openingSizeFollowsTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(QSize, client);
        ScriptedPlatform pf;
        App app(pf);
        OpeningSize(app.frmForma, screen.width(), screen.height());
        QCOMPARE(QSize(app.frmForma.clientWidth, app.frmForma.clientHeight), client);
    }

    void minimisedWindowKeepsItsLayout()
    {
        ScriptedPlatform pf;
        App app(pf);
        FrmForma& f = app.frmForma;
        f.clientWidth = 700;
        Form_Resize(app);
        f.minimized = true;
        f.clientWidth = 0;
        f.clientHeight = 0;
        Form_Resize(app);
        QCOMPARE(f.usrWeb1.width, 700);
        QCOMPARE(f.Txt.width, 684);
    }
};

QTEST_GUILESS_MAIN(TestMainForm)
#include "tst_mainform.moc"
