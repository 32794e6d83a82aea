// "Картотека → Резервная копия…" and "Восстановить из копии…" as a person
// does them on a real X11 desktop: the menu opened with the pointer, paths
// typed into the file dialogs, a new folder made in the folder chooser, the
// answers clicked; then the restored test is open and its files are the
// original's. The screen pictures are kept in the folder TANDEMO_SHOTS names,
// for a person to look at.
#include "Fixtures.h"
#include "../gui/WebTestSupport.h"
#include "X11Person.h"

#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/ProgramSetup.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <functional>

using webtest::waitForText;

namespace {

QFileDialog* openFileDialog(QFileDialog::FileMode mode)
{
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() && dialog->fileMode() == mode ? dialog : nullptr;
}

QMessageBox* openMessage(const QString& part)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    return box && box->isVisible() && box->text().contains(part) ? box : nullptr;
}

// The program with the demo test open.
struct Program {
    QTemporaryDir tmp;
    QString program;
    QString folder;
    QString shots;
    QtPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        program = tmp.path() + QStringLiteral("/program/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        shots = qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg", "sunbird.jpg"});
        const QString examples = qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples/");
        for (const QString& file : QDir(examples).entryList(QDir::Files)) {
            QFile::remove(folder + file);
            QFile::copy(examples + file, folder + file);
        }
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({tmp.path() + QLatin1Char('/'), QString(),
                                                    folder + QStringLiteral("Знакомства.tnd")}));
        platform.setExecutableFolder(program);
        app = std::make_unique<App>(platform);
        window = std::make_unique<MainWindow>(*app, platform);
        webtest::startAndShow(*app, *window);
    }

    void shoot(const QString& name)
    {
        QGuiApplication::primaryScreen()->grabWindow(0).save(shots + QLatin1Char('/') + name);
    }

    // "Картотека", then its item `item`, with the pointer.
    void chooseFromMenu(Person& person, const QString& item)
    {
        QAction* top = window->action(QStringLiteral("Kartoteka"));
        QAction* entry = window->action(item);
        person.then(QStringLiteral("open the menu"), [this, &person, top] {
            QMenuBar* bar = window->menuBar();
            person.click(bar->mapToGlobal(bar->actionGeometry(top).center()));
            return true;
        });
        person.then(QStringLiteral("choose ") + item, [this, &person, top, entry] {
            QMenu* menu = top->menu();
            if (!menu->isVisible() || menu->actionGeometry(entry).isEmpty())
                return false;
            QTest::qWait(200);
            shoot(QStringLiteral("menu.png"));
            person.click(menu->mapToGlobal(menu->actionGeometry(entry).center()));
            return true;
        });
    }

    // Types `path` into the file dialog of `mode`, and presses Enter again
    // while the dialog stays (the name completer may take the first).
    void typePath(Person& person, QFileDialog::FileMode mode, const QString& path, const QString& shot)
    {
        person.then(QStringLiteral("type ") + path, [this, &person, mode, path, shot] {
            QFileDialog* dialog = openFileDialog(mode);
            if (!dialog)
                return false;
            QTest::qWait(300);
            if (!shot.isEmpty())
                shoot(shot);
            person.typeInto(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), path);
            return true;
        });
        auto since = std::make_shared<QElapsedTimer>();
        person.then(QStringLiteral("dialog gone"), [&person, mode, since] {
            if (!openFileDialog(mode))
                return true;
            if (!since->isValid())
                since->start();
            if (since->elapsed() > 1500) {
                person.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
                since->invalidate();
            }
            return false;
        });
    }

    void answer(Person& person, const QString& part, QMessageBox::StandardButton button, const QString& shot)
    {
        person.then(QStringLiteral("answer ") + part, [this, &person, part, button, shot] {
            QMessageBox* box = openMessage(part);
            if (!box)
                return false;
            QTest::qWait(300);
            shoot(shot);
            person.click(centreOf(box->button(button)));
            return true;
        });
        person.then(QStringLiteral("message gone"), [] { return QApplication::activeModalWidget() == nullptr; });
    }
};

// How much of an area of the X server's screen is dark, as text is.
int darkPixels(const QRect& area)
{
    const QImage picture =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            dark += qGray(picture.pixel(x, y)) < 100 ? 1 : 0;
    }
    return dark;
}

}  // namespace

