#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "engines/Weights.h"
#include "ground/App.h"
#include "ground/TextFile.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using fixtures::readBytes;
using fixtures::writeBytes;

namespace {
using Rows = std::array<quint16, clsTest::Capacity>;

void prepare(App& app)
{
    app.st.folders.PathSep = QStringLiteral("/");
    app.st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
    app.st.folders.WorkFolder = app.st.folders.AppFolder;
}

// Two questions: smoking (three answers), season (two answers).
void fillTest(App& app)
{
    AppState& st = app.st;
    st.test.TestName = QStringLiteral("Вкусы");
    st.test.TestPassword = QStringLiteral("пароль");
    st.test.QuestionCount = 2;
    st.test.Questions.resizeFresh(2);
    clsTest& smoking = st.test.Questions[1];
    smoking.Vopros = QStringLiteral("Как вы относитесь к курению?");
    smoking.CountOtvetov = 2;
    smoking.AddOtvety(0, QStringLiteral("Курю"));
    smoking.AddOtvety(1, QStringLiteral("Не курю, но не против"));
    smoking.AddOtvety(2, QStringLiteral("Против"));
    clsTest& season = st.test.Questions[2];
    season.Vopros = QStringLiteral("Любимое время года");
    season.CountOtvetov = 1;
    season.AddOtvety(0, QStringLiteral("Лето"));
    season.AddOtvety(1, QStringLiteral("Зима"));
}

// Smoking is "обязательно", and a smoker and a tolerant non-smoker get along.
void weighSmoking(clsTest& smoking)
{
    smoking.Importance = 250;
    smoking.Together = clsTest::SameAnswerOnly();
    smoking.Together[0] = 0b011;
    smoking.Together[1] = 0b011;
}

weights::Table tableOf(std::initializer_list<int> lastAnswers)
{
    weights::Table table;
    for (int last : lastAnswers) {
        weights::QuestionWeights w;
        w.lastAnswer = last;
        table.questions.push_back(w);
    }
    return table;
}

bool isDefault(const weights::Table& table)
{
    for (const weights::QuestionWeights& w : table.questions) {
        if (w.importance != 1 || w.together != clsTest::SameAnswerOnly())
            return false;
    }
    return !table.used;
}

// The bytes after the final empty line: the weights block, if any.
QByteArray blockOf(const QByteArray& file)
{
    const qsizetype at = file.indexOf("\r\n[vesa]\r\n");
    return at < 0 ? QByteArray() : file.mid(at + 2);
}
}  // namespace

class TestWeightsFile : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    QString folder(const QString& name)
    {
        const QString path = tmp.path() + QLatin1Char('/') + name + QLatin1Char('/');
        QDir().mkpath(path);
        return path;
    }

