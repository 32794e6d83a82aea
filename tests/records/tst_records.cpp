// The menu "Картотека" with a scripted desktop: backups and restores from the
// menu, their refusals and cancels, the journal page, and the automatic copy
// made when the program closes.
#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/AutoBackup.h"
#include "engines/Journal.h"
#include "ground/App.h"
#include "screens/document/FileCommands.h"
#include "screens/records/Records.h"
#include "shell/ListCommands.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString examples()
{
    return qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/examples/");
}

// Every file under `folder` (hidden ones too) by its relative path, with its
// bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), fixtures::readBytes(path));
    }
    return files;
}

// The program on a desk: the demo test copied into a folder of its own and
// open, settings next to the program, the user's data and documents folders
// apart.
struct Desk {
    QTemporaryDir tmp;
    ScriptedPlatform pf;
    App app{pf};
    QString program;
    QString folder;
    QString data;
    QString documents;

    explicit Desk(bool openTest = true)
    {
        program = tmp.path() + QStringLiteral("/программа/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        data = tmp.path() + QStringLiteral("/данные");
        documents = tmp.path() + QStringLiteral("/документы/");
        for (const QString& f : {program, folder, documents})
            QDir().mkpath(f);
        for (const QString& file : QDir(examples()).entryList(QDir::Files))
            QFile::copy(examples() + file, folder + file);
        pf.exeFolder = program;
        pf.userData = data;
        pf.userDocuments = documents;
        Main(app);
        if (openTest)
            OpenTest(app, testFile());
    }
    QString testFile() const { return folder + QStringLiteral("Знакомства.tnd"); }
    QString copies() const { return data + QStringLiteral("/tandemo/backups/Знакомства/"); }
    QStringList copiesMade() const { return QDir(copies()).entryList(QDir::Files, QDir::Name); }
    void click(const char* item) { frmForma_MenuClick(app, QLatin1String(item)); }
    void autoSettings(const autobackup::Settings& settings)
    {
        QVERIFY(autobackup::WriteSettings(program + autobackup::kSettingsFileName, settings));
    }
    // The test folder's own files, without what the program keeps beside them.
    QMap<QString, QByteArray> testFiles() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& file : QDir(folder).entryList(QDir::Files))
            files.insert(file, fixtures::readBytes(folder + file));
        return files;
    }
};

}  // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(QFileInfo::exists(examples() + QStringLiteral("Знакомства.tnd"))); }

    void theMenuComesAfterEdit()
    {
        ScriptedPlatform pf;
        App app(pf);
        const auto menus = app.frmForma.menus();
        QCOMPARE(menus.size(), size_t(4));
        QCOMPARE(menus[1].front()->text, QStringLiteral("Правка"));
        QCOMPARE(menus[3].front()->text, QStringLiteral("Справка"));
        QStringList items;
        for (const Control* item : menus[2])
            items << item->text;
        QCOMPARE(items, (QStringList{QStringLiteral("Картотека"), QStringLiteral("Резервная копия…"),
                                     QStringLiteral("Восстановить из копии…"), QStringLiteral("Журнал"),
                                     QStringLiteral("Напоминания"), QStringLiteral("Статистика"), QStringLiteral("Рабочий стол оператора…"),
                                     QStringLiteral("Вечер знакомств"),
                                     QStringLiteral("-"), QStringLiteral("Автоматические копии…"),
                                     QStringLiteral("-"), QStringLiteral("Срок хранения анкет…"),
                                     QStringLiteral("Истёк срок хранения"), QStringLiteral("Текст согласия…")}));
    }

    // Backup from the menu, then restore into a new folder and open it: the
    // restored test is the one in memory, its files byte for byte the same.
    void backupThenRestoreIntoANewFolder()
    {
        Desk desk;
        // The last file dialog was in the test folder: no archive goes there.
        desk.app.st.folders.LastFolder = desk.folder;
        const QString archive = desk.documents + QStringLiteral("копия");
        desk.pf.fileAnswers = {archive};
        desk.click("KartotekaKopiya");
        QCOMPARE(desk.pf.fileDialogs.size(), 1);
        QVERIFY(desk.pf.fileDialogs[0].save);
        QCOMPARE(desk.pf.fileDialogs[0].suggestedName, QStringLiteral("Знакомства 2009-03-07.zip"));
        QCOMPARE(desk.pf.fileDialogs[0].initialFolder, desk.documents);
        QVERIFY(QFileInfo(archive + QStringLiteral(".zip")).isFile());
        QCOMPARE(desk.pf.progressTitles, QStringList{QStringLiteral("Резервная копия")});
        QVERIFY(!desk.pf.progressShown);
        QVERIFY(desk.pf.progressSteps > 0);
        QCOMPARE(desk.pf.messages.size(), 1);
        QCOMPARE(desk.pf.messages[0].icon, MsgIcon::Information);
        const qsizetype testFiles = desk.testFiles().size();
        QVERIFY2(desk.pf.messages[0].text.contains(QStringLiteral("Файлов в архиве: ")),
                 qPrintable(desk.pf.messages[0].text));
        const int counted = desk.pf.messages[0].text.section(QStringLiteral("Файлов в архиве: "), 1).section('.', 0, 0).toInt();
        QVERIFY2(counted >= testFiles, qPrintable(desk.pf.messages[0].text));

        const QString restored = desk.tmp.path() + QStringLiteral("/восстановлено");
        desk.pf.fileAnswers = {archive + QStringLiteral(".zip")};
        desk.pf.folderAnswers = {restored};
        desk.pf.messageAnswers = {MsgAnswer::Yes};
        desk.click("KartotekaVosstanovit");
        QCOMPARE(desk.pf.folderDialogs.size(), 1);
        QCOMPARE(desk.pf.messages.size(), 2);
        QCOMPARE(desk.pf.messages[1].buttons, MsgButtons::YesNo);
        QVERIFY2(desk.pf.messages[1].text.contains(QStringLiteral("Открыть восстановленный тест?")),
                 qPrintable(desk.pf.messages[1].text));
        QCOMPARE(desk.pf.progressTitles.last(), QStringLiteral("Восстановление из копии"));
        const auto original = desk.testFiles();
        for (auto it = original.cbegin(); it != original.cend(); ++it)
            QCOMPARE(fixtures::readBytes(restored + QLatin1Char('/') + it.key()), it.value());
        QCOMPARE(desk.app.st.test.TestFilePath, restored + QStringLiteral("/Знакомства.tnd"));
        QCOMPARE(desk.app.st.main.Phase, TestPhase::StartPage);
        QVERIFY(desk.app.st.main.MainHtml.contains(QStringLiteral("Начать тестирование")));
        // The restored folder works: its list of women holds every woman.
        int women = -1;
        desk.pf.onModal[WindowId::Html] = [&] {
            frmHTML_Timer(desk.app);
            women = desk.app.st.people.PeopleLast + 1;
        };
        desk.click("FileListLudey(1)");
        QCOMPARE(women, QDir(desk.folder).entryList({QStringLiteral("*.tnw")}, QDir::Files).size());
        QVERIFY(women > 0);
    }

    void noArchiveInsideTheTestFolder_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("the folder itself") << QStringLiteral("Знакомства/копия.zip");
        QTest::newRow("a folder not yet made in it") << QStringLiteral("Знакомства/копии/копия.zip");
        QTest::newRow("the folder through a link") << QStringLiteral("ссылка/копия.zip");
    }
    void noArchiveInsideTheTestFolder()
    {
        QFETCH(QString, where);
        Desk desk;
        QVERIFY(QFile::link(desk.folder, desk.tmp.path() + QStringLiteral("/ссылка")));
        const auto before = filesUnder(desk.folder);
        desk.pf.fileAnswers = {desk.tmp.path() + QLatin1Char('/') + where};
        desk.click("KartotekaKopiya");
        QCOMPARE(desk.pf.messages.size(), 1);
        QCOMPARE(desk.pf.messages[0].icon, MsgIcon::Critical);
        QVERIFY(desk.pf.progressTitles.isEmpty());
        QCOMPARE(filesUnder(desk.folder), before);
    }

    void anExistingArchiveIsReplacedOnlyWhenTheUserSaysSo()
    {
        Desk desk;
        const QString archive = desk.documents + QStringLiteral("старая.zip");
        fixtures::writeBytes(archive, "старая копия");
        desk.pf.fileAnswers = {archive};
        desk.pf.messageAnswers = {MsgAnswer::No};
        desk.click("KartotekaKopiya");
        QCOMPARE(fixtures::readBytes(archive), QByteArray("старая копия"));
        QVERIFY(desk.pf.progressTitles.isEmpty());
        desk.pf.fileAnswers = {archive};
        desk.pf.messageAnswers = {MsgAnswer::Yes};
        desk.click("KartotekaKopiya");
        QVERIFY(fixtures::readBytes(archive).startsWith("PK"));
    }

    void cancelLeavesNothing_data()
    {
        QTest::addColumn<int>("step");
        QTest::newRow("at once") << 1;
        QTest::newRow("on the way") << 2;
    }
    void cancelLeavesNothing()
    {
        QFETCH(int, step);
        Desk desk;
        const QString archive = desk.documents + QStringLiteral("копия.zip");
        desk.pf.fileAnswers = {archive};
        desk.pf.cancelAtStep = step;
        desk.click("KartotekaKopiya");
        QVERIFY(desk.pf.messages.isEmpty());
        QVERIFY(!desk.pf.progressShown);
        QCOMPARE(QDir(desk.documents).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});

        desk.pf.cancelAtStep = 0;
        desk.pf.fileAnswers = {archive};
        desk.click("KartotekaKopiya");
        QVERIFY(QFileInfo(archive).isFile());
        desk.pf.messages.clear();
        const QString restored = desk.tmp.path() + QStringLiteral("/восстановлено");
        desk.pf.fileAnswers = {archive};
        desk.pf.folderAnswers = {restored};
        desk.pf.cancelAtStep = desk.pf.progressSteps + step;
        desk.click("KartotekaVosstanovit");
        QVERIFY(desk.pf.messages.isEmpty());
        QVERIFY(!desk.pf.progressShown);
        QVERIFY(filesUnder(restored).isEmpty());
        QCOMPARE(desk.app.st.test.TestFilePath, desk.testFile());
    }

    void restoreRefusesAFolderInUse()
    {
        Desk desk;
        const QString archive = desk.documents + QStringLiteral("копия.zip");
        desk.pf.fileAnswers = {archive};
        desk.click("KartotekaKopiya");
        desk.pf.messages.clear();
        const QString used = desk.tmp.path() + QStringLiteral("/занято/");
        QDir().mkpath(used);
        fixtures::writeBytes(used + QStringLiteral("чужое.txt"), "чужое");
        desk.pf.fileAnswers = {archive};
        desk.pf.folderAnswers = {used};
        desk.click("KartotekaVosstanovit");
        QCOMPARE(desk.pf.messages.size(), 1);
        QCOMPARE(desk.pf.messages[0].icon, MsgIcon::Critical);
        QCOMPARE(filesUnder(used).keys(), QStringList{QStringLiteral("чужое.txt")});
        QCOMPARE(desk.app.st.test.TestFilePath, desk.testFile());
    }

    void commandsOfTheOpenTestSayWhenNoneIsOpen_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("backup") << QStringLiteral("KartotekaKopiya");
        QTest::newRow("journal") << QStringLiteral("KartotekaZhurnal");
        QTest::newRow("reminders") << QStringLiteral("KartotekaNapominaniya");
        QTest::newRow("statistics") << QStringLiteral("KartotekaStatistika");
        QTest::newRow("evening") << QStringLiteral("KartotekaVecher");
    }
    void commandsOfTheOpenTestSayWhenNoneIsOpen()
    {
        QFETCH(QString, item);
        Desk desk(false);
        frmForma_MenuClick(desk.app, item);
        QCOMPARE(desk.pf.messages.size(), 1);
        QVERIFY(desk.pf.messages[0].text.startsWith(QStringLiteral("Тест не открыт.")));
        QVERIFY(desk.pf.fileDialogs.isEmpty());
        QVERIFY(desk.pf.modals.isEmpty());
    }

    // File names in the journal come from the folder: the page shows them as
    // text, newest first, under a header row.
    void journalPageShowsRecordsAsText()
    {
        const QDateTime early(QDate(2026, 12, 1), QTime(9, 0), Qt::OffsetFromUTC, 3 * 3600);
        QList<journal::Record> records{
            {early, QStringLiteral("стол&1"), QStringLiteral("o'brien"), journal::kResultSaved,
             QStringLiteral("<script>alert(1)</script>.tnm"), QByteArray(), QByteArray(64, 'a')},
            {early.addSecs(60), QStringLiteral("стол-2"), QStringLiteral("ольга"), journal::kCardDeleted,
             QStringLiteral("<img src=x onerror=alert(2)>.tnw"), QByteArray(64, 'b'), QByteArray()},
        };
        const QString page = JournalPage(QStringLiteral("/дом/<b>папка</b>/"), records);
        QVERIFY(!page.contains(QStringLiteral("<script>")));
        QVERIFY(!page.contains(QStringLiteral("<img")));
        QVERIFY(!page.contains(QStringLiteral("<b>папка")));
        QVERIFY(!page.contains(QStringLiteral("o'brien")));
        QVERIFY(page.contains(QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;.tnm")));
        QVERIFY(page.contains(QStringLiteral("стол&amp;1")));
        QVERIFY(page.contains(QStringLiteral("<th>Время</th>")));
        QVERIFY(page.contains(QStringLiteral("2026-12-01T09:00:00+03:00")));
        QVERIFY(page.indexOf(QStringLiteral("alert(2)")) < page.indexOf(QStringLiteral("alert(1)")));
        QVERIFY(JournalPage(QStringLiteral("/x/"), {}).contains(QStringLiteral("нет ни одной записи")));
    }

    // "Журнал" shows the folder's journal in the secondary window: the
    // backup made from the menu is in it.
    void journalOfTheOpenFolder()
    {
        Desk desk;
        desk.pf.fileAnswers = {desk.documents + QStringLiteral("копия.zip")};
        desk.click("KartotekaKopiya");
        QVERIFY(journal::Append(desk.folder, {journal::Make(desk.pf.clock, journal::kCardDeleted,
                                                            QStringLiteral("<i>x</i>.tnm"), QByteArray("a"),
                                                            std::nullopt)}));
        QString shown;
        QString title;
        desk.pf.onModal[WindowId::Html] = [&] {
            frmHTML_Timer(desk.app);
            shown = desk.app.frmHTML.usrWebHtml1.text;
            title = desk.app.frmHTML.caption;
        };
        desk.click("KartotekaZhurnal");
        QCOMPARE(desk.pf.modals, QList<WindowId>{WindowId::Html});
        QCOMPARE(desk.app.st.list.Mode, HtmlWindowMode::Journal);
        QCOMPARE(title, QStringLiteral("Журнал"));
        QVERIFY2(shown.contains(journal::kBackup), qPrintable(shown));
        QVERIFY(shown.contains(QStringLiteral("&lt;i&gt;x&lt;/i&gt;.tnm")));
    }

    void automaticCopiesOncePerDayKeepingTheNewest()
    {
        Desk desk;
        desk.autoSettings({QString(), 2});
        QDir().mkpath(desk.copies());
        const QString handMade = QStringLiteral("Знакомства 2009-03-01.zip");
        fixtures::writeBytes(desk.copies() + handMade, "своя");
        fixtures::writeBytes(desk.copies() + QStringLiteral("заметки.txt"), "заметки");
        const QDateTime first = desk.pf.clock;
        QCOMPARE(UnloadProga(desk.app), 0);
        const QString firstCopy = autobackup::ArchiveName(QStringLiteral("Знакомства"), first);
        QCOMPARE(desk.copiesMade(), (QStringList{handMade, firstCopy, QStringLiteral("заметки.txt")}));
        QCOMPARE(desk.pf.progressTitles, QStringList{QStringLiteral("Автоматическая копия")});
        desk.pf.clock = first.addSecs(3600);
        QCOMPARE(UnloadProga(desk.app), 0);
        QCOMPARE(desk.copiesMade().size(), 3);
        for (int day = 1; day <= 2; ++day) {
            desk.pf.clock = first.addDays(day);
            QCOMPARE(UnloadProga(desk.app), 0);
        }
        QCOMPARE(desk.copiesMade(),
                 (QStringList{handMade, autobackup::ArchiveName(QStringLiteral("Знакомства"), first.addDays(1)),
                              autobackup::ArchiveName(QStringLiteral("Знакомства"), first.addDays(2)),
                              QStringLiteral("заметки.txt")}));
        QVERIFY(desk.pf.messages.isEmpty());
        QVERIFY(desk.pf.standardError.isEmpty());
    }

    // Two test folders of one name (two branches' "Знакомства") each get
    // their day's copy, in folders of their own; a folder of copies is never
    // the test folder itself.
    void eachTestFolderHasItsOwnCopies()
    {
        Desk desk;
        const QString branch = desk.tmp.path() + QStringLiteral("/филиал/");
        QDir().mkpath(branch);
        for (const QString& file : QDir(desk.folder).entryList(QDir::Files))
            QFile::copy(desk.folder + file, branch + file);
        QCOMPARE(UnloadProga(desk.app), 0);
        OpenTest(desk.app, branch + QStringLiteral("Знакомства.tnd"));
        QCOMPARE(UnloadProga(desk.app), 0);
        OpenTest(desk.app, desk.testFile());
        QCOMPARE(UnloadProga(desk.app), 0);
        QCOMPARE(desk.copiesMade().size(), 1);
        const QString second = desk.data + QStringLiteral("/tandemo/backups/Знакомства (2)/");
        QCOMPARE(QDir(second).entryList(QDir::Files).size(), 1);

        desk.autoSettings({desk.tmp.path(), 10});
        const QStringList before = QDir(desk.folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(UnloadProga(desk.app), 0);
        QCOMPARE(QDir(desk.folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(QDir(desk.tmp.path() + QStringLiteral("/Знакомства (2)")).entryList(QDir::Files).size(), 1);
        QVERIFY(desk.pf.messages.isEmpty());
    }

    void noCopyWhenTheDesktopEndsTheProgram()
    {
        Desk desk;
        QCOMPARE(UnloadProga(desk.app, Shutdown::ByDesktop), 0);
        QVERIFY(!QFileInfo::exists(desk.data));
        QVERIFY(desk.pf.messages.isEmpty());
        QCOMPARE(desk.pf.standardError.size(), 1);
        QVERIFY(desk.pf.standardError[0].startsWith(QStringLiteral("Автоматическая копия не сделана")));
    }

    void noCopyWithoutAnOpenTest()
    {
        Desk desk(false);
        QCOMPARE(UnloadProga(desk.app), 0);
        QVERIFY(!QFileInfo::exists(desk.data));
        QVERIFY(desk.pf.messages.isEmpty());
    }

    void aFailedCopyIsShownOnceAndClosingGoesOn_data()
    {
        QTest::addColumn<QString>("copiesFolder");
        QTest::addColumn<int>("cancelAt");
        QTest::addColumn<int>("messages");
        QTest::newRow("the folder is a file") << QStringLiteral("файл") << 0 << 1;
        QTest::newRow("the folder is in the test folder") << QStringLiteral("Знакомства/копии") << 0 << 1;
        QTest::newRow("cancelled") << QString() << 1 << 0;
    }
    void aFailedCopyIsShownOnceAndClosingGoesOn()
    {
        QFETCH(QString, copiesFolder);
        QFETCH(int, cancelAt);
        QFETCH(int, messages);
        Desk desk;
        fixtures::writeBytes(desk.tmp.path() + QStringLiteral("/файл"), "не папка");
        if (!copiesFolder.isEmpty())
            desk.autoSettings({desk.tmp.path() + QLatin1Char('/') + copiesFolder, 10});
        desk.pf.cancelAtStep = cancelAt;
        const auto before = filesUnder(desk.folder);
        QFile::remove(desk.program + kSettingsFileName);
        QCOMPARE(UnloadProga(desk.app), 0);
        QCOMPARE(desk.pf.messages.size(), messages);
        if (messages > 0)
            QCOMPARE(desk.pf.messages[0].icon, MsgIcon::Critical);
        QCOMPARE(filesUnder(desk.folder), before);
        QVERIFY(desk.copiesMade().isEmpty());
        // The settings were written all the same.
        QCOMPARE(fixtures::readBytes(desk.program + kSettingsFileName).count("\r\n"), 3);
        QVERIFY(!desk.pf.progressShown);
    }

    void automaticCopySettingsFromTheMenu()
    {
        Desk desk;
        const QString chosen = desk.tmp.path() + QStringLiteral("/на другом диске");
        QDir().mkpath(chosen);
        desk.pf.folderAnswers = {desk.folder + QStringLiteral("копии"), chosen};
        desk.pf.numberAnswers = {3, 30};
        desk.click("KartotekaAvto");
        QCOMPARE(desk.pf.messages.size(), 1);
        QCOMPARE(desk.pf.folderDialogs[0].initialFolder, desk.data + QStringLiteral("/tandemo/backups/"));
        QVERIFY(!QFileInfo::exists(desk.program + autobackup::kSettingsFileName));
        desk.click("KartotekaAvto");
        QCOMPARE(autobackup::ReadSettings(desk.program + autobackup::kSettingsFileName),
                 (autobackup::Settings{chosen, 3, 30}));
        // Cancelled at the days, nothing changes.
        desk.pf.folderAnswers = {chosen};
        desk.pf.numberAnswers = {5, std::nullopt};
        desk.click("KartotekaAvto");
        QCOMPARE(autobackup::ReadSettings(desk.program + autobackup::kSettingsFileName),
                 (autobackup::Settings{chosen, 3, 30}));
        QCOMPARE(UnloadProga(desk.app), 0);
        QCOMPARE(QDir(chosen + QStringLiteral("/Знакомства")).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
