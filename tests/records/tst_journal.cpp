// The folder's store and its journal: records that survive any file name, a
// crash in the middle of a record, two programs of one desk writing at once,
// several desks' files read in time order, and items that never overwrite
// another desk's change.
#include "Fixtures.h"

#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

journal::Record record(const QString& file, const QDateTime& time = QDateTime::currentDateTime())
{
    return journal::Make(time, journal::kCardChanged, file, QByteArray("before"), QByteArray("after"));
}

QString logFolder(const QString& folder)
{
    return folder + store::kHiddenFolder + QStringLiteral("/journal/");
}

}  // namespace

class TestJournal : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A record reads back exactly, whatever its file name holds, and no part
    // of it cut short reads as a record.
    void recordsRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("desk");
        QTest::newRow("plain") << QStringLiteral("Клуб_20240103100000.tnw") << QStringLiteral("reception");
        QTest::newRow("comma, percent, quote") << QStringLiteral("a,b%41\"c.tnm") << QStringLiteral("desk,1");
        QTest::newRow("line ends in the name") << QStringLiteral("a\nb\r\n.tnm") << QStringLiteral("стойка");
        QTest::newRow("bytes that are not UTF-8") << textfile::nameFromBytes("\xc0\xed\xed\xe0.tnw")
                                                  << QStringLiteral("x");
        QTest::newRow("empty name") << QString() << QString();
    }
    void recordsRoundTrip()
    {
        QFETCH(QString, file);
        QFETCH(QString, desk);
        journal::Record r = journal::Make(QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9, 120), Qt::OffsetFromUTC, 3 * 3600),
                                          journal::kCardDeleted, file, QByteArray("old"), std::nullopt);
        r.desk = desk;
        const QByteArray line = journal::Encode(r);
        QVERIFY(!line.contains('\n') && !line.contains('\r'));
        QCOMPARE(journal::Decode(line), std::optional<journal::Record>(r));
        QCOMPARE(textfile::pathBytes(journal::Decode(line)->file), textfile::pathBytes(file));
        QVERIFY(line.contains("2026-03-07T14:05:09.120+03:00"));
        QCOMPARE(r.before, journal::Sha256Hex("old"));
        QVERIFY(r.after.isEmpty());
        for (qsizetype cut = 0; cut < line.size(); ++cut)
            QVERIFY2(!journal::Decode(line.first(cut)), qPrintable(QString::number(cut)));
    }

    // A crash left half a record at the end of a desk's file: it is no
    // record, and the next one still reads whole.
    void cutRecordIsLeftOut()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        const auto s = store::Open(folder);
        QVERIFY(journal::Append(*s, {record(QStringLiteral("one.tnm"))}));
        const QStringList files = QDir(logFolder(folder)).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        const QString path = logFolder(folder) + files[0];
        const QByteArray whole = journal::Encode(record(QStringLiteral("two.tnm")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(whole.left(whole.size() - 3));
        file.close();
        QVERIFY(journal::Append(*s, {record(QStringLiteral("three.tnm"))}));
        const QList<journal::Record> read = journal::Read(*s);
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[0].file, QStringLiteral("one.tnm"));
        QCOMPARE(read[1].file, QStringLiteral("three.tnm"));
    }

    // Two programs of one desk add 1 000 records each at the same time.
    void twoProgramsAtOnce()
    {
        const QString saver = qEnvironmentVariable("TANDEMO_SAVER");
        QVERIFY2(QFile::exists(saver), "TANDEMO_SAVER must name the program");
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        constexpr int kCount = 1000;
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const QString who : {QStringLiteral("A"), QStringLiteral("B")}) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(saver, {QStringLiteral("journal"), folder, who, QString::number(kCount)});
        }
        for (auto& run : runs) {
            QVERIFY(run->waitForFinished(120000));
            QCOMPARE(run->exitCode(), 0);
        }
        const auto s = store::Open(folder);
        QCOMPARE(s->records(QStringLiteral("journal")).size(), 2 * kCount);
        const QList<journal::Record> read = journal::Read(*s);
        QCOMPARE(read.size(), 2 * kCount);
        QSet<QString> files;
        for (const journal::Record& r : read) {
            files.insert(r.file);
            const QByteArray bytes = QString(r.file).remove(QLatin1Char('-')).toUtf8();
            QCOMPARE(r.before, journal::Sha256Hex(bytes));
            QCOMPARE(r.after, journal::Sha256Hex(bytes + '!'));
        }
        QCOMPARE(files.size(), 2 * kCount);
        for (qsizetype i = 1; i < read.size(); ++i)
            QVERIFY(read[i - 1].time <= read[i].time);
    }

    // Each desk's file is read; the command line tool prints them merged in
    // time order, from a date on when asked.
    void desksMergedInTimeOrder()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        QVERIFY(QDir().mkpath(logFolder(folder)));
        auto at = [](int day, int hour, const QString& file, const QString& desk) {
            journal::Record r = record(file, QDateTime(QDate(2026, 11, day), QTime(hour, 0), Qt::OffsetFromUTC, 3 * 3600));
            r.desk = desk;
            return journal::Encode(r) + '\n';
        };
        fixtures::writeBytes(logFolder(folder) + QStringLiteral("front-2026-11.log"),
                             at(1, 9, QStringLiteral("a"), QStringLiteral("front")) +
                                 at(3, 9, QStringLiteral("c"), QStringLiteral("front")));
        fixtures::writeBytes(logFolder(folder) + QStringLiteral("back-2026-11.log"),
                             at(2, 9, QStringLiteral("b,\"x\""), QStringLiteral("back")) +
                                 at(4, 9, QStringLiteral("d"), QStringLiteral("back")));
        // Not the journal's: ignored.
        fixtures::writeBytes(logFolder(folder) + QStringLiteral("notes.txt"), at(5, 9, QStringLiteral("e"), {}));

        const fixtures::CliRun all = fixtures::runCli({QStringLiteral("journal"), folder});
        QCOMPARE(all.status, 0);
        const QList<QByteArray> lines = all.out.split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QStringLiteral("время,рабочее место,пользователь,действие,файл,SHA-256 до,SHA-256 после\r").toUtf8());
        QVERIFY(lines[1].startsWith("2026-11-01T09:00:00.000+03:00,front,"));
        QVERIFY(lines[2].startsWith("2026-11-02T09:00:00.000+03:00,back,"));
        QVERIFY(lines[2].contains(",\"b,\"\"x\"\"\","));
        QVERIFY(lines[3].startsWith("2026-11-03T09:00:00.000+03:00,front,"));
        QVERIFY(lines[4].startsWith("2026-11-04T09:00:00.000+03:00,back,"));

        const fixtures::CliRun since =
            fixtures::runCli({QStringLiteral("journal"), folder, QStringLiteral("--since"), QStringLiteral("2026-11-03T00:00:00+03:00")});
        QCOMPARE(since.status, 0);
        QCOMPARE(since.out.count('\n'), 3);
        QVERIFY(since.out.contains("2026-11-03T09") && since.out.contains("2026-11-04T09"));

        QCOMPARE(fixtures::runCli({QStringLiteral("journal"), folder, QStringLiteral("--since"), QStringLiteral("вчера")}).status, 2);
        QCOMPARE(fixtures::runCli({QStringLiteral("journal"), folder + QStringLiteral("нет")}).status, 1);
    }

    // An item is made only where none is, and changed or removed only while
    // it holds what was read: another desk's save in between wins.
    void itemsNeverOverwriteAnotherDesk()
    {
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        const auto here = store::Open(folder);
        const auto there = store::Open(folder);
        const QString kind = QStringLiteral("notes");
        const QString key = QStringLiteral("Клуб_1.tnw");
        QCOMPARE(here->write(kind, key, "first", std::nullopt), store::Result::Ok);
        QCOMPARE(there->write(kind, key, "also first", std::nullopt), store::Result::Changed);
        const std::optional<store::Item> readHere = here->read(kind, key);
        const std::optional<store::Item> readThere = there->read(kind, key);
        QVERIFY(readHere && readThere);
        QCOMPARE(readHere->bytes, QByteArray("first"));
        QCOMPARE(there->write(kind, key, "there", readThere->version), store::Result::Ok);
        QCOMPARE(here->write(kind, key, "here", readHere->version), store::Result::Changed);
        QCOMPARE(here->remove(kind, key, readHere->version), store::Result::Changed);
        QCOMPARE(here->read(kind, key)->bytes, QByteArray("there"));
        QCOMPARE(here->keys(kind), QStringList{key});
        QCOMPARE(here->remove(kind, key, here->read(kind, key)->version), store::Result::Ok);
        QVERIFY(!here->read(kind, key));
        // Names that would leave the store are refused.
        for (const QString bad : {QStringLiteral("../x"), QStringLiteral(".hidden"), QStringLiteral("a/b"), QString()}) {
            QCOMPARE(here->write(kind, bad, "x", std::nullopt), store::Result::Failed);
            QCOMPARE(here->write(bad, key, "x", std::nullopt), store::Result::Failed);
        }
        QCOMPARE(fixtures::folderEntries(folder), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