class TestX11Backup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
        // Qt's dialogs speak Russian, as in the program.
        QVERIFY(installRussianQtTexts(*QCoreApplication::instance()));
    }

    void backupThenRestoreIntoANewFolder()
    {
        QString journalTitle;
        int journalDark = 0;
        Program p;
        p.window->action(QStringLiteral("FileNameTest"))->trigger();
        QVERIFY(waitForText(*p.window->view(), QStringLiteral("Начать тестирование")));
        QMap<QString, QByteArray> original;
        for (const QString& file : QDir(p.folder).entryList(QDir::Files))
            original.insert(file, fixtures::readBytes(p.folder + file));

        const QString archive = p.tmp.path() + QStringLiteral("/copy.zip");
        Person backup;
        p.chooseFromMenu(backup, QStringLiteral("KartotekaKopiya"));
        p.typePath(backup, QFileDialog::AnyFile, archive, QStringLiteral("backup-dialog.png"));
        p.answer(backup, QStringLiteral("Резервная копия сохранена"), QMessageBox::Ok, QStringLiteral("backup-done.png"));
        QVERIFY2(backup.run(60000), qPrintable(backup.lastStep));
        QVERIFY(QFileInfo(archive).isFile());
        QCOMPARE(p.app->st.folders.LastFolder, p.tmp.path() + QLatin1Char('/'));

        // The chooser starts where the archive was; a new folder is made in
        // it with its own button and named, then chosen by its path.
        const QString restored = p.tmp.path() + QStringLiteral("/restored");
        const QStringList before = QDir(p.tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        Person restore;
        p.chooseFromMenu(restore, QStringLiteral("KartotekaVosstanovit"));
        p.typePath(restore, QFileDialog::AnyFile, archive, QString());
        restore.then(QStringLiteral("new folder"), [&] {
            QFileDialog* chooser = openFileDialog(QFileDialog::Directory);
            if (!chooser)
                return false;
            QTest::qWait(300);
            p.shoot(QStringLiteral("chooser.png"));
            auto* button = chooser->findChild<QToolButton*>(QStringLiteral("newFolderButton"));
            if (!button || !button->isVisible()) {
                restore.failed = QStringLiteral("the chooser offers no new folder");
                restore.steps.clear();
                return false;
            }
            restore.click(centreOf(button));
            return true;
        });
        restore.then(QStringLiteral("name the new folder"), [&] {
            if (QDir(p.tmp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size() <= before.size())
                return false;
            QTest::qWait(300);
            restore.xdotools({{QStringLiteral("key"), QStringLiteral("ctrl+a")},
                              {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                               QStringLiteral("restored")},
                              {QStringLiteral("key"), QStringLiteral("Return")}});
            return true;
        });
        restore.then(QStringLiteral("folder named"), [&] {
            if (!QFileInfo(restored).isDir())
                return false;
            QTest::qWait(300);
            p.shoot(QStringLiteral("new-folder.png"));
            return true;
        });
        p.typePath(restore, QFileDialog::Directory, restored, QString());
        p.answer(restore, QStringLiteral("Открыть восстановленный тест?"), QMessageBox::Yes,
                 QStringLiteral("restored.png"));
        const bool done = restore.run(90000);
        QVERIFY2(restore.failed.isEmpty(), qPrintable(restore.failed));
        QVERIFY2(done, qPrintable(restore.lastStep));

        for (auto it = original.cbegin(); it != original.cend(); ++it)
            QCOMPARE(fixtures::readBytes(restored + QLatin1Char('/') + it.key()), it.value());
        QCOMPARE(p.app->st.test.TestFilePath, restored + QStringLiteral("/Знакомства.tnd"));
        QVERIFY(waitForText(*p.window->view(), QStringLiteral("Начать тестирование")));
        QTest::qWait(500);
        p.shoot(QStringLiteral("opened.png"));
        // The X server shows the restored test's start page: text on the view.
        WebView* view = p.window->view();
        QVERIFY(darkPixels(QRect(view->mapToGlobal(QPoint(0, 0)), view->size())) > 200);
        QCOMPARE(p.window->windowTitle(), QStringLiteral("Знакомства - [Знакомства.tnd] - Тандемо"));

        // "Журнал" of the restored folder opens in the list window, which
        // Alt+F4 closes.
        Person reader;
        p.chooseFromMenu(reader, QStringLiteral("KartotekaZhurnal"));
        reader.then(QStringLiteral("journal shown"), [&] {
            auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
            if (!html || !html->isVisible() || html->view()->isPainting() ||
                !p.app->frmHTML.usrWebHtml1.text.contains(QStringLiteral("<th>Время</th>")))
                return false;
            QTest::qWait(500);
            p.shoot(QStringLiteral("journal.png"));
            journalTitle = html->windowTitle();
            journalDark = darkPixels(QRect(html->view()->mapToGlobal(QPoint(0, 0)), html->view()->size()));
            html->activateWindow();
            reader.xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
            return true;
        });
        reader.then(QStringLiteral("journal closed"), [] { return QApplication::activeModalWidget() == nullptr; });
        QVERIFY2(reader.run(60000), qPrintable(reader.lastStep));
        QCOMPARE(journalTitle, QStringLiteral("Журнал"));
        QVERIFY(journalDark > 200);
    }

    // The progress window comes up during long work and its "Отмена",
    // clicked with the pointer, stops the work.
    void cancelWithThePointer()
    {
        Program p;
        p.platform.beginProgress(QStringLiteral("Резервная копия"), QStringLiteral("Копируется папка"));
        Person person;
        QProgressDialog* shown = nullptr;
        QString cancelText;
        person.then(QStringLiteral("cancel"), [&] {
            QProgressDialog* progress = p.platform.progressDialog();
            if (!progress || !progress->isVisible())
                return false;
            shown = progress;
            QTest::qWait(300);
            p.shoot(QStringLiteral("progress.png"));
            auto* cancel = progress->findChild<QPushButton*>();
            cancelText = cancel->text();
            person.click(centreOf(cancel));
            return true;
        });
        person.start();
        qint64 done = 0;
        QElapsedTimer working;
        working.start();
        while (p.platform.stepProgress(done, 1000000) && working.elapsed() < 30000) {
            QTest::qSleep(5);
            done = std::min<qint64>(done + 100, 999999);
        }
        p.platform.endProgress();
        QVERIFY(shown != nullptr);
        QCOMPARE(cancelText, QStringLiteral("Отмена"));
        QVERIFY2(working.elapsed() < 30000, "the click on Отмена did not stop the work");
        QVERIFY(p.platform.progressDialog() == nullptr);
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Backup)
#include "tst_x11backup.moc"
