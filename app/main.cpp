#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/ProgramSetup.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "shell/TerminationWatcher.h"
#include "views/WebView.h"

#include <QApplication>
#include <QIcon>

#include <csignal>
#include <unistd.h>

int main(int argc, char* argv[])
{
    TerminationWatcher::catchSigterm();
    if (asksOnlyForInformation(argc, argv)) {
        // Help and version are printed without a display.
        QCoreApplication information(argc, argv);
        setProgramIdentity();
        installRussianQtTexts(information);
        handleCommandLine(information);
        return 0;
    }
    // Chromium refuses to run its sandbox as root (a kiosk often runs so).
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebView::registerScheme();
    QApplication application(argc, argv);
    setProgramIdentity();
    installRussianQtTexts(application);
    handleCommandLine(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tandemo.png")));

    QtPlatform platform;
    App app(platform);
    MainWindow window(app, platform);

    Main(app);
    window.syncFromModel();
    if (app.frmForma.visible)
        window.show();

    // Asked to end by the desktop: close as the window's close box does, but
    // ask nothing and show no message (a failure goes to standard error), so
    // that a logout or a power-off never waits. A request that came during
    // start-up is acted on now. With a dialog open, its own event loop holds
    // the window: the settings are written and the program ends at once.
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &window, [&window, &app] {
        if (QApplication::activeModalWidget()) {
            UnloadProga(app, Shutdown::ByDesktop);
            std::signal(SIGTERM, SIG_DFL);
            std::raise(SIGTERM);
        }
        window.closeForDesktop();
    });
    return QApplication::exec();
}
