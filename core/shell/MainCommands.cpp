#include "shell/MainCommands.h"

#include "shell/App.h"
#include "shell/Startup.h"

void frmForma_MenuClick(App& app, const QString& item)
{
    if (item == QLatin1String("FileExit")) {
        app.frmForma.closeRequested = true;
    } else if (item == QLatin1String("FileNameTest")) {
        FileNameTest_Click(app);
    }
}
