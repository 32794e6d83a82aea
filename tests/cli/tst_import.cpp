#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/Kartochka.h"
#include "ground/App.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using fixtures::readBytes;
using fixtures::writeBytes;

namespace {

using Run = fixtures::CliRun;
// Refused lines and their reasons.
using Refusals = QMap<int, QString>;

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
    static const QRegularExpression line(QStringLiteral("^строка (\\d+): (.+)$"));
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
        fixtures::writeBytes(club.folder + QStringLiteral("анна.jpg"), QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
        // Columns in an order of their own, with a byte-order mark, a quoted
        // comma and doubled quotes; one card with every detail and its own
        // password, one without details that takes the test's password.
        const QByteArray csv =
            "\xEF\xBB\xBF"
            "Answers,photo,Name,about,sex,seeking,height,weight,hair,eyes,zodiac,address,password,YEAR\r\n" +
            QStringLiteral("\"2 1 \u00A010 4\",анна.jpg,\"Анна \"\"Аня\"\" Петрова\",\"люблю кино, книги\",Ж,"
                           "друга,\"1,65\",55,Блондинка,Голубые,Рыбы,\"Москва, Тверская 1\",свой пароль ,1985\r\n"
                           "1 3 1 1,,  Пётр Иванов  ,,m,,,,,,,,,1970\r\n")
                .toUtf8();
        const Run run = club.import(csv);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.status, 0);
        QCOMPARE(lastLine(run.out), QStringLiteral("2 строки сохранены, 0 строк отклонено").toUtf8());
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
                            QStringLiteral("анна.jpg")};
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
        add("no name", QStringLiteral(" ,ж,1985,1 1 1 1"), QStringLiteral("нет имени"));
        add("no sex", QStringLiteral("Анна,,1985,1 1 1 1"), QStringLiteral("пол \"\" — не м, m, ж или w"));
        add("sex as a word", QStringLiteral("Анна,женщина,1985,1 1 1 1"),
            QStringLiteral("пол \"женщина\" — не м, m, ж или w"));
        for (const char* year : {"85", "1899", "19a5", "19850", ""})
            add(qPrintable(QStringLiteral("year %1").arg(QLatin1String(year))),
                QStringLiteral("Анна,ж,%1,1 1 1 1").arg(QLatin1String(year)),
                QStringLiteral("год \"%1\" — не год рождения (четыре цифры, 1900 или позже)").arg(QLatin1String(year)));
        add("fewer answers than the test needs", QStringLiteral("Анна,ж,1985,1 1 1"),
            QStringLiteral("3 ответа, а в тесте 4 вопроса"));
        add("no answers", QStringLiteral("Анна,ж,1985,"), QStringLiteral("0 ответов, а в тесте 4 вопроса"));
        add("more answers", QStringLiteral("Анна,ж,1985,1 1 1 1 1"),
            QStringLiteral("5 ответов, а в тесте 4 вопроса"));
        add("answer beyond its question", QStringLiteral("Анна,ж,1985,1 4 1 1"),
            QStringLiteral("ответ 2 — 4, а у вопроса 2 ответы от 1 до 3"));
        add("answer 0", QStringLiteral("Анна,ж,1985,0 1 1 1"), QStringLiteral("ответ 1 — 0, а у вопроса 1 ответы от 1 до 2"));
        add("answer 11", QStringLiteral("Анна,ж,1985,1 1 11 1"),
            QStringLiteral("ответ 3 — 11, а у вопроса 3 ответы от 1 до 10"));
        add("answer not a number", QStringLiteral("Анна,ж,1985,1 б 1 1"), QStringLiteral("ответ 2 \"б\" — не число"));
        add("answers run together", QStringLiteral("Анна,ж,1985,1111"),
            QStringLiteral("1 ответ, а в тесте 4 вопроса"));
        add("character the file cannot hold", QStringLiteral("Анна 😀,ж,1985,1 1 1 1"),
            QStringLiteral("в столбце \"name\" символ \"😀\", которого не может быть в файле карточки"));
        add("control character", QStringLiteral("Анна\x1A,ж,1985,1 1 1 1"),
            QStringLiteral("управляющий символ (26) в столбце \"name\""));
        add("too few fields", QStringLiteral("Анна,ж,1985"), QStringLiteral("3 поля, а строка заголовка называет 4 столбца"));
        add("too many fields", QStringLiteral("Анна,ж,1985,1 1 1 1,"),
            QStringLiteral("5 полей, а строка заголовка называет 4 столбца"));
        add("text after a closing quote", QStringLiteral("\"Анна\" П,ж,1985,1 1 1 1"),
            QStringLiteral("текст после закрывающей кавычки поля"));
        add("quote inside a field", QStringLiteral("Ан\"на,ж,1985,1 1 1 1"),
            QStringLiteral("кавычка внутри поля, которое не начинается с кавычки"));
        QTest::newRow("not UTF-8") << QByteArray("\xC0\xED\xED\xE0,\xE6,1985,1 1 1 1")
                                   << QStringLiteral("столбец \"name\" — не текст в UTF-8").toUtf8() << 4;
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
        QCOMPARE(run.err, QStringLiteral("строка 3: отклонена: ").toUtf8() + message + "\n");
        QCOMPARE(lastLine(run.out), QStringLiteral("2 строки сохранены, 1 строка отклонена").toUtf8());
        const QMap<int, QString> saved = savedLines(run.out);
        QCOMPARE(saved.keys(), (QList<int>{2, nextLine}));
        // Nothing of the refused row is on disk; the others are.
        QStringList files{saved[2], saved[nextLine]};
        files.sort();
        QCOMPARE(personFiles(club.folder), files);
        QVERIFY(readBytes(club.folder + saved[2]).contains(fixtures::cp1251Lines({QStringLiteral("Ольга")})));
        QVERIFY(readBytes(club.folder + saved[nextLine]).contains(fixtures::cp1251Lines({QStringLiteral("Олег")})));
    }

    // A photo is taken only when the file is a picture by its content, as in
    // the card dialog; a bare name is the test folder's.
    void photoMustBeAPicture()
    {
        Club club;
        fixtures::writeBytes(club.folder + QStringLiteral("анна.jpg"), QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
        fixtures::writeBytes(club.folder + QStringLiteral("письмо.jpg"), QByteArray("Дорогая Анна"));
        const Run run = club.import(QStringLiteral("name,sex,year,answers,photo\n"
                                                   "Анна,ж,1985,1 1 1 1,анна.jpg\n"
                                                   "Ольга,ж,1986,1 1 1 1,письмо.jpg\n"
                                                   "Олег,м,1987,1 1 1 1,/etc/passwd\n"
                                                   "Иван,м,1988,1 1 1 1,нет.png\n")
                                        .toUtf8());
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QStringLiteral("строка 3: отклонена: фотография \"письмо.jpg\" — не изображение JPEG, PNG, GIF, "
                                         "BMP или WebP\n"
                                         "строка 4: отклонена: фотография \"/etc/passwd\" — не изображение JPEG, PNG, "
                                         "GIF, BMP или WebP\n"
                                         "строка 5: отклонена: фотография \"нет.png\" — не изображение JPEG, PNG, GIF, "
                                         "BMP или WebP\n")
                              .toUtf8());
        QCOMPARE(savedLines(run.out).keys(), QList<int>{2});
    }

    // A sheet the import cannot use at all saves nothing.
    void unusableSheetOrTest_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<bool>("notReady");
        QTest::addColumn<QString>("message");
        const QByteArray row = QStringLiteral("Анна,ж,1985,1 1 1 1\n").toUtf8();
        QTest::newRow("no answers column") << "name,sex,year\n" + row << false << QStringLiteral("строка 1: нет столбца \"answers\"");
        QTest::newRow("unknown column")
            << "name,sex,year,answers,adress\n" + row << false
            << QStringLiteral("строка 1: неизвестный столбец \"adress\" (столбцы: name, sex, year, answers, height, "
                              "weight, hair, eyes, zodiac, about, seeking, address, photo, password, "
                              "age_from, age_to, height_from, height_to)");
        QTest::newRow("column twice") << "name,sex,year,answers,Name\n" + row << false
                                      << QStringLiteral("строка 1: столбец \"name\" назван дважды");
        QTest::newRow("empty file") << QByteArray() << false << QStringLiteral("строка 1: нет строки заголовка");
        QTest::newRow("test not ready") << "name,sex,year,answers\n" + row << true << QStringLiteral("Тест не готов!");
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
        QVERIFY(run.out.contains(QStringLiteral("tandemo-cli import ФАЙЛ_ТЕСТА РЕЗУЛЬТАТЫ.csv").toUtf8()));
        // The sheet's bound is stated.
        QVERIFY(run.out.contains(QStringLiteral("обычный файл не больше 64 МБ").toUtf8()));
    }

    // Only a regular file within the stated bound is read; anything else is
    // refused at once, before a row is looked at.
    void sheetThatCannotBeRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("ending");
        const QString notRegular = QStringLiteral("открыть не возможно: это не обычный файл");
        QTest::newRow("FIFO") << QStringLiteral("fifo") << notRegular;
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << notRegular;
        QTest::newRow("folder") << QStringLiteral("folder") << notRegular;
        QTest::newRow("over 64 MB") << QStringLiteral("large")
                                    << QStringLiteral("открыть не возможно: он больше 64 МБ");
    }
    void sheetThatCannotBeRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, ending);
        Club club;
        QString sheet = club.sheet;
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(sheet).constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(sheet));
        } else if (kind == QLatin1String("large")) {
            // A valid header, then a file one byte over the bound (sparse).
            writeBytes(sheet, "name,sex,year,answers\n");
            QFile file(sheet);
            QVERIFY(file.resize((qsizetype(64) << 20) + 1));
        } else {
            sheet = kind;
        }
        // A reader that waits on the FIFO or reads /dev/zero without end
        // would run into this guard.
        const Run run = fixtures::runCli({QStringLiteral("import"), club.test, sheet}, 20000);
        QCOMPARE(run.status, 1);
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("Файл \"") + sheet + QStringLiteral("\" ") + ending +
                                                 QLatin1Char('\n'));
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(personFiles(club.folder), QStringList());
    }

    // Every data line is saved or refused under its own number, and the
    // summary adds up to the data lines. A field never spans lines: a quote
    // left open spoils its own line only.
    void everyLineAccountedFor_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<Refusals>("refused");  // line -> reason; every other data line is saved
        QTest::addColumn<QList<int>>("saved");
        QTest::addColumn<QString>("summary");

        // Ten rows, one stray opening quote on line 4.
        QByteArray sheet = "name,sex,year,answers\n";
        for (int i = 1; i <= 10; ++i)
            sheet += QStringLiteral("%1Человек %2,%3,1980,1 2 3 4\n")
                         .arg(i == 3 ? QStringLiteral("\"") : QString())
                         .arg(i)
                         .arg(i % 2 ? QStringLiteral("м") : QStringLiteral("ж"))
                         .toUtf8();
        QTest::newRow("stray opening quote")
            << sheet << Refusals{{4, QStringLiteral("кавычка поля не закрыта до конца строки")}}
            << QList<int>{2, 3, 5, 6, 7, 8, 9, 10, 11} << QStringLiteral("9 строк сохранено, 1 строка отклонена");

        // A spreadsheet's cell with a line break: both of its lines refused,
        // the rows around them saved; blank lines are no data.
        QTest::newRow("field over two lines")
            << QStringLiteral("name,sex,year,answers\r\nОльга,ж,1990,2 3 10 4\r\n\"Анна\r\nПетрова\",ж,1985,1 1 1 1\r\n"
                              ",,,\r\n\r\nОлег,м,1991,1 1 1 1\r\n")
                   .toUtf8()
            << Refusals{{3, QStringLiteral("кавычка поля не закрыта до конца строки")},
                                  {4, QStringLiteral("кавычка внутри поля, которое не начинается с кавычки")}}
            << QList<int>{2, 7} << QStringLiteral("2 строки сохранены, 2 строки отклонены");

        // Lines ended by a lone CR (old spreadsheets) count as lines too.
        QTest::newRow("CR line ends")
            << QStringLiteral("name,sex,year,answers\rОльга,ж,1990,2 3 10 4\r\"Анна,ж,1985,1 1 1 1\rОлег,м,1991,1 1 1 1")
                   .toUtf8()
            << Refusals{{3, QStringLiteral("кавычка поля не закрыта до конца строки")}} << QList<int>{2, 4}
            << QStringLiteral("2 строки сохранены, 1 строка отклонена");
    }
    void everyLineAccountedFor()
    {
        QFETCH(QByteArray, csv);
        QFETCH(Refusals, refused);
        QFETCH(QList<int>, saved);
        QFETCH(QString, summary);
        Club club;
        const Run run = club.import(csv);
        QCOMPARE(run.status, 1);
        QByteArray expectedErr;
        for (auto it = refused.cbegin(); it != refused.cend(); ++it)
            expectedErr += (QStringLiteral("строка %1: отклонена: ").arg(it.key()) + it.value() + QLatin1Char('\n')).toUtf8();
        QCOMPARE(QString::fromUtf8(run.err), QString::fromUtf8(expectedErr));
        const QMap<int, QString> savedByLine = savedLines(run.out);
        QCOMPARE(savedByLine.keys(), saved);
        QCOMPARE(QString::fromUtf8(lastLine(run.out)), summary);
        // The summary's two counts add up to the data lines.
        QCOMPARE(run.out.count('\n'), saved.size() + 1);
        QCOMPARE(personFiles(club.folder).size(), saved.size());
    }

    // A card that a reader would cut is never written: a row whose card
    // passes the bound of the card reader or of the lists is refused naming
    // its column; a card right at a bound is saved and read back whole.
    void oversizeRowRefused()
    {
        Club club;
        auto cardOf = [](const QString& name, const QString& about) {
            Kartochka k = card(name, 1985, 1, QStringLiteral("0000"), QStringLiteral("тайна"));
            k.Podrobnee = about.isEmpty() ? 0 : 1;
            k.Podrobnosti[5] = about;
            return k;
        };
        // The largest "about" and the largest name that every reader reads whole.
        const qsizetype aboutFits = textfile::kMaxCardBytes - PersonFileContent(cardOf(QStringLiteral("Ira"), QStringLiteral("x"))).size() + 1;
        const QByteArray headLines = PersonFileContent(cardOf(QString(), {})).left(
            PersonFileContent(cardOf(QString(), {})).indexOf("0000\r\n") + 6);
        const qsizetype nameFits = textfile::kMaxCardHeadBytes - headLines.size();
        const QString bigAbout(aboutFits, QLatin1Char('x'));
        const QString bigName(nameFits, QLatin1Char('N'));

        QByteArray csv = "name,sex,year,answers,about\n";
        csv += "Ira,w,1985,1 1 1 1," + bigAbout.toUtf8() + "\n";                            // 2: saved at the bound
        csv += "Ira,w,1985,1 1 1 1," + bigAbout.toUtf8() + "x\n";                           // 3: one byte over
        csv += bigName.toUtf8() + ",w,1985,1 1 1 1,\n";                                     // 4: the lists' bound
        csv += bigName.toUtf8() + "N,w,1985,1 1 1 1,\n";                                    // 5: one over it
        csv += QByteArray(5 << 20, 'N') + ",w,1985,1 1 1 1," + QByteArray(5 << 20, 'x') + "\n";  // 6
        csv += "Ira,w,1985,1 1 1 1,\n";                                                     // 7
        const Run run = club.import(csv);
        QCOMPARE(run.status, 1);
        const QString tooLong = QStringLiteral(" слишком длинный: программа не прочла бы карточку целиком\n");
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("строка 3: отклонена: столбец \"about\"") + tooLong +
                                                 QStringLiteral("строка 5: отклонена: столбец \"name\"") + tooLong +
                                                 QStringLiteral("строка 6: отклонена: столбец \"name\"") + tooLong);
        const QMap<int, QString> saved = savedLines(run.out);
        QCOMPARE(saved.keys(), (QList<int>{2, 4, 7}));
        QCOMPARE(personFiles(club.folder).size(), 3);
        // Nothing cut on disk: the card reader reads each saved card whole,
        // and the lists read the answers after the longest name.
        const QByteArray atBound = readBytes(club.folder + saved[2]);
        QCOMPARE(atBound.size(), textfile::kMaxCardBytes);
        QCOMPARE(atBound, PersonFileContent(cardOf(QStringLiteral("Ira"), bigAbout)));
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.WorkFolder = club.folder;
        QCOMPARE(OpenKartochka(app, saved[2], 1), CardOpen::Opened);
        QCOMPARE(app.st.CardFields[1].Podrobnosti[5], bigAbout);
        QCOMPARE(app.st.CardFields[1].Parol, QStringLiteral("тайна"));
        HeadLines head;
        QVERIFY(head.read(QFile::encodeName(club.folder + saved[4]), 5));
        QCOMPARE(head.size(), 5);
        QCOMPARE(head[1].size(), nameFits);
        QCOMPARE(QByteArray(head[4].data(), head[4].size()), QByteArray("0000"));
    }

    // The summary counts rows in the form each number asks for.
    void summaryInRussian_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("refused");
        QTest::addColumn<QString>("summary");
        QTest::newRow("1, 0") << 1 << 0 << QStringLiteral("1 строка сохранена, 0 строк отклонено");
        QTest::newRow("2, 1") << 2 << 1 << QStringLiteral("2 строки сохранены, 1 строка отклонена");
        QTest::newRow("5, 3") << 5 << 3 << QStringLiteral("5 строк сохранено, 3 строки отклонены");
        QTest::newRow("11, 12") << 11 << 12 << QStringLiteral("11 строк сохранено, 12 строк отклонено");
        QTest::newRow("21, 14") << 21 << 14 << QStringLiteral("21 строка сохранена, 14 строк отклонено");
        QTest::newRow("22, 25") << 22 << 25 << QStringLiteral("22 строки сохранены, 25 строк отклонено");
    }
    void summaryInRussian()
    {
        QFETCH(int, saved);
        QFETCH(int, refused);
        QFETCH(QString, summary);
        Club club;
        QByteArray csv = "name,sex,year,answers\n";
        for (int i = 0; i < saved + refused; ++i)
            csv += QStringLiteral("Человек %1,м,1980,%2\n").arg(i).arg(i < saved ? QStringLiteral("1 1 1 1") : QStringLiteral("1")).toUtf8();
        const Run run = club.import(csv);
        QCOMPARE(run.status, refused == 0 ? 0 : 1);
        QCOMPARE(QString::fromUtf8(lastLine(run.out)), summary);
        QCOMPARE(run.err.count('\n'), refused);
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
        QVERIFY2(QRegularExpression(QStringLiteral("^строка 2: не сохранена: Файл \"%1Клуб_\\d{14}\\.tnw\" защищён от записи\\.\n$")
                                        .arg(QRegularExpression::escape(club.folder)))
                     .match(QString::fromUtf8(run.err))
                     .hasMatch(),
                 run.err.constData());
        QCOMPARE(lastLine(run.out), QStringLiteral("0 строк сохранено, 1 строка отклонена").toUtf8());
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
        QCOMPARE(lastLine(run.out), QStringLiteral("10000 строк сохранено, 0 строк отклонено").toUtf8());
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
        QVERIFY(lastLine(run.out).endsWith(QStringLiteral(", 0 строк отклонено").toUtf8()));
        QVERIFY(personFiles(tmp.path()).size() >= 3);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
