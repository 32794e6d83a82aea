#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/Kartochka.h"
#include "ground/App.h"
#include "engines/PersonFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using fixtures::readBytes;
using fixtures::writeBytes;

namespace {

using Run = fixtures::CliRun;

// The whole sheet of 10 000 rows may take minutes on a slow shared disk.
Run cli(const QStringList& args)
{
    return fixtures::runCli(args, 600000);
}

QStringList personFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tnm"), QStringLiteral("*.tnw")}, QDir::Files, QDir::Name);
}

// A test folder "Клуб.tnd" of four questions with 2, 3, 10 and 4 answers and
// the password "тайна", in `parent` (the system's temporary folder when empty).
struct Club {
    std::unique_ptr<QTemporaryDir> tmp;
    QString folder;
    QString test;
    QString sheet;

    explicit Club(const QString& parent = {}, bool notReady = false)
        : tmp(parent.isEmpty() ? std::make_unique<QTemporaryDir>()
                               : std::make_unique<QTemporaryDir>(parent + QStringLiteral("/tandemo-XXXXXX")))
    {
        folder = tmp->path() + QStringLiteral("/club/");
        QDir().mkpath(folder);
        test = folder + QStringLiteral("Клуб.tnd");
        sheet = tmp->path() + QStringLiteral("/results.csv");
        ScriptedPlatform pf;
        App app(pf);
        AppState& st = app.st;
        st.test.TestName = QStringLiteral("Клуб");
        st.test.TestPassword = QStringLiteral("тайна");
        const QList<int> answers{2, 3, 10, 4};
        st.test.QuestionCount = static_cast<int>(answers.size());
        st.test.Questions.resizeFresh(st.test.QuestionCount);
        for (int q = 1; q <= st.test.QuestionCount; ++q) {
            st.test.Questions[q].Vopros = QStringLiteral("Вопрос %1").arg(q);
            st.test.Questions[q].CountOtvetov = answers[q - 1] - 1;
            for (int a = 0; a < answers[q - 1]; ++a)
                st.test.Questions[q].AddOtvety(a, QStringLiteral("Ответ %1").arg(a + 1));
        }
        QByteArray content = TestFileContent(app, 7);
        if (notReady) {
            // The flag line after the last question says the test is unfinished.
            QVERIFY(content.endsWith(" 0\r\n\r\n"));
            content.chop(6);
            content += " 1\r\n\r\n";
        }
        writeBytes(test, content);
    }

    Run import(const QByteArray& csv) const
    {
        writeBytes(sheet, csv);
        return cli({QStringLiteral("import"), test, sheet});
    }
};

// The saved file names that the import printed, by line number.
QMap<int, QString> savedLines(const QByteArray& out)
{
    QMap<int, QString> saved;
    static const QRegularExpression line(QStringLiteral("^line (\\d+): (.+)$"));
    for (const QByteArray& l : out.split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromUtf8(l));
        if (m.hasMatch())
            saved.insert(m.captured(1).toInt(), m.captured(2));
    }
    return saved;
}

QByteArray lastLine(const QByteArray& out)
{
    const QList<QByteArray> lines = out.trimmed().split('\n');
    return lines.last();
}

Kartochka card(const QString& name, int year, int sex, const QString& answers, const QString& password)
{
    Kartochka k;
    k.NameFamiliya = name;
    k.DataRogdeniya = year;
    k.Pol = sex;
    k.Otvety = answers;
    k.Parol = password;
    return k;
}

}  // namespace

