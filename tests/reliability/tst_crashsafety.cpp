#include "Fixtures.h"
#include "SaverVersions.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/FolderWrite.h"
#include "ground/TextFile.h"
#include "engines/PersonFile.h"
#include "shell/Startup.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// A save killed at any moment leaves the complete old file or the complete new
// one, never a mix or a stub.
class TestCrashSafety : public QObject {
    Q_OBJECT

    // The bytes a save of version v writes, for the kind of file.
    QString folder_;

    QByteArray expected(const QString& kind, int v, const QByteArray& onDisk)
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.test.TestFilePath = folder_ + QStringLiteral("t.tnd");
        Prepare(app, v);
        if (kind == QLatin1String("person"))
            return PersonFileContent(app.st.CardFields[0]);
        if (kind == QLatin1String("settings")) {
            return textfile::encode(app.st.folders.LastFolder) + "\r\n" + textfile::encode(app.st.folders.SplashPicture) + "\r\n" +
                   textfile::encode(app.st.test.TestFilePath) + "\r\n";
        }
        // The test file carries a new password seed at every save: take the
        // one on disk.
        const QList<QByteArray> lines = textfile::splitLines(onDisk);
        return TestFileContent(app, textfile::parseNumber(lines.value(2)).value_or(1));
    }

private Q_SLOTS:
    void killedWhileSaving_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("file");
        QTest::newRow("test file") << "test" << "t.tnd";
        QTest::newRow("person file") << "person" << "p.tnw";
        QTest::newRow("settings file") << "settings" << "Тандемо.ini";
    }
    void killedWhileSaving()
    {
        QFETCH(QString, kind);
        QFETCH(QString, file);
        const QString saver = qEnvironmentVariable("TANDEMO_SAVER");
        QVERIFY2(QFile::exists(saver), "TANDEMO_SAVER must name the saver program");
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        folder_ = folder;
        int kills = 0;
        for (int round = 0; round < 25; ++round) {
            QProcess process;
            process.start(saver, {kind, folder});
            QVERIFY(process.waitForStarted());
            QVERIFY(process.waitForReadyRead(10000));
            if (round == 0) {
                // Let one save complete first, however slow this build is, so
                // that every later kill has an old file to lose.
                QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder + file), 120000);
            }
            QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(5, 120)));
            if (process.state() == QProcess::Running) {
                ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
                ++kills;
            }
            QVERIFY(process.waitForFinished(10000));
            const QByteArray onDisk = fixtures::readBytes(folder + file);
            if (onDisk.isEmpty() && !QFile::exists(folder + file))
                continue;  // killed before the first save was complete: nothing to lose yet
            const bool whole = onDisk == expected(kind, 0, onDisk) || onDisk == expected(kind, 1, onDisk);
            QVERIFY2(whole, qPrintable(QStringLiteral("round %1: %2 bytes on disk").arg(round).arg(onDisk.size())));
        }
        QVERIFY(kills > 0);
        QVERIFY(QFile::exists(folder + file));
    }

    // New results killed at any moment: every name a list would show holds a
    // complete card; what a kill leaves half-written is only ever a hidden
    // temporary.
    void killedWhileSavingNewResults()
    {
        const QString saver = qEnvironmentVariable("TANDEMO_SAVER");
        QVERIFY2(QFile::exists(saver), "TANDEMO_SAVER must name the saver program");
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        folder_ = folder;
        const QByteArray versions[2] = {expected(QStringLiteral("person"), 0, {}),
                                        expected(QStringLiteral("person"), 1, {})};
        int results = 0;
        int kills = 0;
        for (int round = 0; round < 15; ++round) {
            QProcess process;
            process.start(saver, {QStringLiteral("result"), folder});
            QVERIFY(process.waitForStarted());
            QVERIFY(process.waitForReadyRead(10000));
            if (round == 0) {
                // One result at least, however slow this build is.
                QTRY_VERIFY_WITH_TIMEOUT(!QDir(folder).entryList({QStringLiteral("*.tn?")}, QDir::Files).isEmpty(),
                                         120000);
            }
            QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(5, 120)));
            if (process.state() == QProcess::Running) {
                ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
                ++kills;
            }
            QVERIFY(process.waitForFinished(10000));
            const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                               QDir::NoDotAndDotDot);
            for (const QString& name : entries) {
                if (textfile::isTemporaryName(QFile::encodeName(name))) {
                    QVERIFY2(name.startsWith(QLatin1Char('.')) && !name.endsWith(QLatin1String(".tnm")) &&
                                 !name.endsWith(QLatin1String(".tnw")),
                             qPrintable(name));
                } else {
                    const QByteArray onDisk = fixtures::readBytes(folder + name);
                    QVERIFY2(onDisk == versions[0] || onDisk == versions[1],
                             qPrintable(QStringLiteral("round %1: %2 holds %3 bytes").arg(round).arg(name).arg(onDisk.size())));
                    ++results;
                }
                QVERIFY(QFile::remove(folder + name));
            }
        }
        QVERIFY(kills > 0);
        QVERIFY(results > 0);
    }
};

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
