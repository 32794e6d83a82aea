#include "screens/people/PeopleList.h"

#include "ground/TextFile.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "ground/App.h"
#include "screens/views/FrmHTML.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"

#include <QCollator>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <vector>

namespace {

constexpr int kRowsPerPage = 25;

QString listCaption(const App& app)
{
    return app.frmForma.FileListLudey[app.st.people.ListWomen ? 1 : 0].text;
}

QString anchor(const QString& code, const QString& text)
{
    return QStringLiteral("<a class='lnk' href='") + Command(code) + QStringLiteral("'>") + text +
           QStringLiteral("</a>");
}

}  // namespace

void FileListLudey_Click(App& app, int index)
{
    app.st.list.Mode = HtmlWindowMode::PeopleList;
    app.st.people.ListWomen = index != 0;
    ShowHtmlWindow(app);
}

void ListLudeyStart(App& app)
{
    app.st.list.ListHtml =
        QStringLiteral("<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>"
                       "<body topmargin=0><center><font size='5'>") +
        QStringLiteral("Загрузка данных...</font></center></body></html>");
    LoadHtml(app.frmHTML.usrWebHtml1, app.st.list.ListHtml);
    app.platform.processEvents();
}

void ScanPeople(App& app, const std::function<bool(const QString& name)>& accept)
{
    AppState& st = app.st;
    const int currentYear = app.platform.now().date().year();
    const QString extension = st.people.ListWomen ? kWomenExtension : kMenExtension;

    st.people.PeopleLast = -1;
    st.people.People.clear();
    const QStringList files = PersonFiles(st.folders.WorkFolder, extension);
    const QByteArray folder = textfile::pathBytes(st.folders.WorkFolder);
    // The desk is read once per scan, not once per person.
    const auto store = store::Open(st.folders.WorkFolder);
    const desk::Everyone everyone = desk::ReadEveryone(*store);
    st.people.StatusUsed = everyone.statusUsed || everyone.startedOn;
    const bool ageFiltered = st.people.AgeFrom || st.people.AgeTo;
    HeadLines lines;
    int counted = 0;
    for (const QString& fileName : files) {
        // A scan of a large folder takes a while: the windows keep painting.
        if (++counted % 64 == 0)
            app.platform.keepPainting();
        // Only the first four lines matter here: marker, name, year, details.
        if (!lines.read(folder + textfile::pathBytes(fileName), 4) || lines.size() == 0 || lines[0] != kCardMarker)
            continue;
        PersonEntry entry;
        if (st.people.StatusUsed) {
            const desk::Status status = everyone.statusOf(fileName);
            if (!st.people.ShowEveryone && status != desk::Status::Active && status != desk::Status::Paused)
                continue;
            entry.Status = desk::StatusText(status);
        }
        if (lines.size() > 1)
            entry.NameFamiliya = textfile::shownText(lines[1]);
        if (accept && !accept(entry.NameFamiliya))
            continue;
        if (lines.size() > 2)
            entry.Vozrast = textfile::ageText(currentYear, textfile::parseNumber(lines[2]));
        if (ageFiltered) {
            // An unknown age is outside any range asked for.
            bool known = false;
            const int age = entry.Vozrast.trimmed().toInt(&known);
            if (!known || (st.people.AgeFrom && age < *st.people.AgeFrom) || (st.people.AgeTo && age > *st.people.AgeTo))
                continue;
        }
        if (lines.size() > 3) {
            if (auto details = textfile::parseNumber(lines[3]))
                entry.Podrobnee = *details;
        }
        entry.FileName = fileName;
        st.people.People.append(entry);
        ++st.people.PeopleLast;
    }

    if (st.people.PeopleLast < 0) {
        st.people.People = {PersonEntry{}};
        st.people.PeopleOrder = {0};
        return;
    }
    // Alphabetical without regard to case; equal names keep the order of the
    // text of their scan numbers, so 10 and 11 come before 2. The collation
    // keys are made once per name, not once per comparison.
    QCollator collator{QLocale(QLocale::Russian)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(st.people.PeopleLast + 1));
    for (int k = 0; k <= st.people.PeopleLast; ++k)
        keys.push_back(collator.sortKey(st.people.People[k].NameFamiliya));
    QList<int> order(st.people.PeopleLast + 1);
    for (int k = 0; k <= st.people.PeopleLast; ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [&keys](int a, int b) {
        const int byName = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
        if (byName != 0)
            return byName < 0;
        return ScanNumberTextLess(a, b);
    });
    st.people.PeopleOrder = order;
}

void ListLudeyLoad(App& app)
{
    ScanPeople(app, {});
    app.st.people.PeoplePage = 0;
    ShowStranicy(app);
}

