#include "Fixtures.h"
#include "SaverVersions.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "engines/PersonFile.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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
        // Results of one second did meet: the free-name search was raced.
        QVERIFY(suffixed > 0);
    }
};

QTEST_GUILESS_MAIN(TestConcurrentSaves)
#include "tst_concurrentsaves.moc"
