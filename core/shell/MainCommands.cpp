#include "shell/MainCommands.h"

#include "document/FileCommands.h"
#include "document/FrmPassW.h"
#include "people/FrmFound.h"
#include "people/FrmKartochka.h"
#include "people/PeopleList.h"
#include "shell/App.h"
#include "shell/Startup.h"
#include "taking/TestFlow.h"
#include "taking/VyborOtveta.h"
#include "views/HtmlView.h"
#include "views/Splash.h"

#include <algorithm>

bool frmForma_Event(App& app, const UiEvent& event)
{
    if (event.type == UiEvent::Click) {
        const FrmForma& f = app.frmForma;
        if (event.control == f.Nazad.name || event.control == f.kDalee.name || event.control == f.kRezultat.name) {
            frmForma_ButtonClick(app, event.control);
            return true;
        }
        for (const auto& menu : f.menus()) {
            for (size_t i = 1; i < menu.size(); ++i) {
                if (menu[i]->name == event.control) {
                    frmForma_MenuClick(app, event.control);
                    return true;
                }
            }
        }
    }
    return true;
}

void frmForma_MenuClick(App& app, const QString& item)
{
    FrmForma& f = app.frmForma;
    if (item == f.FileExit.name) {
        f.closeRequested = true;
    } else if (item == f.FileNameTest.name) {
        FileNameTest_Click(app);
    } else if (item == f.FileOpen.name) {
        OpenFile(app);
    } else if (item == f.FileSave.name) {
        SaveTestDialog(app);
    } else if (item == f.FileSaveAs.name) {
        SaveTestDialogAs(app);
    } else if (item == f.EditAddTest.name) {
        OpenFileToAdd(app);
    } else if (item == f.FileObnovit.name) {
        LoadHtml(f.usrWeb1, app.st.MainHtml);
    } else if (item == f.HelpOptions.name) {
        OpenEmblema(app);
    } else if (item == f.HelpAbout.name) {
        app.frmOprog.closeRequested = false;
        app.platform.showModal(WindowId::Oprog);
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

void Form_Resize(App& app)
{
    if (!app.frmForma.minimized)
        ResizeForma(app);
}

void ResizeForma(App& app)
{
    FrmForma& f = app.frmForma;
    // A window shrunk below the button band keeps working with empty controls.
    f.usrWeb1.left = 0;
    f.usrWeb1.top = 31;
    f.usrWeb1.width = std::max(0, f.clientWidth);
    f.usrWeb1.height = std::max(0, f.clientHeight - 31);
    const int w = std::max(0, f.clientWidth - 16);
    f.picVopros.width = w;
    for (Control& box : f.picOtvety)
        box.width = w;
    f.Txt.width = w;
}
