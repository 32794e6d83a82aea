#include "screens/people/DeskPages.h"

#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/HtmlEscape.h"
#include "ground/TextFile.h"
#include "ground/windows/HtmlView.h"
#include "screens/people/CardDesk.h"
#include "screens/people/CardPage.h"
#include "screens/views/FrmHTML.h"

#include <algorithm>

namespace {

const QString kCell = QStringLiteral("</td><td>");

// The name on the person file's second line; the file's name when it cannot be read.
QString NameOf(const QString& folder, const QString& file)
{
    textfile::Lines lines;
    if (textfile::readLines(folder + file, lines, textfile::kMaxCardHeadBytes, kCardMarker) == textfile::ReadResult::Ok) {
        lines.next();  // the marker
        const Kartochka card = KartochkaFromLines(lines, file);
        if (!card.NameFamiliya.isEmpty())
            return textfile::shownText(card.NameFamiliya);
    }
    return textfile::readableName(file);
}

// One group of bars: a label, a bar scaled to the group's largest count,
// and the count beside it.
QString Bars(const QString& title, const QList<stats::Bar>& bars)
{
    constexpr int kRow = 22, kLabel = 170, kWidth = 300;
    QString html = QStringLiteral("<h3>") + HtmlText(title) + QStringLiteral("</h3>");
    if (bars.isEmpty())
        return html + QStringLiteral("<p>Нет данных.</p>");
    int most = 1;
    for (const stats::Bar& b : bars)
        most = std::max(most, b.count);
    html += QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' width='") + QString::number(kLabel + kWidth + 80) +
            QStringLiteral("' height='") + QString::number(kRow * bars.size()) +
            QStringLiteral("' font-family='sans-serif' font-size='14'>");
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const int y = static_cast<int>(i) * kRow;
        const int width = static_cast<int>(static_cast<qint64>(bars[i].count) * kWidth / most);
        html += QStringLiteral("<text x='0' y='") + QString::number(y + 16) + QStringLiteral("'>") +
                HtmlText(bars[i].label) + QStringLiteral("</text><rect x='") + QString::number(kLabel) +
                QStringLiteral("' y='") + QString::number(y + 3) + QStringLiteral("' width='") + QString::number(width) +
                QStringLiteral("' height='16' fill='#4a7fc1'/><text x='") + QString::number(kLabel + width + 6) +
                QStringLiteral("' y='") + QString::number(y + 16) + QStringLiteral("'>") + QString::number(bars[i].count) +
                QStringLiteral("</text>");
    }
    return html + QStringLiteral("</svg>");
}

QString PageHead(const QString& title)
{
    return QStringLiteral("<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                          "</head><body leftmargin=5 rightmargin=5 link='blue' vlink='blue'><center><font size='5'>") +
           title + QStringLiteral("</font></center>");
}

}  // namespace

QString RemindersPage(const QList<ReminderRow>& rows)
{
    QString page = PageHead(QStringLiteral("Напоминания"));
    if (rows.isEmpty())
        return page + QStringLiteral("<p>Напоминаний на сегодня нет.</p></body></html>");
    page += QStringLiteral("<p>Напоминаний: ") + QString::number(rows.size()) +
            QStringLiteral(". Ближайшие сверху.</p><table border=1 cellspacing=0 cellpadding=3 width='100%'>"
                           "<tr><th>Дата</th><th>Имя и фамилия</th><th>Последняя заметка</th></tr>");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const desk::Reminder& r = rows[i].reminder;
        page += QStringLiteral("<tr><td nowrap>") + r.date.toString(QStringLiteral("dd.MM.yyyy")) + kCell +
                CardPageLink(QStringLiteral("r") + QString::number(i), HtmlText(rows[i].name)) + kCell +
                HtmlText(r.lastNote) + QStringLiteral("</td></tr>");
    }
    return page + QStringLiteral("</table></body></html>");
}

void ShowReminders(App& app, const QString& folder)
{
    const auto store = store::Open(folder);
    QList<ReminderRow> rows;
    QStringList files;
    for (const desk::Reminder& r : desk::DueReminders(*store, app.platform.now().date())) {
        rows.append({r, NameOf(folder, r.personFile)});
        files.append(r.personFile);
    }
    app.st.list.Mode = HtmlWindowMode::Reminders;
    app.st.list.LinkedFiles = files;
    app.st.list.ListHtml = RemindersPage(rows);
    ShowHtmlWindow(app);
}

void OpenReminder(App& app, int number)
{
    AppState& st = app.st;
    if (number < 0 || number >= st.list.LinkedFiles.size())
        return;
    if (OpenKartochka(app, st.list.LinkedFiles[number], 1) != CardOpen::Opened)
        return;
    // Not a row of a loaded list: the card page's commands find no row to mark.
    st.people.CurrentPerson = -1;
    st.people.CardFromReminders = true;
    st.list.Mode = HtmlWindowMode::CardPage;
    ShowKartochka(app);
}

QString StatisticsPage(const stats::Figures& f)
{
    QString page = PageHead(QStringLiteral("Статистика"));
    page += QStringLiteral("<p>Мужчин: ") + QString::number(f.men) + QStringLiteral(", женщин: ") +
            QString::number(f.women) + QStringLiteral(".</p>");
    page += Bars(QStringLiteral("Мужчины по возрасту"), f.menByAge);
    page += Bars(QStringLiteral("Женщины по возрасту"), f.womenByAge);
    page += Bars(QStringLiteral("По статусу"), f.byStatus);
    page += Bars(QStringLiteral("Результаты по месяцам"), f.byMonth);
    page += QStringLiteral("<h3>Знакомства</h3><p>Всего знакомств: ") + QString::number(f.introductions) +
            QStringLiteral(", больше не предлагать: ") + QString::number(f.neverOffer) + QStringLiteral(".</p>");
    page += Bars(QStringLiteral("Итоги знакомств"), f.outcomes);
    return page + QStringLiteral("</body></html>");
}

void ShowStatistics(App& app, const QString& folder)
{
    const auto store = store::Open(folder);
    const stats::Figures figures =
        stats::Gather(folder, *store, app.platform.now().date(), [&app] { app.platform.keepPainting(); });
    app.st.list.Mode = HtmlWindowMode::Statistics;
    app.st.list.ListHtml = StatisticsPage(figures);
    ShowHtmlWindow(app);
}

void StartOperatorDesk(App& app, const QString& folder)
{
    if (DeskInUse(folder)) {
        ShowNotice(app, QStringLiteral("Рабочий стол оператора уже ведётся для папки этого теста: статус, заметки, "
                                       "напоминания и знакомства — на страницах карточек."));
        return;
    }
    if (app.platform.messageBox(QStringLiteral("Вести рабочий стол оператора для папки этого теста?\n"
                                               "На страницах карточек появятся статус, заметки, напоминания и "
                                               "знакомства, в списках — статус и отбор по возрасту."),
                                kAppTitle, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes) != MsgAnswer::Yes)
        return;
    const auto store = store::Open(folder);
    if (!store || desk::StartDesk(*store) != store::Result::Ok)
        ShowError(app, QStringLiteral("Рабочий стол оператора начать не возможно: папка теста недоступна для записи."));
}
