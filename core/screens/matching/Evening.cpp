#include "screens/matching/Evening.h"

#include "engines/Desk.h"
#include "engines/Weights.h"
#include "engines/FolderStore.h"
#include "engines/PersonData.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "ground/App.h"
#include "ground/HtmlEscape.h"
#include "ground/TextFile.h"
#include "ground/windows/HtmlView.h"
#include "screens/people/CardPage.h"
#include "screens/views/FrmHTML.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kCell = QStringLiteral("</td><td>");

QString head(const QString& title)
{
    return QStringLiteral("<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                          "</head><body leftmargin=5 rightmargin=5 link='blue' vlink='blue'><center><font size='5'>") +
           title + QStringLiteral("</font></center>");
}

QString link(const QString& code, const QString& text)
{
    return QStringLiteral("<a href='") + Command(code) + QStringLiteral("'>") + text + QStringLiteral("</a>");
}

const EveningPerson* personOf(const EveningState& st, const QString& file)
{
    for (const EveningPerson& p : st.People)
        if (p.file == file)
            return &p;
    return nullptr;
}

// A guest's name as typed, escaped; the file's name when the card is gone.
QString nameOf(const EveningState& st, const QString& file)
{
    const EveningPerson* p = personOf(st, file);
    return HtmlText(p && !p->name.isEmpty() ? p->name : textfile::readableName(file));
}

QString title(const EveningState& st)
{
    return QStringLiteral("Вечер знакомств «") + HtmlText(st.Name) + QStringLiteral("»");
}

// The pages of one evening, each a link but the one shown.
QString tabs(EveningPage shown)
{
    const std::pair<EveningPage, QString> pages[] = {
        {EveningPage::Guests, QStringLiteral("Участники")},   {EveningPage::Schedule, QStringLiteral("Расписание")},
        {EveningPage::Ticks, QStringLiteral("Отметки")},      {EveningPage::Results, QStringLiteral("Итоги")},
        {EveningPage::Pairs, QStringLiteral("Составить пары")}};
    QStringList parts;
    for (const auto& [page, text] : pages)
        parts << (page == shown ? QStringLiteral("<b>") + text + QStringLiteral("</b>")
                                : link(QStringLiteral("g") + QString::number(static_cast<int>(page)), text));
    return QStringLiteral("<p align='center'>") + parts.join(QStringLiteral(" | ")) + QStringLiteral("</p>");
}

QString counts(const evening::Evening& e)
{
    return QStringLiteral("<p>Участников: ") + QString::number(e.guests.size()) + QStringLiteral(" (мужчин: ") +
           QString::number(e.men().size()) + QStringLiteral(", женщин: ") + QString::number(e.women().size()) +
           QStringLiteral(").</p>");
}

// The active men, then the active women of the folder, each by name; the
// evening's guests are listed whatever their status.
QList<EveningPerson> scanPeople(const QString& folder, store::FolderStore& store, const evening::Evening& e,
                                const std::function<void()>& tick)
{
    const desk::Everyone everyone = desk::ReadEveryone(store);
    const QByteArray encodedFolder = textfile::pathBytes(folder);
    QList<EveningPerson> all;
    HeadLines lines;
    int counted = 0;
    for (const bool women : {false, true}) {
        QList<EveningPerson> sex;
        for (const QString& file : PersonFiles(folder, women ? kWomenExtension : kMenExtension)) {
            if (tick && ++counted % 256 == 0)
                tick();
            const QByteArray nameBytes = textfile::pathBytes(file);
            if (!lines.read(encodedFolder + nameBytes, 3) || lines.size() < 2 || lines[0] != kCardMarker)
                continue;
            EveningPerson p;
            p.file = file;
            p.name = textfile::shownText(lines[1]);
            p.year = lines.size() > 2 ? textfile::parseNumber(lines[2]).value_or(0) : 0;
            p.active = everyone.statusOf(QByteArrayView(nameBytes)) == desk::Status::Active;
            if (p.active || e.has(file))
                sex.append(p);
        }
        std::stable_sort(sex.begin(), sex.end(), [](const EveningPerson& a, const EveningPerson& b) {
            return QString::localeAwareCompare(a.name, b.name) < 0;
        });
        all += sex;
    }
    return all;
}

// The guests' addresses, from their whole cards.
void readAddresses(EveningState& st, const evening::Evening& e)
{
    for (EveningPerson& p : st.People) {
        if (!e.has(p.file))
            continue;
        Kartochka card;
        if (persondata::ReadCard(st.Folder + p.file, card) == persondata::CardRead::Ok)
            p.address = card.Podrobnosti[7];
    }
}

evening::Evening readEvening(App& app, store::FolderStore& store)
{
    bool failed = false;
    const std::optional<evening::Evening> e = evening::Read(store, app.st.evening.Name, &failed);
    if (failed)
        ShowError(app, QStringLiteral("Вечер знакомств прочитать не возможно."));
    return e.value_or(evening::Evening{});
}

QList<assign::Pair> pairsOf(App& app, const evening::Evening& e, store::FolderStore& store)
{
    const EveningState& st = app.st.evening;
    return assign::PairEveryone(st.Folder, e.men(), e.women(), weights::TableOf(app.st.test), store, st.Mutual,
                                app.platform.now().date().year());
}

QString pageOf(App& app, const evening::Evening& e, store::FolderStore& store)
{
    EveningState& st = app.st.evening;
    switch (st.Page) {
    case EveningPage::Guests:
        return EveningGuestsPage(st, e, evening::Names(store));
    case EveningPage::Schedule:
        return EveningSchedulePage(st, e, false);
    case EveningPage::Ticks:
        return EveningTicksPage(st, e);
    case EveningPage::Results:
        readAddresses(st, e);
        return EveningResultsPage(st, e, false);
    case EveningPage::Pairs:
        return EveningPairsPage(st, e, pairsOf(app, e, store), false);
    }
    return {};
}

void show(App& app, store::FolderStore& store)
{
    const evening::Evening e = readEvening(app, store);
    app.st.evening.ShownGuests = e.guests;
    app.st.list.ListHtml = pageOf(app, e, store);
    LoadHtml(app.frmHTML.usrWebHtml1, app.st.list.ListHtml);
}

void reportChange(App& app, store::Result result, const QString& refused)
{
    switch (result) {
    case store::Result::Ok:
        return;
    case store::Result::Failed:
        ShowError(app, refused);
        return;
    case store::Result::WriteProtected:
        ShowError(app, QStringLiteral("Служебная папка картотеки защищена от записи."));
        return;
    case store::Result::Changed:
        ShowError(app, QStringLiteral("Вечер знакомств всё время меняют с другого места; попробуйте ещё раз."));
        return;
    }
}

// A file name made of the evening's name: what a file name may not hold goes.
QString fileNameOf(const QString& eveningName, const QString& what)
{
    QString name = eveningName;
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    return QStringLiteral("Вечер ") + name + QLatin1Char(' ') + what + QStringLiteral(".pdf");
}

}  // namespace

