#include "shell/ListCommands.h"

#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/windows/HtmlView.h"
#include "screens/matching/Evening.h"
#include "screens/matching/PairPages.h"
#include "screens/people/CardDesk.h"
#include "screens/people/CardPage.h"
#include "screens/people/DeskPages.h"
#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "screens/records/Retention.h"

#include <algorithm>
#include <optional>

namespace {

struct LinkCommand {
    QString code;  // one letter
    int number = 0;
};

// The command letter is character 12 of the link; its number runs from
// character 13 up to the dot that starts the suffix.
std::optional<LinkCommand> parseLink(const QString& link)
{
    const qsizetype prefix = kCommandPrefix.size();
    if (link.size() <= prefix)
        return std::nullopt;
    LinkCommand cmd;
    cmd.code = link.mid(prefix, 1);
    const qsizetype dot = link.lastIndexOf(QLatin1Char('.'));
    const QString digits = dot > prefix ? link.mid(prefix + 1, dot - prefix - 1) : QString();
    qsizetype i = 0;
    long long value = 0;
    while (i < digits.size() && digits[i].isDigit() && digits[i].unicode() < 128 && value <= 1000000000) {
        value = value * 10 + (digits[i].unicode() - '0');
        ++i;
    }
    cmd.number = static_cast<int>(std::min<long long>(value, 2000000000));
    return cmd;
}

// Opens the person at rank r of the list into card slot 1.
bool openFromList(App& app, int rank)
{
    AppState& st = app.st;
    // Only ranks that a page can show; a stale or made-up link opens nothing.
    if (rank < 0 || rank > st.people.PeopleLast || rank >= st.people.PeopleOrder.size())
        return false;
    st.people.CurrentPerson = st.people.PeopleOrder[rank];
    st.people.CardFromReminders = false;
    return OpenKartochka(app, st.people.People[st.people.CurrentPerson].FileName, 1) == CardOpen::Opened;
}

void startPairSearch(App& app)
{
    app.st.list.Mode = HtmlWindowMode::PairSearch;
    app.st.pairs.Operator = true;
    app.st.pairs.PairsFile = app.st.CardFields[1].FileName;
    ListLudeyStart(app);
    PoiskPary(app);
}

}  // namespace

void frmHTML_Timer(App& app)
{
    FrmHTML& w = app.frmHTML;
    if (!w.Timer1.enabled)
        return;
    w.Timer1.enabled = false;
    switch (app.st.list.Mode) {
    case HtmlWindowMode::PeopleList:
        ListLudeyStart(app);
        ListLudeyLoad(app);
        break;
    case HtmlWindowMode::PairSearch:
        PoiskPary(app);
        break;
    case HtmlWindowMode::NameSearch:
        ListLudeyStart(app);
        FoundLudey(app);
        break;
    case HtmlWindowMode::Help:
        LoadFile(w.usrWebHtml1, app.st.folders.AppFolder + QStringLiteral("Help.htm"));
        break;
    case HtmlWindowMode::WholeTest:
    case HtmlWindowMode::Journal:
    case HtmlWindowMode::Reminders:
    case HtmlWindowMode::Statistics:
    case HtmlWindowMode::Evening:
        LoadHtml(w.usrWebHtml1, app.st.list.ListHtml);
        break;
    case HtmlWindowMode::Retention:
        RetentionLoad(app);
        break;
    default:
        break;
    }
}

void VyborKartochki(App& app, const QString& link)
{
    const auto cmd = parseLink(link);
    if (!cmd)
        return;
    AppState& st = app.st;
    const QString& c = cmd->code;
    switch (st.list.Mode) {
    case HtmlWindowMode::PeopleList:
        if (c == QLatin1String("s")) {
            ShowStranicyP(app);
        } else if (c == QLatin1String("c")) {
            const int pages = st.people.PeopleLast >= 0 ? st.people.PeopleLast / 25 + 1 : 0;
            if (cmd->number >= 1 && cmd->number <= pages) {
                st.people.PeoplePage = cmd->number - 1;
                ShowStranicy(app);
            }
        } else if (c == QLatin1String("p")) {
            if (openFromList(app, cmd->number))
                startPairSearch(app);
        } else if (c == QLatin1String("v") || c == QLatin1String("a") || c == QLatin1String("x")) {
            // Only from a page that offers them: a folder without the desk has none.
            if (PageCarries(app.frmHTML.usrWebHtml1, link))
                (c == QLatin1String("v") ? ToggleEveryone : c == QLatin1String("a") ? AskAgeRange : ClearAgeRange)(app);
        } else {
            if (openFromList(app, cmd->number))
                ShowKartochka(app);
        }
        break;
    case HtmlWindowMode::CardPage:
        if (c == QLatin1String("i"))
            ChangeKartochka(app);
        else if (c == QLatin1String("d"))
            DeleteKartochka(app);
        else if (c == QLatin1String("p"))
            startPairSearch(app);
        else if (c == QLatin1String("n"))
            ShowCardOrigin(app);
        // The consent's commands act only from a page that offers them: a
        // test without a consent text has none.
        else if (!PageCarries(app.frmHTML.usrWebHtml1, link))
            break;
        else if (c == QLatin1String("f"))
            ConsentFormKartochka(app);
        else if (c == QLatin1String("e"))
            ExportKartochka(app);
        else if (c == QLatin1String("u"))
            EraseKartochka(app, false);
        else if (c == QLatin1String("o"))
            EraseKartochka(app, true);
        else if (c == QLatin1String("s"))
            SetStatusKartochka(app, cmd->number);
        else if (c == QLatin1String("z"))
            AddNoteKartochka(app);
        else if (c == QLatin1String("r"))
            RemindKartochka(app);
        else if (c == QLatin1String("m") || c == QLatin1String("x") || c == QLatin1String("a"))
            SetOutcomeKartochka(app, cmd->number, c.at(0));
        else if (c == QLatin1String("v"))
            NeverOfferKartochka(app, cmd->number);
        break;
    case HtmlWindowMode::PairSearch:
        VyborPary(app, c, cmd->number);
        break;
    case HtmlWindowMode::Retention:
        VyborSroka(app, c, cmd->number);
        break;
    case HtmlWindowMode::Reminders:
        if (c == QLatin1String("r"))
            OpenReminder(app, cmd->number);
        break;
    case HtmlWindowMode::Evening:
        // Only what the page shown offers.
        if (PageCarries(app.frmHTML.usrWebHtml1, link))
            EveningCommand(app, c, cmd->number);
        break;
    default:
        break;
    }
}

void ListViewLink(App& app, int page, const QString& link)
{
    // A card page of another person, still on screen for a moment after the
    // program moved on, commands nothing.
    if (IsShownPage(app.frmHTML.usrWebHtml1, page))
        VyborKartochki(app, link);
}
