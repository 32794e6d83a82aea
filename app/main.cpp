#include "shell/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/WebView.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char* argv[])
{
    // Chromium refuses to run its sandbox as root (a kiosk often runs so).
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebView::registerScheme();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Тандемо"));

    QtPlatform platform;
    App app(platform);
    MainWindow window(app, platform);

    Main(app);
    window.syncFromModel();
    if (app.frmForma.visible)
        window.show();
    return QApplication::exec();
}