QString EveningGuestsPage(const EveningState& st, const evening::Evening& e, const QStringList& evenings)
{
    QString page = head(title(st)) + tabs(EveningPage::Guests);
    QStringList others;
    for (qsizetype i = 0; i < evenings.size(); ++i)
        others << (evenings[i] == st.Name ? QStringLiteral("<b>") + HtmlText(evenings[i]) + QStringLiteral("</b>")
                                          : link(QStringLiteral("e") + QString::number(i), HtmlText(evenings[i])));
    page += QStringLiteral("<p>Вечера: ") + (others.isEmpty() ? QStringLiteral("нет") : others.join(QStringLiteral(", "))) +
            QStringLiteral(". ") + link(QStringLiteral("w"), QStringLiteral("Новый вечер…")) + QStringLiteral("</p>");
    page += counts(e) + QStringLiteral("<p>Отметьте участников щелчком по имени.</p>");

    // Each sex page by page, side by side.
    QList<int> men, women;
    for (qsizetype i = 0; i < st.People.size(); ++i)
        (evening::IsWoman(st.People[i].file) ? women : men).append(static_cast<int>(i));
    const qsizetype most = std::max(men.size(), women.size());
    const int pages = static_cast<int>((most + kEveningPeoplePerPage - 1) / kEveningPeoplePerPage);
    const int shown = std::clamp(st.PeoplePage, 0, std::max(0, pages - 1));
    const auto column = [&](const QList<int>& of, const QString& heading) {
        QString html = QStringLiteral("<td valign='top' width='50%'><b>") + heading + QStringLiteral("</b><br>");
        const qsizetype from = static_cast<qsizetype>(shown) * kEveningPeoplePerPage;
        for (qsizetype k = from; k < std::min<qsizetype>(of.size(), from + kEveningPeoplePerPage); ++k) {
            const EveningPerson& p = st.People[of[k]];
            const bool on = e.has(p.file);
            html += link(QStringLiteral("u") + QString::number(of[k]),
                         (on ? QStringLiteral("[x] ") : QStringLiteral("[&nbsp;&nbsp;] ")) + HtmlText(p.name)) +
                    (p.year > 0 ? QStringLiteral(", ") + QString::number(p.year) : QString()) +
                    (p.active ? QString() : QStringLiteral(" (не активен)")) + QStringLiteral("<br>");
        }
        if (of.isEmpty())
            html += QStringLiteral("Нет.");
        return html + QStringLiteral("</td>");
    };
    page += QStringLiteral("<table width='100%' cellpadding=4><tr>") + column(men, QStringLiteral("Мужчины")) +
            column(women, QStringLiteral("Женщины")) + QStringLiteral("</tr></table>");
    if (pages > 1) {
        page += QStringLiteral("<p>Страницы: ");
        for (int n = 0; n < pages; ++n)
            page += (n == shown ? QStringLiteral("<b>") + QString::number(n + 1) + QStringLiteral("</b>")
                                : link(QStringLiteral("c") + QString::number(n), QString::number(n + 1))) +
                    QLatin1Char(' ');
        page += QStringLiteral("</p>");
    }
    return page + QStringLiteral("</body></html>");
}

