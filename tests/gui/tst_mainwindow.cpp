#include "Fixtures.h"
#include "WebTestSupport.h"

#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/WebView.h"
#include "screens/views/Splash.h"
#include "screens/views/Firmy.h"
#include "screens/document/FileCommands.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// The real desktop, except that dialogs, windows and the browser are recorded.
class RecordingPlatform : public QtPlatform {
public:
    QList<bool> fileDialogs;
    QList<WindowId> modals;
    QStringList urls;
    QString fileDialog(bool save, const QString&, const QList<FileFilter>&, const QString&) override
    {
        fileDialogs << save;
        return {};
    }
    void showModal(WindowId window) override { modals << window; }
    void openExternalUrl(const QString& url) override { urls << url; }
};
}

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    struct Running {
        RecordingPlatform platform;
        App app{platform};
        MainWindow window{app, platform};
    };
    std::unique_ptr<Running> start()
    {
        auto r = std::make_unique<Running>();
        r->platform.setExecutableFolder(tmp.path());
        Main(r->app);
        r->window.syncFromModel();
        r->window.show();
        if (!QTest::qWaitForWindowExposed(&r->window))
            qWarning("main window not exposed");
        return r;
    }
    static void setClientSize(MainWindow& window, int width, int height)
    {
        window.resize(width, height + window.menuBar()->height());
        QTRY_COMPARE(window.centralWidget()->size(), QSize(width, height));
    }

