#include "Fixtures.h"
#include "SaverVersions.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/FolderWrite.h"
#include "ground/TextFile.h"
#include "engines/PersonFile.h"
#include "shell/Startup.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
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
            const QStringList entries = fixtures::folderEntries(folder);
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

    // An import killed at any moment: it saves its rows in groups, and still
    // every name a list would show holds a whole card of one of its rows.
    void killedWhileImporting()
    {
        const QString cli = qEnvironmentVariable("TANDEMO_CLI");
        QVERIFY2(QFile::exists(cli), "TANDEMO_CLI must name the command line tool");
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/club/");
        QVERIFY(QDir().mkpath(folder));
        const QString test = folder + QStringLiteral("Клуб.tnd");
        {
            ScriptedPlatform pf;
            App app(pf);
            app.st.test.TestName = QStringLiteral("Клуб");
            app.st.test.TestPassword = QStringLiteral("п");
            app.st.test.QuestionCount = 3;
            app.st.test.Questions.resizeFresh(3);
            for (int q = 1; q <= 3; ++q) {
                app.st.test.Questions[q].Vopros = QStringLiteral("Вопрос");
                app.st.test.Questions[q].CountOtvetov = 1;
                app.st.test.Questions[q].AddOtvety(0, QStringLiteral("Да"));
                app.st.test.Questions[q].AddOtvety(1, QStringLiteral("Нет"));
            }
            fixtures::writeBytes(test, TestFileContent(app, 7));
        }
        // Each row's card, as the import writes it.
        QByteArray csv = "name,sex,year,answers\n";
        QSet<QByteArray> whole;
        for (int i = 0; i < 6000; ++i) {
            Kartochka card;
            card.NameFamiliya = QStringLiteral("Человек %1").arg(i);
            card.DataRogdeniya = 1950 + i % 50;
            card.Pol = i % 2;
            card.Otvety = QStringLiteral("%1%2%3").arg(i % 2).arg(i / 2 % 2).arg(i / 4 % 2);
            card.Parol = QStringLiteral("п");
            csv += (card.NameFamiliya + (card.Pol ? QStringLiteral(",ж,") : QStringLiteral(",м,")) +
                    QString::number(card.DataRogdeniya) + QStringLiteral(",%1 %2 %3\n")
                                                              .arg(i % 2 + 1)
                                                              .arg(i / 2 % 2 + 1)
                                                              .arg(i / 4 % 2 + 1))
                       .toUtf8();
            whole.insert(PersonFileContent(card));
        }
        const QString sheet = dir.path() + QStringLiteral("/sheet.csv");
        fixtures::writeBytes(sheet, csv);

        // A whole run first, to learn how long one takes on this machine;
        // the kills then fall anywhere within such a run.
        QElapsedTimer timer;
        timer.start();
        QProcess first;
        first.start(cli, {QStringLiteral("import"), test, sheet});
        QVERIFY(first.waitForFinished(120000));
        QCOMPARE(first.exitCode(), 0);
        const int span = std::max(20, static_cast<int>(timer.elapsed()));
        for (const QString& name : QDir(folder).entryList({QStringLiteral("*.tn?")}, QDir::Files)) {
            if (name != QStringLiteral("Клуб.tnd"))
                QVERIFY(QFile::remove(folder + name));
        }
        int results = 0;
        int kills = 0;
        for (int round = 0; round < 8; ++round) {
            QProcess process;
            process.start(cli, {QStringLiteral("import"), test, sheet});
            QVERIFY(process.waitForStarted());
            QTest::qWait(static_cast<int>(QRandomGenerator::global()->bounded(span / 4, span)));
            if (process.state() == QProcess::Running) {
                ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
                ++kills;
            }
            if (process.state() != QProcess::NotRunning)
                QVERIFY(process.waitForFinished(120000));
            for (const QString& name : fixtures::folderEntries(folder)) {
                if (name == QStringLiteral("Клуб.tnd"))
                    continue;
                if (textfile::isTemporaryName(QFile::encodeName(name))) {
                    QVERIFY2(name.startsWith(QLatin1Char('.')) && !name.endsWith(QLatin1String(".tnm")) &&
                                 !name.endsWith(QLatin1String(".tnw")),
                             qPrintable(name));
                } else {
                    QVERIFY2(whole.contains(fixtures::readBytes(folder + name)),
                             qPrintable(QStringLiteral("round %1: %2 is no whole card").arg(round).arg(name)));
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
