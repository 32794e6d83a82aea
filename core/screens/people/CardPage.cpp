#include "screens/people/CardPage.h"

#include "ground/FolderWrite.h"
#include "screens/document/FrmPassW.h"
#include "ground/TextFile.h"
#include "screens/matching/PairPages.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "screens/views/FrmHTML.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <optional>
#include <QFileInfo>

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

// The age with a sign position, computed wide: a damaged year may be any
// 32-bit number.
QString SignedAge(int currentYear, int year)
{
    const qint64 age = static_cast<qint64>(currentYear) - year;
    const QString digits = QString::number(age);
    return age >= 0 ? QLatin1Char(' ') + digits : digits;
}

// Opens the person at rank r of the list into card slot 1.
bool openFromList(App& app, int rank)
{
    AppState& st = app.st;
    // Only ranks that a page can show; a stale or made-up link opens nothing.
    if (rank < 0 || rank > st.PeopleLast || rank >= st.PeopleOrder.size())
        return false;
    st.CurrentPerson = st.PeopleOrder[rank];
    return OpenKartochka(app, st.People[st.CurrentPerson].FileName, 1) == CardOpen::Opened;
}

void startPairSearch(App& app)
{
    app.st.HtmlWindowMode = 2;
    ListLudeyStart(app);
    PoiskPary(app);
}

bool askCardPassword(App& app)
{
    app.st.DialogMode = 2;
    ShowPassW(app);
    return app.st.DialogMode == -1;
}

}  // namespace

