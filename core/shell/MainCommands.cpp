#include "shell/MainCommands.h"
#include "screens/views/FrmHTML.h"

#include "screens/document/FileCommands.h"
#include "screens/document/ConsentText.h"
#include "screens/editor/FrmParam.h"
#include "screens/editor/Editor.h"
#include "screens/editor/FrmLoadVopros.h"
#include "screens/editor/FrmVesa.h"
#include "screens/editor/Markup.h"
#include "screens/editor/QuestionList.h"
#include "screens/document/FrmPassW.h"
#include "screens/matching/Evening.h"
#include "screens/people/DeskPages.h"
#include "screens/people/FrmFound.h"
#include "screens/people/FrmKartochka.h"
#include "screens/people/PeopleList.h"
#include "screens/records/Records.h"
#include "screens/records/Retention.h"
#include "ground/App.h"
#include "shell/Startup.h"
#include "screens/taking/TestFlow.h"
#include "screens/taking/WholeTest.h"
#include "shell/VyborOtveta.h"
#include "ground/windows/HtmlView.h"
#include "screens/views/Splash.h"

#include <algorithm>

bool frmForma_Event(App& app, const UiEvent& event)
{
    FrmForma& f = app.frmForma;
    // Enter in any box of the window answers as the default button.
    if (event.type == UiEvent::KeyDown && (event.key == Qt::Key_Return || event.key == Qt::Key_Enter) &&
        !event.ctrl && !event.alt && !f.defaultButton.isEmpty() && event.control != f.Nazad.name &&
        event.control != f.kDalee.name && event.control != f.kRezultat.name && event.control != f.usrWeb1.name) {
        frmForma_ButtonClick(app, f.defaultButton);
        return false;
    }
    bool handled = false;
    const bool answer = Editor_Event(app, event, handled);
    if (handled)
        return answer;
    if (event.type == UiEvent::Click) {
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
    // The items of "Правка" act only while the menu is available, whatever
    // route (a shortcut) the click took.
    if (EditMenuItem(app, item)) {
        if (f.Edit.enabled)
            EditMenuClick(app, item);
        return;
    }
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
    } else if (item == f.FileNew.name) {
        FileNew_Click(app);
    } else if (item == f.FileProsmotr.name) {
        if (f.FileProsmotr.enabled)
            Prosmotr(app, f.FileProsmotr.checked);
    } else if (item == f.FileObnovit.name) {
        LoadHtml(f.usrWeb1, app.st.main.MainHtml);
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
        app.st.list.Mode = HtmlWindowMode::Help;
        ShowHtmlWindow(app);
    } else if (item == QLatin1String("FileKartochka")) {
        FileKartochka_Click(app);
    } else if (item == QLatin1String("FileSnachala")) {
        FileSnachala_Click(app);
    } else if (item == f.KartotekaKopiya.name) {
        KartotekaKopiya_Click(app);
    } else if (item == f.KartotekaVosstanovit.name) {
        KartotekaVosstanovit_Click(app);
    } else if (item == f.KartotekaZhurnal.name) {
        KartotekaZhurnal_Click(app);
    } else if (item == f.KartotekaNapominaniya.name) {
        const QString folder = OpenTestFolder(app, QStringLiteral("Напоминания ведутся для папки открытого теста."));
        if (!folder.isEmpty())
            ShowReminders(app, folder);
    } else if (item == f.KartotekaStatistika.name) {
        const QString folder = OpenTestFolder(app, QStringLiteral("Статистика считается по папке открытого теста."));
        if (!folder.isEmpty())
            ShowStatistics(app, folder);
    } else if (item == f.KartotekaStol.name) {
        const QString folder = OpenTestFolder(app, QStringLiteral("Рабочий стол оператора ведётся для папки открытого теста."));
        if (!folder.isEmpty())
            StartOperatorDesk(app, folder);
    } else if (item == f.KartotekaVecher.name) {
        const QString folder = OpenTestFolder(app, QStringLiteral("Вечер знакомств собирается из папки открытого теста."));
        if (!folder.isEmpty())
            ShowEvening(app, folder);
    } else if (item == f.KartotekaAvto.name) {
        KartotekaAvto_Click(app);
    } else if (item == f.KartotekaSoglasie.name) {
        KartotekaSoglasie_Click(app);
    } else if (item == f.KartotekaSrok.name) {
        KartotekaSrok_Click(app);
    } else if (item == f.KartotekaIstek.name) {
        KartotekaIstek_Click(app);
    }
}

bool EditMenuItem(const App& app, const QString& item)
{
    const auto menus = app.frmForma.menus();
    for (size_t i = 1; i < menus[1].size(); ++i) {
        if (menus[1][i]->name == item)
            return true;
    }
    return false;
}

void EditMenuClick(App& app, const QString& item)
{
    FrmForma& f = app.frmForma;
    if (item == f.EditAddTest.name) {
        OpenFileToAdd(app);
    } else if (item == f.EditParametry.name) {
        EditParametry_Click(app);
    } else if (item == f.EditFoundNoEnd.name) {
        EditFoundNoEnd_Click(app);
    } else if (item == f.EditSelectVopros.name) {
        EditSelectVopros_Click(app);
    } else if (item == f.EditPasteVopros.name) {
        VstavitVopros(app);
    } else if (item == f.EditDeleteVopros.name) {
        if (f.EditDeleteVopros.enabled)
            DeleteVopros(app);
    } else if (item == f.EditVesa.name) {
        EditVesa_Click(app);
    } else if (item == f.EditShowAllTest.name) {
        EditShowAllTest_Click(app);
    } else if (item == f.EditLoadVopros[0].name) {
        EditLoadVopros_Click(app, 0);
    } else if (item == f.EditLoadVopros[1].name) {
        EditLoadVopros_Click(app, 1);
    } else if (MarkupMenuItem(item)) {
        MarkupMenuClick(app, MarkupTarget::MainTxt, item);
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

void OpeningSize(FrmForma& f, int freeWidth, int freeHeight)
{
    constexpr int share = 4;
    constexpr int of = 5;
    f.clientWidth = std::max(FrmForma::DesignWidth, freeWidth * share / of);
    f.clientHeight = std::max(FrmForma::DesignHeight, freeHeight * share / of);
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
