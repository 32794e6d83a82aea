#include "screens/people/FrmFound.h"

#include "ground/TextFile.h"
#include "screens/people/PeopleList.h"
#include "ground/App.h"
#include "ground/FieldText.h"
#include "screens/views/FrmHTML.h"

void FileFoundLudey_Click(App& app)
{
    app.st.Dialog = DialogMode::FindPeople;
    frmFound_Load(app);
    app.platform.showModal(WindowId::Found);
    app.frmFound.visible = false;
    if (app.st.Dialog == DialogMode::FindPeople)
        return;
    app.st.people.ListWomen = app.st.search.SearchWomen;
    app.st.list.Mode = HtmlWindowMode::NameSearch;
    ShowHtmlWindow(app);
}

void frmFound_Load(App& app)
{
    FrmFound& w = app.frmFound;
    w.caption = QStringLiteral("Поиск");
    w.txtNameFamiliya.text = app.st.search.SearchName;
    w.txtNameFamiliya.selStart = 0;
    w.txtNameFamiliya.selLength = static_cast<int>(app.st.search.SearchName.size());
    w.selPol[0].checked = !app.st.search.SearchWomen;
    w.selPol[1].checked = app.st.search.SearchWomen;
    w.kFound.enabled = !w.txtNameFamiliya.text.isEmpty();
    w.defaultButton = w.kFound.name;
    w.cancelButton = w.NO.name;
    w.focus = w.txtNameFamiliya.name;
    w.closeRequested = false;
    w.visible = true;
}

void frmFound_TextChange(App& app)
{
    FrmFound& w = app.frmFound;
    w.kFound.enabled = !w.txtNameFamiliya.text.isEmpty();
}

void frmFound_selPol_Click(App& app, int index)
{
    FrmFound& w = app.frmFound;
    w.selPol[0].checked = index == 0;
    w.selPol[1].checked = index != 0;
}

void frmFound_kFound_Click(App& app)
{
    FrmFound& w = app.frmFound;
    if (w.txtNameFamiliya.text.isEmpty())
        return;
    app.st.search.SearchName = w.txtNameFamiliya.text;
    app.st.search.SearchWomen = w.selPol[1].checked;
    app.st.Dialog = DialogMode::Confirmed;
    w.visible = false;
    w.closeRequested = true;
}

void frmFound_NO_Click(App& app)
{
    app.frmFound.visible = false;
    app.frmFound.closeRequested = true;
}

void ScanFoundPeople(App& app)
{
    const QString needle = app.st.search.SearchName.toLower();
    ScanPeople(app, [&needle](const QString& name) { return name.toLower().contains(needle); });
}

void FoundLudey(App& app)
{
    app.st.list.Mode = HtmlWindowMode::PeopleList;
    ScanFoundPeople(app);
    app.st.people.PeoplePage = 0;
    ShowStranicy(app);
}

bool frmFound_Event(App& app, const UiEvent& event)
{
    FrmFound& w = app.frmFound;
    // Names in person files are Windows-1251: a character they cannot hold
    // would never be found.
    if (event.type == UiEvent::KeyPress && !FieldTakesKey(app, event, FieldKind::Plain))
        return false;
    if (event.type == UiEvent::Change && event.control == w.txtNameFamiliya.name) {
        ApplyFieldRule(app, w.txtNameFamiliya, FieldKind::Plain);
        frmFound_TextChange(app);
    } else if (event.type == UiEvent::Click) {
        if (event.control == w.selPol[0].name)
            frmFound_selPol_Click(app, 0);
        else if (event.control == w.selPol[1].name)
            frmFound_selPol_Click(app, 1);
        else if (event.control == w.kFound.name)
            frmFound_kFound_Click(app);
        else if (event.control == w.NO.name)
            frmFound_NO_Click(app);
    }
    return true;
}