void VyborKartochki(App& app, const QString& link)
{
    const auto cmd = parseLink(link);
    if (!cmd)
        return;
    AppState& st = app.st;
    const QString& c = cmd->code;
    switch (st.HtmlWindowMode) {
    case 0:
        if (c == QLatin1String("s")) {
            ShowStranicyP(app);
        } else if (c == QLatin1String("c")) {
            const int pages = st.PeopleLast >= 0 ? st.PeopleLast / 25 + 1 : 0;
            if (cmd->number >= 1 && cmd->number <= pages) {
                st.PeoplePage = cmd->number - 1;
                ShowStranicy(app);
            }
        } else if (c == QLatin1String("p")) {
            if (openFromList(app, cmd->number))
                startPairSearch(app);
        } else {
            if (openFromList(app, cmd->number))
                ShowKartochka(app);
        }
        break;
    case 1:
        if (c == QLatin1String("i"))
            ChangeKartochka(app);
        else if (c == QLatin1String("d"))
            DeleteKartochka(app);
        else if (c == QLatin1String("p"))
            startPairSearch(app);
        else if (c == QLatin1String("n"))
            ShowStranicy(app);
        break;
    case 2:
        VyborPary(app, c, cmd->number);
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

QString CardPageHead()
{
    return QStringLiteral(
        "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
        "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
        "link='blue' vlink='blue'><center><font size='5'>");
}

QString CardPageLink(const QString& code, const QString& text)
{
    return QStringLiteral("<a style='text-decoration: none' href='") + Command(code) + QStringLiteral("'>") + text +
           QStringLiteral("</a>");
}

QString CardPageBody(App& app, const Kartochka& card)
{
    const QString r1 = QStringLiteral("<tr><td><b>");
    const QString r2 = QStringLiteral("</b></td><td>");
    const QString r3 = QStringLiteral("</td></tr>");
    static const std::array<QString, 9> labels{
        QStringLiteral("Рост (м):"), QStringLiteral("Вес (кг):"), QStringLiteral("Цвет волос:"),
        QStringLiteral("Глаза:"),    QStringLiteral("Зодиак:"),   QStringLiteral("О себе:"),
        QStringLiteral("Ищу:"),      QStringLiteral("Адрес:"),    QStringLiteral("Фотография:")};

    QString html = QStringLiteral("<br>Личная карточная</font><table>");
    // Shown cut like the lists: a damaged card may hold megabytes in a line.
    html += r1 + QStringLiteral("Имя и фамилия:") + r2 + HtmlText(textfile::shownText(card.NameFamiliya)) + r3;
    html += r1 + QStringLiteral("Возраст:") + r2 +
            (card.DataRogdeniyaKnown ? SignedAge(app.platform.now().date().year(), card.DataRogdeniya) : QString()) +
            r3;
    // With a photograph the picture itself follows the table instead of its path.
    const QString& photo = card.Podrobnosti[8];
    const size_t rows = photo.isEmpty() ? 9 : 8;
    for (size_t i = 0; i < rows; ++i) {
        const QString& value = card.Podrobnosti[i];
        html += r1 + labels[i] + r2 + (value.isEmpty() ? QStringLiteral("?") : HtmlText(textfile::shownText(value, 10000))) + r3;
    }
    html += QStringLiteral("</font></fd></table>");
    if (!photo.isEmpty())
        html += QStringLiteral("<img border='0' src='") + HtmlText(photo) + QStringLiteral("'>");
    html += QStringLiteral("</center></body></html>");
    return html;
}

void ShowKartochka(App& app)
{
    AppState& st = app.st;
    st.HtmlWindowMode = 1;
    const QString n = QStringLiteral("&nbsp;&nbsp;&nbsp;");
    st.ListHtml = CardPageHead() + CardPageLink(QStringLiteral("i"), QStringLiteral("Изменить")) + n +
                  CardPageLink(QStringLiteral("d"), QStringLiteral("Удалить")) + n +
                  CardPageLink(QStringLiteral("n"), QStringLiteral("Вернуться к списку")) + n +
                  CardPageLink(QStringLiteral("p"), QStringLiteral("Поиск пары")) + CardPageBody(app, st.CardFields[1]);
    LoadHtml(app.frmHTML.usrWebHtml1, st.ListHtml);
    app.frmHTML.usrWebHtml1.files = {st.CardFields[1].Podrobnosti[8]};
}

void ChangeKartochka(App& app)
{
    AppState& st = app.st;
    if (!askCardPassword(app))
        return;
    // The card dialog edits slot 1 and renames the list row itself.
    const Kartochka before = st.CardFields[1];
    const bool hasRow = st.CurrentPerson >= 0 && st.CurrentPerson < st.People.size();
    const PersonEntry rowBefore = hasRow ? st.People[st.CurrentPerson] : PersonEntry{};
    st.DialogMode = 1;
    app.platform.showModal(WindowId::Kartochka);
    if (st.DialogMode != -1)
        return;
    if (!SaveKartochka(app, st.CardFields[1].FileName, 1)) {
        // The save has said why; the page and the list row show what is on
        // disk, not the change that was not written.
        st.CardFields[1] = before;
        if (hasRow)
            st.People[st.CurrentPerson] = rowBefore;
    }
    ShowKartochka(app);
}

void DeleteKartochka(App& app)
{
    AppState& st = app.st;
    if (!askCardPassword(app))
        return;
    const QString path = st.WorkFolder + st.CardFields[1].FileName;
    // Removing a link would leave the card it points to; a folder or a FIFO is
    // no card. Only a plain file is a card that can go.
    if (textfile::holdsOtherThanPlainFile(path)) {
        ShowError(app, QStringLiteral("Файл ") + textfile::readableName(path) + QStringLiteral(" удалить не получилось."));
        return;
    }
    // A file or folder marked read-only keeps its cards, even for a user who
    // could override the mark.
    if (!textfile::markedReadOnly(path))
        textfile::removeFile(path);
    app.platform.processEvents();
    // Whatever the removal reported, the file's presence decides.
    if (textfile::fileExists(path)) {
        ShowError(app, QStringLiteral("Файл ") + textfile::readableName(path) + QStringLiteral(" удалить не получилось."));
        return;
    }
    ShowNotice(app, QStringLiteral("Файл удален."));
    if (st.CurrentPerson >= 0 && st.CurrentPerson < st.People.size()) {
        st.People[st.CurrentPerson].NameFamiliya = QStringLiteral("Файл удален.");
        st.People[st.CurrentPerson].Podrobnee = 0;
    }
    ShowStranicy(app);
}
