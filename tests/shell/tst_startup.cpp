#include "Fixtures.h"
#include "ScriptedPlatform.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"
#include "screens/views/FrmHTML.h"
#include "shell/ListCommands.h"
#include "screens/views/Splash.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using fixtures::cp1251Lines;
using fixtures::readBytes;
using fixtures::writeBytes;

namespace {
// Every file and folder under `root`, relative to it.
QStringList tree(const QString& root)
{
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString appDir;  // program folder with its trailing separator

    QString settingsPath() const { return appDir + QStringLiteral("Тандемо.ini"); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(tmp.isValid());
        appDir = tmp.path() + QStringLiteral("/prog/");
        QDir(appDir).removeRecursively();
        QVERIFY(QDir().mkpath(appDir));
    }

    void firstRunUsesDefaultsAndWritesThreeLines()
    {
        ScriptedPlatform pf;
        pf.exeFolder = appDir.chopped(1);  // the platform gives it without separator
        App app(pf);
        Main(app);
        QCOMPARE(app.st.folders.AppFolder, appDir);
        QCOMPARE(app.st.folders.PathSep, QStringLiteral("/"));
        QCOMPARE(app.st.folders.WorkFolder, appDir);
        QCOMPARE(app.st.folders.LastFolder, appDir);
        QCOMPARE(app.st.folders.SplashPicture, appDir + QStringLiteral("sunbird.jpg"));
        QCOMPARE(app.st.editor.Target, EditTarget::Nothing);
        QCOMPARE(app.st.people.PeopleLast, -1);
        QCOMPARE(app.st.pairs.PairsLast, -1);
        QVERIFY(!app.frmForma.FileNameTest.visible);
        QVERIFY(!app.frmForma.FileSep4.visible);
        QVERIFY(app.frmForma.visible);
        QCOMPARE(app.frmForma.caption, QStringLiteral("Тандемо"));
        QCOMPARE(app.st.main.View, ViewMode::ShowZastavka);
        QVERIFY(app.frmForma.usrWeb1.text.contains(appDir + QStringLiteral("sunbird.jpg")));
        QVERIFY(pf.processEventsCalls >= 1);

        QCOMPARE(UnloadProga(app), 0);
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(readBytes(settingsPath()),
                 cp1251Lines({appDir, appDir + QStringLiteral("sunbird.jpg"), QString()}));
    }

    void closingAsksWhileATestIsEditedOrTaken_data()
    {
        QTest::addColumn<TestPhase>("phase");
        QTest::addColumn<bool>("asks");
        QTest::newRow("editor") << TestPhase::Editor << true;
        QTest::newRow("attempt") << TestPhase::Attempt << true;
        QTest::newRow("start page") << TestPhase::StartPage << false;
        QTest::newRow("finished") << TestPhase::Finished << false;
    }
    void closingAsksWhileATestIsEditedOrTaken()
    {
        QFETCH(TestPhase, phase);
        QFETCH(bool, asks);
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        App app(pf);
        Main(app);
        app.st.main.Phase = phase;
        app.st.test.TestFilePath = QStringLiteral("/tests/pets/pets.tnd");
        pf.messageAnswers = {MsgAnswer::No};
        const int first = UnloadProga(app);
        if (!asks) {
            QCOMPARE(first, 0);
            QVERIFY(pf.messages.isEmpty());
            return;
        }
        QCOMPARE(first, 1);
        QVERIFY(!QFile::exists(settingsPath()));
        QCOMPARE(pf.messages.size(), 1);
        QCOMPARE(pf.messages[0].text, QStringLiteral("Закрыть программу?"));
        QCOMPARE(pf.messages[0].title, QStringLiteral("Тандемо"));
        QCOMPARE(pf.messages[0].buttons, MsgButtons::YesNo);
        QCOMPARE(pf.messages[0].icon, MsgIcon::None);
        QCOMPARE(pf.messages[0].defaultAnswer, MsgAnswer::Yes);
        QCOMPARE(app.st.main.Phase, phase);

        pf.messageAnswers = {MsgAnswer::Yes};
        QCOMPARE(UnloadProga(app), 0);
        QCOMPARE(textfile::splitLines(readBytes(settingsPath())).value(2),
                 textfile::encode(QStringLiteral("/tests/pets/pets.tnd")));
    }

    void valuesSurviveARestart_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("picture");
        QTest::newRow("comma in both") << QStringLiteral("/home/anna/Тесты, старые/")
                                       << QStringLiteral("/home/anna/Фото, 2009/лето.jpg");
        QTest::newRow("leading comma and quote") << QStringLiteral("/,\"x\"/") << QStringLiteral("/a b/c.png");
    }
    void valuesSurviveARestart()
    {
        QFETCH(QString, folder);
        QFETCH(QString, picture);
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        {
            App app(pf);
            Main(app);
            app.st.folders.LastFolder = folder;
            app.st.folders.SplashPicture = picture;
            app.st.test.TestFilePath = appDir + QStringLiteral("pets, мои/pets.tnd");
            QCOMPARE(UnloadProga(app), 0);
        }
        App again(pf);
        Main(again);
        QCOMPARE(again.st.folders.LastFolder, folder);
        QCOMPARE(again.st.folders.SplashPicture, picture);
        QCOMPARE(again.frmForma.FileNameTest.text, QStringLiteral("pets.tnd"));
        QCOMPARE(again.frmForma.FileNameTest.tag, appDir + QStringLiteral("pets, мои/pets.tnd"));
        QVERIFY(again.frmForma.FileNameTest.visible);
        QVERIFY(again.frmForma.FileSep4.visible);
        QVERIFY(again.st.main.MainHtml.contains(picture));
    }

