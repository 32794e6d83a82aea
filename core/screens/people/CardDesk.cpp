#include "screens/people/CardDesk.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/HtmlEscape.h"
#include "ground/TextFile.h"
#include "screens/people/CardPage.h"

#include <QDate>

#include <algorithm>
#include <memory>

namespace {

const QString kDateFormat = QStringLiteral("dd.MM.yyyy");
const QString kTimeFormat = QStringLiteral("dd.MM.yyyy hh:mm");
const QString kGap = QStringLiteral("&nbsp;&nbsp;&nbsp;");

std::unique_ptr<store::FolderStore> OpenStore(const App& app)
{
    return store::Open(app.st.folders.WorkFolder);
}

const QString& PersonOf(const App& app)
{
    return app.st.CardFields[1].FileName;
}

// The name a person file gives, else the file's name.
QString NameOf(const App& app, const QString& fileName)
{
    textfile::Lines lines;
    if (textfile::readLines(app.st.folders.WorkFolder + fileName, lines, textfile::kMaxCardHeadBytes, kCardMarker) ==
        textfile::ReadResult::Ok) {
        lines.next();  // the marker
        const QString name = KartochkaFromLines(lines, fileName).NameFamiliya;
        if (!name.isEmpty())
            return textfile::shownText(name);
    }
    return fileName;
}

// The list read before a status changed shows the new one in its row; once
// a first status is set, the others are shown as they are: active.
void ShowStatusInList(PeopleListState& people, const QString& personFile, desk::Status status)
{
    if (people.PeopleLast < 0)
        return;
    for (PersonEntry& row : people.People) {
        if (row.FileName == personFile)
            row.Status = desk::StatusText(status);
        else if (!people.StatusUsed)
            row.Status = desk::StatusText(desk::Status::Active);
    }
    people.StatusUsed = true;
}

// Sets `status` for `personFile` and journals it; false, the user told,
// when it was not kept.
bool ChangeStatus(App& app, store::FolderStore& kept, const QString& personFile, desk::Status status)
{
    const desk::Status before = desk::ReadStatus(kept, personFile);
    if (before == status)
        return true;
    if (desk::WriteStatus(kept, personFile, status) != store::Result::Ok) {
        ShowError(app, QStringLiteral("Статус сохранить не возможно."));
        return false;
    }
    ShowStatusInList(app.st.people, personFile, status);
    if (!journal::Append(kept, {journal::Make(app.platform.now(), journal::kStatusChanged, personFile,
                                              desk::StatusText(before).toUtf8(), desk::StatusText(status).toUtf8())}))
        ShowError(app, journal::kNotRecorded);
    return true;
}

void Refused(App& app)
{
    ShowError(app, QStringLiteral("Изменение сохранить не возможно."));
}

}  // namespace

bool DeskInUse(const QString& folder)
{
    const std::unique_ptr<store::FolderStore> kept = store::Open(folder);
    if (!kept)
        return false;
    for (const QString& kind : {desk::kDeskKind, desk::kStatusKind, desk::kNotesKind, desk::kIntroductionsKind,
                                desk::kSeekingKind}) {
        if (!kept->keys(kind).isEmpty())
            return true;
    }
    return false;
}

QString CardDeskSection(App& app)
{
    AppState& st = app.st;
    st.people.CardPairs.clear();
    if (!DeskInUse(st.folders.WorkFolder))
        return {};
    const std::unique_ptr<store::FolderStore> kept = OpenStore(app);
    const QString& person = PersonOf(app);
    const desk::Status status = desk::ReadStatus(*kept, person);
    const desk::Notes notes = desk::ReadNotes(*kept, person);
    const QHash<QString, desk::PairHistory> pairs = desk::ReadPairsOf(*kept, person);

    const QString r1 = QStringLiteral("<tr><td><b>");
    const QString r2 = QStringLiteral("</b></td><td>");
    const QString r3 = QStringLiteral("</td></tr>");
    QString html = QStringLiteral("<br><font size='5'>Рабочий стол оператора</font><table>");
    QString statusCell = desk::StatusText(status);
    for (int i = 0; i < static_cast<int>(std::size(desk::kStatuses)); ++i) {
        if (desk::kStatuses[i] != status)
            statusCell += kGap + CardPageLink(QStringLiteral("s") + QString::number(i), desk::StatusText(desk::kStatuses[i]));
    }
    html += r1 + QStringLiteral("Статус:") + r2 + statusCell + r3;
    html += r1 + QStringLiteral("Напомнить:") + r2 +
            (notes.remind ? notes.remind->toString(kDateFormat) + kGap : QString()) +
            CardPageLink(QStringLiteral("r"), QStringLiteral("Напомнить…")) + r3;
    html += r1 + QStringLiteral("Заметки:") + r2 + CardPageLink(QStringLiteral("z"), QStringLiteral("Добавить заметку")) + r3;
    for (const desk::Note& note : notes.entries)
        html += r1 + note.time.toString(kTimeFormat) + QStringLiteral(", ") + HtmlText(note.author) + r2 +
                HtmlText(textfile::shownText(note.text, 10000)) + r3;
    if (!pairs.isEmpty()) {
        QStringList others = pairs.keys();
        std::sort(others.begin(), others.end());
        st.people.CardPairs = others;
        html += r1 + QStringLiteral("Знакомства:") + r2 + r3;
        for (int row = 0; row < others.size(); ++row) {
            const desk::PairHistory& history = pairs[others[row]];
            const QString name = HtmlText(NameOf(app, others[row]));
            for (int i = 0; i < history.introductions.size(); ++i) {
                const desk::Introduction& intro = history.introductions[i];
                const QString number = QString::number(row * kIntroductionsPerRow + i);
                QString cell = name;
                if (intro.outcome != desk::Outcome::None)
                    cell += QStringLiteral(": ") + desk::OutcomeText(intro.outcome);
                cell += kGap + CardPageLink(QStringLiteral("m") + number, desk::OutcomeText(desk::Outcome::Met)) + kGap +
                        CardPageLink(QStringLiteral("x") + number, desk::OutcomeText(desk::Outcome::NoFit)) + kGap +
                        CardPageLink(QStringLiteral("a") + number, desk::OutcomeText(desk::Outcome::Pair));
                html += r1 + intro.time.toString(kTimeFormat) + r2 + cell + r3;
            }
            html += r1 + r2 + name + kGap +
                    (history.never ? QStringLiteral("Больше не предлагать")
                                   : CardPageLink(QStringLiteral("v") + QString::number(row),
                                                  QStringLiteral("Больше не предлагать"))) +
                    r3;
        }
    }
    html += QStringLiteral("</table>");
    return html;
}

