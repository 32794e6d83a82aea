#include "../people/PeopleFolder.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/PersonFile.h"
#include "screens/document/FrmPassW.h"
#include "screens/matching/PairPages.h"
#include "screens/people/CardDesk.h"
#include "screens/people/CardPage.h"
#include "screens/people/DeskPages.h"
#include "screens/people/PeopleList.h"

#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Рабочий стол оператора");

// Анна (a.tnw, password "Тайна") and Ольга (b.tnw) among the women, Иван
// (m.tnm) among the men; the list of women loaded.
struct DeskFolder : PeopleFolder {
    DeskFolder()
    {
        pf.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        person(QStringLiteral("a.tnw"), QStringLiteral("Анна Петрова"), 1985, QStringLiteral("Тайна"),
               {"1,65", "55", "Шатенка", "Карие", "Рыбы", "", "", "", ""});
        person(QStringLiteral("b.tnw"), QStringLiteral("Ольга"), 1990, QString());
        person(QStringLiteral("m.tnm"), QStringLiteral("Иван"), 1984, QString());
        app.st.people.ListWomen = true;
        ListLudeyLoad(app);
    }
    std::unique_ptr<store::FolderStore> kept() const { return store::Open(app.st.folders.WorkFolder); }
    void openAnna() { click(QStringLiteral("l0")); }
    // The card's password typed into its dialog whenever it is asked.
    void password(const QString& typed)
    {
        pf.onModal[WindowId::PassW] = [this, typed] {
            app.frmPassW.TPW.text = typed;
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
            if (app.st.Dialog != DialogMode::Confirmed)
                frmPassW_NO_Click(app);
        };
    }
    desk::Status status(const QString& file) const { return desk::ReadStatus(*kept(), file); }
    QList<journal::Record> statusRecords() const
    {
        QList<journal::Record> found;
        for (const journal::Record& r : journal::Read(*kept()))
            if (r.action == journal::kStatusChanged)
                found << r;
        return found;
    }
};
}  // namespace

