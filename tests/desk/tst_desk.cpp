// The operator's desk: whom people accept and the mutual ranking, status,
// notes and reminders, introductions; kept in the folder's store by several
// desks at once.

#include "Fixtures.h"

#include "engines/Desk.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/PairSearch.h"
#include "engines/PersonData.h"
#include "engines/PersonFile.h"
#include "engines/Statistics.h"
#include "ground/HeadlessPlatform.h"
#include "ground/Kartochka.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kYear = 2026;

Kartochka card(const QString& name, int sex, int age, const QString& height = {}, const QString& hair = {})
{
    Kartochka c;
    c.NameFamiliya = name;
    c.Pol = sex;
    c.Otvety = QStringLiteral("012");
    c.DataRogdeniya = kYear - age;
    if (!height.isEmpty() || !hair.isEmpty()) {
        c.Podrobnee = 1;
        c.Podrobnosti[0] = height;
        c.Podrobnosti[2] = hair;
    }
    return c;
}

struct Folder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    std::unique_ptr<store::FolderStore> store() const { return store::Open(path()); }
    Kartochka add(const QString& file, Kartochka c) const
    {
        fixtures::writeBytes(path() + file, PersonFileContent(c) + "\r\n");
        c.FileName = file;
        return c;
    }
    QStringList ranked(const Kartochka& reference, bool mutual, int* leftOut = nullptr) const
    {
        const auto s = store();
        const desk::Everyone everyone = desk::ReadEveryone(*s);
        RankFilter filter;
        filter.everyone = &everyone;
        filter.mutual = mutual;
        for (auto [other, history] : desk::ReadPairsOf(*s, reference.FileName).asKeyValueRange())
            if (history.never)
                filter.never.insert(other);
        const PairRanking r = RankPairs(path(), reference, kYear, {}, filter);
        if (leftOut)
            *leftOut = r.leftOut;
        QStringList names;
        for (int index : r.order)
            names << r.pairs[index].FileName;
        names.sort();
        return names;
    }
};

desk::Seeking ages(std::optional<int> from, std::optional<int> to)
{
    desk::Seeking s;
    s.ageFrom = from;
    s.ageTo = to;
    return s;
}

// Run as a second program: adds `count` notes to one person, as another desk.
int addNotes(const QString& folder, const QString& person, int count, const QString& author)
{
    const auto store = store::Open(folder);
    for (int i = 0; i < count; ++i) {
        const desk::Note note{QDateTime::currentDateTime(), author, author + QStringLiteral(" %1").arg(i)};
        if (desk::AddNote(*store, person, note) != store::Result::Ok)
            return 1;
    }
    return 0;
}

}  // namespace