QString EveningSchedulePage(const EveningState& st, const evening::Evening& e, bool forPaper)
{
    QString page = head(title(st) + QStringLiteral(": расписание"));
    if (!forPaper)
        page += tabs(EveningPage::Schedule);
    const QStringList men = e.men(), women = e.women();
    page += counts(e);
    const QList<evening::Round> rounds = evening::Rotation(static_cast<int>(men.size()), static_cast<int>(women.size()));
    if (rounds.isEmpty())
        return page + QStringLiteral("<p>Встреч нет: нужны и мужчины, и женщины.</p></body></html>");
    page += QStringLiteral("<p>Раундов: ") + QString::number(rounds.size()) + QStringLiteral(", столов: ") +
            QString::number(rounds.first().tables.size()) + QStringLiteral(".");
    if (!forPaper)
        page += QLatin1Char(' ') + link(QStringLiteral("p"), QStringLiteral("Печать расписания (PDF)"));
    page += QStringLiteral("</p>");
    for (qsizetype r = 0; r < rounds.size(); ++r) {
        page += QStringLiteral("<p><b>Раунд ") + QString::number(r + 1) +
                QStringLiteral("</b></p><table border=1 cellspacing=0 cellpadding=3>"
                               "<tr><th>Стол</th><th>Мужчина</th><th>Женщина</th></tr>");
        for (qsizetype t = 0; t < rounds[r].tables.size(); ++t)
            page += QStringLiteral("<tr><td align='center'>") + QString::number(t + 1) + kCell +
                    nameOf(st, men[rounds[r].tables[t].man]) + kCell + nameOf(st, women[rounds[r].tables[t].woman]) +
                    QStringLiteral("</td></tr>");
        page += QStringLiteral("</table>");
        QStringList paused;
        for (const int m : rounds[r].pausedMen)
            paused << nameOf(st, men[m]);
        for (const int w : rounds[r].pausedWomen)
            paused << nameOf(st, women[w]);
        if (!paused.isEmpty())
            page += QStringLiteral("<p>Пауза: ") + paused.join(QStringLiteral(", ")) + QStringLiteral("</p>");
    }
    return page + QStringLiteral("</body></html>");
}

QString EveningTicksPage(const EveningState& st, const evening::Evening& e)
{
    QString page = head(title(st) + QStringLiteral(": отметки")) + tabs(EveningPage::Ticks) + counts(e) +
                   QStringLiteral("<p>Строка: кто отмечает; столбец: кого хотел бы увидеть снова. "
                                  "Щелчок по клетке ставит или снимает отметку.</p>");
    const auto grid = [&](const QStringList& rows, const QStringList& cols, const QString& heading) {
        QString html = QStringLiteral("<h3>") + heading + QStringLiteral("</h3>");
        if (rows.isEmpty() || cols.isEmpty())
            return html + QStringLiteral("<p>Некого отмечать.</p>");
        html += QStringLiteral("<table border=1 cellspacing=0 cellpadding=3><tr><th></th>");
        for (const QString& c : cols)
            html += QStringLiteral("<th>") + nameOf(st, c) + QStringLiteral("</th>");
        html += QStringLiteral("</tr>");
        for (const QString& r : rows) {
            html += QStringLiteral("<tr><th align='left'>") + nameOf(st, r) + QStringLiteral("</th>");
            const int from = static_cast<int>(e.guests.indexOf(r));
            for (const QString& c : cols) {
                const int to = static_cast<int>(e.guests.indexOf(c));
                const bool on = e.ticks.contains({r, c});
                html += QStringLiteral("<td align='center'>") +
                        link(QStringLiteral("k") + QString::number(from * evening::kMaxGuests + to),
                             on ? QStringLiteral("&#10004;") : QStringLiteral("&middot;")) +
                        QStringLiteral("</td>");
            }
            html += QStringLiteral("</tr>");
        }
        return html + QStringLiteral("</table>");
    };
    page += grid(e.men(), e.women(), QStringLiteral("Мужчины отмечают женщин"));
    page += grid(e.women(), e.men(), QStringLiteral("Женщины отмечают мужчин"));
    return page + QStringLiteral("</body></html>");
}

