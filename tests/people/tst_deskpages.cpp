#include "PeopleFolder.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "engines/Statistics.h"
#include "screens/people/DeskPages.h"
#include "screens/views/FrmHTML.h"

#include <QRegularExpression>

namespace {

// The secondary window as it opens: its timer shows the page built for it.
struct DeskFolder : PeopleFolder {
    DeskFolder()
    {
        pf.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        pf.onModal[WindowId::Html] = [this] { frmHTML_Timer(app); };
    }
    std::unique_ptr<store::FolderStore> store() const { return store::Open(app.st.folders.WorkFolder); }
    void note(const QString& file, const QString& text, const std::optional<QDate>& remind)
    {
        const auto s = store();
        QCOMPARE(desk::AddNote(*s, file, {pf.clock, QStringLiteral("оператор"), text}), store::Result::Ok);
        QCOMPARE(desk::SetReminder(*s, file, remind), store::Result::Ok);
    }
};

// The part of the page under the heading `title`.
QString section(const QString& page, const QString& title)
{
    const qsizetype from = page.indexOf(QStringLiteral("<h3>") + title + QStringLiteral("</h3>"));
    if (from < 0)
        return {};
    const qsizetype to = page.indexOf(QStringLiteral("<h3>"), from + 4);
    return page.mid(from, to < 0 ? -1 : to - from);
}

// The bar of `label` in the page: its width and the count beside it.
std::pair<int, int> barOf(const QString& page, const QString& label)
{
    const QRegularExpression bar(QRegularExpression::escape(label) +
                                 QStringLiteral("</text><rect [^>]*width='(\\d+)'[^>]*/><text [^>]*>(\\d+)</text>"));
    const auto m = bar.match(page);
    return m.hasMatch() ? std::pair{m.captured(1).toInt(), m.captured(2).toInt()} : std::pair{-1, -1};
}

}  // namespace

class TestDeskPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void remindersSoonestFirstAndDueByTheClock()
    {
        DeskFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Анна <i>"), 1990, QStringLiteral("Тайна"));
        f.person(QStringLiteral("b.tnm"), QStringLiteral("Борис"), 1985);
        f.person(QStringLiteral("c.tnw"), QStringLiteral("Вера"), 1992);
        f.note(QStringLiteral("a.tnw"), QStringLiteral("позвонить"), QDate(2026, 12, 9));
        f.note(QStringLiteral("b.tnm"), QStringLiteral("первая"), std::nullopt);
        f.note(QStringLiteral("b.tnm"), QStringLiteral("спросить о встрече"), QDate(2026, 11, 30));
        f.note(QStringLiteral("c.tnw"), QStringLiteral("потом"), QDate(2026, 12, 10));

        ShowReminders(f.app, f.app.st.folders.WorkFolder);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::Reminders);
        QCOMPARE(f.app.frmHTML.caption, QStringLiteral("Напоминания"));
        const QString page = f.page();
        QCOMPARE(page, f.app.st.list.ListHtml);
        const qsizetype boris = page.indexOf(QStringLiteral("30.11.2026</td><td>"));
        const qsizetype anna = page.indexOf(QStringLiteral("09.12.2026"));
        QVERIFY(boris > 0 && anna > boris);
        QVERIFY(page.contains(QStringLiteral(">Борис</a></td><td>спросить о встрече</td>")));
        QVERIFY(page.contains(QStringLiteral(">Анна &lt;i&gt;</a></td><td>позвонить</td>")));
        QVERIFY(!page.contains(QStringLiteral("Вера")));
        QVERIFY(page.contains(QStringLiteral("Напоминаний: 2.")));

        // The next day Вера's has come too.
        f.pf.clock = f.pf.clock.addDays(1);
        ShowReminders(f.app, f.app.st.folders.WorkFolder);
        QVERIFY(f.page().contains(QStringLiteral(">Вера</a>")));

        f.click(QStringLiteral("r9"));  // made up: nothing
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::Reminders);
        f.click(QStringLiteral("r1"));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        QCOMPARE(f.app.st.CardFields[1].FileName, QStringLiteral("a.tnw"));
        QVERIFY(f.page().contains(QStringLiteral("Анна &lt;i&gt;")) || f.page().contains(QStringLiteral("Анна <i>")));
        // Back goes where the card came from: the reminders, not some list.
        f.click(QStringLiteral("n"));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::Reminders);
        QVERIFY(f.page().contains(QStringLiteral(">Вера</a>")));
    }

    void noRemindersSaysSo()
    {
        DeskFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Анна"), 1990);
        ShowReminders(f.app, f.app.st.folders.WorkFolder);
        QVERIFY(f.page().contains(QStringLiteral("Напоминаний на сегодня нет.")));
    }

    void statisticsPageShowsTheFigures()
    {
        DeskFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Анна"), 1990);
        f.person(QStringLiteral("b.tnm"), QStringLiteral("Борис"), 1985);
        f.person(QStringLiteral("c.tnm"), QStringLiteral("Гена"), 1986);
        {
            const auto s = f.store();
            QCOMPARE(desk::WriteStatus(*s, QStringLiteral("c.tnm"), desk::Status::Paused), store::Result::Ok);
            desk::Introduction met{f.pf.clock, QStringLiteral("оператор"), desk::Outcome::Met};
            QCOMPARE(desk::Introduce(*s, QStringLiteral("a.tnw"), QStringLiteral("b.tnm"), met), store::Result::Ok);
            QCOMPARE(desk::NeverOffer(*s, QStringLiteral("a.tnw"), QStringLiteral("c.tnm")), store::Result::Ok);
        }
        ShowStatistics(f.app, f.app.st.folders.WorkFolder);
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::Statistics);
        QCOMPARE(f.app.frmHTML.caption, QStringLiteral("Статистика"));
        const QString page = f.page();
        QVERIFY(page.contains(QStringLiteral("Мужчин: 2, женщин: 1.")));
        QVERIFY(page.contains(QStringLiteral("Всего знакомств: 1, больше не предлагать: 1.")));
        // The largest bar of a group is full width; the others scale to it.
        QCOMPARE(barOf(page, desk::StatusText(desk::Status::Active)), (std::pair{300, 2}));
        QCOMPARE(barOf(page, desk::StatusText(desk::Status::Paused)), (std::pair{150, 1}));
        QCOMPARE(barOf(page, desk::StatusText(desk::Status::Found)), (std::pair{0, 0}));
        QCOMPARE(barOf(page, desk::OutcomeText(desk::Outcome::Met)), (std::pair{300, 1}));
        // Every figure the engine gathered is drawn.
        const stats::Figures figures = stats::Gather(f.app.st.folders.WorkFolder, *f.store(), f.pf.clock.date());
        const std::pair<QString, const QList<stats::Bar>*> groups[] = {
            {QStringLiteral("Мужчины по возрасту"), &figures.menByAge},
            {QStringLiteral("Женщины по возрасту"), &figures.womenByAge},
            {QStringLiteral("Результаты по месяцам"), &figures.byMonth}};
        for (const auto& [title, bars] : groups) {
            QVERIFY(!bars->isEmpty());
            for (const stats::Bar& b : *bars)
                QCOMPARE(barOf(section(page, title), b.label).second, b.count);
        }
    }
};

QTEST_GUILESS_MAIN(TestDeskPages)
#include "tst_deskpages.moc"