// Results from paper forms or a spreadsheet, saved by `tandemo-cli import`.
class TestImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void documentedColumns()
    {
        Club club;
        // Columns in an order of their own, with a byte-order mark, a quoted
        // comma and doubled quotes; one card with every detail and its own
        // password, one without details that takes the test's password.
        const QByteArray csv =
            "\xEF\xBB\xBF"
            "Answers,photo,Name,about,sex,seeking,height,weight,hair,eyes,zodiac,address,password,YEAR\r\n" +
            QStringLiteral("\"2 1 \u00A010 4\",/фото/анна.jpg,\"Анна \"\"Аня\"\" Петрова\",\"люблю кино, книги\",Ж,"
                           "друга,\"1,65\",55,Блондинка,Голубые,Рыбы,\"Москва, Тверская 1\",свой пароль ,1985\r\n"
                           "1 3 1 1,,  Пётр Иванов  ,,m,,,,,,,,,1970\r\n")
                .toUtf8();
        const Run run = club.import(csv);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.status, 0);
        QCOMPARE(lastLine(run.out), QByteArray("2 rows saved, 0 refused"));
        const QMap<int, QString> saved = savedLines(run.out);
        QCOMPARE(saved.keys(), (QList<int>{2, 3}));
        QStringList files{saved[2], saved[3]};
        files.sort();
        QCOMPARE(personFiles(club.folder), files);
        QVERIFY2(QRegularExpression(QStringLiteral("^Клуб_\\d{14}\\.tnw$")).match(saved[2]).hasMatch(),
                 qPrintable(saved[2]));
        QVERIFY2(QRegularExpression(QStringLiteral("^Клуб_\\d{14}\\.tnm$")).match(saved[3]).hasMatch(),
                 qPrintable(saved[3]));

        Kartochka anna = card(QStringLiteral("Анна \"Аня\" Петрова"), 1985, 1, QStringLiteral("1093"),
                              QStringLiteral("свой пароль "));
        anna.Podrobnee = 1;
        anna.Podrobnosti = {QStringLiteral("1,65"),        QStringLiteral("55"),   QStringLiteral("Блондинка"),
                            QStringLiteral("Голубые"),     QStringLiteral("Рыбы"), QStringLiteral("люблю кино, книги"),
                            QStringLiteral("друга"),       QStringLiteral("Москва, Тверская 1"),
                            QStringLiteral("/фото/анна.jpg")};
        QCOMPARE(readBytes(club.folder + saved[2]), PersonFileContent(anna));
        QCOMPARE(readBytes(club.folder + saved[3]),
                 PersonFileContent(card(QStringLiteral("Пётр Иванов"), 1970, 0, QStringLiteral("0200"),
                                        QStringLiteral("тайна"))));
    }

    void refusedRows_data()
    {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("nextLine");  // the line of the row after it
        auto add = [](const char* tag, const QString& row, const QString& message, int nextLine = 4) {
            QTest::newRow(tag) << row.toUtf8() << message.toUtf8() << nextLine;
        };
        add("no name", QStringLiteral(" ,ж,1985,1 1 1 1"), QStringLiteral("no name"));
        add("no sex", QStringLiteral("Анна,,1985,1 1 1 1"), QStringLiteral("sex \"\" is none of м, m, ж, w"));
        add("sex as a word", QStringLiteral("Анна,женщина,1985,1 1 1 1"),
            QStringLiteral("sex \"женщина\" is none of м, m, ж, w"));
        for (const char* year : {"85", "1899", "19a5", "19850", ""})
            add(qPrintable(QStringLiteral("year %1").arg(QLatin1String(year))),
                QStringLiteral("Анна,ж,%1,1 1 1 1").arg(QLatin1String(year)),
                QStringLiteral("year \"%1\" is not a year of birth (four digits, 1900 or later)").arg(QLatin1String(year)));
        add("fewer answers than the test needs", QStringLiteral("Анна,ж,1985,1 1 1"),
            QStringLiteral("3 answers given, the test has 4 questions"));
        add("no answers", QStringLiteral("Анна,ж,1985,"), QStringLiteral("0 answers given, the test has 4 questions"));
        add("more answers", QStringLiteral("Анна,ж,1985,1 1 1 1 1"),
            QStringLiteral("5 answers given, the test has 4 questions"));
        add("answer beyond its question", QStringLiteral("Анна,ж,1985,1 4 1 1"),
            QStringLiteral("answer 2 is 4, question 2 has answers 1 to 3"));
        add("answer 0", QStringLiteral("Анна,ж,1985,0 1 1 1"), QStringLiteral("answer 1 is 0, question 1 has answers 1 to 2"));
        add("answer 11", QStringLiteral("Анна,ж,1985,1 1 11 1"),
            QStringLiteral("answer 3 is 11, question 3 has answers 1 to 10"));
        add("answer not a number", QStringLiteral("Анна,ж,1985,1 б 1 1"), QStringLiteral("answer 2 \"б\" is not a number"));
        add("answers run together", QStringLiteral("Анна,ж,1985,1111"),
            QStringLiteral("1 answers given, the test has 4 questions"));
        add("character the file cannot hold", QStringLiteral("Анна 😀,ж,1985,1 1 1 1"),
            QStringLiteral("column \"name\" holds \"😀\", a character that a person file cannot hold"));
        add("line break in a field", QStringLiteral("\"Анна\r\nПетрова\",ж,1985,1 1 1 1"),
            QStringLiteral("a line break in column \"name\""), 5);
        add("control character", QStringLiteral("Анна\x1A,ж,1985,1 1 1 1"),
            QStringLiteral("a control character (26) in column \"name\""));
        add("too few fields", QStringLiteral("Анна,ж,1985"), QStringLiteral("3 fields, the header line names 4 columns"));
        add("too many fields", QStringLiteral("Анна,ж,1985,1 1 1 1,"),
            QStringLiteral("5 fields, the header line names 4 columns"));
        add("text after a closing quote", QStringLiteral("\"Анна\" П,ж,1985,1 1 1 1"),
            QStringLiteral("text after the closing double quote of a field"));
        add("quote inside a field", QStringLiteral("Ан\"на,ж,1985,1 1 1 1"),
            QStringLiteral("a double quote inside a field that does not start with one"));
        QTest::newRow("not UTF-8") << QByteArray("\xC0\xED\xED\xE0,\xE6,1985,1 1 1 1")
                                   << QByteArray("column \"name\" is not UTF-8 text") << 4;
    }
    void refusedRows()
    {
        QFETCH(QByteArray, row);
        QFETCH(QByteArray, message);
        QFETCH(int, nextLine);
        Club club;
        const Run run = club.import("name,sex,year,answers\n" + QStringLiteral("Ольга,ж,1990,2 3 10 4\n").toUtf8() + row +
                                    "\n" + QStringLiteral("Олег,м,1991,1 1 1 1\n").toUtf8());
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, "line 3: refused: " + message + "\n");
        QCOMPARE(lastLine(run.out), QByteArray("2 rows saved, 1 refused"));
        const QMap<int, QString> saved = savedLines(run.out);
        QCOMPARE(saved.keys(), (QList<int>{2, nextLine}));
        // Nothing of the refused row is on disk; the others are.
        QStringList files{saved[2], saved[nextLine]};
        files.sort();
        QCOMPARE(personFiles(club.folder), files);
        QVERIFY(readBytes(club.folder + saved[2]).contains(fixtures::cp1251Lines({QStringLiteral("Ольга")})));
        QVERIFY(readBytes(club.folder + saved[nextLine]).contains(fixtures::cp1251Lines({QStringLiteral("Олег")})));
    }

    // A sheet the import cannot use at all saves nothing.
    void unusableSheetOrTest_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("notReady");
        QTest::addColumn<QString>("message");
        const QByteArray row = QStringLiteral("Анна,ж,1985,1 1 1 1\n").toUtf8();
        QTest::newRow("no answers column") << "name,sex,year\n" + row << false << "line 1: no column \"answers\"";
        QTest::newRow("unknown column")
            << "name,sex,year,answers,adress\n" + row << false
            << "line 1: unknown column \"adress\" (the columns are name, sex, year, answers, height, weight, hair, "
               "eyes, zodiac, about, seeking, address, photo, password)";
        QTest::newRow("column twice") << "name,sex,year,answers,Name\n" + row << false
                                      << "line 1: column \"name\" given twice";
        QTest::newRow("empty file") << QByteArray() << false << "line 1: no header line";
        QTest::newRow("test not ready") << "name,sex,year,answers\n" + row << true << "Тест не готов!";
    }
    void unusableSheetOrTest()
    {
        QFETCH(QByteArray, csv);
        QFETCH(bool, notReady);
        QFETCH(QString, message);
        Club club({}, notReady);
        const Run run = club.import(csv);
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), message + QLatin1Char('\n'));
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(personFiles(club.folder), QStringList());
    }

    void missingFilesAndUsage()
    {
        Club club;
        const QString missing = club.tmp->path() + QStringLiteral("/нет.csv");
        Run run = cli({QStringLiteral("import"), club.test, missing});
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("Файл \"") + missing + QStringLiteral("\" не найден\n"));
        run = cli({QStringLiteral("import"), club.folder + QStringLiteral("нет.tnd"), club.sheet});
        QCOMPARE(run.status, 1);
        run = cli({QStringLiteral("import"), club.test});
        QCOMPARE(run.status, 2);
        QCOMPARE(personFiles(club.folder), QStringList());
        run = cli({QStringLiteral("--help")});
        QVERIFY(run.out.contains("tandemo-cli import TESTFILE RESULTS.csv"));
    }

    // A folder that cannot take the results: each row says so with the
    // program's message, and the import fails.
    void writeProtectedFolder()
    {
        Club club;
        fixtures::setReadOnly(club.folder, true);
        const Run run = club.import(QStringLiteral("name,sex,year,answers\nАнна,ж,1985,1 1 1 1\n").toUtf8());
        fixtures::setReadOnly(club.folder, false);
        QCOMPARE(run.status, 1);
        QVERIFY2(QRegularExpression(QStringLiteral("^line 2: not saved: Файл \"%1Клуб_\\d{14}\\.tnw\" защищён от записи\\.\n$")
                                        .arg(QRegularExpression::escape(club.folder)))
                     .match(QString::fromUtf8(run.err))
                     .hasMatch(),
                 run.err.constData());
        QCOMPARE(lastLine(run.out), QByteArray("0 rows saved, 1 refused"));
        QCOMPARE(personFiles(club.folder), QStringList());
    }

    // Ten thousand paper forms in one run, most of them within the same few
    // seconds: every one saved under a name of its own. Kept in memory-backed
    // storage where there is some, since what is tested is the naming, not
    // the disk's speed.
    void tenThousandRows()
    {
        Club club(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QString());
        QByteArray csv = "name,sex,year,answers\r\n";
        for (int i = 0; i < 10000; ++i) {
            csv += (QStringLiteral("Человек %1,%2,%3,%4 %5 %6 %7\r\n")
                        .arg(i)
                        .arg(i % 2 ? QStringLiteral("ж") : QStringLiteral("м"))
                        .arg(1950 + i % 50)
                        .arg(1 + i % 2)
                        .arg(1 + i % 3)
                        .arg(1 + i % 10)
                        .arg(1 + i % 4))
                       .toUtf8();
        }
        QElapsedTimer timer;
        timer.start();
        const Run run = club.import(csv);
        qInfo("10000 rows imported in %lld ms", static_cast<long long>(timer.elapsed()));
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.status, 0);
        QCOMPARE(lastLine(run.out), QByteArray("10000 rows saved, 0 refused"));
        const QMap<int, QString> saved = savedLines(run.out);
        QCOMPARE(saved.size(), 10000);
        const QStringList files = personFiles(club.folder);
        QCOMPARE(files.size(), 10000);
        QCOMPARE(QSet<QString>(saved.cbegin(), saved.cend()), QSet<QString>(files.cbegin(), files.cend()));
        // Spot checks: a row's file holds that row.
        for (int line : {2, 5001, 10001}) {
            const int i = line - 2;
            const QByteArray bytes = readBytes(club.folder + saved[line]);
            QVERIFY(bytes.contains(fixtures::cp1251Lines({QStringLiteral("Человек %1").arg(i)})));
            QCOMPARE(saved[line].endsWith(QLatin1String(".tnw")), i % 2 == 1);
        }
        QCOMPARE(QDir(club.folder).entryList(QDir::Hidden | QDir::Files).size(), 10001);
    }

    // The example sheet of the README fits the demo test.
    void exampleSheetFitsTheDemo()
    {
        QTemporaryDir tmp;
        const QString source = qEnvironmentVariable("TANDEMO_SOURCE");
        const QString test = tmp.path() + QStringLiteral("/Знакомства.tnd");
        QVERIFY(QFile::copy(source + QStringLiteral("/examples/Знакомства.tnd"), test));
        const Run run = cli({QStringLiteral("import"), test, source + QStringLiteral("/examples/import/анкеты.csv")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.status, 0);
        QVERIFY(lastLine(run.out).endsWith(" rows saved, 0 refused"));
        QVERIFY(personFiles(tmp.path()).size() >= 3);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
