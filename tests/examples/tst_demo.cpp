#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "engines/PairSearch.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/Startup.h"
#include "engines/Proverka.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using fixtures::readBytes;
using fixtures::writeBytes;

namespace {

QString examples()
{
    return qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples/");
}

QString demoTest()
{
    return examples() + QStringLiteral("Знакомства.tnd");
}

int run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

}  // namespace

// The demo folder that a newcomer opens on the first run.
class TestDemo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void demoTestIsCompleteAndOpens()
    {
        ScriptedPlatform pf;
        App app(pf);
        OpenTest(app, demoTest());
        QCOMPARE(pf.messageTexts(), QStringList());
        QCOMPARE(app.st.test.TestName, QStringLiteral("Знакомства"));
        QVERIFY(app.st.test.QuestionCount >= 10);
        QCOMPARE(Proverka(app, 0), 0);
        QVERIFY(!app.st.main.MainHtml.contains(QStringLiteral("Тест не готов!")));
        // The password that the README gives.
        QCOMPARE(app.st.test.TestPassword, QStringLiteral("demo"));
    }

    void folderHoldsBothSexesWhoTookTheTest()
    {
        ScriptedPlatform pf;
        App app(pf);
        OpenTest(app, demoTest());
        const int questions = app.st.test.QuestionCount;
        for (int women = 0; women <= 1; ++women) {
            app.st.people.ListWomen = women;
            ScanPeople(app, {});
            const QString pattern = women ? QStringLiteral("*.tnw") : QStringLiteral("*.tnm");
            QVERIFY2(app.st.people.PeopleLast + 1 >= 25, qPrintable(pattern));
            // Every file is a person file the program accepts.
            QCOMPARE(app.st.people.PeopleLast + 1, QDir(examples()).entryList({pattern}, QDir::Files).size());
        }

        // Everyone answered every question of this test, so a ranking spreads
        // from close to poor matches.
        app.st.people.ListWomen = false;
        ScanPeople(app, {});
        QCOMPARE(OpenKartochka(app, app.st.people.People[app.st.people.PeopleOrder[0]].FileName, 1), CardOpen::Opened);
        QCOMPARE(app.st.CardFields[1].Otvety.size(), questions);
        const PairRanking ranking = RankPairs(app.st.folders.WorkFolder, app.st.CardFields[1], 2026);
        QVERIFY(ranking.pairs.size() >= 25);
        const int top = ranking.matches[ranking.order.first()];
        const int bottom = ranking.matches[ranking.order.last()];
        QVERIFY2(top > bottom + 2, qPrintable(QStringLiteral("%1..%2").arg(bottom).arg(top)));
        QVERIFY(top < questions + 1);
    }

    void committedFilesAreTheGeneratorsOutput()
    {
        QTemporaryDir tmp;
        QCOMPARE(run(qEnvironmentVariable("TANDEMO_GEN"), {QStringLiteral("demo"), tmp.path()}), 0);
        const QStringList made = QDir(tmp.path()).entryList(QDir::Files, QDir::Name);
        const QStringList committed =
            QDir(examples()).entryList({QStringLiteral("*.tnd"), QStringLiteral("*.tnm"), QStringLiteral("*.tnw")},
                                       QDir::Files, QDir::Name);
        QCOMPARE(committed, made);
        for (const QString& name : made)
            QVERIFY2(readBytes(examples() + name) == readBytes(tmp.path() + QLatin1Char('/') + name), qPrintable(name));
    }

    void firstRunMakesTheDemoTheLastTest()
    {
        QTemporaryDir build;
        const QString script = qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/scripts/demo-settings.sh");
        QCOMPARE(run(script, {build.path()}), 0);

        ScriptedPlatform pf;
        pf.exeFolder = build.path();
        App app(pf);
        Main(app);
        QVERIFY(app.frmForma.FileNameTest.visible);
        QCOMPARE(app.frmForma.FileNameTest.text, QStringLiteral("Знакомства.tnd"));
        QCOMPARE(app.st.folders.LastFolder, examples());
        FileNameTest_Click(app);
        QCOMPARE(pf.messageTexts(), QStringList());
        QCOMPARE(app.st.test.TestFilePath, demoTest());
        QCOMPARE(app.st.test.TestName, QStringLiteral("Знакомства"));

        // Later runs keep the settings the program wrote itself.
        const QString ini = build.path() + QStringLiteral("/Тандемо.ini");
        writeBytes(ini, "/home/\r\n\r\n\r\n");
        QCOMPARE(run(script, {build.path()}), 0);
        QCOMPARE(readBytes(ini), QByteArray("/home/\r\n\r\n\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