QString EveningResultsPage(const EveningState& st, const evening::Evening& e, bool forPaper)
{
    // On paper each guest has a page of their own, to be handed out, which
    // names the evening.
    QString page = forPaper ? head(QString()) : head(title(st) + QStringLiteral(": итоги"));
    if (!forPaper) {
        page += tabs(EveningPage::Results) + QStringLiteral("<p>Только взаимные отметки. ") +
                link(QStringLiteral("i"), QStringLiteral("Печать итогов (PDF)")) + QStringLiteral("</p>");
    }
    if (e.guests.isEmpty())
        return page + QStringLiteral("<p>Участников нет.</p></body></html>");
    bool first = true;
    for (const QString& guest : e.men() + e.women()) {
        if (forPaper)
            page += QStringLiteral("<p") +
                    (first ? QString() : QStringLiteral(" style='page-break-before: always'")) +
                    QStringLiteral(" align='center'><font size='4'>") + title(st) + QStringLiteral("</font></p>");
        page += QStringLiteral("<h3>") + nameOf(st, guest) + QStringLiteral("</h3>");
        first = false;
        const QStringList mutual = evening::Mutual(e, guest);
        if (mutual.isEmpty()) {
            page += QStringLiteral("<p>Взаимных отметок нет.</p>");
            continue;
        }
        page += QStringLiteral("<p>Взаимные симпатии: ") + QString::number(mutual.size()) +
                QStringLiteral("</p><table border=1 cellspacing=0 cellpadding=3><tr><th>Имя и фамилия</th>"
                               "<th>Адрес:</th></tr>");
        for (const QString& other : mutual) {
            const EveningPerson* p = personOf(st, other);
            const QString address = p ? p->address : QString();
            page += QStringLiteral("<tr><td>") + nameOf(st, other) + kCell +
                    (address.isEmpty() ? QStringLiteral("?") : HtmlText(textfile::shownText(address))) +
                    QStringLiteral("</td></tr>");
        }
        page += QStringLiteral("</table>");
    }
    return page + QStringLiteral("</body></html>");
}

QString EveningPairsPage(const EveningState& st, const evening::Evening& e, const QList<assign::Pair>& pairs,
                         bool forPaper)
{
    QString page = head(title(st) + QStringLiteral(": пары"));
    if (!forPaper) {
        page += tabs(EveningPage::Pairs) +
                QStringLiteral("<p>Каждый мужчина с одной женщиной, так чтобы пары вместе подходили лучше всего. ") +
                link(QStringLiteral("m"), (st.Mutual ? QStringLiteral("[x] ") : QStringLiteral("[&nbsp;&nbsp;] ")) +
                                              QStringLiteral("Только взаимно подходящие")) +
                QStringLiteral(". ") + link(QStringLiteral("a"), QStringLiteral("Печать пар (PDF)")) + QStringLiteral("</p>");
    } else if (st.Mutual) {
        page += QStringLiteral("<p>Только взаимно подходящие.</p>");
    }
    if (pairs.isEmpty()) {
        page += QStringLiteral("<p>Пар нет.</p>");
    } else {
        // Narrow columns for the figures, so that names keep one line on paper.
        page += QStringLiteral("<p>% — совпадение ответов; вопр. — вопросов, на которые ответили оба.</p>"
                               "<table border=1 cellspacing=0 cellpadding=3 width='100%'><tr><th>№</th><th>Мужчина</th>"
                               "<th>Женщина</th><th>%</th><th>вопр.</th></tr>");
        for (qsizetype i = 0; i < pairs.size(); ++i)
            page += QStringLiteral("<tr><td align='center'>") + QString::number(i + 1) + kCell +
                    nameOf(st, pairs[i].man) + kCell + nameOf(st, pairs[i].woman) +
                    QStringLiteral("</td><td align='right'>") + QString::number(weights::Percent(pairs[i].score)) +
                    QStringLiteral("%</td><td align='right'>") + QString::number(pairs[i].score.shared) +
                    QStringLiteral("</td></tr>");
        page += QStringLiteral("</table>");
    }
    QStringList unpaired;
    for (const QString& g : e.men() + e.women()) {
        const bool paired = std::any_of(pairs.begin(), pairs.end(),
                                        [&g](const assign::Pair& p) { return p.man == g || p.woman == g; });
        if (!paired)
            unpaired << nameOf(st, g);
    }
    if (!unpaired.isEmpty())
        page += QStringLiteral("<p>Без пары: ") + unpaired.join(QStringLiteral(", ")) + QStringLiteral(".</p>");
    return page + QStringLiteral("</body></html>");
}