void SetStatusKartochka(App& app, int status)
{
    if (status < 0 || status >= static_cast<int>(std::size(desk::kStatuses)))
        return;
    if (!askCardPassword(app))
        return;
    const std::unique_ptr<store::FolderStore> kept = OpenStore(app);
    if (!kept) {
        Refused(app);
        return;
    }
    (void)ChangeStatus(app, *kept, PersonOf(app), desk::kStatuses[status]);
    ShowKartochka(app);
}

void AddNoteKartochka(App& app)
{
    const std::optional<QString> text =
        app.platform.textDialog(QStringLiteral("Добавить заметку"), QStringLiteral("Заметка:"), QString());
    if (!text || text->trimmed().isEmpty())
        return;
    const std::unique_ptr<store::FolderStore> kept = OpenStore(app);
    const desk::Note note{app.platform.now(), store::UserName(), text->trimmed()};
    if (!kept || desk::AddNote(*kept, PersonOf(app), note) != store::Result::Ok)
        Refused(app);
    ShowKartochka(app);
}

void RemindKartochka(App& app)
{
    const std::unique_ptr<store::FolderStore> kept = OpenStore(app);
    if (!kept) {
        Refused(app);
        return;
    }
    const std::optional<QDate> now = desk::ReadNotes(*kept, PersonOf(app)).remind;
    const std::optional<QString> typed =
        app.platform.textDialog(QStringLiteral("Напомнить"), QStringLiteral("Дата (дд.мм.гггг; пусто — не напоминать):"),
                                now ? now->toString(kDateFormat) : QString());
    if (!typed)
        return;
    std::optional<QDate> date;
    if (!typed->trimmed().isEmpty()) {
        const QDate parsed = QDate::fromString(typed->trimmed(), kDateFormat);
        if (!parsed.isValid()) {
            ShowError(app, QStringLiteral("Дату напишите так: 31.12.2026."));
            return;
        }
        date = parsed;
    }
    if (desk::SetReminder(*kept, PersonOf(app), date) != store::Result::Ok)
        Refused(app);
    ShowKartochka(app);
}

void SetOutcomeKartochka(App& app, int rowAndIndex, QChar code)
{
    const QStringList& rows = app.st.people.CardPairs;
    const int row = rowAndIndex / kIntroductionsPerRow;
    const int index = rowAndIndex % kIntroductionsPerRow;
    if (row >= rows.size())
        return;
    const desk::Outcome outcome = code == QLatin1Char('m')   ? desk::Outcome::Met
                                  : code == QLatin1Char('x') ? desk::Outcome::NoFit
                                                             : desk::Outcome::Pair;
    const QString other = rows[row];
    const std::unique_ptr<store::FolderStore> kept = OpenStore(app);
    if (!kept || desk::SetOutcome(*kept, PersonOf(app), other, index, outcome) != store::Result::Ok) {
        Refused(app);
        ShowKartochka(app);
        return;
    }
    if (outcome == desk::Outcome::Pair &&
        app.platform.messageBox(QStringLiteral("Поставить обоим статус «нашёл пару»?"), kAppTitle, MsgButtons::YesNo,
                                MsgIcon::Question, MsgAnswer::No) == MsgAnswer::Yes &&
        askCardPassword(app)) {
        if (ChangeStatus(app, *kept, PersonOf(app), desk::Status::Found))
            (void)ChangeStatus(app, *kept, other, desk::Status::Found);
    }
    ShowKartochka(app);
}

void NeverOfferKartochka(App& app, int row)
{
    const QStringList& rows = app.st.people.CardPairs;
    if (row >= rows.size())
        return;
    const std::unique_ptr<store::FolderStore> kept = OpenStore(app);
    if (!kept || desk::NeverOffer(*kept, PersonOf(app), rows[row]) != store::Result::Ok)
        Refused(app);
    ShowKartochka(app);
}