private Q_SLOTS:
    void blockRoundTrip_data()
    {
        QTest::addColumn<QList<int>>("lastAnswers");
        QTest::addColumn<QList<int>>("importances");
        QTest::addColumn<QList<QList<int>>>("masks");  // rows of each question
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("importance only") << QList<int>{1, 2} << QList<int>{0, 1}
                                         << QList<QList<int>>{{1, 2}, {1, 2, 4}}
                                         << QByteArray("[vesa]\r\n 2\r\n 0 1 2\r\n 1 1 2 4\r\n[/vesa]\r\n");
        QTest::newRow("answers together") << QList<int>{2, 1} << QList<int>{250, 1}
                                          << QList<QList<int>>{{3, 3, 4}, {1, 2}}
                                          << QByteArray("[vesa]\r\n 2\r\n 250 3 3 4\r\n 1 1 2\r\n[/vesa]\r\n");
        QTest::newRow("ten answers, all together") << QList<int>{9} << QList<int>{50}
                                                   << QList<QList<int>>{QList<int>(10, 1023)}
                                                   << QByteArray("[vesa]\r\n 1\r\n 50" + QByteArray(" 1023").repeated(10) +
                                                                 "\r\n[/vesa]\r\n");
        QTest::newRow("nothing goes together") << QList<int>{1} << QList<int>{10} << QList<QList<int>>{{0, 0}}
                                               << QByteArray("[vesa]\r\n 1\r\n 10 0 0\r\n[/vesa]\r\n");
    }
    void blockRoundTrip()
    {
        QFETCH(QList<int>, lastAnswers);
        QFETCH(QList<int>, importances);
        QFETCH(QList<QList<int>>, masks);
        QFETCH(QByteArray, expected);
        weights::Table table;
        for (qsizetype q = 0; q < lastAnswers.size(); ++q) {
            weights::QuestionWeights w;
            w.lastAnswer = lastAnswers[q];
            w.importance = importances[q];
            for (qsizetype a = 0; a < masks[q].size(); ++a)
                w.together[static_cast<size_t>(a)] = static_cast<quint16>(masks[q][a]);
            table.questions.push_back(w);
        }
        table.used = true;
        QCOMPARE(weights::EncodeBlock(table), expected);

        weights::Table read;
        for (int last : lastAnswers) {
            weights::QuestionWeights w;
            w.lastAnswer = last;
            read.questions.push_back(w);
        }
        QCOMPARE(weights::DecodeBlock(QByteArray("\r\n") + expected, read), weights::Block::Read);
        QVERIFY(read.used);
        for (size_t q = 0; q < read.questions.size(); ++q) {
            QCOMPARE(read.questions[q].importance, table.questions[q].importance);
            for (int a = 0; a <= read.questions[q].lastAnswer; ++a)
                QCOMPARE(read.questions[q].together[static_cast<size_t>(a)], table.questions[q].together[static_cast<size_t>(a)]);
        }
    }

    // Two questions of three and two answers.
    void damagedBlock_data()
    {
        QTest::addColumn<QByteArray>("rest");
        const QByteArray good = "\r\n[vesa]\r\n 2\r\n 10 3 3 4\r\n 1 1 2\r\n[/vesa]\r\n";
        QTest::newRow("count above the file's") << QByteArray("\r\n[vesa]\r\n 3\r\n 10 3 3 4\r\n 1 1 2\r\n 1 1 2\r\n[/vesa]\r\n");
        QTest::newRow("count below the file's") << QByteArray("\r\n[vesa]\r\n 1\r\n 10 3 3 4\r\n[/vesa]\r\n");
        QTest::newRow("huge count") << QByteArray("\r\n[vesa]\r\n 999999999\r\n 10 3 3 4\r\n 1 1 2\r\n[/vesa]\r\n");
        QTest::newRow("count missing") << QByteArray("\r\n[vesa]\r\n\r\n 10 3 3 4\r\n 1 1 2\r\n[/vesa]\r\n");
        QTest::newRow("importance 2") << QByteArray(good).replace(" 10 3", " 2 3");
        QTest::newRow("importance 100") << QByteArray(good).replace(" 10 3", " 100 3");
        QTest::newRow("negative importance") << QByteArray(good).replace(" 10 3", "-10 3");
        QTest::newRow("mask beyond the answers") << QByteArray(good).replace(" 1 1 2\r\n", " 1 1 6\r\n");
        QTest::newRow("mask of the eleventh answer") << QByteArray(good).replace(" 3 3 4", " 3 3 1024");
        QTest::newRow("too few masks") << QByteArray(good).replace(" 10 3 3 4", " 10 3 3");
        QTest::newRow("too many masks") << QByteArray(good).replace(" 1 1 2\r\n", " 1 1 2 4\r\n");
        QTest::newRow("letters in a field") << QByteArray(good).replace(" 3 3 4", " 3 x 4");
        QTest::newRow("number too long") << QByteArray(good).replace(" 3 3 4", " 3 3 00000000004");
        QTest::newRow("missing end") << QByteArray("\r\n[vesa]\r\n 2\r\n 10 3 3 4\r\n 1 1 2\r\n");
        QTest::newRow("wrong end") << QByteArray(good).replace("[/vesa]", "[/VESA]");
        QTest::newRow("truncated") << good.left(good.indexOf(" 1 1 2") + 3);
        QTest::newRow("marker only") << QByteArray("\r\n[vesa]\r\n");
        QTest::newRow("garbage") << QByteArray("\r\n[vesa]\r\n\x01\xff\xfe garbage \x00\r\n", 25);
    }
    void damagedBlock()
    {
        QFETCH(QByteArray, rest);
        weights::Table table = tableOf({2, 1});
        QCOMPARE(weights::DecodeBlock(rest, table), weights::Block::Damaged);
        QVERIFY(isDefault(table));
        QCOMPARE(table.questions.size(), size_t(2));
    }

    void noBlock_data()
    {
        QTest::addColumn<QByteArray>("rest");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("the final empty line") << QByteArray("\r\n");
        QTest::newRow("another program's text") << QByteArray("\r\nкомментарий\r\n[vesa]\r\n 2\r\n");
        QTest::newRow("marker in another case") << QByteArray("\r\n[VESA]\r\n 2\r\n 10 3 3 4\r\n 1 1 2\r\n[/vesa]\r\n");
    }
    void noBlock()
    {
        QFETCH(QByteArray, rest);
        weights::Table table = tableOf({2, 1});
        QCOMPARE(weights::DecodeBlock(rest, table), weights::Block::None);
        QVERIFY(isDefault(table));
    }

    // A test without weights keeps the bytes it had: the example test, written
    // by the program, reproduces itself from its own seed.
    void withoutWeightsBytesStay()
    {
        const QString fixture = qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples/Знакомства.tnd");
        const QByteArray original = readBytes(fixture);
        QVERIFY(!original.isEmpty());
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        OpenTest(app, fixture);
        QVERIFY(pf.messages.isEmpty());
        const int seed = textfile::parseNumber(textfile::splitLines(original)[2]).value_or(0);
        QCOMPARE(TestFileContent(app, seed), original);
    }

    void saveAndOpenCarryTheWeights()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillTest(app);
        weighSmoking(app.st.test.Questions[1]);
        const QString path = folder(QStringLiteral("save")) + QStringLiteral("t.tnd");
        SaveTest(app, path);
        QVERIFY(pf.messages.isEmpty());
        const QByteArray bytes = readBytes(path);
        QCOMPARE(blockOf(bytes), QByteArray("[vesa]\r\n 2\r\n 250 3 3 4\r\n 1 1 2\r\n[/vesa]\r\n"));
        QVERIFY(bytes.contains(" 0\r\n\r\n[vesa]\r\n"));

        ScriptedPlatform pf2;
        App loaded(pf2);
        prepare(loaded);
        OpenTest(loaded, path);
        QVERIFY(pf2.messages.isEmpty());
        QCOMPARE(loaded.st.test.Questions[1].Importance, 250);
        QCOMPARE(loaded.st.test.Questions[1].Together, app.st.test.Questions[1].Together);
        QVERIFY(loaded.st.test.Questions[2].DefaultWeights());

        bool damaged = true;
        const weights::Table onDisk = weights::ReadTableOfFile(path, &damaged);
        QVERIFY(!damaged);
        QVERIFY(onDisk.used);
        QCOMPARE(onDisk.questions.size(), size_t(2));
        QCOMPARE(onDisk.questions[0].importance, 250);
        QCOMPARE(onDisk.questions[0].together[0], quint16(3));
        QCOMPARE(onDisk.questions[1].lastAnswer, 1);
    }

    // The reader of the plain layout stops before the block: the file with
    // the block cut off reads as the same test.
    void plainReaderSeesTheSameTest()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillTest(app);
        weighSmoking(app.st.test.Questions[1]);
        app.st.test.Questions[2].Importance = 0;
        const QString path = folder(QStringLiteral("full")) + QStringLiteral("t.tnd");
        SaveTest(app, path);
        const QByteArray bytes = readBytes(path);
        const QByteArray block = blockOf(bytes);
        QVERIFY(!block.isEmpty());
        const QString plain = folder(QStringLiteral("plain")) + QStringLiteral("t.tnd");
        writeBytes(plain, bytes.left(bytes.size() - block.size()));
        QVERIFY(readBytes(plain).endsWith(" 0\r\n\r\n"));

        App a(pf);
        App b(pf);
        prepare(a);
        prepare(b);
        OpenTest(a, path);
        OpenTest(b, plain);
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(b.st.test.TestName, a.st.test.TestName);
        QCOMPARE(b.st.test.TestPassword, a.st.test.TestPassword);
        QCOMPARE(b.st.test.QuestionCount, a.st.test.QuestionCount);
        QCOMPARE(b.st.main.Phase, a.st.main.Phase);
        for (int q = 1; q <= 2; ++q) {
            QCOMPARE(b.st.test.Questions[q].Vopros, a.st.test.Questions[q].Vopros);
            QCOMPARE(b.st.test.Questions[q].CountOtvetov, a.st.test.Questions[q].CountOtvetov);
            for (int i = 0; i <= a.st.test.Questions[q].CountOtvetov; ++i)
                QCOMPARE(b.st.test.Questions[q].ListOtvety(i), a.st.test.Questions[q].ListOtvety(i));
            QVERIFY(b.st.test.Questions[q].DefaultWeights());
            QVERIFY(!a.st.test.Questions[q].DefaultWeights());
        }
    }

    void damagedBlockOpensWithOneWarning()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillTest(app);
        weighSmoking(app.st.test.Questions[1]);
        const QString path = folder(QStringLiteral("damaged")) + QStringLiteral("t.tnd");
        SaveTest(app, path);
        writeBytes(path, readBytes(path).replace(" 250 3 3 4", " 250 3 3 9"));

        ScriptedPlatform pf2;
        App loaded(pf2);
        prepare(loaded);
        OpenTest(loaded, path);
        QCOMPARE(pf2.messages.size(), 1);
        QCOMPARE(pf2.messages[0].text, QStringLiteral("Веса вопросов в файле повреждены; тест открыт без них."));
        QCOMPARE(pf2.messages[0].title, QStringLiteral("Тандемо"));
        QCOMPARE(pf2.messages[0].icon, MsgIcon::Exclamation);
        QCOMPARE(loaded.st.test.TestFilePath, path);
        QCOMPARE(loaded.st.test.QuestionCount, 2);
        QCOMPARE(loaded.st.main.Phase, TestPhase::StartPage);
        QVERIFY(loaded.st.test.Questions[1].DefaultWeights());
        QCOMPARE(loaded.st.test.Questions[1].Together, clsTest::SameAnswerOnly());

        bool damaged = false;
        QVERIFY(isDefault(weights::ReadTableOfFile(path, &damaged)));
        QVERIFY(damaged);
    }

    // A question whose answers were cut down keeps its rows in memory; the
    // file holds only what its answers can carry, and reads back undamaged.
    void shrunkAnswersSaveWithinTheirAnswers()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillTest(app);
        clsTest& smoking = app.st.test.Questions[1];
        smoking.Together[0] = 0b101;
        smoking.Together[2] = 0b111;
        smoking.CountOtvetov = 1;
        const QString path = folder(QStringLiteral("shrunk")) + QStringLiteral("t.tnd");
        SaveTest(app, path);
        QCOMPARE(smoking.Together[0], quint16(0b101));
        QCOMPARE(smoking.Together[2], quint16(0b111));
        // Row 0 is default within two answers; row 2 is no answer: nothing to write.
        QVERIFY(blockOf(readBytes(path)).isEmpty());

        smoking.Together[1] = 0b111;
        SaveTest(app, path);
        QCOMPARE(blockOf(readBytes(path)), QByteArray("[vesa]\r\n 2\r\n 1 1 3\r\n 1 1 2\r\n[/vesa]\r\n"));
        ScriptedPlatform pf2;
        App loaded(pf2);
        prepare(loaded);
        OpenTest(loaded, path);
        QVERIFY(pf2.messages.isEmpty());
        QCOMPARE(loaded.st.test.Questions[1].Together[1], quint16(0b011));
    }

    void mergeCarriesTheMergedWeights_data()
    {
        QTest::addColumn<QByteArray>("damage");  // replaced in the merged file's block
        QTest::addColumn<bool>("damaged");
        QTest::newRow("sound block") << QByteArray() << false;
        QTest::newRow("damaged block") << QByteArray(" 250 3 3 4") << true;
    }
    void mergeCarriesTheMergedWeights()
    {
        QFETCH(QByteArray, damage);
        QFETCH(bool, damaged);
        ScriptedPlatform pf;
        App source(pf);
        prepare(source);
        fillTest(source);
        weighSmoking(source.st.test.Questions[1]);
        const QString path = folder(QStringLiteral("merge") + QString::number(damaged)) + QStringLiteral("t.tnd");
        SaveTest(source, path);
        if (!damage.isEmpty())
            writeBytes(path, readBytes(path).replace(damage, " 250 3 3"));

        // In memory: one question of its own weight, and a question beyond the
        // count that still holds weights from an earlier, larger count.
        ScriptedPlatform pf2;
        App app(pf2);
        prepare(app);
        fillTest(app);
        app.st.test.Questions[1].Importance = 10;
        app.st.test.Questions[2].Importance = 50;
        app.st.test.Questions[2].Together[0] = 0b11;
        app.st.test.QuestionCount = 1;
        AddTest(app, path);
        QCOMPARE(app.st.test.QuestionCount, 3);
        QCOMPARE(app.st.test.Questions[1].Importance, 10);
        QCOMPARE(app.st.test.Questions[2].Vopros, QStringLiteral("Как вы относитесь к курению?"));
        if (damaged) {
            QCOMPARE(pf2.messageTexts(),
                     QStringList{QStringLiteral("Веса вопросов в файле повреждены; вопросы добавлены без них.")});
            QCOMPARE(pf2.messages[0].icon, MsgIcon::Exclamation);
            QCOMPARE(app.st.test.Questions[2].Importance, 1);
            QCOMPARE(app.st.test.Questions[2].Together, clsTest::SameAnswerOnly());
        } else {
            QVERIFY(pf2.messages.isEmpty());
            QCOMPARE(app.st.test.Questions[2].Importance, 250);
            QCOMPARE(app.st.test.Questions[2].Together, source.st.test.Questions[1].Together);
        }
        QVERIFY(app.st.test.Questions[3].DefaultWeights());

        // Saved and opened again, the merged test keeps them.
        const QString merged = folder(QStringLiteral("merged") + QString::number(damaged)) + QStringLiteral("m.tnd");
        SaveTest(app, merged);
        App loaded(pf2);
        prepare(loaded);
        OpenTest(loaded, merged);
        QCOMPARE(loaded.st.test.Questions[1].Importance, 10);
        QCOMPARE(loaded.st.test.Questions[2].Importance, damaged ? 1 : 250);
    }

    void weightsMarkTheTestChanged()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillTest(app);
        app.st.main.Phase = TestPhase::Editor;
        TakeTestSnapshot(app);
        QVERIFY(!TestModified(app));
        app.st.test.Questions[2].Together[1] = 0b11;
        QVERIFY(TestModified(app));
        app.st.test.Questions[2].Together[1] = 0b10;
        QVERIFY(!TestModified(app));
        app.st.test.Questions[1].Importance = 0;
        QVERIFY(TestModified(app));
    }
};

QTEST_GUILESS_MAIN(TestWeightsFile)
#include "tst_weightsfile.moc"