class TestDesk : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fits_data()
    {
        QTest::addColumn<desk::Seeking>("seeking");
        QTest::addColumn<std::optional<int>>("age");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("fits");
        const auto height = [](std::optional<double> from, std::optional<double> to) {
            desk::Seeking s;
            s.heightFrom = from;
            s.heightTo = to;
            return s;
        };
        QTest::newRow("no bounds, unknown age") << desk::Seeking{} << std::optional<int>() << QString() << true;
        QTest::newRow("both bounds, inside") << ages(25, 35) << std::optional<int>(30) << QString() << true;
        QTest::newRow("exactly the lower bound") << ages(25, 35) << std::optional<int>(25) << QString() << true;
        QTest::newRow("exactly the upper bound") << ages(25, 35) << std::optional<int>(35) << QString() << true;
        QTest::newRow("a year too old") << ages(25, 35) << std::optional<int>(36) << QString() << false;
        QTest::newRow("only from, older") << ages(40, std::nullopt) << std::optional<int>(70) << QString() << true;
        QTest::newRow("only from, younger") << ages(40, std::nullopt) << std::optional<int>(19) << QString() << false;
        QTest::newRow("only to") << ages(std::nullopt, 30) << std::optional<int>(31) << QString() << false;
        QTest::newRow("unknown age, bound set") << ages(18, std::nullopt) << std::optional<int>() << QString() << false;
        QTest::newRow("height in metres with a comma") << height(1.60, 1.80) << std::optional<int>(30) << QStringLiteral("1,7") << true;
        QTest::newRow("height in centimetres") << height(1.60, 1.80) << std::optional<int>(30) << QStringLiteral("185") << false;
        QTest::newRow("height with \"см\"") << height(1.60, 1.80) << std::optional<int>(30) << QStringLiteral("170 см") << true;
        QTest::newRow("height exactly on the bound") << height(1.65, std::nullopt) << std::optional<int>(30) << QStringLiteral("1.65 м") << true;
        QTest::newRow("unknown height, bound set") << height(1.5, std::nullopt) << std::optional<int>(30) << QStringLiteral("высокий") << false;
        QTest::newRow("unknown height, no height bound") << ages(20, 40) << std::optional<int>(30) << QString() << true;
    }
    void fits()
    {
        QFETCH(desk::Seeking, seeking);
        QFETCH(std::optional<int>, age);
        QFETCH(QString, height);
        QFETCH(bool, fits);
        desk::Traits traits;
        traits.age = age;
        traits.height = desk::ParseHeight(height);
        QCOMPARE(desk::Fits(seeking, traits), fits);
        QCOMPARE(desk::DecodeSeeking(desk::EncodeSeeking(seeking)), std::optional<desk::Seeking>(seeking));
    }

    // Both ways: B stays in A's ranking only when each fits the other's bounds.
    void mutualRanking()
    {
        Folder f;
        Kartochka anna = f.add(QStringLiteral("anna.tnw"), card(QStringLiteral("Анна"), 1, 30, QStringLiteral("1,65"), QStringLiteral("Шатенка")));
        f.add(QStringLiteral("boris.tnm"), card(QStringLiteral("Борис"), 0, 33, QStringLiteral("1,80")));   // fits, no bounds
        f.add(QStringLiteral("vadim.tnm"), card(QStringLiteral("Вадим"), 0, 70));                         // too old for Anna
        f.add(QStringLiteral("gleb.tnm"), card(QStringLiteral("Глеб"), 0, 31));                           // wants someone younger
        f.add(QStringLiteral("denis.tnm"), card(QStringLiteral("Денис"), 0, 35, QStringLiteral("1,75"))); // wants a blonde
        f.add(QStringLiteral("egor.tnm"), card(QStringLiteral("Егор"), 0, 40));                           // exactly Anna's upper bound
        const auto s = f.store();
        QCOMPARE(desk::WriteSeeking(*s, QStringLiteral("anna.tnw"), ages(28, 40)), store::Result::Ok);
        QCOMPARE(desk::WriteSeeking(*s, QStringLiteral("gleb.tnm"), ages(std::nullopt, 25)), store::Result::Ok);
        desk::Seeking blonde;
        blonde.hair = QStringList{QStringLiteral("Блондинка")};
        QCOMPARE(desk::WriteSeeking(*s, QStringLiteral("denis.tnm"), blonde), store::Result::Ok);

        int leftOut = -1;
        QCOMPARE(f.ranked(anna, true, &leftOut), (QStringList{QStringLiteral("boris.tnm"), QStringLiteral("egor.tnm")}));
        QCOMPARE(leftOut, 3);
        // Switched off, everyone is ranked as without any bounds.
        QCOMPARE(f.ranked(anna, false, &leftOut).size(), 5);
        QCOMPARE(leftOut, 0);
        const PairRanking plain = RankPairs(f.path(), anna, kYear);
        const desk::Everyone everyone = desk::ReadEveryone(*s);
        RankFilter off;
        off.everyone = &everyone;
        const PairRanking filtered = RankPairs(f.path(), anna, kYear, {}, off);
        QCOMPARE(filtered.order, plain.order);
        QCOMPARE(filtered.matches, plain.matches);
    }

    // Only active people are offered; "Больше не предлагать" holds both ways.
    void statusAndNeverOffer()
    {
        Folder f;
        Kartochka anna = f.add(QStringLiteral("anna.tnw"), card(QStringLiteral("Анна"), 1, 30));
        Kartochka boris = f.add(QStringLiteral("boris.tnm"), card(QStringLiteral("Борис"), 0, 33));
        f.add(QStringLiteral("vadim.tnm"), card(QStringLiteral("Вадим"), 0, 40));
        f.add(QStringLiteral("gleb.tnm"), card(QStringLiteral("Глеб"), 0, 31));
        const auto s = f.store();
        QCOMPARE(desk::WriteStatus(*s, QStringLiteral("vadim.tnm"), desk::Status::Found), store::Result::Ok);
        QCOMPARE(desk::WriteStatus(*s, QStringLiteral("gleb.tnm"), desk::Status::Paused), store::Result::Ok);
        QCOMPARE(f.ranked(anna, false), (QStringList{QStringLiteral("boris.tnm")}));
        QCOMPARE(desk::WriteStatus(*s, QStringLiteral("gleb.tnm"), desk::Status::Active), store::Result::Ok);
        QCOMPARE(desk::ReadStatus(*s, QStringLiteral("gleb.tnm")), desk::Status::Active);
        QCOMPARE(f.ranked(anna, false), (QStringList{QStringLiteral("boris.tnm"), QStringLiteral("gleb.tnm")}));

        const desk::Introduction met{QDateTime(QDate(2026, 12, 1), QTime(18, 0)), QStringLiteral("оператор"), desk::Outcome::None};
        QCOMPARE(desk::Introduce(*s, QStringLiteral("anna.tnw"), QStringLiteral("boris.tnm"), met), store::Result::Ok);
        QCOMPARE(desk::SetOutcome(*s, QStringLiteral("boris.tnm"), QStringLiteral("anna.tnw"), 0, desk::Outcome::NoFit),
                 store::Result::Ok);
        QCOMPARE(desk::ReadPairsOf(*s, QStringLiteral("boris.tnm")).value(QStringLiteral("anna.tnw")).introductions.first().outcome,
                 desk::Outcome::NoFit);
        QCOMPARE(desk::NeverOffer(*s, QStringLiteral("boris.tnm"), QStringLiteral("anna.tnw")), store::Result::Ok);
        QCOMPARE(f.ranked(anna, false), (QStringList{QStringLiteral("gleb.tnm")}));
        QVERIFY(!f.ranked(boris, false).contains(QStringLiteral("anna.tnw")));
        // An outcome of an introduction that was never made is refused.
        QCOMPARE(desk::SetOutcome(*s, QStringLiteral("anna.tnw"), QStringLiteral("boris.tnm"), 5, desk::Outcome::Pair),
                 store::Result::Failed);
    }

    // Reminders whose day has come, soonest first, by the clock given.
    void reminders()
    {
        Folder f;
        const auto s = f.store();
        QCOMPARE(desk::SetReminder(*s, QStringLiteral("b.tnm"), QDate(2026, 12, 9)), store::Result::Ok);
        QCOMPARE(desk::SetReminder(*s, QStringLiteral("a.tnw"), QDate(2026, 12, 10)), store::Result::Ok);
        QCOMPARE(desk::SetReminder(*s, QStringLiteral("c.tnw"), QDate(2026, 12, 11)), store::Result::Ok);
        QCOMPARE(desk::AddNote(*s, QStringLiteral("a.tnw"), {QDateTime(QDate(2026, 12, 1), QTime(9, 0)), QStringLiteral("ира"),
                                                             QStringLiteral("Позвонить\tпосле\r\nпраздников 100%")}),
                 store::Result::Ok);
        const QList<desk::Reminder> due = desk::DueReminders(*s, QDate(2026, 12, 10));
        QCOMPARE(due.size(), 2);
        QCOMPARE(due[0].personFile, QStringLiteral("b.tnm"));
        QCOMPARE(due[1].personFile, QStringLiteral("a.tnw"));
        QCOMPARE(due[1].lastNote, QStringLiteral("Позвонить\tпосле\r\nпраздников 100%"));
        QCOMPARE(desk::DueReminders(*s, QDate(2026, 12, 8)).size(), 0);
        QCOMPARE(desk::SetReminder(*s, QStringLiteral("b.tnm"), std::nullopt), store::Result::Ok);
        QCOMPARE(desk::DueReminders(*s, QDate(2026, 12, 31)).size(), 2);
    }

    // Two programs adding notes to one person at the same time keep them all.
    void twoDesksAddNotes()
    {
        Folder f;
        const QString self = QCoreApplication::applicationFilePath();
        QProcess a, b;
        a.start(self, {QStringLiteral("--add-notes"), f.path(), QStringLiteral("anna.tnw"), QStringLiteral("500"), QStringLiteral("a")});
        b.start(self, {QStringLiteral("--add-notes"), f.path(), QStringLiteral("anna.tnw"), QStringLiteral("500"), QStringLiteral("b")});
        QVERIFY(a.waitForFinished(240000) && b.waitForFinished(240000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        const desk::Notes notes = desk::ReadNotes(*f.store(), QStringLiteral("anna.tnw"));
        QCOMPARE(notes.entries.size(), 1000);
        QSet<QString> texts;
        for (const desk::Note& n : notes.entries)
            texts.insert(n.text);
        QCOMPARE(texts.size(), 1000);
    }

    // What the desk keeps about a person goes with their data on request and
    // with their erasure, also out of the items they share with others.
    void exportAndErasure()
    {
        Folder f;
        f.add(QStringLiteral("anna.tnw"), card(QStringLiteral("Анна"), 1, 30));
        f.add(QStringLiteral("boris.tnm"), card(QStringLiteral("Борис"), 0, 33));
        const auto s = f.store();
        QCOMPARE(desk::WriteSeeking(*s, QStringLiteral("anna.tnw"), ages(28, 40)), store::Result::Ok);
        QCOMPARE(desk::WriteSeeking(*s, QStringLiteral("boris.tnm"), ages(20, 30)), store::Result::Ok);
        QCOMPARE(desk::WriteStatus(*s, QStringLiteral("anna.tnw"), desk::Status::Paused), store::Result::Ok);
        QCOMPARE(desk::AddNote(*s, QStringLiteral("anna.tnw"), {QDateTime::currentDateTime(), QStringLiteral("ира"), QStringLiteral("Звонила")}),
                 store::Result::Ok);
        QCOMPARE(desk::Introduce(*s, QStringLiteral("boris.tnm"), QStringLiteral("anna.tnw"),
                                 {QDateTime::currentDateTime(), QStringLiteral("ира"), desk::Outcome::Met}),
                 store::Result::Ok);

        persondata::Bundle bundle;
        QString error;
        QVERIFY(persondata::Gather(f.path(), QStringLiteral("anna.tnw"), nullptr, bundle, error));
        QStringList kinds;
        for (const persondata::StoredItem& item : bundle.stored) {
            kinds << item.kind;
            QVERIFY2(!item.bytes.contains("boris.tnm\t"), item.bytes.constData());  // nobody else's bounds
        }
        kinds.sort();
        QCOMPARE(kinds, (QStringList{desk::kIntroductionsKind, desk::kNotesKind, desk::kSeekingKind, desk::kStatusKind}));

        HeadlessPlatform platform;
        erasure::Request request;
        request.folder = f.path();
        request.personFile = QStringLiteral("anna.tnw");
        request.reason = QStringLiteral("Отзыв согласия");
        QCOMPARE(erasure::Erase(platform, request).status, erasure::Status::Done);
        QCOMPARE(desk::ReadSeeking(*s, QStringLiteral("anna.tnw")), desk::Seeking{});
        QCOMPARE(desk::ReadSeeking(*s, QStringLiteral("boris.tnm")), ages(20, 30));
        QCOMPARE(desk::ReadStatus(*s, QStringLiteral("anna.tnw")), desk::Status::Active);
        QVERIFY(desk::ReadNotes(*s, QStringLiteral("anna.tnw")).entries.isEmpty());
        QVERIFY(desk::ReadPairsOf(*s, QStringLiteral("boris.tnm")).isEmpty());
    }

    // The statistics count each person once, in their group, status and month.
    void statistics()
    {
        Folder f;
        f.add(QStringLiteral("Т_20261503120000.tnw"), card(QStringLiteral("Анна"), 1, 19));   // 2026-03
        f.add(QStringLiteral("Т_20260103120000.tnw"), card(QStringLiteral("Вера"), 1, 30));   // 2026-03
        f.add(QStringLiteral("Т_20251011120000.tnm"), card(QStringLiteral("Борис"), 0, 60));  // 2025-11
        fixtures::writeBytes(f.path() + QStringLiteral("чужой.tnm"), "not a card\r\n");
        const auto s = f.store();
        QCOMPARE(desk::WriteStatus(*s, QStringLiteral("Т_20260103120000.tnw"), desk::Status::Found), store::Result::Ok);
        QCOMPARE(desk::Introduce(*s, QStringLiteral("Т_20260103120000.tnw"), QStringLiteral("Т_20251011120000.tnm"),
                                 {QDateTime::currentDateTime(), QStringLiteral("ира"), desk::Outcome::Pair}),
                 store::Result::Ok);
        QCOMPARE(desk::NeverOffer(*s, QStringLiteral("Т_20261503120000.tnw"), QStringLiteral("Т_20251011120000.tnm")),
                 store::Result::Ok);
        const stats::Figures figures = stats::Gather(f.path(), *s, QDate(kYear, 12, 10));
        QCOMPARE(figures.women, 2);
        QCOMPARE(figures.men, 1);
        QCOMPARE(figures.womenByAge[0].count, 1);  // до 20
        QCOMPARE(figures.womenByAge[2].count, 1);  // 30–39
        QCOMPARE(figures.menByAge[5].count, 1);    // 60 и старше
        QCOMPARE(figures.byStatus[0].count, 2);
        QCOMPARE(figures.byStatus[2], (stats::Bar{QStringLiteral("нашёл пару"), 1}));
        QCOMPARE(figures.byMonth, (QList<stats::Bar>{{QStringLiteral("2025-11"), 1}, {QStringLiteral("2026-03"), 2}}));
        QCOMPARE(figures.introductions, 1);
        QCOMPARE(figures.outcomes[3].count, 1);
        QCOMPARE(figures.neverOffer, 1);
    }

    // Bounds set through the import decide `pairs --mutual`.
    void importedBoundsAndTheCommandLine()
    {
        Folder f;
        QVERIFY(QFile::copy(qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples/Знакомства.tnd"),
                            f.path() + QStringLiteral("Т.tnd")));
        const QByteArray sheet = QStringLiteral(
            "name,sex,year,answers,age_from,age_to,height_from\r\n"
            "Анна,ж,1996,1 1 1 1 1 1 1 1 1 1 1 1,28,40,\r\n"
            "Борис,м,1993,1 1 1 1 1 1 1 1 1 1 1 1,,,\r\n"
            "Вадим,м,1956,1 1 1 1 1 1 1 1 1 1 1 1,,,\r\n"
            "Глеб,м,1995,2 2 2 2 2 2 2 2 2 2 2 2,,25,\r\n"
            "Денис,м,1990,1 1 1 1 1 1 1 1 1 1 1 1,20,,\"1,90\"\r\n").toUtf8();
        fixtures::writeBytes(f.path() + QStringLiteral("анкеты.csv"), sheet);
        fixtures::CliRun run = fixtures::runCli({QStringLiteral("import"), f.path() + QStringLiteral("Т.tnd"),
                                                 f.path() + QStringLiteral("анкеты.csv")});
        QCOMPARE(run.status, 0);
        QString anna;
        for (const QString& line : QString::fromUtf8(run.out).split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("строка 2: ")))
                anna = line.mid(10);
        QVERIFY(anna.endsWith(QStringLiteral(".tnw")));
        run = fixtures::runCli({QStringLiteral("pairs"), f.path() + anna, QStringLiteral("--mutual")});
        QCOMPARE(run.status, 0);
        const QString out = QString::fromUtf8(run.out);
        QVERIFY(out.contains(QStringLiteral("Борис")));
        for (const QString& absent : {QStringLiteral("Вадим"), QStringLiteral("Глеб"), QStringLiteral("Денис")})
            QVERIFY2(!out.contains(absent), qPrintable(absent));
        run = fixtures::runCli({QStringLiteral("pairs"), f.path() + anna});
        QCOMPARE(QString::fromUtf8(run.out).count(QLatin1Char('\n')), 5);

        fixtures::writeBytes(f.path() + QStringLiteral("плохие.csv"),
                             QStringLiteral("name,sex,year,answers,age_from,age_to\r\nЕва,ж,1990,1 1 1 1 1 1 1 1 1 1 1 1,40,30\r\n").toUtf8());
        run = fixtures::runCli({QStringLiteral("import"), f.path() + QStringLiteral("Т.tnd"), f.path() + QStringLiteral("плохие.csv")});
        QCOMPARE(run.status, 1);
        QVERIFY(QString::fromUtf8(run.err).contains(QStringLiteral("возраст от 40 больше, чем до 30")));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 6 && QByteArray(argv[1]) == "--add-notes")
        return addNotes(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), QByteArray(argv[4]).toInt(),
                        QString::fromLocal8Bit(argv[5]));
    TestDesk test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desk.moc"
