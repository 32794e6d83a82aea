#include "Fixtures.h"

#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "SaverVersions.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "engines/PersonFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <memory>

// Several desks saving into one test folder at the same moment: two imports
// of paper results and a desk ending attempts one after the other. Every
// result must be on disk, whole, under a name of its own.
class TestConcurrentSaves : public QObject {
    Q_OBJECT

    static constexpr int kQuestions = 6;
    static constexpr int kRows = 200;

private Q_SLOTS:
    void twoImportsAndADeskAtOnce()
    {
        const QString cli = qEnvironmentVariable("TANDEMO_CLI");
        const QString saver = qEnvironmentVariable("TANDEMO_SAVER");
        QVERIFY2(QFile::exists(cli) && QFile::exists(saver), "TANDEMO_CLI and TANDEMO_SAVER must name the programs");
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QStringLiteral("/test/");
        const QString sheets = tmp.path() + QStringLiteral("/sheets/");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir().mkpath(sheets));
        const QString testFile = folder + QStringLiteral("Гонка.tnd");
        const QString password = QStringLiteral("тайна");
        {
            ScriptedPlatform pf;
            App app(pf);
            AppState& st = app.st;
            st.test.TestName = QStringLiteral("Гонка");
            st.test.TestPassword = password;
            st.test.QuestionCount = kQuestions;
            st.test.Questions.resizeFresh(kQuestions);
            for (int q = 1; q <= kQuestions; ++q) {
                st.test.Questions[q].Vopros = QStringLiteral("Вопрос %1").arg(q);
                st.test.Questions[q].CountOtvetov = 2;
                for (int a = 0; a < 3; ++a)
                    st.test.Questions[q].AddOtvety(a, QStringLiteral("Ответ %1").arg(a + 1));
            }
            SaveTest(app, testFile);
            QCOMPARE(pf.messageTexts(), QStringList());
        }

        // What each result must look like on disk, by the name on the card.
        QHash<QString, std::pair<QByteArray, QString>> expected;  // content, extension
        auto expect = [&](const QString& who) {
            for (int i = 0; i < kRows; ++i) {
                RaceResult r = RaceResultOf(who, i, kQuestions);
                r.card.Parol = password;
                expected.insert(r.card.NameFamiliya,
                                {PersonFileContent(r.card), r.card.Pol ? QStringLiteral(".tnw") : QStringLiteral(".tnm")});
            }
        };
        // The importers' sheets: the same results as rows, answers numbered
        // as the question pages show them.
        auto sheet = [&](const QString& who) {
            QByteArray csv = "name,sex,year,answers,about\r\n";
            for (int i = 0; i < kRows; ++i) {
                const RaceResult r = RaceResultOf(who, i, kQuestions);
                QStringList answers;
                for (int a : r.answers)
                    answers << QString::number(a + 1);
                csv += (r.card.NameFamiliya + QLatin1Char(',') + (r.card.Pol ? QStringLiteral("ж") : QStringLiteral("м")) + QLatin1Char(',') +
                        QString::number(r.card.DataRogdeniya) + QLatin1Char(',') + answers.join(QLatin1Char(' ')) +
                        QStringLiteral(",\"") + r.card.Podrobnosti[5] + QStringLiteral("\"\r\n"))
                           .toUtf8();
            }
            const QString path = sheets + who + QStringLiteral(".csv");
            fixtures::writeBytes(path, csv);
            expect(who);
            return path;
        };
        const QString sheetA = sheet(QStringLiteral("Анна"));
        const QString sheetB = sheet(QStringLiteral("Борис"));
        expect(QStringLiteral("Вера"));