class TestCardDesk : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The desk's section follows the card only in a folder that keeps
    // something of it; else the page is exactly what it was.
    void sectionOnlyWhenInUse_data()
    {
        QTest::addColumn<QString>("kept");
        QTest::newRow("a status of another") << "status";
        QTest::newRow("a note") << "note";
        QTest::newRow("an introduction of others") << "introduction";
        QTest::newRow("bounds of another") << "seeking";
        QTest::newRow("started from the menu") << "started";
    }
    void sectionOnlyWhenInUse()
    {
        QFETCH(QString, kept);
        DeskFolder f;
        f.openAnna();
        const QString plain = f.page();
        QVERIFY(!plain.contains(kSection));
        QVERIFY(!QFileInfo::exists(f.path(store::kHiddenFolder)));
        const auto s = f.kept();
        const QString anna = QStringLiteral("a.tnw");
        const QString olga = QStringLiteral("b.tnw");
        if (kept == QLatin1String("status"))
            QCOMPARE(desk::WriteStatus(*s, olga, desk::Status::Paused), store::Result::Ok);
        else if (kept == QLatin1String("note"))
            QCOMPARE(desk::AddNote(*s, anna, {f.pf.clock, QStringLiteral("оператор"), QStringLiteral("Позвонить <в> пятницу")}),
                     store::Result::Ok);
        else if (kept == QLatin1String("introduction"))
            QCOMPARE(desk::Introduce(*s, olga, QStringLiteral("m.tnm"), {f.pf.clock, QStringLiteral("оператор")}),
                     store::Result::Ok);
        else if (kept == QLatin1String("started")) {
            f.pf.messageAnswers.push_back(MsgAnswer::Yes);
            StartOperatorDesk(f.app, f.app.st.folders.WorkFolder);
            QCOMPARE(f.pf.messages.size(), 1);
        } else {
            desk::Seeking b;
            b.ageTo = 40;
            QCOMPARE(desk::WriteSeeking(*s, olga, b), store::Result::Ok);
        }
        ShowKartochka(f.app);
        const QString page = f.page();
        const qsizetype at = page.indexOf(QStringLiteral("<br><font size='5'>") + kSection);
        QVERIFY(at > 0);
        // Only inserted: the card before and the page's end after it stay.
        QVERIFY(page.startsWith(plain.left(plain.size() - kCardPageTail.size())));
        QVERIFY(page.endsWith(QStringLiteral("</table>") + kCardPageTail));
        QVERIFY(page.contains(QStringLiteral("Статус:</b></td><td>активен")));
        if (kept == QLatin1String("note"))
            QVERIFY(page.contains(QStringLiteral("09.12.2026 12:00, оператор</b></td><td>Позвонить &lt;в&gt; пятницу")));
        QVERIFY(!page.contains(QStringLiteral("Знакомства:")));
    }

    // Declining keeps the folder as it was; once started, the list shows
    // everyone's status, and starting again only tells so.
    void startingTheDeskFromTheMenu()
    {
        DeskFolder f;
        const QString folder = f.app.st.folders.WorkFolder;
        f.pf.messageAnswers.push_back(MsgAnswer::No);
        StartOperatorDesk(f.app, folder);
        QVERIFY(!DeskInUse(folder));
        QVERIFY(!QFileInfo::exists(f.path(store::kHiddenFolder)));

        f.pf.messageAnswers.push_back(MsgAnswer::Yes);
        StartOperatorDesk(f.app, folder);
        QVERIFY(DeskInUse(folder));
        ListLudeyLoad(f.app);
        QVERIFY(f.page().contains(QStringLiteral(">активен<")));
        QVERIFY(f.page().contains(QStringLiteral("Возраст от … до …")));

        const qsizetype asked = f.pf.messages.size();
        StartOperatorDesk(f.app, folder);
        QCOMPARE(f.pf.messages.size(), asked + 1);
        QVERIFY(f.pf.messages.last().text.startsWith(QStringLiteral("Рабочий стол оператора уже ведётся")));
    }

    // Changing the status asks the card's password and is journalled; a wrong
    // password or a cancel changes nothing.
    void statusNeedsPasswordAndIsJournalled_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("changed");
        QTest::newRow("right password") << "Тайна" << true;
        QTest::newRow("wrong password") << "тайна1" << false;
    }
    void statusNeedsPasswordAndIsJournalled()
    {
        QFETCH(QString, typed);
        QFETCH(bool, changed);
        DeskFolder f;
        QCOMPARE(desk::AddNote(*f.kept(), QStringLiteral("a.tnw"), {f.pf.clock, QStringLiteral("оп"), QStringLiteral("x")}),
                 store::Result::Ok);
        f.openAnna();
        QVERIFY(f.page().contains(QStringLiteral("tnd.s1.ru'>пауза</a>")));
        f.password(typed);
        f.click(QStringLiteral("s1"));
        QVERIFY(f.pf.modals.contains(WindowId::PassW));
        QCOMPARE(f.status(QStringLiteral("a.tnw")), changed ? desk::Status::Paused : desk::Status::Active);
        const QList<journal::Record> records = f.statusRecords();
        QCOMPARE(records.size(), changed ? 1 : 0);
        if (changed) {
            QCOMPARE(records[0].file, QStringLiteral("a.tnw"));
            QCOMPARE(records[0].before, journal::Sha256Hex(QByteArrayLiteral("активен")));
            QCOMPARE(records[0].after, journal::Sha256Hex(QStringLiteral("пауза").toUtf8()));
            QVERIFY(f.page().contains(QStringLiteral("Статус:</b></td><td>пауза")));
        }
    }

    // A status changed on the card page shows in the list the card was
    // opened from: back on it, the row carries the new status and the others
    // theirs, though nobody had a status when the list was read.
    void statusShowsOnTheListAfterwards_data()
    {
        QTest::addColumn<int>("link");
        QTest::addColumn<QString>("shown");
        QTest::newRow("пауза") << 1 << "пауза";
        QTest::newRow("нашёл пару") << 2 << "нашёл пару";
        QTest::newRow("в архиве") << 3 << "в архиве";
    }
    void statusShowsOnTheListAfterwards()
    {
        QFETCH(int, link);
        QFETCH(QString, shown);
        DeskFolder f;
        QCOMPARE(desk::AddNote(*f.kept(), QStringLiteral("a.tnw"), {f.pf.clock, QStringLiteral("оп"), QStringLiteral("x")}),
                 store::Result::Ok);
        ListLudeyLoad(f.app);
        QVERIFY(!f.page().contains(QStringLiteral("Статус")));
        f.openAnna();
        f.password(QStringLiteral("Тайна"));
        f.click(QStringLiteral("s") + QString::number(link));
        QVERIFY(f.page().contains(QStringLiteral("Статус:</b></td><td>") + shown));
        f.click(QStringLiteral("n"));
        const QString cell = QStringLiteral("</b></td><td align='center'><b>");
        QVERIFY(f.page().contains(cell + QStringLiteral("Статус") + cell));
        QVERIFY(f.page().contains(QStringLiteral("Есть") + cell + shown + cell));
        QVERIFY(f.page().contains(QStringLiteral("Нет") + cell + QStringLiteral("активен") + cell));
    }

    // A note and the reminder through their dialogs; an empty date removes
    // the reminder, a wrong one is refused.
    void noteAndReminder()
    {
        DeskFolder f;
        QCOMPARE(desk::WriteStatus(*f.kept(), QStringLiteral("b.tnw"), desk::Status::Paused), store::Result::Ok);
        f.openAnna();
        f.pf.textAnswers = {QStringLiteral("  Любит театр "), QStringLiteral("31.02.2027"), QStringLiteral("15.01.2027"),
                            QString()};
        f.click(QStringLiteral("z"));
        const desk::Notes notes = desk::ReadNotes(*f.kept(), QStringLiteral("a.tnw"));
        QCOMPARE(notes.entries.size(), 1);
        QCOMPARE(notes.entries[0].text, QStringLiteral("Любит театр"));
        QCOMPARE(notes.entries[0].author, store::UserName());
        QCOMPARE(notes.entries[0].time, f.pf.clock);
        QVERIFY(f.page().contains(QStringLiteral("Любит театр")));
        f.click(QStringLiteral("r"));
        QCOMPARE(f.pf.messageTexts(), QStringList{QStringLiteral("Дату напишите так: 31.12.2026.")});
        QVERIFY(!desk::ReadNotes(*f.kept(), QStringLiteral("a.tnw")).remind);
        f.click(QStringLiteral("r"));
        QCOMPARE(desk::ReadNotes(*f.kept(), QStringLiteral("a.tnw")).remind, std::optional<QDate>(QDate(2027, 1, 15)));
        QVERIFY(f.page().contains(QStringLiteral("Напомнить:</b></td><td>15.01.2027")));
        f.click(QStringLiteral("r"));
        QCOMPARE(f.pf.textDialogs.last().second, QStringLiteral("15.01.2027"));
        QVERIFY(!desk::ReadNotes(*f.kept(), QStringLiteral("a.tnw")).remind);
        QCOMPARE(desk::ReadNotes(*f.kept(), QStringLiteral("a.tnw")).entries.size(), 1);
    }

    // The outcome of an introduction; "пара" offers to set both people's
    // status, behind the card's password.
    void outcomeAndPair_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("yes");
        QTest::newRow("met") << "m" << int(desk::Outcome::Met) << false;
        QTest::newRow("no fit") << "x" << int(desk::Outcome::NoFit) << false;
        QTest::newRow("pair, both found") << "a" << int(desk::Outcome::Pair) << true;
        QTest::newRow("pair, statuses kept") << "a" << int(desk::Outcome::Pair) << false;
    }
    void outcomeAndPair()
    {
        QFETCH(QString, code);
        QFETCH(int, outcome);
        QFETCH(bool, yes);
        DeskFolder f;
        const QString anna = QStringLiteral("a.tnw");
        const QString ivan = QStringLiteral("m.tnm");
        QCOMPARE(desk::Introduce(*f.kept(), ivan, anna, {f.pf.clock.addDays(-7), QStringLiteral("оп")}), store::Result::Ok);
        QCOMPARE(desk::Introduce(*f.kept(), anna, ivan, {f.pf.clock, QStringLiteral("оп")}), store::Result::Ok);
        f.openAnna();
        QVERIFY(f.page().contains(QStringLiteral("Знакомства:")));
        QVERIFY(f.page().contains(QStringLiteral("02.12.2026 12:00</b></td><td>Иван")));
        f.password(QStringLiteral("Тайна"));
        f.pf.messageAnswers = {yes ? MsgAnswer::Yes : MsgAnswer::No};
        f.click(code + QStringLiteral("1"));  // row 0, the second introduction
        const desk::PairHistory history = desk::ReadPairsOf(*f.kept(), anna).value(ivan);
        QCOMPARE(history.introductions.size(), 2);
        QCOMPARE(history.introductions[0].outcome, desk::Outcome::None);
        QCOMPARE(int(history.introductions[1].outcome), outcome);
        const bool asked = outcome == int(desk::Outcome::Pair);
        QCOMPARE(f.pf.messages.size(), asked ? 1 : 0);
        const desk::Status expected = yes ? desk::Status::Found : desk::Status::Active;
        QCOMPARE(f.status(anna), expected);
        QCOMPARE(f.status(ivan), expected);
        QCOMPARE(f.statusRecords().size(), yes ? 2 : 0);
        QVERIFY(f.page().contains(QStringLiteral("Иван: ") + desk::OutcomeText(desk::Outcome(outcome))));
    }

    void neverOffer()
    {
        DeskFolder f;
        QCOMPARE(desk::Introduce(*f.kept(), QStringLiteral("a.tnw"), QStringLiteral("m.tnm"), {f.pf.clock, QStringLiteral("оп")}),
                 store::Result::Ok);
        f.openAnna();
        f.click(QStringLiteral("v0"));
        QVERIFY(desk::ReadPairsOf(*f.kept(), QStringLiteral("m.tnm")).value(QStringLiteral("a.tnw")).never);
        QVERIFY(!f.page().contains(QStringLiteral("tnd.v0.ru")));
        // A row the page does not show commands nothing.
        f.click(QStringLiteral("v7"));
        f.click(QStringLiteral("m7000"));
        QVERIFY(f.pf.messages.isEmpty());
    }

    // What a person sees after a test (the ranking and a candidate's card)
    // never shows the operator's notes.
    void notesNotOnKioskPages()
    {
        DeskFolder f;
        const QString note = QStringLiteral("Долги по алиментам");
        QCOMPARE(desk::AddNote(*f.kept(), QStringLiteral("a.tnw"), {f.pf.clock, QStringLiteral("оп"), note}),
                 store::Result::Ok);
        f.openAnna();
        QVERIFY(f.page().contains(note));
        Kartochka own;
        own.NameFamiliya = QStringLiteral("Пётр");
        own.Otvety = QStringLiteral("0123");
        own.DataRogdeniya = 1980;
        f.app.st.CardFields[1] = own;
        f.app.st.list.Mode = HtmlWindowMode::PairSearch;
        PoiskPary(f.app);
        QVERIFY(f.page().contains(QStringLiteral("Анна Петрова")));
        QVERIFY(!f.page().contains(note) && !f.page().contains(kSection));
        VyborKartochki(f.app, Command(QStringLiteral("l1")) + QLatin1Char('/'));
        QVERIFY(f.page().contains(QStringLiteral("Шатенка")));
        QVERIFY(!f.page().contains(note) && !f.page().contains(kSection));
    }
};

QTEST_GUILESS_MAIN(TestCardDesk)
#include "tst_carddesk.moc"
