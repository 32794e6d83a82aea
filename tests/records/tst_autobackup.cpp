// The rules of the automatic copies: which archives are the program's own,
// when a copy is due, which copies go, where copies may not lie, and their
// settings file.
#include "Fixtures.h"

#include "engines/AutoBackup.h"

#include "ground/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace autobackup;

namespace {
const QString kName = QStringLiteral("Знакомства");
QString ours(const char* stamp)
{
    return kName + QLatin1Char(' ') + QLatin1String(stamp) + QStringLiteral(".zip");
}

const QString kVera = QStringLiteral("Знакомства_20240103100000.tnw");
const QString kIvan = QStringLiteral("Знакомства_20240104100000.tnm");

// A test folder "Знакомства" with two people, and the user's data folder
// where the copies go by default.
struct Folders {
    QTemporaryDir tmp;
    QString test = tmp.path() + QStringLiteral("/Знакомства/");
    QString data = tmp.path() + QStringLiteral("/данные");
    Folders()
    {
        QDir().mkpath(test);
        fixtures::writeBytes(test + kVera, fixtures::cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Вера"),
                                                                  QStringLiteral(" 1990"), QStringLiteral(" 0"),
                                                                  QStringLiteral("012"), QStringLiteral(" 1"), {}, {}}));
        fixtures::writeBytes(test + kIvan, fixtures::cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Иван"),
                                                                  QStringLiteral(" 1988"), QStringLiteral(" 0"),
                                                                  QStringLiteral("210"), QStringLiteral(" 0"), {}, {}}));
    }
    QString copies() const { return data + QStringLiteral("/tandemo/backups/Знакомства/"); }
    QStringList made() const { return QDir(copies()).entryList({QStringLiteral("*.zip")}, QDir::Files, QDir::Name); }
    Outcome run(const Settings& settings, const QDateTime& at) const
    {
        return Run(test, kName, settings, data, at);
    }
};
const QDateTime kFirst(QDate(2026, 3, 1), QTime(18, 0, 0));
}  // namespace

class TestAutoBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void archiveNamesAreOursOnlyWhenWhole_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QDateTime>("time");
        const QDateTime none;
        QTest::newRow("ours") << ours("2026-12-10 18-03-09") << QDateTime(QDate(2026, 12, 10), QTime(18, 3, 9));
        QTest::newRow("a hand-made copy of the day") << kName + QStringLiteral(" 2026-12-10.zip") << none;
        QTest::newRow("another test's") << QStringLiteral("Знакомства 2 2026-12-10 18-03-09.zip") << none;
        QTest::newRow("a longer name") << QStringLiteral("Знакомства-клуб 2026-12-10 18-03-09.zip") << none;
        QTest::newRow("no such day") << ours("2026-02-30 10-00-00") << none;
        QTest::newRow("another extension") << kName + QStringLiteral(" 2026-12-10 18-03-09.zip.part") << none;
        QTest::newRow("upper-case extension") << kName + QStringLiteral(" 2026-12-10 18-03-09.ZIP") << none;
        QTest::newRow("the test file") << QStringLiteral("Знакомства.tnd") << none;
    }
    void archiveNamesAreOursOnlyWhenWhole()
    {
        QFETCH(QString, file);
        QFETCH(QDateTime, time);
        const auto read = ArchiveTime(kName, file);
        QCOMPARE(read.has_value(), time.isValid());
        if (read)
            QCOMPARE(*read, time);
    }

    void nameAndTimeRoundTrip()
    {
        const QDateTime at(QDate(2027, 1, 2), QTime(3, 4, 5));
        QCOMPARE(ArchiveName(kName, at), ours("2027-01-02 03-04-05"));
        QCOMPARE(ArchiveTime(kName, ArchiveName(kName, at)), at);
    }

    void aCopyIsDueOncePerDay_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("due");
        const QDate day(2026, 12, 10);
        QTest::newRow("empty folder") << QStringList{} << day << true;
        QTest::newRow("yesterday's only") << QStringList{ours("2026-12-09 23-59-59")} << day << true;
        QTest::newRow("one from this morning") << QStringList{ours("2026-12-09 10-00-00"), ours("2026-12-10 00-00-00")}
                                                << day << false;
        QTest::newRow("a hand-made one today does not count")
            << QStringList{kName + QStringLiteral(" 2026-12-10.zip")} << day << true;
        QTest::newRow("another test's today does not count")
            << QStringList{QStringLiteral("Кошки 2026-12-10 12-00-00.zip")} << day << true;
        QTest::newRow("a copy from the future is not today's") << QStringList{ours("2026-12-11 08-00-00")} << day
                                                               << true;
    }
    void aCopyIsDueOncePerDay()
    {
        QFETCH(QStringList, files);
        QFETCH(QDate, today);
        QFETCH(bool, due);
        QCOMPARE(Due(files, kName, today), due);
    }

    void onlyTheNewestOfOursAreKept_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("keep");
        QTest::addColumn<QStringList>("removed");
        const QString a = ours("2026-12-01 10-00-00");
        const QString b = ours("2026-12-02 10-00-00");
        const QString c = ours("2026-12-03 09-00-00");
        const QString d = ours("2026-12-03 10-00-00");
        const QString hand = kName + QStringLiteral(" 2020-01-01.zip");
        const QString other = QStringLiteral("Кошки 2020-01-01 10-00-00.zip");
        QTest::newRow("fewer than kept") << QStringList{a, b} << 3 << QStringList{};
        QTest::newRow("exactly kept") << QStringList{a, b, c} << 3 << QStringList{};
        QTest::newRow("oldest go, by the time in the name, not the listing order")
            << QStringList{d, a, c, b} << 2 << QStringList{b, a};
        QTest::newRow("two the same day: the earlier goes") << QStringList{c, d} << 1 << QStringList{c};
        QTest::newRow("other files are never counted or removed")
            << QStringList{hand, other, a, b, QStringLiteral("notes.txt")} << 1 << QStringList{a};
        QTest::newRow("keeping none still keeps the newest") << QStringList{a, b} << 0 << QStringList{a};
    }
    void onlyTheNewestOfOursAreKept()
    {
        QFETCH(QStringList, files);
        QFETCH(int, keep);
        QFETCH(QStringList, removed);
        QCOMPARE(Surplus(files, kName, keep), removed);
    }

    void testNamesBecomeSafeFileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << QStringLiteral("Знакомства") << QStringLiteral("Знакомства");
        QTest::newRow("separators and Windows' refusals")
            << QStringLiteral("a/b\\c:d*e?f\"g<h>i|j") << QStringLiteral("a_b_c_d_e_f_g_h_i_j");
        QTest::newRow("control characters") << QStringLiteral("a\tb\nc") << QStringLiteral("a_b_c");
        QTest::newRow("no way up or hidden") << QStringLiteral("..") << QStringLiteral("запас");
        QTest::newRow("leading dots and trailing blanks") << QStringLiteral(".тест. ") << QStringLiteral("тест");
        QTest::newRow("empty") << QString() << QStringLiteral("запас");
        QTest::newRow("long") << QString(200, QLatin1Char('x')) << QString(kMaxNameChars, QLatin1Char('x'));
    }
    void testNamesBecomeSafeFileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(SafeName(name, QStringLiteral("запас")), safe);
    }

    void insideFollowsLinksAndNotYetMadeFolders()
    {
        QTemporaryDir tmp;
        const QString test = tmp.path() + QStringLiteral("/тест");
        QVERIFY(QDir().mkpath(test + QStringLiteral("/фото")));
        QVERIFY(QDir().mkpath(tmp.path() + QStringLiteral("/тестовые копии")));
        QVERIFY(QFile::link(test, tmp.path() + QStringLiteral("/ссылка")));
        QVERIFY(Inside(test + QStringLiteral("/a.zip"), test + QLatin1Char('/')));
        QVERIFY(Inside(test, test + QLatin1Char('/')));
        QVERIFY(Inside(test + QStringLiteral("/новая/ещё/a.zip"), test));
        QVERIFY(Inside(test + QStringLiteral("/фото/../a.zip"), test));
        QVERIFY(Inside(tmp.path() + QStringLiteral("/ссылка/a.zip"), test));
        QVERIFY(Inside(tmp.path() + QStringLiteral("/ссылка/нет/a.zip"), test));
        // A sibling whose name begins alike is outside.
        QVERIFY(!Inside(tmp.path() + QStringLiteral("/тестовые копии/a.zip"), test));
        QVERIFY(!Inside(tmp.path() + QStringLiteral("/a.zip"), test));
        QVERIFY(!Inside(test + QStringLiteral("/../a.zip"), test));
    }

    void settingsRoundTripAndDefaults()
    {
        QTemporaryDir tmp;
        const QString path = tmp.path() + QLatin1Char('/') + kSettingsFileName;
        QCOMPARE(ReadSettings(path), Settings{});
        QCOMPARE(ReadSettings(path).keep, kDefaultKeep);
        const Settings chosen{QStringLiteral("/mnt/диск, второй/копии"), 3};
        QVERIFY(WriteSettings(path, chosen));
        QCOMPARE(ReadSettings(path), chosen);
        fixtures::writeBytes(path, "keep=0\r\nfolder=/x\r\n");
        QCOMPARE(ReadSettings(path), (Settings{QStringLiteral("/x"), 1}));
        fixtures::writeBytes(path, "keep=100000\r\n");
        QCOMPARE(ReadSettings(path).keep, kMaxKeep);
        fixtures::writeBytes(path, "keep=many\r\n");
        QCOMPARE(ReadSettings(path).keep, kDefaultKeep);
        QVERIFY(!WriteSettings(path, Settings{QStringLiteral("/a\nkeep=1"), 5}));
    }

    void keepDaysInTheSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("keepDays");
        QTest::newRow("a file from before the line: by count only") << QByteArray("folder=/x\r\nkeep=3\r\n") << 0;
        QTest::newRow("thirty days") << QByteArray("folder=/x\r\nkeep=3\r\nkeepdays=30\r\n") << 30;
        QTest::newRow("negative: none") << QByteArray("keepdays=-5\r\n") << 0;
        QTest::newRow("beyond the bound") << QByteArray("keepdays=100000\r\n") << kMaxKeepDays;
        QTest::newRow("not a number") << QByteArray("keepdays=month\r\n") << 0;
    }
    void keepDaysInTheSettingsFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, keepDays);
        QTemporaryDir tmp;
        const QString path = tmp.path() + QLatin1Char('/') + kSettingsFileName;
        fixtures::writeBytes(path, file);
        Settings read = ReadSettings(path);
        QCOMPARE(read.keepDays, keepDays);
        read.keepDays = 45;
        QVERIFY(WriteSettings(path, read));
        QCOMPARE(ReadSettings(path), read);
    }

    void copiesExpireOnTheirDay_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("keepDays");
        QTest::addColumn<QStringList>("expired");
        const QString a = ours("2026-03-01 23-59-59");
        const QString b = ours("2026-03-02 00-00-00");
        const QString c = ours("2026-03-10 09-00-00");
        const QString hand = kName + QStringLiteral(" 2020-01-01.zip");
        // Today is 2026-03-11 at noon.
        QTest::newRow("by count only: none") << QStringList{a, b, c} << 0 << QStringList{};
        QTest::newRow("ten days: the day of the first has come, whatever its hour")
            << QStringList{c, b, a, hand} << 10 << QStringList{a};
        QTest::newRow("nine days: two, oldest last") << QStringList{a, b, c} << 9 << QStringList{b, a};
        QTest::newRow("one day: yesterday's too") << QStringList{a, c} << 1 << QStringList{c, a};
    }
    void copiesExpireOnTheirDay()
    {
        QFETCH(QStringList, files);
        QFETCH(int, keepDays);
        QFETCH(QStringList, expired);
        QCOMPARE(Expired(files, kName, keepDays, QDateTime(QDate(2026, 3, 11), QTime(12, 0))), expired);
    }

    // Real copies, made on their days: the count rule and the days rule
    // both remove, and the copy just made always stays.
    void runRemovesExpiredCopies()
    {
        Folders f;
        for (int day : {0, 1, 5})
            QCOMPARE(f.run({QString(), 10, 0}, kFirst.addDays(day)).status, Status::Made);
        QCOMPARE(f.made().size(), 3);
        const Outcome sixth = f.run({QString(), 10, 5}, kFirst.addDays(6));
        QCOMPARE(sixth.status, Status::Made);
        QCOMPARE(sixth.removed, (QStringList{ArchiveName(kName, kFirst.addDays(1)), ArchiveName(kName, kFirst)}));
        QCOMPARE(f.made(), (QStringList{ArchiveName(kName, kFirst.addDays(5)), ArchiveName(kName, kFirst.addDays(6))}));
        // Keeping one day only: the new copy stays, the day-old goes, as does
        // the surplus beyond the count.
        const Outcome seventh = f.run({QString(), 1, 1}, kFirst.addDays(7));
        QCOMPARE(seventh.removed.size(), 2);
        QCOMPARE(f.made(), QStringList{ArchiveName(kName, kFirst.addDays(7))});
    }

    // Which copies still hold a person, read from each copy's list of files;
    // an archive that is no backup, or cut short, is passed over.
    void archivesHoldingAPerson_data()
    {
        QTest::addColumn<QString>("person");
        QTest::addColumn<int>("keepDays");
        QTest::addColumn<QList<int>>("days");  // the days of the copies that hold them
        QTest::newRow("erased after the first copy") << kIvan << 30 << QList<int>{0};
        QTest::newRow("in both") << kVera << 30 << QList<int>{0, 1};
        QTest::newRow("kept by count only: no day") << kVera << 0 << QList<int>{0, 1};
        QTest::newRow("never there") << QStringLiteral("Знакомства_20250101100000.tnw") << 30 << QList<int>{};
    }
    void archivesHoldingAPerson()
    {
        QFETCH(QString, person);
        QFETCH(int, keepDays);
        QFETCH(QList<int>, days);
        Folders f;
        const Settings settings{QString(), 10, keepDays};
        QCOMPARE(ArchivesHolding(f.test, kName, person, settings, f.data), QList<Held>{});
        QCOMPARE(f.run(settings, kFirst).status, Status::Made);
        QVERIFY(QFile::remove(f.test + kIvan));
        QCOMPARE(f.run(settings, kFirst.addDays(1)).status, Status::Made);
        fixtures::writeBytes(f.copies() + ArchiveName(kName, kFirst.addDays(2)), "не архив");
        const QByteArray whole = fixtures::readBytes(f.copies() + ArchiveName(kName, kFirst));
        fixtures::writeBytes(f.copies() + ArchiveName(kName, kFirst.addDays(3)), whole.left(whole.size() / 2));
        QList<Held> expected;
        for (int day : days) {
            const QDateTime at = kFirst.addDays(day);
            expected.append({f.copies() + ArchiveName(kName, at), keepDays ? at.date().addDays(keepDays) : QDate()});
        }
        QCOMPARE(ArchivesHolding(f.test, kName, person, settings, f.data), expected);
        // Another test folder of the same name has copies of its own.
        QTemporaryDir other;
        QCOMPARE(ArchivesHolding(other.path() + QStringLiteral("/Знакомства/"), kName, person, settings, f.data),
                 QList<Held>{});
    }

    void theDefaultFolderIsUnderTheDataFolder()
    {
        QCOMPARE(DefaultFolder(QStringLiteral("/home/ольга/.local/share")),
                 QStringLiteral("/home/ольга/.local/share/tandemo/backups/"));
        QCOMPARE(DefaultFolder(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestAutoBackup)
#include "tst_autobackup.moc"
