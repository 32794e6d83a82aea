#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/Password.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "screens/document/FileCommands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using fixtures::readBytes;
using fixtures::writeBytes;

namespace {
// The Pets test of the file format description: two questions, two and three answers.
void fillPets(App& app)
{
    AppState& st = app.st;
    st.test.TestName = QStringLiteral("Pets");
    st.test.TestPassword = QStringLiteral("Кот, \"пёс\" и мышь");
    st.test.QuestionCount = 2;
    st.test.Questions.resizeFresh(2);
    st.test.Questions[1].Vopros = QStringLiteral("<b>Кошка</b> или собака?");
    st.test.Questions[1].CountOtvetov = 1;
    st.test.Questions[1].AddOtvety(0, QStringLiteral("Кошка"));
    st.test.Questions[1].AddOtvety(1, QStringLiteral("  собака, конечно"));
    st.test.Questions[2].Vopros = QStringLiteral("Рыбки?");
    st.test.Questions[2].CountOtvetov = 2;
    st.test.Questions[2].AddOtvety(0, QStringLiteral("Да"));
    st.test.Questions[2].AddOtvety(1, QStringLiteral("Нет"));
    st.test.Questions[2].AddOtvety(2, QStringLiteral("\"Не знаю\""));
    st.test.Questions[2].AddOtvety(5, QStringLiteral("hidden above the count"));
}

QList<QByteArray> fileLines(const QString& path)
{
    return readBytes(path).split('\n');
}
}

