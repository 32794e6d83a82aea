#include "screens/matching/PairPages.h"

#include "ground/TextFile.h"
#include "engines/PairSearch.h"
#include "screens/people/CardPage.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "screens/views/FrmHTML.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"
#include "screens/document/FrmPassW.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/Weights.h"

#include <array>

namespace {

constexpr int kRowsPerPage = 25;

// "Невеста: Анна" or "Жених: Иван": the person the ranking was made for.
QString ReferenceLine(const App& app)
{
    return (app.st.pairs.PairsPol != 0 ? QStringLiteral("Невеста: ") : QStringLiteral("Жених: ")) + app.st.pairs.PairsName;
}

// Ranks the other sex for the reference kept in the pair state: only active
// people, never those marked "Больше не предлагать" for it, and, with the
// switch on, only those who fit both ways.
void RankReference(App& app)
{
    AppState& st = app.st;
    PairListState& pairs = st.pairs;
    const auto store = store::Open(st.folders.WorkFolder);
    const desk::Everyone everyone = desk::ReadEveryone(*store);
    RankFilter filter;
    filter.everyone = &everyone;
    filter.mutual = pairs.Mutual && everyone.seekingUsed;
    bool histories = false;
    if (!pairs.PairsFile.isEmpty()) {
        for (auto [other, history] : desk::ReadPairsOf(*store, pairs.PairsFile).asKeyValueRange()) {
            histories = true;
            if (history.never)
                filter.never.insert(other);
        }
    }
    const PairRanking ranking = RankPairs(st.folders.WorkFolder, pairs.PairsCard, app.platform.now().date().year(),
                                          [&app] { app.platform.keepPainting(); }, filter, weights::TableOf(st.test));
    pairs.Weighted = ranking.weighted;
    pairs.SeekingUsed = everyone.seekingUsed;
    pairs.DeskUsed = everyone.seekingUsed || everyone.statusUsed || everyone.startedOn || histories;
    pairs.LeftOut = ranking.leftOut;
    pairs.PairsLast = static_cast<int>(ranking.pairs.size()) - 1;
    if (pairs.PairsLast < 0) {
        pairs.Pairs = {PairEntry{}};
        pairs.PairOrder = {0};
    } else {
        pairs.Pairs = ranking.pairs;
        pairs.PairOrder = ranking.order;
    }
}

QString SwitchLine(const PairListState& pairs)
{
    if (!pairs.SeekingUsed)
        return {};
    QString line = QStringLiteral("<br><font size='3'>") +
                   CardPageLink(QStringLiteral("m"), QStringLiteral("Только взаимно подходящие")) +
                   (pairs.Mutual ? QStringLiteral(": включено") : QStringLiteral(": выключено"));
    if (pairs.Mutual)
        line += QStringLiteral("<br>Не подходят взаимно: ") + QString::number(pairs.LeftOut);
    return line + QStringLiteral("</font>");
}

// Introductions are the operator's: offered on rankings made from the lists
// once the folder uses the desk.
bool OffersIntroductions(const PairListState& pairs)
{
    return pairs.Operator && pairs.DeskUsed && !pairs.PairsFile.isEmpty();
}

// "Познакомить" on rank r: behind the reference card's password.
void Introduce(App& app, int rank)
{
    AppState& st = app.st;
    PairListState& pairs = st.pairs;
    if (!OffersIntroductions(pairs) || rank < 0 || rank > pairs.PairsLast)
        return;
    const PairEntry& e = pairs.Pairs[pairs.PairOrder[rank]];
    // The password dialog guards card slot 1: it must hold the reference.
    if (st.CardFields[1].FileName != pairs.PairsFile &&
        OpenKartochka(app, pairs.PairsFile, 1) != CardOpen::Opened)
        return;
    st.Dialog = DialogMode::CardPassword;
    ShowPassW(app);
    if (st.Dialog != DialogMode::Confirmed)
        return;
    const auto store = store::Open(st.folders.WorkFolder);
    desk::Introduction introduction;
    introduction.time = app.platform.now();
    introduction.author = store::UserName();
    if (desk::Introduce(*store, pairs.PairsFile, e.FileName, introduction) != store::Result::Ok) {
        ShowError(app, QStringLiteral("Знакомство записать не удалось."));
        return;
    }
    pairs.DeskUsed = true;
    ShowNotice(app, QStringLiteral("Знакомство записано: ") + pairs.PairsName + QStringLiteral(" и ") +
                        textfile::shownText(e.NameFamiliya) + QStringLiteral(", ") +
                        introduction.time.toString(QStringLiteral("dd.MM.yyyy hh:mm")) + QStringLiteral("."));
}

}  // namespace

void PoiskPary(App& app)
{
    AppState& st = app.st;
    st.pairs.PairsCard = st.CardFields[1];
    st.pairs.PairsName = textfile::shownText(st.CardFields[1].NameFamiliya);
    st.pairs.PairsPol = st.CardFields[1].Pol;
    RankReference(app);
    st.pairs.PairsPage = 0;
    ShowStranicyP(app);
}

void PoiskParyEndTest(App& app)
{
    AppState& st = app.st;
    st.list.Mode = HtmlWindowMode::PairSearch;
    const Kartochka& own = st.CardFields[0];
    Kartochka& reference = st.CardFields[1];
    reference.NameFamiliya = own.NameFamiliya;
    reference.Otvety = own.Otvety;
    reference.Pol = own.Pol;
    reference.DataRogdeniya = own.DataRogdeniya;
    reference.DataRogdeniyaKnown = own.DataRogdeniyaKnown;
    reference.Podrobnee = own.Podrobnee;
    reference.Podrobnosti = own.Podrobnosti;
    reference.Parol = st.test.TestPassword;
    st.pairs.PairsFile = own.FileName;
    st.pairs.Operator = false;
    ShowHtmlWindow(app);
}

