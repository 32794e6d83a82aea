#include "Fixtures.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"

#include <QDate>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using fixtures::cp1251Lines;
using fixtures::writeBytes;

namespace {

using Run = fixtures::CliRun;

Run cli(const QStringList& args)
{
    return fixtures::runCli(args);
}

QByteArray person(const QString& name, int year, int details, const QString& answers, int sex)
{
    QStringList lines{QStringLiteral("[kartochka]"), name, QLatin1Char(' ') + QString::number(year),
                      QLatin1Char(' ') + QString::number(details), answers};
    if (details == 1) {
        for (int i = 0; i < 9; ++i)
            lines << QString();
    }
    lines << QLatin1Char(' ') + QString::number(sex) << QString() << QString();
    return cp1251Lines(lines);
}

QByteArray csvLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

QString age(int year)
{
    return QString::number(QDate::currentDate().year() - year);
}

// A test folder: three men (one with a comma and a double quote in his name),
// three women and a foreign file with the women's extension.
struct Folder {
    QTemporaryDir tmp;
    QString dir = tmp.path() + QLatin1Char('/');

    Folder()
    {
        writeBytes(dir + QStringLiteral("m1.tnm"), person(QStringLiteral("Яков Орлов"), 1980, 0, QStringLiteral("0120"), 0));
        writeBytes(dir + QStringLiteral("m2.tnm"),
                   person(QStringLiteral("Борис \"Боб\" Ким, мл."), 1990, 1, QStringLiteral("0121"), 0));
        writeBytes(dir + QStringLiteral("m3.tnm"), person(QStringLiteral("андрей Белов"), 2001, 0, QStringLiteral("3333"), 0));
        writeBytes(dir + QStringLiteral("w1.tnw"), person(QStringLiteral("Вера Лис"), 1985, 1, QStringLiteral("0120"), 1));
        writeBytes(dir + QStringLiteral("w2.tnw"), person(QStringLiteral("Анна Ким"), 1995, 0, QStringLiteral("0100"), 1));
        writeBytes(dir + QStringLiteral("w3.tnw"), person(QStringLiteral("Галя Ким"), 1999, 0, QStringLiteral("2"), 1));
        writeBytes(dir + QStringLiteral("x.tnw"), "not a person file\r\n");
    }
};

QByteArray testFile(const QString& name, const QStringList& questionLines, int notReady)
{
    QStringList lines{QStringLiteral("[tandemo]"), name, QStringLiteral(" 5"), QString()};
    lines << questionLines << QLatin1Char(' ') + QString::number(notReady) << QString();
    return cp1251Lines(lines);
}

// The fixture folder's test: four questions of four answers, followed by
// `weightsBlock`. The weights used: question 1 weighs 1 and on it answers 0
// and 2 go together; questions 2 and 3 weigh 1; question 4 weighs 250.
const QByteArray kWeights = "[vesa]\r\n 4\r\n 1 5 2 5 8\r\n 1 1 2 4 8\r\n 1 1 2 4 8\r\n 250 1 2 4 8\r\n[/vesa]\r\n";
QByteArray weightedTest(const QByteArray& weightsBlock)
{
    QStringList questions{QStringLiteral(" 4")};
    for (int q = 1; q <= 4; ++q)
        questions << QStringLiteral("Вопрос %1?").arg(q) << QStringLiteral(" 3") << QStringLiteral("А")
                  << QStringLiteral("Б") << QStringLiteral("В") << QStringLiteral("Г");
    return testFile(QStringLiteral("Знакомства"), questions, 0) + weightsBlock;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(qEnvironmentVariable("TANDEMO_CLI")), "TANDEMO_CLI not set"); }

    void peopleListInListOrderWithQuoting()
    {
        Folder f;
        const Run run = cli({QStringLiteral("people"), f.dir, QStringLiteral("--men")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out,
                 csvLines({QStringLiteral("rank,name,age,details,file"),
                           QStringLiteral("1,андрей Белов,") + age(2001) + QStringLiteral(",0,m3.tnm"),
                           QStringLiteral("2,\"Борис \"\"Боб\"\" Ким, мл.\",") + age(1990) + QStringLiteral(",1,m2.tnm"),
                           QStringLiteral("3,Яков Орлов,") + age(1980) + QStringLiteral(",0,m1.tnm")}));
    }

    void nameSearchKeepsTheListOrder()
    {
        Folder f;
        const Run run = cli({QStringLiteral("people"), f.dir, QStringLiteral("--women"), QStringLiteral("--name"),
                             QStringLiteral("кИМ")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, csvLines({QStringLiteral("rank,name,age,details,file"),
                                    QStringLiteral("1,Анна Ким,") + age(1995) + QStringLiteral(",0,w2.tnw"),
                                    QStringLiteral("2,Галя Ким,") + age(1999) + QStringLiteral(",0,w3.tnw")}));

        const Run none = cli({QStringLiteral("people"), f.dir, QStringLiteral("--men"), QStringLiteral("--name"),
                              QStringLiteral("Лис")});
        QCOMPARE(none.status, 0);
        QCOMPARE(none.out, csvLines({QStringLiteral("rank,name,age,details,file")}));
    }

    void pairRankingWithPercentages()
    {
        Folder f;
        const Run run = cli({QStringLiteral("pairs"), f.dir + QStringLiteral("m1.tnm")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, csvLines({QStringLiteral("rank,name,age,matches,percent,file,shared"),
                                    QStringLiteral("1,Вера Лис,") + age(1985) + QStringLiteral(",4,100,w1.tnw,"),
                                    QStringLiteral("2,Анна Ким,") + age(1995) + QStringLiteral(",3,75,w2.tnw,"),
                                    QStringLiteral("3,Галя Ким,") + age(1999) + QStringLiteral(",0,0,w3.tnw,")}));

        // A woman is ranked against the men; a relative path works too.
        const QString old = QDir::currentPath();
        QDir::setCurrent(f.dir);
        const Run woman = cli({QStringLiteral("pairs"), QStringLiteral("w2.tnw")});
        QDir::setCurrent(old);
        QCOMPARE(woman.status, 0);
        const QList<QByteArray> rows = woman.out.split('\n');
        QCOMPARE(rows.size(), 5);  // header, three men, the empty rest after the last line end
        QVERIFY(rows[1].startsWith("1,Яков Орлов,"));
        QVERIFY(rows[1].endsWith(",3,75,m1.tnm,\r"));
    }

    // With the folder's test weighing its questions, Галя (one question
    // answered, one that goes with Борис's) comes first; the old columns keep
    // their places and `shared` tells the questions both answered. A damaged
    // block is told once and the plain ranking given.
    void weightedPairRanking()
    {
        Folder f;
        writeBytes(f.dir + QStringLiteral("t.tnd"), weightedTest(kWeights));
        const Run run = cli({QStringLiteral("pairs"), f.dir + QStringLiteral("m2.tnm")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, csvLines({QStringLiteral("rank,name,age,matches,percent,file,shared"),
                                    QStringLiteral("1,Галя Ким,") + age(1999) + QStringLiteral(",0,100,w3.tnw,1"),
                                    QStringLiteral("2,Вера Лис,") + age(1985) + QStringLiteral(",3,1,w1.tnw,4"),
                                    QStringLiteral("3,Анна Ким,") + age(1995) + QStringLiteral(",2,0,w2.tnw,4")}));

        writeBytes(f.dir + QStringLiteral("t.tnd"), weightedTest("[vesa]\r\n 4\r\n 1 5 x\r\n[/vesa]\r\n"));
        const Run damaged = cli({QStringLiteral("pairs"), f.dir + QStringLiteral("m2.tnm")});
        QCOMPARE(damaged.status, 0);
        QVERIFY2(QString::fromUtf8(damaged.err).contains(QStringLiteral("Веса вопросов в файле \"") + f.dir +
                                                         QStringLiteral("t.tnd\" повреждены и не учтены")),
                 damaged.err.constData());
        QCOMPARE(damaged.err.count('\n'), 1);
        QCOMPARE(damaged.out, csvLines({QStringLiteral("rank,name,age,matches,percent,file,shared"),
                                        QStringLiteral("1,Вера Лис,") + age(1985) + QStringLiteral(",3,75,w1.tnw,4"),
                                        QStringLiteral("2,Анна Ким,") + age(1995) + QStringLiteral(",2,50,w2.tnw,4"),
                                        QStringLiteral("3,Галя Ким,") + age(1999) + QStringLiteral(",0,0,w3.tnw,1")}));
    }

    // Everyone paired so that the pairs together fit best: Яков with Вера
    // and Борис with Галя, both full matches, leave Андрей the one left.
    // "Больше не предлагать" and, with --mutual, the bounds are kept.
    void assignEveryone()
    {
        Folder f;
        writeBytes(f.dir + QStringLiteral("t.tnd"), weightedTest(kWeights));
        const QString header = QStringLiteral("man,woman,percent,man_file,woman_file");
        const QString boris = QStringLiteral("\"Борис \"\"Боб\"\" Ким, мл.\"");
        Run run = cli({QStringLiteral("assign"), f.dir});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, csvLines({header, QStringLiteral("Яков Орлов,Вера Лис,100,m1.tnm,w1.tnw"),
                                    boris + QStringLiteral(",Галя Ким,100,m2.tnm,w3.tnw"),
                                    QStringLiteral("андрей Белов,Анна Ким,0,m3.tnm,w2.tnw")}));

        const auto store = store::Open(f.dir);
        QCOMPARE(desk::NeverOffer(*store, QStringLiteral("m2.tnm"), QStringLiteral("w3.tnw")), store::Result::Ok);
        run = cli({QStringLiteral("assign"), f.dir});
        QCOMPARE(run.out, csvLines({header, QStringLiteral("Яков Орлов,Галя Ким,100,m1.tnm,w3.tnw"),
                                    boris + QStringLiteral(",Вера Лис,1,m2.tnm,w1.tnw"),
                                    QStringLiteral("андрей Белов,Анна Ким,0,m3.tnm,w2.tnw")}));

        // Яков accepts only Вера's age and older.
        desk::Seeking older;
        older.ageFrom = age(1985).toInt();
        QCOMPARE(desk::WriteSeeking(*store, QStringLiteral("m1.tnm"), older), store::Result::Ok);
        run = cli({QStringLiteral("assign"), f.dir, QStringLiteral("--mutual")});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, csvLines({header, QStringLiteral("Яков Орлов,Вера Лис,100,m1.tnm,w1.tnw"),
                                    boris + QStringLiteral(",Анна Ким,0,m2.tnm,w2.tnw"),
                                    QStringLiteral("андрей Белов,Галя Ким,0,m3.tnm,w3.tnw")}));
    }

    void checkAndText()
    {
        QTemporaryDir tmp;
        const QString complete = tmp.path() + QStringLiteral("/a.tnd");
        writeBytes(complete, testFile(QStringLiteral("Знакомства, \"весна\""),
                                      {QStringLiteral(" 2"), QStringLiteral("Кошка?"), QStringLiteral(" 1"),
                                       QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Рыбки?"),
                                       QStringLiteral(" 2"), QStringLiteral("Да"), QStringLiteral("Нет"),
                                       QStringLiteral("Не знаю")},
                                      0));
        Run run = cli({QStringLiteral("check"), complete});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Знакомства, \"весна\"\n2\n0\n").toUtf8());

        run = cli({QStringLiteral("text"), complete});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, csvLines({QStringLiteral("[№1]"), QStringLiteral("=Кошка?"), QStringLiteral("Да"),
                                    QStringLiteral("Нет"), QString(), QStringLiteral("[№2]"),
                                    QStringLiteral("=Рыбки?"), QStringLiteral("Да"), QStringLiteral("Нет"),
                                    QStringLiteral("Не знаю"), QString()}));

        // The check looks at the questions themselves, not at the flag the
        // file was saved with.
        const QString incomplete = tmp.path() + QStringLiteral("/b/b.tnd");
        QDir().mkpath(tmp.path() + QStringLiteral("/b"));
        writeBytes(incomplete, testFile(QStringLiteral("Черновик"),
                                        {QStringLiteral(" 3"), QStringLiteral("Один?"), QStringLiteral(" 1"),
                                         QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Два?"),
                                         QStringLiteral(" 1"), QStringLiteral("Да"), QString(), QString(),
                                         QStringLiteral(" 1"), QStringLiteral("Да"), QStringLiteral("Нет")},
                                        0));
        run = cli({QStringLiteral("check"), incomplete});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QStringLiteral("Черновик\n3\n2\n").toUtf8());
    }

    void failuresAndUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("stderrHas");  // "@" stands for the fixture folder

        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0 << QString();
        QTest::newRow("no command") << QStringList{} << 2 << QStringLiteral("Использование:");
        QTest::newRow("unknown command") << QStringList{QStringLiteral("list")} << 2 << QStringLiteral("Использование:");
        QTest::newRow("people without sex") << QStringList{QStringLiteral("people"), QStringLiteral("@")} << 2
                                            << QStringLiteral("--men или --women");
        QTest::newRow("people with both sexes")
            << QStringList{QStringLiteral("people"), QStringLiteral("@"), QStringLiteral("--men"), QStringLiteral("--women")}
            << 2 << QStringLiteral("что-то одно: --men или --women");
        QTest::newRow("name without text")
            << QStringList{QStringLiteral("people"), QStringLiteral("@"), QStringLiteral("--men"), QStringLiteral("--name")}
            << 2 << QStringLiteral("после --name нужен текст");
        QTest::newRow("check without file") << QStringList{QStringLiteral("check")} << 2 << QStringLiteral("Использование:");
        QTest::newRow("missing folder")
            << QStringList{QStringLiteral("people"), QStringLiteral("@/nowhere"), QStringLiteral("--women")} << 1
            << QStringLiteral("Папка \"@/nowhere\" не найдена");
        QTest::newRow("missing test")
            << QStringList{QStringLiteral("check"), QStringLiteral("@/нет.tnd")} << 1
            << QStringLiteral("Файл \"@/нет.tnd\" не найден");
        QTest::newRow("foreign test")
            << QStringList{QStringLiteral("text"), QStringLiteral("@/m1.tnm")} << 1
            << QStringLiteral("Файл \"@/m1.tnm\" не подходит к программе.");
        QTest::newRow("missing person") << QStringList{QStringLiteral("pairs"), QStringLiteral("@/m9.tnm")} << 1
                                        << QStringLiteral("Файл не найден");
        QTest::newRow("foreign person") << QStringList{QStringLiteral("pairs"), QStringLiteral("@/x.tnw")} << 1
                                        << QStringLiteral("Файл не подходит к программе.");
        QTest::newRow("assign without folder") << QStringList{QStringLiteral("assign"), QStringLiteral("--mutual")} << 2
                                               << QStringLiteral("для assign нужна ПАПКА_ТЕСТА");
        QTest::newRow("assign of a missing folder") << QStringList{QStringLiteral("assign"), QStringLiteral("@/nowhere")}
                                                    << 1 << QStringLiteral("Папка \"@/nowhere\" не найдена");
        QTest::newRow("assign without a test") << QStringList{QStringLiteral("assign"), QStringLiteral("@")} << 1
                                               << QStringLiteral("В папке \"@\" нет файла теста (*.tnd)");
        QTest::newRow("export without folder") << QStringList{QStringLiteral("export"), QStringLiteral("@/w1.tnw")} << 2
                                               << QStringLiteral("для export нужны ФАЙЛ_КАРТОЧКИ и ПАПКА");
        QTest::newRow("export of a foreign file")
            << QStringList{QStringLiteral("export"), QStringLiteral("@/x.tnw"), QStringLiteral("@/out")} << 1
            << QStringLiteral("Файл не подходит к программе.");
        QTest::newRow("erase without reason") << QStringList{QStringLiteral("erase"), QStringLiteral("@/w1.tnw")} << 2
                                              << QStringLiteral("нужна причина: --reason ТЕКСТ");
        QTest::newRow("erase with a blank reason")
            << QStringList{QStringLiteral("erase"), QStringLiteral("@/w1.tnw"), QStringLiteral("--reason"), QStringLiteral("  ")}
            << 2 << QStringLiteral("нужна причина");
        QTest::newRow("erase of a missing card")
            << QStringList{QStringLiteral("erase"), QStringLiteral("@/w9.tnw"), QStringLiteral("--reason"), QStringLiteral("x")}
            << 1 << QStringLiteral("Файл не найден");
    }

    // A person's data on request, then their erasure with an act, as a
    // script runs them.
    void exportThenErase()
    {
        Folder f;
        const QString out = f.dir + QStringLiteral("выгрузка");
        Run run = cli({QStringLiteral("export"), f.dir + QStringLiteral("w1.tnw"), out});
        QCOMPARE(run.status, 0);
        const QStringList written = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(written, (QStringList{out + QStringLiteral("/w1.tnw.json"), out + QStringLiteral("/w1.tnw.csv"),
                                       out + QStringLiteral("/w1.tnw.pdf")}));
        QVERIFY(fixtures::readBytes(written[0]).contains(QStringLiteral("\"Вера Лис\"").toUtf8()));
        QVERIFY(fixtures::readBytes(written[2]).startsWith("%PDF-"));

        run = cli({QStringLiteral("erase"), f.dir + QStringLiteral("w1.tnw"), QStringLiteral("--reason"),
                   QStringLiteral("Запрос клиента")});
        QCOMPARE(run.status, 0);
        QVERIFY(!QFile::exists(f.dir + QStringLiteral("w1.tnw")));
        const QString act = f.dir + QStringLiteral("Акты/Акт ") + QString::number(QDate::currentDate().year()) +
                            QStringLiteral("-0001.txt");
        QVERIFY(QString::fromUtf8(run.out).contains(act));
        const QString text = QString::fromUtf8(fixtures::readBytes(act));
        QVERIFY(text.contains(QStringLiteral("Чьи данные: Вера Лис, 1985 г. р.")));
        QVERIFY(text.contains(QStringLiteral("Основание: Запрос клиента")));
        run = cli({QStringLiteral("people"), f.dir, QStringLiteral("--women")});
        QVERIFY(!run.out.contains(QStringLiteral("Вера Лис").toUtf8()));
    }

    void failuresAndUsage()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, stderrHas);
        Folder f;
        const QString dir = f.dir.chopped(1);
        for (QString& a : args)
            a.replace(QLatin1Char('@'), dir);
        const Run run = cli(args);
        QCOMPARE(run.status, status);
        if (status == 0) {
            QVERIFY(run.out.startsWith(QStringLiteral("Использование:").toUtf8()));
            QCOMPARE(run.err, QByteArray());
        } else {
            QVERIFY2(QString::fromUtf8(run.err).contains(QString(stderrHas).replace(QLatin1Char('@'), dir)),
                     run.err.constData());
            QCOMPARE(run.out, QByteArray());
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