class TestTestFile : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString dir;

    QString folder(const QString& name)
    {
        const QString path = dir + name + QLatin1Char('/');
        QDir().mkpath(path);
        return path;
    }
    static void prepare(App& app)
    {
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        app.st.folders.WorkFolder = app.st.folders.AppFolder;
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(tmp.isValid());
        dir = tmp.path() + QLatin1Char('/');
    }

    void petsLayoutLineByLine()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        const QString path = folder(QStringLiteral("pets")) + QStringLiteral("pets.tnd");
        SaveTest(app, path);
        QVERIFY(pf.messages.isEmpty());

        const QByteArray bytes = readBytes(path);
        QVERIFY(bytes.endsWith("\r\n\r\n"));
        const QList<QByteArray> lines = textfile::splitLines(bytes);
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[0], QByteArray("[tandemo]"));
        QCOMPARE(lines[1], QByteArray("Pets"));
        QVERIFY(lines[2].startsWith(' '));
        const int seed = lines[2].trimmed().toInt();
        QVERIFY(seed >= 1 && seed <= 3200000);
        QCOMPARE(lines[4], QByteArray(" 2"));
        QCOMPARE(lines[5], textfile::encode(QStringLiteral("<b>Кошка</b> или собака?")));
        QCOMPARE(lines[6], QByteArray(" 1"));
        QCOMPARE(lines[7], textfile::encode(QStringLiteral("Кошка")));
        QCOMPARE(lines[8], textfile::encode(QStringLiteral("  собака, конечно")));
        QCOMPARE(lines[10], QByteArray(" 2"));
        QCOMPARE(lines[13], textfile::encode(QStringLiteral("\"Не знаю\"")));
        QCOMPARE(lines[14], QByteArray(" 0"));
        QCOMPARE(lines[15], QByteArray());
        // Every line ends with CR LF.
        QCOMPARE(bytes.count("\r\n"), 16);
        QCOMPARE(bytes.count('\n'), 16);
    }

    void roundTripIsByteExact()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        const QString path = folder(QStringLiteral("rt")) + QStringLiteral("pets.tnd");
        SaveTest(app, path);

        App loaded(pf);
        prepare(loaded);
        OpenTest(loaded, path);
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(loaded.st.test.TestName, app.st.test.TestName);
        QCOMPARE(loaded.st.test.TestPassword, app.st.test.TestPassword);
        QCOMPARE(loaded.st.test.QuestionCount, 2);
        QCOMPARE(loaded.st.test.Questions[2].ListOtvety(2), QStringLiteral("\"Не знаю\""));
        QVERIFY(loaded.st.test.Questions[2].ListOtvety(5).isEmpty());

        const QString again = folder(QStringLiteral("rt2")) + QStringLiteral("pets.tnd");
        SaveTest(loaded, again);
        QList<QByteArray> a = fileLines(path);
        QList<QByteArray> b = fileLines(again);
        QCOMPARE(a.size(), b.size());
        a.remove(2, 2);  // seed and scrambled password differ per save
        b.remove(2, 2);
        QCOMPARE(a, b);
    }

    void twoSavesScrambleDifferently_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("latin") << QStringLiteral("Secret");
        QTest::newRow("blank first") << QStringLiteral(" начало с пробела");
        QTest::newRow("comma and quote") << QStringLiteral("a,b\"c");
        QTest::newRow("cyrillic") << QStringLiteral("ПарольЁё");
        QTest::newRow("every byte") << [] {
            QByteArray all;
            for (int b = 32; b < 256; ++b)
                all.append(static_cast<char>(b));
            return textfile::decode(all);
        }();
    }
    void twoSavesScrambleDifferently()
    {
        QFETCH(QString, password);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        app.st.test.TestPassword = password;
        const QString path = folder(QStringLiteral("twice-") + QLatin1String(QTest::currentDataTag())) + QStringLiteral("t.tnd");
        SaveTest(app, path);
        const QList<QByteArray> first = fileLines(path);
        SaveTest(app, path);
        const QList<QByteArray> second = fileLines(path);
        QVERIFY(first[2] != second[2]);
        if (password.size() > 3)
            QVERIFY(first[3] != second[3]);

        for (const QList<QByteArray>& lines : {first, second}) {
            App reader(pf);
            QByteArray scrambled = lines[3];
            scrambled.chop(1);  // CR
            DecodePassword(reader, textfile::parseNumber(lines[2]).value(), scrambled);
            QCOMPARE(reader.st.test.TestPassword, password);
        }
    }

    void generatorIsFixedForASeed()
    {
        // The scrambling must not depend on the library or the machine: the
        // table for a seed is the same on every run.
        const auto a = PasswordTable(1234567);
        const auto b = PasswordTable(1234567);
        QVERIFY(a == b);
        QVERIFY(a != PasswordTable(1234568));
        std::array<bool, 256> seen{};
        for (int x = 0; x < 256; ++x) {
            if (x < 32) {
                QCOMPARE(int(a[x]), 0);
                continue;
            }
            QVERIFY(a[x] >= 32);
            QVERIFY(!seen[a[x]]);
            seen[a[x]] = true;
        }
        // mt19937's first output for the seed is fixed by the C++ standard.
        PasswordRandom rnd;
        rnd.reseed(-1);
        QCOMPARE(rnd.next(), double(std::mt19937(4294967295u)()) / 4294967296.0);
    }

    void controlBytesBecomeZero()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.test.TestPassword = QStringLiteral("a\tb");
        const QByteArray lines = EncodePassword(app, 77);
        QCOMPARE(lines.left(5), QByteArray(" 77\r\n"));
        QCOMPARE(lines.at(6), '\0');
        DecodePassword(app, 77, lines.mid(5));
        QCOMPARE(app.st.test.TestPassword, QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b"));
    }

    void foreignFirstLineRefused_data()
    {
        QTest::addColumn<QByteArray>("marker");
        QTest::newRow("case") << QByteArray("[Tandemo]");
        QTest::newRow("trailing blank") << QByteArray("[tandemo] ");
        QTest::newRow("empty file") << QByteArray();
    }
    void foreignFirstLineRefused()
    {
        QFETCH(QByteArray, marker);
        const QString path = folder(QStringLiteral("foreign")) + QStringLiteral("x.tnd");
        writeBytes(path, marker + "\r\nName\r\n 5\r\n\r\n 0\r\n 0\r\n\r\n");
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        app.st.test.TestFilePath = QStringLiteral("/old/pets.tnd");
        OpenTest(app, path);
        QCOMPARE(pf.messageTexts(),
                 QStringList{QStringLiteral("Файл \"") + path + QStringLiteral("\" не подходит к программе.")});
        QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        QCOMPARE(pf.messages[0].title, QStringLiteral("Тандемо"));
        QCOMPARE(app.st.test.TestName, QStringLiteral("Pets"));
        QCOMPARE(app.st.test.QuestionCount, 2);
        QCOMPARE(app.st.test.TestFilePath, QStringLiteral("/old/pets.tnd"));
        QCOMPARE(app.frmForma.caption, QStringLiteral("Тандемо"));
    }

    void openFailures()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QString missing = dir + QStringLiteral("нет/такого.tnd");
        OpenTest(app, missing);
        // A folder by the name of a test file cannot be opened as one.
        const QString aFolder = folder(QStringLiteral("папка.tnd"));
        OpenTest(app, aFolder.chopped(1));
        QCOMPARE(pf.messageTexts(),
                 (QStringList{QStringLiteral("Файл \"") + missing + QStringLiteral("\" не найден"),
                              QStringLiteral("Файл \"") + aFolder.chopped(1) +
                                  QStringLiteral("\" открыть не возможно")}));
        QVERIFY(app.st.test.TestFilePath.isEmpty());
    }

    void captionAndStateAfterOpenAndSave()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        const QString path = folder(QStringLiteral("caption")) + QStringLiteral("pets.tnd");
        SaveTest(app, path);
        QCOMPARE(app.frmForma.caption, QStringLiteral("Pets - [pets.tnd] - Тандемо"));
        QCOMPARE(app.st.test.TestFilePath, path);
        QCOMPARE(app.st.folders.WorkFolder, folder(QStringLiteral("caption")));

        App other(pf);
        prepare(other);
        OpenTest(other, path);
        QCOMPARE(other.frmForma.caption, QStringLiteral("Pets - [pets.tnd] - Тандемо"));
        QCOMPARE(other.st.folders.WorkFolder, folder(QStringLiteral("caption")));
        QCOMPARE(other.st.main.View, ViewMode::OpenTest);
        QCOMPARE(other.st.main.Phase, TestPhase::StartPage);
        QVERIFY(other.frmForma.FileListLudey[0].enabled);
        QVERIFY(other.frmForma.FileListLudey[1].enabled);
        QVERIFY(other.frmForma.FileFoundLudey.enabled);
        QVERIFY(other.st.main.MainHtml.contains(QStringLiteral("Начать тестирование")));
    }

    void incompleteTestIsNotReady()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        app.st.test.Questions[2].AddOtvety(1, QString());
        const QString path = folder(QStringLiteral("notready")) + QStringLiteral("pets.tnd");
        SaveTest(app, path);
        const QList<QByteArray> lines = textfile::splitLines(readBytes(path));
        QCOMPARE(lines[14], QByteArray(" 2"));
        App other(pf);
        prepare(other);
        OpenTest(other, path);
        QVERIFY(other.st.main.MainHtml.contains(QStringLiteral("<br><br>Тест не готов!</font>")));
        QVERIFY(!other.st.main.MainHtml.contains(QStringLiteral("Начать тестирование")));
    }

    void tenAnswersRoundTrip()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        app.st.test.TestName = QStringLiteral("Десять");
        app.st.test.QuestionCount = 1;
        app.st.test.Questions.resizeFresh(1);
        app.st.test.Questions[1].Vopros = QStringLiteral("?");
        app.st.test.Questions[1].CountOtvetov = 9;
        for (int i = 0; i < 10; ++i)
            app.st.test.Questions[1].AddOtvety(i, QStringLiteral("ответ %1").arg(i));
        const QString path = folder(QStringLiteral("ten")) + QStringLiteral("t.tnd");
        SaveTest(app, path);
        QCOMPARE(textfile::splitLines(readBytes(path)).size(), 5 + 2 + 10 + 2);
        App other(pf);
        prepare(other);
        OpenTest(other, path);
        QCOMPARE(other.st.test.Questions[1].CountOtvetov, 9);
        QCOMPARE(other.st.test.Questions[1].ListOtvety(9), QStringLiteral("ответ 9"));
    }

    void separateFolderPerTest()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        const QString here = folder(QStringLiteral("own"));
        SaveTest(app, here + QStringLiteral("pets.tnd"));
        const QByteArray before = readBytes(here + QStringLiteral("pets.tnd"));
        SaveTest(app, here + QStringLiteral("copy.tnd"));
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Для каждого теста нужно создавать отдельную папку.")});
        QVERIFY(!QFile::exists(here + QStringLiteral("copy.tnd")));
        QCOMPARE(app.st.test.TestFilePath, here + QStringLiteral("pets.tnd"));
        SaveTest(app, here + QStringLiteral("pets.tnd"));
        QCOMPARE(pf.messages.size(), 1);
        QVERIFY(readBytes(here + QStringLiteral("pets.tnd")) != before);  // a new seed was written
    }

    void damagedFilesLoad_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("questions");
        QTest::newRow("header only") << QByteArray("[tandemo]\r\n") << 0;
        QTest::newRow("count not a number") << QByteArray("[tandemo]\r\nT\r\n 5\r\nx\r\nmany\r\n") << 0;
        QTest::newRow("short of its count")
            << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 3\r\nQ1\r\n 1\r\nA\r\nB\r\nQ2\r\n") << 2;
        QTest::newRow("answer count not a number")
            << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1\r\nQ1\r\nzwei\r\nA\r\n 0\r\n") << 1;
        QTest::newRow("two billion questions") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 2000000000\r\nQ\r\n 1\r\nA\r\nB\r\n 0\r\n") << 2;
        QTest::newRow("negative questions") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n-7\r\nQ\r\n") << 0;
        QTest::newRow("answer count above nine")
            << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1\r\nQ\r\n 2000000000\r\nA\r\nB\r\n") << 1;
        QTest::newRow("negative answer count")
            << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 2\r\nQ\r\n-2147483648\r\nQ2\r\n 0\r\nA\r\n 0\r\n") << 2;
        QTest::newRow("LF line ends") << QByteArray("[tandemo]\nT\n 5\n\n 1\nQ\n 1\nA\nB\n 0\n") << 1;
    }
    void damagedFilesLoad()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, questions);
        const QString path = folder(QStringLiteral("damaged-") + QLatin1String(QTest::currentDataTag())) + QStringLiteral("d.tnd");
        writeBytes(path, content);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        OpenTest(app, path);
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(app.st.test.TestFilePath, path);
        QCOMPARE(app.st.test.QuestionCount, questions);
        for (int q = 1; q <= app.st.test.QuestionCount; ++q) {
            QVERIFY(app.st.test.Questions[q].CountOtvetov >= 0);
            QVERIFY(app.st.test.Questions[q].CountOtvetov <= 9);
        }
    }

    void answersBeyondTheSlotsAreConsumed()
    {
        const QString path = folder(QStringLiteral("eleven")) + QStringLiteral("e.tnd");
        QByteArray content = "[tandemo]\r\nT\r\n 5\r\n\r\n 2\r\nQ1\r\n 11\r\n";
        for (int i = 0; i < 12; ++i)
            content += "A" + QByteArray::number(i) + "\r\n";
        content += "Q2\r\n 1\r\nX\r\nY\r\n 0\r\n";
        writeBytes(path, content);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        OpenTest(app, path);
        QCOMPARE(app.st.test.Questions[1].ListOtvety(9), QStringLiteral("A9"));
        QCOMPARE(app.st.test.Questions[2].Vopros, QStringLiteral("Q2"));
        QCOMPARE(app.st.test.Questions[2].ListOtvety(1), QStringLiteral("Y"));
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("ending");
        QTest::newRow("read-only file") << "file" << QStringLiteral("защищён от записи.");
        QTest::newRow("read-only folder") << "folder" << QStringLiteral("защищён от записи.");
        QTest::newRow("missing folder") << "missing" << QStringLiteral("сохранить не возможно.");
        QTest::newRow("full disk") << "full" << QStringLiteral("сохранить не возможно.");
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, ending);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fillPets(app);
        const QString here = folder(QStringLiteral("fail-") + kind);
        QString path = here + QStringLiteral("pets.tnd");
        SaveTest(app, path);
        const QByteArray before = readBytes(path);
        QVERIFY(!before.isEmpty());
        app.frmForma.caption = QStringLiteral("before");
        for (int q = 1; q <= 40; ++q) {
            app.st.test.QuestionCount = 40;
            app.st.test.Questions.resizePreserving(40);
            app.st.test.Questions[q].Vopros = QString(500, QChar(u'ж'));
        }

        if (kind == QLatin1String("file")) {
            fixtures::setReadOnly(path, true);
            SaveTest(app, path);
            fixtures::setReadOnly(path, false);
        } else if (kind == QLatin1String("folder")) {
            fixtures::setReadOnly(here, true);
            SaveTest(app, path);
            fixtures::setReadOnly(here, false);
        } else if (kind == QLatin1String("missing")) {
            app.st.test.TestFilePath = dir + QStringLiteral("gone/pets.tnd");
            path = app.st.test.TestFilePath;
            SaveTest(app, path);
            path = here + QStringLiteral("pets.tnd");
        } else {
            fixtures::withFileSizeLimit(before.size() + 100, [&] { SaveTest(app, path); });
        }
        const QString shownPath = kind == QLatin1String("missing") ? dir + QStringLiteral("gone/pets.tnd") : path;
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + shownPath + QStringLiteral("\" ") + ending});
        QCOMPARE(readBytes(here + QStringLiteral("pets.tnd")), before);
        QCOMPARE(QDir(here).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("pets.tnd")});
        QCOMPARE(app.frmForma.caption, QStringLiteral("before"));
    }
};

QTEST_GUILESS_MAIN(TestTestFile)
#include "tst_testfile.moc"
