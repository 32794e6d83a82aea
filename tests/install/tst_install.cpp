#include "Fixtures.h"

#include "ground/TextFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

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

bool run(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << program << args << p.readAllStandardError();
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

// Whether the process has its own handler for SIGTERM yet, from the kernel's
// record of caught signals.
bool catchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16) & (1ULL << (SIGTERM - 1));
    }
    return false;
}
}

// The program as a Debian system installs it: files where they belong, and a
// run from a folder nobody may write to keeps its settings in the user's
// configuration folder.
class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString stage;     // cmake --install --prefix
    QString readOnly;  // a copy of it without any write bit

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        stage = tmp.path() + QStringLiteral("/stage");
        readOnly = tmp.path() + QStringLiteral("/readonly");
        QVERIFY(run(env("CMAKE_COMMAND"), {QStringLiteral("--install"), env("TANDEMO_BUILD"),
                                           QStringLiteral("--prefix"), stage}));
        QVERIFY(run(QStringLiteral("cp"), {QStringLiteral("-a"), stage, readOnly}));
        QVERIFY(run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a-w"), readOnly}));
    }
    void cleanupTestCase()
    {
        run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+w"), readOnly});
    }

    void filesWhereADebianSystemKeepsThem_data()
    {
        QTest::addColumn<QString>("path");
        for (const char* path :
             {"bin/tandemo", "bin/tandemo-cli", "share/tandemo/Help.htm", "share/tandemo/sunbird.jpg",
              "share/tandemo/znak0.jpg", "share/tandemo/znak1.jpg", "share/tandemo/examples/Знакомства.tnd",
              "share/applications/ru.tandemo.Tandemo.desktop", "share/metainfo/ru.tandemo.Tandemo.metainfo.xml",
              "share/icons/hicolor/scalable/apps/ru.tandemo.Tandemo.svg",
              "share/icons/hicolor/16x16/apps/ru.tandemo.Tandemo.png",
              "share/icons/hicolor/48x48/apps/ru.tandemo.Tandemo.png",
              "share/icons/hicolor/256x256/apps/ru.tandemo.Tandemo.png", "share/doc/tandemo/copyright",
              "share/doc/tandemo/changelog.gz", "share/man/man1/tandemo.1.gz", "share/man/man1/tandemo-cli.1.gz"})
            QTest::newRow(path) << QString::fromUtf8(path);
    }
    void filesWhereADebianSystemKeepsThem()
    {
        QFETCH(QString, path);
        const QFileInfo info(stage + QLatin1Char('/') + path);
        QVERIFY2(info.isFile() && info.size() > 0, qPrintable(info.filePath()));
        if (path.startsWith(QLatin1String("bin/")))
            QVERIFY(info.isExecutable());
    }

    void versionWithoutADisplay_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("tandemo-cli") << QStringLiteral("tandemo-cli") << QByteArray("tandemo-cli " TANDEMO_VERSION "\n");
        QTest::newRow("tandemo") << QStringLiteral("tandemo") << QByteArray("Тандемо " TANDEMO_VERSION "\n");
    }
    void versionWithoutADisplay()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, expected);
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove(QStringLiteral("DISPLAY"));
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        e.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(e);
        p.start(readOnly + QStringLiteral("/bin/") + program, {QStringLiteral("--version")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(p.readAllStandardOutput(), expected);
    }

    void helpListsTheOptions()
    {
        QByteArray out;
        QVERIFY(run(readOnly + QStringLiteral("/bin/tandemo"), {QStringLiteral("--help")}, &out));
        const QString help = QString::fromUtf8(out);
        QVERIFY2(help.contains(QStringLiteral("--version")) && help.contains(QStringLiteral("--help")), qPrintable(help));
        QVERIFY2(help.contains(QStringLiteral("Параметры")), qPrintable(help));  // Qt's own words, in Russian
    }

    // The installed program, started from a read-only copy, is asked to end
    // as a desktop does at logout; it writes its settings on the way out.
    void installedProgramWritesSettingsInTheUsersFolder()
    {
        const QString home = tmp.path() + QStringLiteral("/home");
        const QString workDir = tmp.path() + QStringLiteral("/cwd");
        QVERIFY(QDir().mkpath(home) && QDir().mkpath(workDir));
        const QStringList before = tree(readOnly);

        QProcess program;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("HOME"), home);
        e.remove(QStringLiteral("XDG_CONFIG_HOME"));
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(e);
        program.setWorkingDirectory(workDir);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(readOnly + QStringLiteral("/bin/tandemo"), {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(catchesSigterm(program.processId()), 60000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        const QString settings = home + QStringLiteral("/.config/tandemo/Тандемо.ini");
        QCOMPARE(fixtures::readBytes(settings),
                 fixtures::cp1251Lines({home + QLatin1Char('/'),
                                        readOnly + QStringLiteral("/share/tandemo/sunbird.jpg"), QString()}));
        QCOMPARE(tree(readOnly), before);
        QCOMPARE(tree(workDir), QStringList());
    }

    // Asked to end by the desktop while the settings cannot be written, the
    // installed program says so on standard error and ends: a logout or a
    // kiosk's power-off never waits on a message box. Without a home it
    // writes nothing anywhere, least of all into the root folder.
    void endsAtOnceWhenSettingsCannotBeWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("report");  // on standard error; %1 the home
        QTest::newRow("XDG_CONFIG_HOME names a file")
            << "file" << "Файл «%1/file/tandemo/Тандемо.ini» сохранить не возможно.";
        QTest::newRow("configuration folder read-only")
            << "read-only" << "Файл «%1/.config/tandemo/Тандемо.ini» защищён от записи.";
        QTest::newRow("HOME unset") << "no home" << "Настройки не сохранены: не задана домашняя папка (HOME).";
    }
    void endsAtOnceWhenSettingsCannotBeWritten()
    {
        QFETCH(QString, kind);
        QFETCH(QString, report);
        const QString home = tmp.path() + QStringLiteral("/home-") + QString::number(qHash(kind));
        const QString workDir = home + QStringLiteral("-cwd");
        QVERIFY(QDir().mkpath(home) && QDir().mkpath(workDir));
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        e.insert(QStringLiteral("HOME"), home);
        e.remove(QStringLiteral("XDG_CONFIG_HOME"));
        if (kind == QLatin1String("file")) {
            fixtures::writeBytes(home + QStringLiteral("/file"), "");
            e.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/file"));
        } else if (kind == QLatin1String("read-only")) {
            QVERIFY(QDir().mkpath(home + QStringLiteral("/.config/tandemo")));
            fixtures::setReadOnly(home + QStringLiteral("/.config/tandemo"), true);
        } else {
            e.remove(QStringLiteral("HOME"));
        }
        const QStringList homeBefore = tree(home);
        const QStringList rootBefore =
            QDir::root().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
        QVERIFY2(!QFileInfo::exists(QStringLiteral("/.config/tandemo")), "left over by an earlier run");

        QProcess program;
        program.setProcessEnvironment(e);
        program.setWorkingDirectory(workDir);
        program.start(readOnly + QStringLiteral("/bin/tandemo"), {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(catchesSigterm(program.processId()), 60000);
        // The window is up and idle once the splash page has been given to it.
        QTest::qWait(1000);
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        const bool ended = program.waitForFinished(2000);
        if (!ended) {
            program.kill();
            program.waitForFinished(10000);
        }
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QVERIFY2(ended, qPrintable(err));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(err.contains(QString(report).replace(QStringLiteral("%1"), home)), qPrintable(err));

        if (kind == QLatin1String("read-only"))
            fixtures::setReadOnly(home + QStringLiteral("/.config/tandemo"), false);
        QCOMPARE(tree(home), homeBefore);
        QCOMPARE(tree(workDir), QStringList());
        QCOMPARE(QDir::root().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name),
                 rootBefore);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