void ShowStranicyP(App& app)
{
    AppState& st = app.st;
    const QString cell = QStringLiteral("</b></td><td align='center'><b>");
    app.frmHTML.caption = QStringLiteral("Поиск пары. ") + ReferenceLine(app);
    st.list.Mode = HtmlWindowMode::PairSearch;

    QString html = CardPageHead();
    if (st.people.PeopleLast >= 0)
        html += CardPageLink(QStringLiteral("s"), app.frmForma.FileListLudey[st.people.ListWomen ? 1 : 0].text) +
                QStringLiteral("<br>");
    html += HtmlText(ReferenceLine(app)) + QStringLiteral("<br>");
    html += app.frmForma.FileListLudey[st.pairs.PairsPol == 1 ? 0 : 1].text + QStringLiteral(" (всего:") +
            SignedNumber(st.pairs.PairsLast + 1) + QStringLiteral(")</font>") + SwitchLine(st.pairs);
    const bool introductions = OffersIntroductions(st.pairs);

    if (st.pairs.PairsLast >= 0) {
        html += QStringLiteral("<br><table bgcolor='#C0C0C0'><tr bgcolor='#E5E5E5'><td align='center'><b>") +
                QStringLiteral("№") + cell + QStringLiteral("Имя и фамилия") + cell + QStringLiteral("Возраст") +
                cell + (st.pairs.Weighted ? QStringLiteral("Совпадение") + cell + QStringLiteral("Общих вопросов")
                                          : QStringLiteral("Совпадений")) +
                cell + QStringLiteral("Подробности") +
                (introductions ? cell + QStringLiteral("Знакомство") : QString()) + QStringLiteral("</b></td></tr>");
        const int last = std::min(kRowsPerPage * st.pairs.PairsPage + kRowsPerPage - 1, st.pairs.PairsLast);
        for (int r = kRowsPerPage * st.pairs.PairsPage; r <= last; ++r) {
            const PairEntry& e = st.pairs.Pairs[st.pairs.PairOrder[r]];
            html += QStringLiteral("<tr bgcolor='white'><td align='center'><b>") + SignedNumber(r + 1) + cell +
                    HtmlText(e.NameFamiliya) + cell + HtmlText(e.Vozrast) + cell + e.Sovpadeniy +
                    (st.pairs.Weighted ? cell + QString::number(e.SharedQuestions) : QString()) + cell +
                    (e.Podrobnee != 0 ? CardPageLink(QStringLiteral("l") + QString::number(r), QStringLiteral("Посмотреть"))
                                      : QString()) +
                    (introductions ? cell + CardPageLink(QStringLiteral("z") + QString::number(r), QStringLiteral("Познакомить"))
                                   : QString()) +
                    QStringLiteral("</b></td></tr>");
        }
        html += QStringLiteral("</table>");
    }

    const int pages = st.pairs.PairsLast >= 0 ? st.pairs.PairsLast / kRowsPerPage + 1 : 0;
    if (pages > 1) {
        html += QStringLiteral("<br><font size='5'>");
        for (int q = 1; q <= pages; ++q) {
            html += q == st.pairs.PairsPage + 1 ? QString::number(q)
                                          : CardPageLink(QStringLiteral("c") + QString::number(q), QString::number(q));
            html += QStringLiteral(" &nbsp;&nbsp;");
        }
        html += QStringLiteral("</font><br><br>");
    }
    html += QStringLiteral("</center></body></html>");
    st.list.ListHtml = html;
    LoadHtml(app.frmHTML.usrWebHtml1, st.list.ListHtml);
}

void ShowKartochka2(App& app)
{
    AppState& st = app.st;
    st.list.ListHtml = CardPageHead() + CardPageLink(QStringLiteral("n"), QStringLiteral("Вернуться к списку")) +
                  CardPageBody(app, st.CardFields[2]);
    LoadHtml(app.frmHTML.usrWebHtml1, st.list.ListHtml);
    app.frmHTML.usrWebHtml1.files = {st.CardFields[2].Podrobnosti[8]};
}

void VyborPary(App& app, const QString& code, int number)
{
    AppState& st = app.st;
    if (code == QLatin1String("n")) {
        ShowStranicyP(app);
    } else if (code == QLatin1String("s")) {
        ShowStranicy(app);
    } else if (code == QLatin1String("m")) {
        if (st.pairs.SeekingUsed) {
            st.pairs.Mutual = !st.pairs.Mutual;
            RankReference(app);
            st.pairs.PairsPage = 0;
            ShowStranicyP(app);
        }
    } else if (code == QLatin1String("z")) {
        Introduce(app, number);
    } else if (code == QLatin1String("c")) {
        const int pages = st.pairs.PairsLast >= 0 ? st.pairs.PairsLast / kRowsPerPage + 1 : 0;
        if (number >= 1 && number <= pages) {
            st.pairs.PairsPage = number - 1;
            ShowStranicyP(app);
        }
    } else {
        // Only ranks the page can show; a candidate without details has no
        // link, and a made-up one opens nothing.
        if (number < 0 || number > st.pairs.PairsLast || st.pairs.Pairs[st.pairs.PairOrder[number]].Podrobnee == 0)
            return;
        st.pairs.CurrentPair = st.pairs.PairOrder[number];
        if (OpenKartochka(app, st.pairs.Pairs[st.pairs.CurrentPair].FileName, 2) == CardOpen::Opened)
            ShowKartochka2(app);
    }
}