        std::vector<std::unique_ptr<QProcess>> runs;
        auto start = [&](const QString& program, const QStringList& args) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->start(program, args);
        };
        start(cli, {QStringLiteral("import"), testFile, sheetA});
        start(cli, {QStringLiteral("import"), testFile, sheetB});
        start(saver, {QStringLiteral("results"), testFile, QStringLiteral("Вера"), QString::number(kRows)});
        for (auto& run : runs) {
            QVERIFY(run->waitForFinished(240000));
            QCOMPARE(run->exitStatus(), QProcess::NormalExit);
            QVERIFY2(run->exitCode() == 0, run->readAllStandardError().constData());
        }
        for (int i = 0; i < 2; ++i) {
            const QList<QByteArray> lines = runs[static_cast<size_t>(i)]->readAllStandardOutput().split('\n');
            QCOMPARE(lines.value(lines.size() - 2), QStringLiteral("200 строк сохранено, 0 строк отклонено").toUtf8());
        }

        // Every result whole, each in a file of its own, nothing else left.
        const QStringList entries =
            fixtures::folderEntries(folder);
        QCOMPARE(entries.size(), 3 * kRows + 1);
        int suffixed = 0;
        const QRegularExpression resultName(QStringLiteral("^Гонка_\\d{14}(_\\d+)?\\.tn[mw]$"));
        for (const QString& name : entries) {
            if (name == QStringLiteral("Гонка.tnd"))
                continue;
            const QRegularExpressionMatch m = resultName.match(name);
            QVERIFY2(m.hasMatch(), qPrintable(name));
            if (m.hasCaptured(1))
                ++suffixed;
            const QByteArray bytes = fixtures::readBytes(folder + name);
            const QString person = textfile::decode(textfile::splitLines(bytes).value(1));
            QVERIFY2(expected.contains(person), qPrintable(name + QStringLiteral(": ") + person));
            const auto [content, extension] = expected.take(person);
            QVERIFY2(bytes == content, qPrintable(name));
            QVERIFY2(name.endsWith(extension), qPrintable(name));
        }
        QVERIFY(expected.isEmpty());
        // The three programs' journal records are all there, whole, one per
        // result, each naming a result's file and its bytes.
        const auto store = store::Open(folder);
        const QList<journal::Record> records = journal::Read(*store);
        QCOMPARE(records.size(), 3 * kRows + 1);  // and the test file saved above
        QSet<QString> named;
        for (const journal::Record& r : records) {
            if (r.action == journal::kTestSaved)
                continue;
            QVERIFY2(r.action == journal::kImported || r.action == journal::kResultSaved, qPrintable(r.action));
            QCOMPARE(r.after, journal::Sha256Hex(fixtures::readBytes(folder + r.file)));
            named.insert(r.file);
        }
        QCOMPARE(named.size(), 3 * kRows);
        // Results of one second did meet: the free-name search was raced.
        QVERIFY(suffixed > 0);
    }

    // Two desks, each a program of its own, open one card; then they change
    // and delete it in turn. A desk that opened the card before the other's
    // change or deletion is refused and shown what is on disk; nothing one
    // desk saved is lost, and a deleted card never comes back.
    void twoDesksOneCard_data()
    {
        QTest::addColumn<QStringList>("steps");     // "A|B command => expected output", in order
        QTest::addColumn<QString>("name");          // on disk at the end; empty: no file
        QTest::addColumn<QString>("address");
        const QString changed = QStringLiteral("message: Карточка изменена на другом рабочем месте.");
        const QString deleted = QStringLiteral("message: Карточка удалена на другом рабочем месте.");
        QTest::newRow("change, then a change from the card read before")
            << QStringList{"A name Анна Сидорова => shows: card Анна Сидорова",
                           "B address Тверь => " + changed + " | shows: card Анна Сидорова",
                           "B address Тверь => shows: card Анна Сидорова"}
            << "Анна Сидорова" << "Тверь";
        QTest::newRow("change, then a deletion of the card read before")
            << QStringList{"A name Анна Сидорова => shows: card Анна Сидорова",
                           "B delete => " + changed + " | shows: card Анна Сидорова"}
            << "Анна Сидорова" << "Москва";
        QTest::newRow("deletion, then a change")
            << QStringList{"A delete => message: Файл удален. | shows: list",
                           "B address Тверь => " + deleted + " | shows: list"}
            << QString() << QString();
        QTest::newRow("deletion, then a deletion")
            << QStringList{"B delete => message: Файл удален. | shows: list",
                           "A delete => " + deleted + " | shows: list"}
            << QString() << QString();
    }
    void twoDesksOneCard()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, name);
        QFETCH(QString, address);
        const QString saver = qEnvironmentVariable("TANDEMO_SAVER");
        QVERIFY2(QFile::exists(saver), "TANDEMO_SAVER must name the program");
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        const QString card = folder + QStringLiteral("Клуб_20240103100000.tnw");
        fixtures::writeBytes(card, fixtures::cp1251Lines({"[kartochka]", "Анна Петрова", " 1985", " 1", "0123", "1,65",
                                                          "55", "", "", "", "", "", "Москва", "", " 1", "Тайна", ""}));

        std::map<QString, std::unique_ptr<QProcess>> desks;
        auto say = [&desks](const QString& who, const QString& command) {
            QProcess& desk = *desks.at(who);
            desk.write(command.toUtf8() + '\n');
            QStringList out;
            while (out.isEmpty() || out.last() != QLatin1String("end")) {
                if (!desk.canReadLine() && !desk.waitForReadyRead(30000))
                    return out << QStringLiteral("(no answer)");
                while (desk.canReadLine())
                    out << QString::fromUtf8(desk.readLine()).trimmed();
            }
            out.removeLast();
            return out;
        };
        for (const QString who : {QStringLiteral("A"), QStringLiteral("B")}) {
            desks[who] = std::make_unique<QProcess>();
            desks[who]->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            desks[who]->start(saver, {QStringLiteral("desk"), folder, QStringLiteral("Тайна")});
            QVERIFY(desks[who]->waitForStarted());
            QCOMPARE(say(who, QStringLiteral("open")), QStringList{QStringLiteral("shows: card Анна Петрова")});
        }
        for (const QString& step : steps) {
            const QStringList parts = step.split(QStringLiteral(" => "));
            QCOMPARE(say(parts[0].left(1), parts[0].mid(2)).join(QStringLiteral(" | ")), parts[1]);
        }
        for (auto& [who, desk] : desks) {
            desk->closeWriteChannel();
            QVERIFY(desk->waitForFinished(30000));
            QCOMPARE(desk->exitCode(), 0);
        }

        const QStringList left = fixtures::folderEntries(folder);
        if (name.isEmpty()) {
            QCOMPARE(left, QStringList());
            return;
        }
        QCOMPARE(left, QStringList{QFileInfo(card).fileName()});
        const QList<QByteArray> lines = textfile::splitLines(fixtures::readBytes(card));
        QCOMPARE(textfile::decode(lines.value(1)), name);
        QCOMPARE(textfile::decode(lines.value(12)), address);
        QCOMPARE(textfile::decode(lines.value(15)), QStringLiteral("Тайна"));
    }
};

QTEST_GUILESS_MAIN(TestConcurrentSaves)
#include "tst_concurrentsaves.moc"
