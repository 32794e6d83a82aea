#include "harness/Harness.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

// Replays the fuzzers' seed inputs and every input that once made a reader
// fail, through the same entry points the fuzz targets use.
class TestReplay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replay_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("input");
        const QString root = qEnvironmentVariable("TANDEMO_FUZZ_DIR");
        QVERIFY2(QDir(root).exists(), "TANDEMO_FUZZ_DIR must name the fuzz folder");
        int inputs = 0;
        for (const QString& kind : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
            for (const QString& target : QDir(root + QLatin1Char('/') + kind).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                const QDir dir(root + QLatin1Char('/') + kind + QLatin1Char('/') + target);
                for (const QString& file : dir.entryList(QDir::Files)) {
                    QTest::newRow(qPrintable(kind + QLatin1Char('/') + target + QLatin1Char('/') + file))
                        << target << dir.filePath(file);
                    ++inputs;
                }
            }
        }
        QVERIFY(inputs > 0);
    }
    void replay()
    {
        QFETCH(QString, target);
        QFETCH(QString, input);
        static const std::map<QString, std::function<bool(const QByteArray&)>> entries{
            {QStringLiteral("testfile"), harness::TestFile},   {QStringLiteral("personfile"), harness::PersonFile},
            {QStringLiteral("settings"), harness::Settings},   {QStringLiteral("bulktext"), harness::BulkText},
            {QStringLiteral("dispatch"), harness::Dispatch},   {QStringLiteral("wordwrap"), harness::WordWrap},
            {QStringLiteral("sheet"), harness::Sheet},         {QStringLiteral("journal"), harness::Journal},
            {QStringLiteral("manifest"), harness::Manifest},   {QStringLiteral("consent"), harness::Consent},
            {QStringLiteral("weights"), harness::WeightsBlock},
        };
        const auto entry = entries.find(target);
        QVERIFY2(entry != entries.end(), qPrintable(target));
        QFile file(input);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(entry->second(file.readAll()));
    }
};

QTEST_GUILESS_MAIN(TestReplay)
#include "tst_replay.moc"
