#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "screens/document/FileCommands.h"
#include "screens/document/FrmPassW.h"
#include "engines/TestFile.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "ground/TextFile.h"
#include "screens/editor/FrmLoadVopros.h"
#include "screens/matching/PairPages.h"
#include "engines/PairSearch.h"
#include "screens/people/CardPage.h"
#include "screens/people/FrmKartochka.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/Startup.h"
#include "ground/windows/HtmlView.h"
#include "shell/ListCommands.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <limits>

#include <dirent.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using fixtures::cp1251Lines;

namespace {

// A person file as the program writes it.
QByteArray card(const QString& name, const QString& year, const QString& answers, int sex,
                const QString& password = {}, const QStringList& details = {})
{
    QStringList lines{QStringLiteral("[kartochka]"), name, year, details.isEmpty() ? QStringLiteral(" 0") : QStringLiteral(" 1"),
                      answers};
    lines << details << QLatin1Char(' ') + QString::number(sex) << password << QString();
    return cp1251Lines(lines);
}

// A file by the bytes of its name, which QFile could not spell.
void writeRaw(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, content.constData(), static_cast<size_t>(content.size())), ssize_t(content.size()));
    ::close(fd);
}

// `head`, then a hole up to `size` bytes, then `tail`: huge on reading,
// a few blocks on disk.
void writeSparse(const QString& path, const QByteArray& head, qint64 size, const QByteArray& tail = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(head);
    QVERIFY(file.resize(size));
    if (!tail.isEmpty()) {
        QVERIFY(file.seek(size));
        file.write(tail);
    }
}

// Replaces `path` by something that is not a regular file.
void makeHostile(const QString& path, const QString& kind)
{
    QFile::remove(path);
    const QByteArray raw = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(raw.constData(), 0644), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else
        QCOMPARE(::symlink(kind.toUtf8().constData(), raw.constData()), 0);
}

// The names a folder holds, as bytes: QDir leaves out names it cannot decode.
QList<QByteArray> dirEntries(const QString& folder)
{
    QList<QByteArray> names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != ".." && name != store::kHiddenFolder.toUtf8())
            names << name;
    }
    if (dir)
        ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

// Files that are damaged, huge, not files at all or named in a foreign code
// page: they cost bounded memory and time and never make a page untrue.
class TestHostileFiles : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    int folders = 0;

    void prepare(App& app)
    {
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.WorkFolder = tmp.path() + QStringLiteral("/f%1/").arg(++folders);
        QDir().mkpath(app.st.folders.WorkFolder);
        app.st.folders.AppFolder = app.st.folders.WorkFolder;
    }

    // Opens the list of one sex in the secondary window's model.
    static void listOf(App& app, int women)
    {
        app.st.people.ListWomen = women;
        app.st.list.Mode = HtmlWindowMode::PeopleList;
        ListLudeyLoad(app);
    }
    static void click(App& app, const QString& code) { VyborKartochki(app, Command(code) + QLatin1Char('/')); }
    static QString page(const App& app) { return app.frmHTML.usrWebHtml1.text; }