void ShowEvening(App& app, const QString& folder)
{
    EveningState& st = app.st.evening;
    const auto kept = store::Open(folder);
    if (st.Folder != folder || st.Name.isEmpty()) {
        st = EveningState{};
        st.Folder = folder;
        st.Name = app.platform.now().date().toString(QStringLiteral("yyyy-MM-dd"));
    }
    st.Page = EveningPage::Guests;
    const evening::Evening e = readEvening(app, *kept);
    st.People = scanPeople(folder, *kept, e, [&app] { app.platform.keepPainting(); });
    st.ShownGuests = e.guests;
    app.st.list.Mode = HtmlWindowMode::Evening;
    app.st.list.ListHtml = pageOf(app, e, *kept);
    ShowHtmlWindow(app);
}

void EveningCommand(App& app, const QString& code, int number)
{
    EveningState& st = app.st.evening;
    const auto kept = store::Open(st.Folder);
    if (code == QLatin1String("g")) {
        if (number < 0 || number > static_cast<int>(EveningPage::Pairs))
            return;
        st.Page = static_cast<EveningPage>(number);
    } else if (code == QLatin1String("c")) {
        st.PeoplePage = number;
    } else if (code == QLatin1String("u")) {
        if (number < 0 || number >= st.People.size())
            return;
        const QString file = st.People[number].file;
        const evening::Evening e = readEvening(app, *kept);
        reportChange(app, evening::SetGuest(*kept, st.Name, file, !e.has(file)),
                     QStringLiteral("На вечере не больше ") + QString::number(evening::kMaxGuests) +
                         QStringLiteral(" участников."));
    } else if (code == QLatin1String("k")) {
        const evening::Evening e = readEvening(app, *kept);
        const int from = number / evening::kMaxGuests, to = number % evening::kMaxGuests;
        if (from >= st.ShownGuests.size() || to >= st.ShownGuests.size())
            return;
        const QString a = st.ShownGuests[from], b = st.ShownGuests[to];
        reportChange(app, evening::SetTick(*kept, st.Name, a, b, !e.ticks.contains({a, b})),
                     QStringLiteral("Этих участников уже нет на вечере."));
    } else if (code == QLatin1String("e")) {
        const QStringList names = evening::Names(*kept);
        if (number < 0 || number >= names.size())
            return;
        st.Name = names[number];
        st.PeoplePage = 0;
        st.People = scanPeople(st.Folder, *kept, readEvening(app, *kept), {});
    } else if (code == QLatin1String("w")) {
        const std::optional<QString> name =
            app.platform.textDialog(QStringLiteral("Новый вечер"), QStringLiteral("Название вечера:"),
                                    app.platform.now().date().toString(QStringLiteral("yyyy-MM-dd")));
        if (!name || name->trimmed().isEmpty())
            return;
        st.Name = name->trimmed();
        st.Page = EveningPage::Guests;
        st.PeoplePage = 0;
        st.People = scanPeople(st.Folder, *kept, readEvening(app, *kept), {});
    } else if (code == QLatin1String("p")) {
        SavePdf(app, fileNameOf(st.Name, QStringLiteral("расписание")),
                 EveningSchedulePage(st, readEvening(app, *kept), true));
        return;
    } else if (code == QLatin1String("m")) {
        st.Mutual = !st.Mutual;
    } else if (code == QLatin1String("a")) {
        const evening::Evening e = readEvening(app, *kept);
        SavePdf(app, fileNameOf(st.Name, QStringLiteral("пары")), EveningPairsPage(st, e, pairsOf(app, e, *kept), true));
        return;
    } else if (code == QLatin1String("i")) {
        const evening::Evening e = readEvening(app, *kept);
        readAddresses(st, e);
        SavePdf(app, fileNameOf(st.Name, QStringLiteral("итоги")), EveningResultsPage(st, e, true));
        return;
    } else {
        return;
    }
    show(app, *kept);
}