private Q_SLOTS:
    void startsShowsAndWritesSettingsOnClose()
    {
        auto r = start();
        MainWindow& window = r->window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Тандемо"));
        QStringList menus;
        for (QAction* a : window.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("Файл"), QStringLiteral("Правка"), QStringLiteral("Картотека"),
                                     QStringLiteral("Справка")}));
        QVERIFY(!window.action(QStringLiteral("Edit"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("FileSave"))->isEnabled());
        QVERIFY(!window.action(QStringLiteral("FileNameTest"))->isVisible());
        QAction* exit = window.action(QStringLiteral("FileExit"));
        QCOMPARE(exit->text(), QStringLiteral("Выход"));

        exit->trigger();
        QTRY_VERIFY(!window.isVisible());
        const QByteArray settings = fixtures::readBytes(tmp.path() + QStringLiteral("/Тандемо.ini"));
        QCOMPARE(settings.count("\r\n"), 3);
        QVERIFY(settings.startsWith(tmp.path().toUtf8() + '/'));
    }

    void layoutFollowsTheWindow()
    {
        auto r = start();
        MainWindow& window = r->window;
        setClientSize(window, 632, 417);
        QCOMPARE(window.widget(QStringLiteral("usrWeb1"))->geometry(), QRect(0, 31, 632, 386));
        QCOMPARE(window.widget(QStringLiteral("Txt"))->geometry(), QRect(8, 388, 616, 25));
        QCOMPARE(window.widget(QStringLiteral("picOtvety(9)"))->geometry(), QRect(8, 132 + 24 * 9, 616, 20));
        const QRect button = window.widget(QStringLiteral("kDalee"))->geometry();
        QCOMPARE(button, QRect(112, 0, 97, 28));

        setClientSize(window, 732, 417);
        QCOMPARE(window.widget(QStringLiteral("usrWeb1"))->width(), 732);
        QCOMPARE(window.widget(QStringLiteral("Txt"))->width(), 716);
        QCOMPARE(window.widget(QStringLiteral("picVopros"))->width(), 716);
        QCOMPARE(window.widget(QStringLiteral("kDalee"))->geometry(), button);

        window.showMinimized();
        QTest::qWait(100);
        window.showNormal();
        QTest::qWait(100);
        QCOMPARE(window.widget(QStringLiteral("Txt"))->width(), window.centralWidget()->width() - 16);

        // Smaller than the button band: nothing negative, the window goes on.
        window.setMinimumSize(0, 0);
        window.centralWidget()->setMinimumSize(0, 0);
        setClientSize(window, 12, 10);
        QCOMPARE(window.widget(QStringLiteral("usrWeb1"))->height(), 0);
        QCOMPARE(window.widget(QStringLiteral("Txt"))->width(), 0);
        setClientSize(window, 632, 417);
        QCOMPARE(window.widget(QStringLiteral("usrWeb1"))->height(), 386);
    }

    void shortcutsReachTheirCommands()
    {
        auto r = start();
        MainWindow& window = r->window;
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(r->platform.fileDialogs, QList<bool>{false});
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);  // "Сохранить" is disabled
        QTest::qWait(100);
        QCOMPARE(r->platform.fileDialogs.size(), 1);
        r->app.frmForma.FileSave.enabled = true;
        window.syncFromModel();
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);  // never saved: asks for a name
        QTRY_COMPARE(r->platform.fileDialogs, (QList<bool>{false, true}));
        QTest::keyClick(&window, Qt::Key_F1);
        QTRY_COMPARE(r->platform.modals, QList<WindowId>{WindowId::Html});
        QCOMPARE(r->app.st.list.Mode, HtmlWindowMode::Help);
    }

    void aboutBoxOpensAndCloses()
    {
        QTemporaryDir folder;
        QtPlatform platform;
        platform.setExecutableFolder(folder.path());
        App app(platform);
        MainWindow window(app, platform);
        Main(app);
        window.show();
        QString title, text;
        bool closed = false;
        QTimer::singleShot(200, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box)
                return;
            title = box->windowTitle();
            for (QLabel* label : box->findChildren<QLabel*>())
                text += label->text() + QLatin1Char('\n');
            box->findChild<QPushButton*>()->click();
            closed = !box->isVisible();
        });
        window.action(QStringLiteral("HelpAbout"))->trigger();
        QCOMPARE(title, QStringLiteral("О программе"));
        QVERIFY(text.contains(QStringLiteral("Тандемо")));
        QVERIFY(text.contains(QStringLiteral("Версия ")));
        QVERIFY(closed);
        QVERIFY(!app.frmOprog.visible);
    }

    // A file name holding tags is shown as the characters it holds.
    void messageBoxShowsPlainText()
    {
        QtPlatform platform;
        const QString text = QStringLiteral("Файл \"/tmp/<b>x</b><img src=y>.tnd\" не найден");
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer::singleShot(200, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            format = box->textFormat();
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        platform.messageBox(text, QStringLiteral("Тандемо"), MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }

    // A box is never too narrow for its title bar to show the title whole,
    // however short its text.
    void messageBoxLeavesRoomForItsTitle_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("file deleted") << QStringLiteral("Тандемо") << QStringLiteral("Файл удален.");
        QTest::newRow("long title") << QStringLiteral("Тандемо - Знакомства для тех, кому за тридцать") << QStringLiteral("Да?");
    }
    void messageBoxLeavesRoomForItsTitle()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QtPlatform platform;
        int width = 0;
        QTimer::singleShot(200, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            width = box->width();
            box->button(QMessageBox::Ok)->click();
        });
        platform.messageBox(text, title, MsgButtons::Ok, MsgIcon::Information, MsgAnswer::Ok);
        // The title in a bold face, and beside it the window's icon and its
        // three buttons, about 28 pixels each with their spacing (openbox
        // showed "Тан…мо" in a box 100 pixels wider than the bold title).
        QFont bold = QApplication::font();
        bold.setBold(true);
        const int needed = QFontMetrics(bold).horizontalAdvance(title) + 4 * 28;
        QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
    }

    void splashLinksWorkInTheRealView()
    {
        auto r = start();
        WebView& view = *r->window.view();
        QVERIFY(webtest::waitForText(view, QStringLiteral("Открыть тест")));
        webtest::clickElement(view, QStringLiteral("a.lnkMini"));
        QTRY_COMPARE(r->app.st.main.View, ViewMode::ShowFirmy);
        QVERIFY(webtest::waitForText(view, QStringLiteral("Фирмы, использующие эту программу")));
        webtest::clickElement(view, QStringLiteral("a.lnk"));
        QTRY_COMPARE(r->app.st.main.View, ViewMode::ShowZastavka);
        QVERIFY(webtest::waitForText(view, QStringLiteral("Уж замуж невтерпеж!")));
        webtest::clickElement(view, QStringLiteral("a[href^='https']"));
        QTRY_COMPARE(r->platform.urls, QStringList{QStringLiteral("https://podari-zhizn.ru/")});
        webtest::clickElement(view, QStringLiteral("a[href$='o.ru']"));
        QTRY_COMPARE(r->platform.fileDialogs, QList<bool>{false});
        QCOMPARE(r->app.st.main.View, ViewMode::ShowZastavka);
    }

    // Closing the window with a test open makes the day's copy of its folder
    // in the user's data folder, and the progress window goes with it.
    void closingMakesTheDaysCopy()
    {
        QTemporaryDir data;
        const QByteArray oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        const QString folder = tmp.path() + QStringLiteral("/Знакомства/");
        webtest::writeProgramAndTest(tmp.path() + QLatin1Char('/'), folder, {});
        {
            auto r = start();
            OpenTest(r->app, folder + QStringLiteral("Знакомства.tnd"));
            r->window.syncFromModel();
            r->window.close();
            QTRY_VERIFY(!r->window.isVisible());
            QVERIFY(r->platform.progressDialog() == nullptr);
        }
        qputenv("XDG_DATA_HOME", oldData);
        QFile::remove(tmp.path() + QStringLiteral("/Тандемо.ini"));
        const QStringList copies = QDir(data.path() + QStringLiteral("/tandemo/backups/Знакомства"))
                                       .entryList({QStringLiteral("*.zip")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(fixtures::readBytes(data.path() + QStringLiteral("/tandemo/backups/Знакомства/") + copies[0])
                    .startsWith("PK"));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