private Q_SLOTS:
    // Every reader of one file refuses a pipe, a device or a folder at once:
    // before, a pipe hung the program and a link to /dev/zero exhausted its
    // memory.
    void readersRefuseWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("kind");
        for (const char* reader : {"test", "merge", "card", "backup"}) {
            for (const char* kind : {"fifo", "/dev/zero", "/dev/urandom", "folder"})
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(reader, kind))) << reader << kind;
        }
    }
    void readersRefuseWhatIsNotAFile()
    {
        QFETCH(QString, reader);
        QFETCH(QString, kind);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QString name = reader == QLatin1String("card") ? QStringLiteral("x.tnw") : QStringLiteral("x.tnd");
        const QString path = app.st.folders.WorkFolder + name;
        makeHostile(path, kind);
        app.st.test.TestName = QStringLiteral("before");

        QString message;
        if (reader == QLatin1String("test")) {
            OpenTest(app, path);
        } else if (reader == QLatin1String("merge")) {
            AddTest(app, path);
        } else if (reader == QLatin1String("card")) {
            QCOMPARE(OpenKartochka(app, name, 1), CardOpen::Failed);
        } else {
            message = LoadBackup(app, path, 0);
        }
        if (message.isEmpty()) {
            QCOMPARE(pf.messages.size(), 1);
            message = pf.messages[0].text;
        }
        QVERIFY2(message.endsWith(QStringLiteral("открыть не возможно")), qPrintable(message));
        QCOMPARE(app.st.test.TestName, QStringLiteral("before"));
        QVERIFY(app.st.CardFields[1].FileName.isEmpty());
    }

    void settingsThatAreNotAFileGiveDefaults_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("/dev/zero") << "/dev/zero";
    }
    void settingsThatAreNotAFileGiveDefaults()
    {
        QFETCH(QString, kind);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        pf.exeFolder = app.st.folders.WorkFolder.chopped(1);
        makeHostile(app.st.folders.WorkFolder + QStringLiteral("Тандемо.ini"), kind);
        Main(app);
        QCOMPARE(app.st.folders.LastFolder, app.st.folders.WorkFolder);
        QCOMPARE(app.st.folders.SplashPicture, app.st.folders.WorkFolder + QStringLiteral("sunbird.jpg"));
        QVERIFY(!app.frmForma.FileNameTest.visible);
        QVERIFY(pf.messages.isEmpty());
    }

    // Three gigabytes that read as zeros: a foreign one is refused after its
    // first line, a card is read up to what a card can hold.
    void hugeSparseFiles()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const qint64 huge = qint64(3) << 30;
        const QString video = app.st.folders.WorkFolder + QStringLiteral("film.tnd");
        writeSparse(video, QByteArray("\x1a\x45\xdf\xa3", 4), huge);
        OpenTest(app, video);
        QCOMPARE(pf.messageTexts(),
                 QStringList{QStringLiteral("Файл \"") + video + QStringLiteral("\" не подходит к программе.")});

        writeSparse(app.st.folders.WorkFolder + QStringLiteral("big.tnw"),
                    card(QStringLiteral("Ира"), QStringLiteral(" 1990"), QStringLiteral("012"), 1), huge);
        QCOMPARE(OpenKartochka(app, QStringLiteral("big.tnw"), 1), CardOpen::Opened);
        QCOMPARE(app.st.CardFields[1].NameFamiliya, QStringLiteral("Ира"));
        QCOMPARE(app.st.CardFields[1].Otvety, QStringLiteral("012"));
        listOf(app, 1);
        QCOMPARE(app.st.people.PeopleLast, 0);
        QCOMPARE(app.st.people.People[0].NameFamiliya, QStringLiteral("Ира"));
    }

    // Name lines of tens of megabytes (sparse on disk) are shown cut and
    // sorted by what is shown; the page stays the size of a page. Pipes and
    // devices among them are skipped.
    void hugeNameLinesAreShownCut()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        for (int i = 0; i < 3; ++i) {
            writeSparse(app.st.folders.WorkFolder + QStringLiteral("long%1.tnw").arg(i), "[kartochka]\r\n", qint64(60) << 20,
                        "\r\n 1990\r\n 0\r\n012\r\n 1\r\n\r\n");
        }
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("anna.tnw"),
                             card(QStringLiteral("Анна"), QStringLiteral(" 1990"), QStringLiteral("012"), 1));
        // Not files at all: left out of the lists without a wait.
        for (const char* kind : {"fifo", "/dev/zero", "/dev/urandom"})
            makeHostile(app.st.folders.WorkFolder + QString::fromLatin1(kind).section(u'/', -1) + QStringLiteral(".tnw"), QString::fromLatin1(kind));
        const QString longName = QStringLiteral("Я").repeated(500000);
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("ya.tnw"),
                             card(longName, QStringLiteral(" 1990"), QStringLiteral("012"), 1));
        listOf(app, 1);
        QCOMPARE(app.st.people.PeopleLast, 4);
        for (const PersonEntry& e : app.st.people.People)
            QVERIFY(e.NameFamiliya.size() <= textfile::kMaxShownChars);
        const PersonEntry& last = app.st.people.People[app.st.people.PeopleOrder[4]];
        QCOMPARE(last.NameFamiliya, longName.left(textfile::kMaxShownChars - 1) + QChar(0x2026));
        QCOMPARE(last.Vozrast, QStringLiteral("19"));
        QVERIFY(page(app).size() < 20000);
        click(app, QStringLiteral("l4"));  // the card page cuts it the same way
        QCOMPARE(app.st.CardFields[1].NameFamiliya, longName);
        QVERIFY(page(app).contains(QStringLiteral("<td>") + last.NameFamiliya + QStringLiteral("</td>")));
        QVERIFY(page(app).size() < 20000);

        Kartochka man;
        man.Otvety = QStringLiteral("012");
        const PairRanking ranking = RankPairs(app.st.folders.WorkFolder, man, 2009);
        QCOMPARE(ranking.pairs.size(), 5);
        for (const PairEntry& e : ranking.pairs)
            QVERIFY(e.NameFamiliya.size() <= textfile::kMaxShownChars);
    }

    // A file copied from a Windows disk keeps its Windows-1251 name: it is
    // listed, opened, ranked, changed and deleted like any other, and the
    // command line shows its name readably.
    void nonUtf8FileNameWorksEndToEnd()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QByteArray rawName("\xc0\xed\xed\xe0.tnw");  // "Анна.tnw" in Windows-1251
        const QByteArray rawPath = QFile::encodeName(app.st.folders.WorkFolder) + rawName;
        const QStringList details{"1,65", "55", "Блондинка", "Голубые", "Рыбы", "", "", "Москва", ""};
        writeRaw(rawPath, card(QStringLiteral("Анна Петрова"), QStringLiteral(" 1985"), QStringLiteral("012"), 1,
                               QStringLiteral("p"), details));
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("ivan.tnm"),
                             card(QStringLiteral("Иван"), QStringLiteral(" 1980"), QStringLiteral("011"), 0));

        listOf(app, 1);
        QCOMPARE(app.st.people.PeopleLast, 0);
        QCOMPARE(textfile::pathBytes(app.st.people.People[0].FileName), rawName);
        QCOMPARE(textfile::readableName(app.st.people.People[0].FileName), QStringLiteral("Анна.tnw"));
        click(app, QStringLiteral("l0"));
        QVERIFY(pf.messages.isEmpty());
        QVERIFY(page(app).contains(QStringLiteral("Москва")));

        // Ranked from the man's side, and opened from the ranking.
        listOf(app, 0);
        click(app, QStringLiteral("p0"));
        QVERIFY(page(app).contains(QStringLiteral("Анна Петрова")));
        QVERIFY(page(app).contains(QStringLiteral("2 (66%)")));
        click(app, QStringLiteral("l0"));
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(app.st.CardFields[2].NameFamiliya, QStringLiteral("Анна Петрова"));

        // The command line, in UTF-8.
        QProcess cli;
        cli.start(qEnvironmentVariable("TANDEMO_CLI"), {QStringLiteral("people"), app.st.folders.WorkFolder, QStringLiteral("--women")});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QString row = QStringLiteral("Анна Петрова,%1,1,Анна.tnw").arg(QDate::currentDate().year() - 1985);
        QVERIFY(QString::fromUtf8(cli.readAllStandardOutput()).contains(row));

        // Changed behind the password: written to the same bytes, nothing else.
        listOf(app, 1);
        click(app, QStringLiteral("l0"));
        pf.onModal[WindowId::PassW] = [&app] {
            app.frmPassW.TPW.text = QStringLiteral("p");
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
        };
        pf.onModal[WindowId::Kartochka] = [&app] {
            frmKartochka_Load(app);
            app.frmKartochka.txtNameFamiliya.text = QStringLiteral("Анна Сидорова");
            frmKartochka_OK_Click(app);
        };
        click(app, QStringLiteral("i"));
        QVERIFY2(pf.messages.isEmpty(), qPrintable(pf.messageTexts().join(u'|')));
        QCOMPARE(dirEntries(app.st.folders.WorkFolder), (QList<QByteArray>{"ivan.tnm", rawName}));
        QByteArray onDisk;
        {
            const int fd = ::open(rawPath.constData(), O_RDONLY);
            QVERIFY(fd >= 0);
            char buffer[4096];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            ::close(fd);
            QVERIFY(got > 0);
            onDisk = QByteArray(buffer, got);
        }
        QVERIFY(onDisk.contains(textfile::encode(QStringLiteral("Анна Сидорова"))));

        // Deleted.
        click(app, QStringLiteral("d"));
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл удален.")});
        struct stat st {};
        QCOMPARE(::stat(rawPath.constData(), &st), -1);
        QCOMPARE(dirEntries(app.st.folders.WorkFolder), QList<QByteArray>{"ivan.tnm"});
        // The journal names the file by its very bytes.
        const auto store = store::Open(app.st.folders.WorkFolder);
        const QList<journal::Record> records = journal::Read(*store);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].action, journal::kCardChanged);
        QCOMPARE(records[1].action, journal::kCardDeleted);
        for (const journal::Record& r : records)
            QCOMPARE(textfile::pathBytes(r.file), rawName);
        QCOMPARE(records[0].after, records[1].before);
        QCOMPARE(records[1].after, QByteArray());
    }

    // A test, settings or backup file whose name only the folder's bytes
    // spell is saved over that very file, in one step, and nothing is left.
    void saveUnderNonUtf8NameReplacesThatFile()
    {
        QTemporaryDir dir;
        const QByteArray rawName("\xd2\xe5\xf1\xf2.tnd");  // "Тест.tnd" in Windows-1251
        const QByteArray rawPath = QFile::encodeName(dir.path()) + '/' + rawName;
        writeRaw(rawPath, "old\r\n");
        const QString path = textfile::nameFromBytes(rawPath);
        QCOMPARE(textfile::pathBytes(path), rawPath);
        QCOMPARE(textfile::saveAtomically(path, "new\r\n"), textfile::SaveResult::Ok);
        QCOMPARE(dirEntries(dir.path()), QList<QByteArray>{rawName});
        char buffer[16] = {};
        const int fd = ::open(rawPath.constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        QCOMPARE(QByteArray(buffer, int(got)), QByteArray("new\r\n"));
        ::unlink(rawPath.constData());  // a name QTemporaryDir cannot spell
    }

    // The ranking belongs to the person it was made for, whatever card is
    // opened after it.
    void rankingKeepsItsReferencePerson()
    {
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("a.tnw"),
                             card(QStringLiteral("Анна"), QStringLiteral(" 1985"), QStringLiteral("012"), 1));
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("b.tnw"),
                             card(QStringLiteral("Ольга"), QStringLiteral(" 1990"), QStringLiteral("012"), 1));
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("m.tnm"),
                             card(QStringLiteral("Пётр"), QStringLiteral(" 1980"), QStringLiteral("012"), 0));
        listOf(app, 1);
        click(app, QStringLiteral("p1"));
        QCOMPARE(app.frmHTML.caption, QStringLiteral("Поиск пары. Невеста: Ольга"));
        click(app, QStringLiteral("s"));   // back to the list
        click(app, QStringLiteral("l0"));  // Анна's card replaces the list card
        QCOMPARE(app.st.CardFields[1].NameFamiliya, QStringLiteral("Анна"));
        click(app, QStringLiteral("n"));
        QVERIFY(page(app).contains(QStringLiteral("Список невесты: Ольга")));
        QVERIFY(!page(app).contains(QStringLiteral("невесты: Анна")));
        click(app, QStringLiteral("s"));
        QCOMPARE(app.frmHTML.caption, QStringLiteral("Поиск пары. Невеста: Ольга"));
        QVERIFY(page(app).contains(QStringLiteral("Невеста: Ольга<br>Список мужчин")));
    }

    // A year that cannot be read gives no age anywhere; the extreme year
    // gives its true age without overflow.
    void damagedYearGivesTheSameAgeEverywhere_data()
    {
        QTest::addColumn<QString>("yearLine");
        QTest::addColumn<QString>("age");
        QTest::newRow("not a number") << "год?" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("smallest") << "-2147483648" << QString::number(2009LL + 2147483648LL);
        QTest::newRow("largest") << " 2147483647" << QString::number(2009LL - 2147483647LL);
    }
    void damagedYearGivesTheSameAgeEverywhere()
    {
        QFETCH(QString, yearLine);
        QFETCH(QString, age);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("a.tnw"),
                             card(QStringLiteral("Анна"), yearLine, QStringLiteral("012"), 1));
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("m.tnm"),
                             card(QStringLiteral("Пётр"), QStringLiteral(" 1980"), QStringLiteral("012"), 0));
        listOf(app, 1);
        QCOMPARE(app.st.people.People[0].Vozrast, age);
        click(app, QStringLiteral("l0"));
        const QString shownAge = age.isEmpty() || age.startsWith(u'-') ? age : QLatin1Char(' ') + age;
        QVERIFY2(page(app).contains(QStringLiteral("<tr><td><b>Возраст:</b></td><td>") + shownAge + QStringLiteral("</td></tr>")),
                 qPrintable(page(app)));

        Kartochka man;
        man.Otvety = QStringLiteral("012");
        const PairRanking ranking = RankPairs(app.st.folders.WorkFolder, man, 2009);
        QCOMPARE(ranking.pairs.size(), 1);
        QCOMPARE(ranking.pairs[0].Vozrast, age);
    }

    // A test is offered for taking only when it holds every question it
    // announces, each complete; the stored flag is not enough.
    void damagedTestNeverStartsAsReady_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ready");
        QTest::newRow("complete") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1\r\nQ\r\n 1\r\nA\r\nB\r\n 0\r\n\r\n") << true;
        QTest::newRow("smallest seed") << QByteArray("[tandemo]\r\nT\r\n-2147483648\r\n\r\n 1\r\nQ\r\n 1\r\nA\r\nB\r\n 0\r\n\r\n")
                                       << true;
        QTest::newRow("absurd count") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1000000\r\nQ\r\n 1\r\nA\r\nB\r\n 0\r\nQ\r\n 0\r\nA\r\n 0\r\n")
                                      << false;
        QTest::newRow("empty answer, flag 0") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1\r\nQ\r\n 1\r\nA\r\n\r\n 0\r\n\r\n")
                                              << false;
        QTest::newRow("flag says not ready") << QByteArray("[tandemo]\r\nT\r\n 5\r\n\r\n 1\r\nQ\r\n 1\r\nA\r\nB\r\n 1\r\n\r\n")
                                             << false;
    }
    void damagedTestNeverStartsAsReady()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, ready);
        ScriptedPlatform pf;
        App app(pf);
        prepare(app);
        const QString path = app.st.folders.WorkFolder + QStringLiteral("t.tnd");
        fixtures::writeBytes(path, content);
        OpenTest(app, path);
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(app.st.test.TestFilePath, path);
        QCOMPARE(app.st.main.MainHtml.contains(QStringLiteral("Начать тестирование")), ready);
        QCOMPARE(app.st.main.MainHtml.contains(QStringLiteral("Тест не готов!")), !ready);
    }

    // Last: it moves this process into a mount namespace of its own, where a
    // read-only medium can be mounted without touching the machine's.
    void readOnlyMediumIsWriteProtected()
    {
        const QString mountPoint = tmp.path() + QStringLiteral("/medium");
        QVERIFY(QDir().mkpath(mountPoint));
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tandemo-ro", QFile::encodeName(mountPoint).constData(), "tmpfs", MS_RDONLY, "size=64k") != 0)
            QSKIP("mounting a read-only medium needs the right to make a mount namespace");
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.test.QuestionCount = 0;
        const QString path = mountPoint + QStringLiteral("/t.tnd");
        SaveTest(app, path);
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + path + QStringLiteral("\" защищён от записи.")});
        app.st.folders.WorkFolder = mountPoint + QLatin1Char('/');
        app.st.CardFields[0].NameFamiliya = QStringLiteral("Анна");
        QVERIFY(!SaveKartochka(app, QStringLiteral("a.tnw"), 0));
        QVERIFY(pf.messageTexts().last().endsWith(QStringLiteral("\" защищён от записи.")));
        ::umount(QFile::encodeName(mountPoint).constData());
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
