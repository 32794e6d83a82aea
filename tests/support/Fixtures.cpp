#include "Fixtures.h"

#include "engines/FolderStore.h"

#include "ground/TextFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace fixtures {

QStringList folderEntries(const QString& folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    names.removeAll(store::kHiddenFolder);
    return names;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray cp1251Lines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += textfile::encode(line) + "\r\n";
    return out;
}

void setReadOnly(const QString& path, bool readOnly)
{
    QFile::Permissions perms = QFile::permissions(path);
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
    perms = readOnly ? (perms & ~writeBits) : (perms | QFile::WriteOwner | QFile::WriteUser);
    QVERIFY(QFile::setPermissions(path, perms));
}

void withFileSizeLimit(qint64 bytes, const std::function<void()>& job)
{
    struct rlimit old {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = static_cast<rlim_t>(bytes);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    job();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
}

CliRun runCli(const QStringList& args, int timeoutMs)
{
    QProcess process;
    process.start(qEnvironmentVariable("TANDEMO_CLI"), args);
    CliRun run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

}  // namespace fixtures