    void settingsReadLeniently_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("lastFolder");
        QTest::addColumn<QString>("picture");
        QTest::newRow("one line") << QByteArray("/data/\r\n") << "/data/" << "";
        QTest::newRow("quoted and blanks") << QByteArray("  \"/data/\"\r\n\"/p.jpg\"\r\n\r\n") << "/data/" << "/p.jpg";
        QTest::newRow("empty lines") << QByteArray("\r\n\r\n\r\n") << "" << "";
        QTest::newRow("LF only") << QByteArray("/data/\n/p.jpg\n") << "/data/" << "/p.jpg";
    }
    void settingsReadLeniently()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, lastFolder);
        QFETCH(QString, picture);
        writeBytes(settingsPath(), content);
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        App app(pf);
        Main(app);
        QCOMPARE(app.st.folders.LastFolder, lastFolder.isEmpty() ? appDir : lastFolder);
        QCOMPARE(app.st.folders.SplashPicture, picture.isEmpty() ? appDir + QStringLiteral("sunbird.jpg") : picture);
        QVERIFY(!app.frmForma.FileNameTest.visible);
    }

    void lastTestItemOpensItsTest()
    {
        const QString testDir = tmp.path() + QStringLiteral("/pets/");
        QDir().mkpath(testDir);
        writeBytes(testDir + QStringLiteral("pets.tnd"),
                   cp1251Lines({QStringLiteral("[tandemo]"), QStringLiteral("Питомцы"), QStringLiteral(" 1"),
                                QString(), QStringLiteral(" 0"), QStringLiteral(" 0"), QString()}));
        writeBytes(settingsPath(), cp1251Lines({appDir, QString(), testDir + QStringLiteral("pets.tnd")}));
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        App app(pf);
        Main(app);
        frmForma_MenuClick(app, QStringLiteral("FileNameTest"));
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(app.frmForma.caption, QStringLiteral("Питомцы - [pets.tnd] - Тандемо"));
        QCOMPARE(app.st.folders.WorkFolder, testDir);

        QFile::remove(testDir + QStringLiteral("pets.tnd"));
        frmForma_MenuClick(app, QStringLiteral("FileNameTest"));
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл \"") + testDir +
                                                QStringLiteral("pets.tnd\" не найден")});
    }

    // Paths that Windows-1251 cannot spell survive a restart whole: the
    // last-test item opens the test and the last folder is kept. The file
    // stays plain ASCII.
    void foreignPathsSurviveARestart_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::newRow("ü é ə") << QStringLiteral("jürgen é ə");
        QTest::newRow("emoji and Cyrillic") << QStringLiteral("тесты 😀");
        QTest::newRow("percent and marker-like") << QStringLiteral("UTF-8:%41 ü");
    }
    void foreignPathsSurviveARestart()
    {
        QFETCH(QString, folderName);
        const QString testDir = tmp.path() + QLatin1Char('/') + folderName + QLatin1Char('/');
        QVERIFY(QDir().mkpath(testDir));
        const QString testPath = testDir + QStringLiteral("pets.tnd");
        writeBytes(testPath, cp1251Lines({QStringLiteral("[tandemo]"), QStringLiteral("Питомцы"), QStringLiteral(" 1"),
                                          QString(), QStringLiteral(" 0"), QStringLiteral(" 0"), QString()}));
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        {
            App app(pf);
            Main(app);
            app.st.folders.LastFolder = testDir;
            app.st.folders.SplashPicture = testDir + QStringLiteral("sun.jpg");
            app.st.test.TestFilePath = testPath;
            QCOMPARE(UnloadProga(app), 0);
        }
        QVERIFY(pf.messages.isEmpty());
        const QByteArray settings = readBytes(settingsPath());
        QCOMPARE(settings.count("\r\n"), 3);
        for (char c : settings)
            QVERIFY2(static_cast<unsigned char>(c) < 0x80 && c != '\x1a', settings.constData());

        App again(pf);
        Main(again);
        QCOMPARE(again.st.folders.LastFolder, testDir);
        QCOMPARE(again.st.folders.SplashPicture, testDir + QStringLiteral("sun.jpg"));
        QCOMPARE(again.frmForma.FileNameTest.tag, testPath);
        frmForma_MenuClick(again, QStringLiteral("FileNameTest"));
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(again.st.test.TestName, QStringLiteral("Питомцы"));
        QCOMPARE(again.st.test.TestFilePath, testPath);
    }

    // A settings line that spells a control character is read as empty: a NUL
    // would end the path early for the system, so that the menu named one file
    // and the item opened another.
    void settingsNeverCarryAControlCharacter_data()
    {
        QTest::addColumn<QByteArray>("tail");  // after the test's path, percent-encoded
        QTest::newRow("NUL, then a way back") << QByteArray("%00/../../x");
        QTest::newRow("line break") << QByteArray("%0A/x");
        QTest::newRow("tab") << QByteArray("%09x");
        QTest::newRow("escape") << QByteArray("%1Bx");
        QTest::newRow("DEL") << QByteArray("%7Fx");
        QTest::newRow("C1 control") << QByteArray("%C2%90x");
        QTest::newRow("next line") << QByteArray("%C2%85x");
        QTest::newRow("line separator") << QByteArray("%E2%80%A8x");
        QTest::newRow("raw control byte") << QByteArray("\x01x");
    }
    void settingsNeverCarryAControlCharacter()
    {
        QFETCH(QByteArray, tail);
        const QString testDir = tmp.path() + QStringLiteral("/тесты ə/");
        QVERIFY(QDir().mkpath(testDir));
        writeBytes(testDir + QStringLiteral("t.tnd"),
                   cp1251Lines({QStringLiteral("[tandemo]"), QStringLiteral("Питомцы"), QStringLiteral(" 1"),
                                QString(), QStringLiteral(" 0"), QStringLiteral(" 0"), QString()}));
        const QByteArray spelled = "UTF-8:" + (testDir + QStringLiteral("t.tnd")).toUtf8().toPercentEncoding("/") + tail;
        writeBytes(settingsPath(), spelled + "\r\n" + spelled + "\r\n" + spelled + "\r\n");
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        App app(pf);
        Main(app);
        QCOMPARE(app.st.folders.LastFolder, appDir);
        QCOMPARE(app.st.folders.SplashPicture, appDir + QStringLiteral("sunbird.jpg"));
        QVERIFY2(!app.frmForma.FileNameTest.visible, qPrintable(app.frmForma.FileNameTest.text));
        QVERIFY(app.frmForma.FileNameTest.tag.isEmpty());
        QVERIFY(!app.frmForma.FileSep4.visible);
    }

    // Nor is such a path written: a folder named with a line break is left
    // out of the settings, and the next run starts from the defaults.
    void pathWithAControlCharacterIsNotWritten()
    {
        const QString testDir = tmp.path() + QStringLiteral("/a\nb/");
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        {
            App app(pf);
            Main(app);
            app.st.folders.LastFolder = testDir;
            app.st.folders.SplashPicture = testDir + QStringLiteral("sun.jpg");
            app.st.test.TestFilePath = testDir + QStringLiteral("pets.tnd");
            QCOMPARE(UnloadProga(app), 0);
        }
        QVERIFY(pf.messages.isEmpty());
        QCOMPARE(readBytes(settingsPath()), QByteArray("\r\n\r\n\r\n"));
        App again(pf);
        Main(again);
        QCOMPARE(again.st.folders.LastFolder, appDir);
        QCOMPARE(again.st.folders.SplashPicture, appDir + QStringLiteral("sunbird.jpg"));
        QVERIFY(!again.frmForma.FileNameTest.visible);
    }

    // Settings files written before keep their meaning, even lines that look
    // like the spelling of a foreign path but could be plain paths.
    void oldSettingsReadAsBefore_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("plain Cyrillic") << QStringLiteral("/home/анна/Тесты/");
        QTest::newRow("marker, plain rest") << QStringLiteral("UTF-8:/home/anna/");
        QTest::newRow("marker, Cyrillic escaped") << QStringLiteral("UTF-8:%D0%B0");
        QTest::newRow("marker, bad UTF-8") << QStringLiteral("UTF-8:%C3");
        QTest::newRow("marker, other characters") << QStringLiteral("UTF-8:a b%C3%BC");
    }
    void oldSettingsReadAsBefore()
    {
        QFETCH(QString, line);
        writeBytes(settingsPath(), cp1251Lines({line, QString(), QString()}));
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        App app(pf);
        Main(app);
        QCOMPARE(app.st.folders.LastFolder, line);
    }

    void separatorFollowsTheProgramFolder_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("appFolder");
        QTest::newRow("forward") << "/opt/tandemo" << "/" << "/opt/tandemo/";
        QTest::newRow("backslash") << "C:\\Program Files\\Tandemo" << "\\" << "C:\\Program Files\\Tandemo\\";
        QTest::newRow("already ends") << "C:\\Tandemo\\" << "\\" << "C:\\Tandemo\\";
    }
    void separatorFollowsTheProgramFolder()
    {
        QFETCH(QString, exe);
        QFETCH(QString, sep);
        QFETCH(QString, appFolder);
        ScriptedPlatform pf;
        pf.exeFolder = exe;
        App app(pf);
        Main(app);
        QCOMPARE(app.st.folders.PathSep, sep);
        QCOMPARE(app.st.folders.AppFolder, appFolder);
        QCOMPARE(app.st.folders.SplashPicture, appFolder + QStringLiteral("sunbird.jpg"));
    }

    // Where the program reads its own files and writes its settings, by the
    // kind of folder it runs from.
    void programFolderDecidesWhereThingsGo_data()
    {
        QTest::addColumn<bool>("binHoldsFiles");
        QTest::addColumn<bool>("binReadOnly");
        QTest::addColumn<bool>("installedData");
        QTest::addColumn<bool>("filesFromData");
        QTest::addColumn<bool>("ownFolder");
        QTest::newRow("build folder") << true << false << false << false << true;
        QTest::newRow("build folder beside an installed copy") << true << false << true << false << true;
        QTest::newRow("bare executable, nothing installed") << false << false << false << false << true;
        QTest::newRow("read-only copy of a build") << true << true << false << false << false;
        QTest::newRow("installed, run by a user") << false << true << true << true << false;
        QTest::newRow("installed, run by an administrator") << false << false << true << true << false;
    }
    void programFolderDecidesWhereThingsGo()
    {
        QFETCH(bool, binHoldsFiles);
        QFETCH(bool, binReadOnly);
        QFETCH(bool, installedData);
        QFETCH(bool, filesFromData);
        QFETCH(bool, ownFolder);
        const QString root = tmp.path() + QStringLiteral("/kinds/") + QTest::currentDataTag() + QLatin1Char('/');
        const QString bin = root + QStringLiteral("bin/");
        const QString data = root + QStringLiteral("share/tandemo/");
        const QString home = root + QStringLiteral("home/");
        const QString config = home + QStringLiteral(".config/tandemo/");  // made by the program
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(home));
        if (binHoldsFiles)
            writeBytes(bin + QStringLiteral("Help.htm"), "<html></html>");
        if (installedData) {
            QVERIFY(QDir().mkpath(data));
            writeBytes(data + QStringLiteral("Help.htm"), "<html></html>");
        }
        const QStringList binBefore = QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        if (binReadOnly)
            fixtures::setReadOnly(bin, true);
        auto restore = qScopeGuard([&] { fixtures::setReadOnly(bin, false); });

        ScriptedPlatform pf;
        pf.exeFolder = bin.chopped(1);
        pf.dataFolder = data.chopped(1);
        pf.userConfigFolder = config.chopped(1);
        pf.userHomeFolder = home.chopped(1);
        const QString files = filesFromData ? data : bin;
        const QString settings = (ownFolder ? bin : config) + QStringLiteral("Тандемо.ini");
        const QString start = ownFolder ? bin : home;
        {
            App app(pf);
            Main(app);
            QCOMPARE(app.st.folders.AppFolder, files);
            QCOMPARE(app.st.folders.SplashPicture, files + QStringLiteral("sunbird.jpg"));
            QVERIFY(app.st.main.MainHtml.contains(files + QStringLiteral("sunbird.jpg")));
            QCOMPARE(app.st.folders.LastFolder, start);
            QCOMPARE(app.st.folders.WorkFolder, start);
            pf.onModal[WindowId::Html] = [&] { frmHTML_Timer(app); };
            frmForma_MenuClick(app, QStringLiteral("HelpCallHelp"));
            QCOMPARE(app.frmHTML.usrWebHtml1.url, files + QStringLiteral("Help.htm"));

            app.st.folders.LastFolder = QStringLiteral("/tests/pets/");
            QCOMPARE(UnloadProga(app), 0);
            QCOMPARE(pf.messageTexts(), QStringList());
        }
        QCOMPARE(textfile::splitLines(readBytes(settings)).value(0), QByteArray("/tests/pets/"));
        if (!ownFolder) {
            QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), binBefore);
            QVERIFY(!QFileInfo::exists(data + QStringLiteral("Тандемо.ini")));
        }
        App again(pf);
        Main(again);
        QCOMPARE(again.st.folders.LastFolder, QStringLiteral("/tests/pets/"));
    }

    void unwritableSettingsAreReported_data()
    {
        QTest::addColumn<bool>("readOnlyFile");
        QTest::newRow("read-only file") << true;
        QTest::newRow("missing folder") << false;
    }
    void unwritableSettingsAreReported()
    {
        QFETCH(bool, readOnlyFile);
        ScriptedPlatform pf;
        pf.exeFolder = readOnlyFile ? appDir : tmp.path() + QStringLiteral("/absent/");
        // The configuration folder named by the desktop is a file.
        writeBytes(appDir + QStringLiteral("config"), "");
        pf.userConfigFolder = appDir + QStringLiteral("config/tandemo");
        App app(pf);
        Main(app);
        const QString path = app.st.folders.WritableFolder() + QStringLiteral("Тандемо.ini");
        const QByteArray before = cp1251Lines({QStringLiteral("/old/"), QString(), QString()});
        if (readOnlyFile) {
            writeBytes(path, before);
            fixtures::setReadOnly(path, true);
        }
        app.st.folders.LastFolder = QStringLiteral("/new/");
        QCOMPARE(UnloadProga(app), 0);
        const QString ending = readOnlyFile ? QStringLiteral("» защищён от записи.") : QStringLiteral("» сохранить не возможно.");
        QCOMPARE(pf.messageTexts(), QStringList{QStringLiteral("Файл «") + path + ending});
        QCOMPARE(pf.messages[0].icon, MsgIcon::Critical);
        if (readOnlyFile) {
            QCOMPARE(readBytes(path), before);
            fixtures::setReadOnly(path, false);
        }
    }

    // Ended by the desktop (logout, power-off), the program waits on no one:
    // no question while a test is edited or taken, and a settings file that
    // cannot be written is told on standard error, not in a message box.
    void endedByTheDesktopWaitsOnNoOne_data()
    {
        QTest::addColumn<TestPhase>("phase");
        QTest::addColumn<int>("settings");  // 0 writable, 1 read-only file, 2 cannot be made
        QTest::addColumn<QString>("ending");
        QTest::newRow("attempt") << TestPhase::Attempt << 0 << QString();
        QTest::newRow("editor, read-only file") << TestPhase::Editor << 1 << QStringLiteral("» защищён от записи.");
        QTest::newRow("idle, configuration folder a file") << TestPhase::StartPage << 2
                                                           << QStringLiteral("» сохранить не возможно.");
    }
    void endedByTheDesktopWaitsOnNoOne()
    {
        QFETCH(TestPhase, phase);
        QFETCH(int, settings);
        QFETCH(QString, ending);
        ScriptedPlatform pf;
        pf.exeFolder = settings == 2 ? tmp.path() + QStringLiteral("/absent/") : appDir;
        // The configuration folder named by the desktop is a file.
        writeBytes(appDir + QStringLiteral("config"), "");
        pf.userConfigFolder = appDir + QStringLiteral("config/tandemo");
        App app(pf);
        Main(app);
        const QString path = app.st.folders.WritableFolder() + QStringLiteral("Тандемо.ini");
        if (settings == 1) {
            writeBytes(path, "/old/\r\n\r\n\r\n");
            fixtures::setReadOnly(path, true);
        }
        auto restore = qScopeGuard([&] {
            if (settings == 1)
                fixtures::setReadOnly(path, false);
        });
        app.st.main.Phase = phase;
        app.st.folders.LastFolder = QStringLiteral("/new/");
        QCOMPARE(UnloadProga(app, Shutdown::ByDesktop), 0);
        QCOMPARE(pf.messages.size(), 0);
        if (ending.isEmpty()) {
            QCOMPARE(pf.standardError, QStringList());
            QCOMPARE(textfile::splitLines(readBytes(path)).value(0), QByteArray("/new/"));
        } else {
            QCOMPARE(pf.standardError, QStringList{QStringLiteral("Файл «") + path + ending});
        }
    }

    // An installed program whose desktop names no home has nowhere of its
    // own to write: no settings are read or written (not into the root
    // folder, not next to the program, not into the current folder); the
    // shutdown says so on standard error.
    void installedWithoutAHomeWritesNothing()
    {
        const QString root = tmp.path() + QStringLiteral("/nohome/");
        const QString bin = root + QStringLiteral("bin/");
        const QString data = root + QStringLiteral("share/tandemo/");
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(data));
        writeBytes(data + QStringLiteral("Help.htm"), "<html></html>");
        writeBytes(data + QStringLiteral("Тандемо.ini"), "/planted/\r\n\r\n\r\n");
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(root));
        auto back = qScopeGuard([&] { QDir::setCurrent(cwd); });
        const QStringList before = tree(root);

        ScriptedPlatform pf;
        pf.exeFolder = bin.chopped(1);
        pf.dataFolder = data.chopped(1);
        App app(pf);
        Main(app);
        QCOMPARE(app.st.folders.AppFolder, data);
        QCOMPARE(app.st.folders.LastFolder, data);  // the planted file was not read
        app.st.folders.LastFolder = QStringLiteral("/tests/");
        QCOMPARE(UnloadProga(app), 0);
        QCOMPARE(pf.messages.size(), 0);
        QCOMPARE(pf.standardError.size(), 1);
        QCOMPARE(tree(root), before);
    }

    void exitMenuClosesTheWindow()
    {
        ScriptedPlatform pf;
        pf.exeFolder = appDir;
        App app(pf);
        Main(app);
        QVERIFY(!app.frmForma.closeRequested);
        frmForma_MenuClick(app, QStringLiteral("FileExit"));
        QVERIFY(app.frmForma.closeRequested);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
