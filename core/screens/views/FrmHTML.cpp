#include "screens/views/FrmHTML.h"

#include "ground/App.h"
#include "ground/windows/HtmlView.h"

void ShowHtmlWindow(App& app)
{
    frmHTML_Load(app);
    app.platform.showModal(WindowId::Html);
    frmHTML_Unload(app);
}

void frmHTML_Load(App& app)
{
    FrmHTML& w = app.frmHTML;
    const FrmForma& main = app.frmForma;
    // Every opening is a new window: an empty view, the menu shown, no title.
    w.caption.clear();
    w.File.visible = true;
    w.usrWebHtml1.text.clear();
    w.usrWebHtml1.url.clear();
    w.closeRequested = false;
    switch (app.st.list.Mode) {
    case HtmlWindowMode::PeopleList:
        w.caption = main.FileListLudey[app.st.people.ListWomen ? 1 : 0].text;
        break;
    case HtmlWindowMode::PairSearch:
        w.caption = QStringLiteral("Поиск пары");
        break;
    case HtmlWindowMode::NameSearch:
        w.caption = QStringLiteral("Поиск");
        break;
    case HtmlWindowMode::Help:
        w.caption = main.Help.text;
        w.File.visible = false;
        break;
    case HtmlWindowMode::WholeTest:
        w.caption = main.EditShowAllTest.text;
        break;
    case HtmlWindowMode::Journal:
        w.caption = main.KartotekaZhurnal.text;
        break;
    case HtmlWindowMode::Retention:
        w.caption = main.KartotekaIstek.text;
        break;
    case HtmlWindowMode::Reminders:
        w.caption = main.KartotekaNapominaniya.text;
        break;
    case HtmlWindowMode::Statistics:
        w.caption = main.KartotekaStatistika.text;
        break;
    case HtmlWindowMode::Evening:
        w.caption = main.KartotekaVecher.text;
        break;
    default:
        break;
    }
    w.Timer1.enabled = true;
    w.visible = true;
}

void frmHTML_MenuClick(App& app, const QString& item)
{
    if (item == QLatin1String("FileObnovit"))
        LoadHtml(app.frmHTML.usrWebHtml1, app.st.list.ListHtml);
    else if (item == QLatin1String("FileExit"))
        app.frmHTML.closeRequested = true;
}

void frmHTML_Unload(App& app)
{
    AppState& st = app.st;
    st.people.PeopleLast = -1;
    st.people.People = {PersonEntry{}};
    st.people.PeopleOrder = {0};
    st.pairs.PairsLast = -1;
    st.pairs.Pairs = {PairEntry{}};
    st.pairs.PairOrder = {0};
    app.frmHTML.Timer1.enabled = false;
    app.frmHTML.visible = false;
    app.frmHTML.closeRequested = false;
}

bool frmHTML_Event(App& app, const UiEvent& event)
{
    if (event.type == UiEvent::Click)
        frmHTML_MenuClick(app, event.control);
    return true;
}