void ShowStranicy(App& app)
{
    AppState& st = app.st;
    const QString cell = QStringLiteral("</b></td><td align='center'><b>");
    st.list.Mode = HtmlWindowMode::PeopleList;

    QString html = QStringLiteral(
        "<html><style type='text/css'>.lnk{color:blue; font-family:Times New Roman; text-decoration:none; } "
        "a:hover{color:red}</style><head><meta http-equiv='Content-Type' content='text/html; "
        "charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 link='blue' "
        "vlink='blue'><center><font size='5'>");
    if (st.pairs.PairsLast >= 0) {
        html += anchor(QStringLiteral("s"),
                       QStringLiteral("Список ") +
                           (st.people.ListWomen ? QStringLiteral("невесты: ") : QStringLiteral("жениха: ")) +
                           HtmlText(st.pairs.PairsName)) +
                QStringLiteral("<br>");
    }
    html += listCaption(app) + QStringLiteral(" (всего:") + SignedNumber(st.people.PeopleLast + 1) +
            QStringLiteral(")</font>");
    // The desk's lines appear once the folder uses statuses (or the desk was
    // started in it) or a range is set.
    const PeopleListState& people = st.people;
    if (people.StatusUsed)
        html += QStringLiteral("<br><font size='3'>") +
                anchor(QStringLiteral("v"), people.ShowEveryone ? QStringLiteral("Только активные и на паузе")
                                                                : QStringLiteral("Показать всех")) +
                QStringLiteral(" &nbsp; ") + anchor(QStringLiteral("a"), QStringLiteral("Возраст от … до …")) +
                QStringLiteral("</font>");
    if (people.AgeFrom || people.AgeTo)
        html += QStringLiteral("<br><font size='3'>Возраст") +
                (people.AgeFrom ? QStringLiteral(" от ") + QString::number(*people.AgeFrom) : QString()) +
                (people.AgeTo ? QStringLiteral(" до ") + QString::number(*people.AgeTo) : QString()) +
                QStringLiteral(" &nbsp; ") + anchor(QStringLiteral("x"), QStringLiteral("Сбросить")) +
                QStringLiteral("</font>");

    if (st.people.PeopleLast >= 0) {
        html += QStringLiteral("<br><table bgcolor='#C0C0C0'><tr bgcolor='#E5E5E5'><td align='center'><b>") +
                QStringLiteral("№") + cell + QStringLiteral("Имя и фамилия") + cell + QStringLiteral("Возраст") +
                cell + QStringLiteral("Подробности") + (people.StatusUsed ? cell + QStringLiteral("Статус") : QString()) +
                cell + QStringLiteral("</b></td></tr>");
        const int last = std::min(kRowsPerPage * st.people.PeoplePage + kRowsPerPage - 1, st.people.PeopleLast);
        for (int r = kRowsPerPage * st.people.PeoplePage; r <= last; ++r) {
            const PersonEntry& e = st.people.People[st.people.PeopleOrder[r]];
            html += QStringLiteral("<tr bgcolor='white'><td align='center'><b>") + SignedNumber(r + 1) + cell +
                    anchor(QStringLiteral("l") + QString::number(r), HtmlText(e.NameFamiliya)) + cell +
                    HtmlText(e.Vozrast) + cell +
                    (e.Podrobnee == 1 ? QStringLiteral("Есть") : QStringLiteral("Нет")) + cell +
                    (people.StatusUsed ? HtmlText(e.Status) + cell : QString()) +
                    anchor(QStringLiteral("p") + QString::number(r), QStringLiteral("Поиск пары")) +
                    QStringLiteral("</b></td></tr>");
        }
        html += QStringLiteral("</table>");
    }

    const int pages = st.people.PeopleLast >= 0 ? st.people.PeopleLast / kRowsPerPage + 1 : 0;
    if (pages > 1) {
        html += QStringLiteral("<br><font size='5'>");
        for (int q = 1; q <= pages; ++q) {
            html += q == st.people.PeoplePage + 1 ? QString::number(q)
                                           : anchor(QStringLiteral("c") + QString::number(q), QString::number(q));
            html += QStringLiteral(" &nbsp;&nbsp;");
        }
        html += QStringLiteral("</font><br><br>");
    }
    html += QStringLiteral("</center></body></html>");

    st.list.ListHtml = html;
    LoadHtml(app.frmHTML.usrWebHtml1, st.list.ListHtml);
}

void ToggleEveryone(App& app)
{
    app.st.people.ShowEveryone = !app.st.people.ShowEveryone;
    ListLudeyLoad(app);
}

void AskAgeRange(App& app)
{
    PeopleListState& people = app.st.people;
    const std::optional<int> from = app.platform.numberDialog(QStringLiteral("Возраст"), QStringLiteral("Возраст от:"),
                                                              people.AgeFrom.value_or(18), 0, 150);
    if (!from)
        return;
    const std::optional<int> to = app.platform.numberDialog(QStringLiteral("Возраст"), QStringLiteral("Возраст до:"),
                                                            std::max(*from, people.AgeTo.value_or(99)), *from, 150);
    if (!to)
        return;
    people.AgeFrom = from;
    people.AgeTo = to;
    ListLudeyLoad(app);
}

void ClearAgeRange(App& app)
{
    app.st.people.AgeFrom.reset();
    app.st.people.AgeTo.reset();
    ListLudeyLoad(app);
}
