#include "shell/MainCommands.h"

#include "document/FrmPassW.h"
#include "people/FrmFound.h"
#include "people/PeopleList.h"
#include "shell/App.h"
#include "shell/Startup.h"
#include "people/FrmKartochka.h"
#include "taking/TestFlow.h"
#include "taking/VyborOtveta.h"

void frmForma_MenuClick(App& app, const QString& item)
{
    if (item == QLatin1String("FileExit")) {
        app.frmForma.closeRequested = true;
    } else if (item == QLatin1String("FileNameTest")) {
        FileNameTest_Click(app);
    } else if (item == QLatin1String("FileListLudey(0)")) {
        FileListLudey_Click(app, 0);
    } else if (item == QLatin1String("FileListLudey(1)")) {
        FileListLudey_Click(app, 1);
    } else if (item == QLatin1String("FileFoundLudey")) {
        FileFoundLudey_Click(app);
    } else if (item == QLatin1String("FileChange")) {
        FileChange_Click(app);
    } else if (item == QLatin1String("HelpCallHelp")) {
        app.st.HtmlWindowMode = -2;
        ShowHtmlWindow(app);
    } else if (item == QLatin1String("FileKartochka")) {
        FileKartochka_Click(app);
    } else if (item == QLatin1String("FileSnachala")) {
        FileSnachala_Click(app);
    }
}

void frmForma_ButtonClick(App& app, const QString& button)
{
    const Control* control = app.frmForma.find(button);
    if (control == nullptr || !control->enabled || !control->visible)
        return;
    if (button == QLatin1String("Nazad"))
        Nazad_Click(app);
    else if (button == QLatin1String("kDalee"))
        Dalee(app);
    else if (button == QLatin1String("kRezultat"))
        Rezultat(app);
}
