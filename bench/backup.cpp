// tandemo-bench-backup: a backup and a restore of a folder of made-up people,
// side by side with `zip -q -r` and `unzip -q` of the same folder in the same
// run. The backup also reads its archive back and checks it, and the restore
// checks every file against the manifest; zip and unzip do neither.
//
//   tandemo-bench-backup [--cards 50000] [--root /tmp/tandemo-bench-backup] [--runs 3]
//
// The folder is written under the root once and kept for later runs.

#include "Generator.h"

#include "engines/Backup.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

double seconds(const std::function<bool()>& job, bool& ok)
{
    const auto start = std::chrono::steady_clock::now();
    ok = job() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool run(const QString& program, const QStringList& args, const QString& folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void line(const char* what, double ours, double theirs)
{
    std::printf("  %-28s %9.2f s   zip/unzip %9.2f s   x %.2f\n", what, ours, theirs, ours / theirs);
}

}  // namespace

int main(int argc, char** argv)
{
    int cards = 50000;
    int runs = 3;
    QString root = QStringLiteral("/tmp/tandemo-bench-backup");
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        const QString value = QString::fromLocal8Bit(argv[i + 1]);
        if (option == QLatin1String("--cards"))
            cards = value.toInt();
        else if (option == QLatin1String("--root"))
            root = value;
        else if (option == QLatin1String("--runs"))
            runs = std::max(1, value.toInt());
    }
    const QString folder = root + QStringLiteral("/cards/");
    if (QDir(folder).entryList({QStringLiteral("*.tnm"), QStringLiteral("*.tnw")}, QDir::Files).size() != cards) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        gen::PeoplePlan plan;
        plan.folder = folder;
        plan.testBaseName = QStringLiteral("bench");
        plan.men = cards / 2;
        plan.women = cards - cards / 2;
        for (int q = 0; q < 50; ++q)
            plan.answerCounts << 2 + q % 5;
        if (!gen::WritePeople(plan))
            return 1;
        std::printf("(wrote %d person files)\n", cards);
    }
    const QString ours = root + QStringLiteral("/ours.zip");
    const QString theirs = root + QStringLiteral("/theirs.zip");
    const QString restored = root + QStringLiteral("/restored");
    const QString unzipped = root + QStringLiteral("/unzipped");

    bool ok = true;
    double backup = 1e9, zip = 1e9, restore = 1e9, unzip = 1e9;
    qint64 files = 0;
    for (int i = 0; i < runs; ++i) {
        QFile::remove(ours);
        QFile::remove(theirs);
        QDir(restored).removeRecursively();
        QDir(unzipped).removeRecursively();
        // Taken in turns, so that neither always finds the cache warmer.
        backup = std::min(backup, seconds([&] {
                              const backup::Report r = backup::Backup(folder, ours);
                              files = r.files;
                              return r.outcome == backup::Outcome::Ok;
                          }, ok));
        zip = std::min(zip, seconds([&] { return run(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-r"), theirs, QStringLiteral("cards")}, root); }, ok));
        restore = std::min(restore, seconds([&] {
                               return backup::Restore(ours, restored).outcome == backup::Outcome::Ok;
                           }, ok));
        unzip = std::min(unzip, seconds([&] { return run(QStringLiteral("unzip"), {QStringLiteral("-q"), theirs, QStringLiteral("-d"), unzipped}, root); }, ok));
    }
    std::printf("tandemo-bench-backup: %d person files (%lld files in the backup), fastest of %d runs\n", cards,
                static_cast<long long>(files), runs);
    std::printf("  archives: %.1f MB (ours), %.1f MB (zip -r)\n", QFileInfo(ours).size() / 1e6,
                QFileInfo(theirs).size() / 1e6);
    line("backup (write, read back)", backup, zip);
    line("restore (check, extract)", restore, unzip);
    if (!ok)
        std::printf("  a run failed\n");
    return ok ? 0 : 1;
}
