#include "Fixtures.h"

#include "shell/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/WebView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsShowsAndWritesSettingsOnClose()
    {
        QTemporaryDir tmp;
        QtPlatform platform;
        platform.setExecutableFolder(tmp.path());
        App app(platform);
        MainWindow window(app, platform);
        Main(app);
        window.syncFromModel();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.windowTitle(), QStringLiteral("Тандемо"));
        QStringList menus;
        for (QAction* a : window.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("Файл"), QStringLiteral("Правка"), QStringLiteral("Справка")}));
        QVERIFY(!window.action(QStringLiteral("Edit"))->isEnabled());
        QAction* exit = window.action(QStringLiteral("FileExit"));
        QVERIFY(exit);
        QCOMPARE(exit->text(), QStringLiteral("Выход"));
        QVERIFY(!window.action(QStringLiteral("FileNameTest"))->isVisible());

        exit->trigger();
        QTRY_VERIFY(!window.isVisible());
        const QByteArray settings = fixtures::readBytes(tmp.path() + QStringLiteral("/Тандемо.ini"));
        QCOMPARE(settings.count("\r\n"), 3);
        QVERIFY(settings.startsWith(tmp.path().toUtf8() + '/'));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
