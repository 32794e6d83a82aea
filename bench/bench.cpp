// tandemo-bench: the people list, the name search and the pair ranking at the
// scale of a busy agency, side by side with the floor that no reader of these
// files can beat: listing the folder and reading each file whole with plain
// POSIX calls.
//
//   tandemo-bench [--sizes 1000,10000,100000] [--root /tmp/tandemo-bench] [--cli PATH]
//
// Folders of made-up people (half men, half women, 50 questions) are written
// under the root once and kept for later runs.

#include "Generator.h"

#include "screens/matching/PairPages.h"
#include "engines/Assignment.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PairSearch.h"
#include "engines/Statistics.h"
#include "screens/people/DeskPages.h"
#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "engines/Retention.h"
#include "ground/App.h"
#include "ground/HeadlessPlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <functional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kQuestions = 50;

// Messages of the core, should any come, are shown on standard error.
struct BenchPlatform : HeadlessPlatform {
    BenchPlatform()
    {
        onMessage = [](const QString& text, MsgIcon) { std::fprintf(stderr, "message: %s\n", text.toUtf8().constData()); };
    }
};

// The test's weights as an author might set them: every importance, and on
// every third question two neighbouring answers that go together.
weights::Table benchTable()
{
    weights::Table table;
    for (int q = 0; q < kQuestions; ++q) {
        weights::QuestionWeights w;
        w.lastAnswer = 1 + q % 5;
        w.importance = weights::kImportances[static_cast<size_t>(q) % weights::kImportances.size()];
        if (q % 3 == 0) {
            w.together[0] |= 2;
            w.together[1] |= 1;
        }
        table.questions.push_back(w);
    }
    table.used = true;
    return table;
}

double seconds(const std::function<void()>& job)
{
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Fastest of `runs`: the least disturbed by the other work on the machine.
double best(int runs, const std::function<void()>& job)
{
    double fastest = 1e9;
    for (int i = 0; i < runs; ++i)
        fastest = std::min(fastest, seconds(job));
    return fastest;
}

// The floor: list the folder and read every file with the given extension
// whole, doing nothing with the bytes.
long long readFolderRaw(const QByteArray& folder, const char* extension)
{
    long long bytes = 0;
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return -1;
    const size_t extLen = std::strlen(extension);
    char buffer[65536];
    std::string path(folder.constData());
    const size_t base = path.size();
    while (dirent* entry = readdir(dir)) {
        const size_t len = std::strlen(entry->d_name);
        if (len < extLen || std::memcmp(entry->d_name + len - extLen, extension, extLen) != 0)
            continue;
        path.resize(base);
        path += entry->d_name;
        const int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0)
            continue;
        ssize_t got;
        while ((got = read(fd, buffer, sizeof buffer)) > 0)
            bytes += got;
        close(fd);
    }
    closedir(dir);
    return bytes;
}

QString& selfPath()
{
    static QString path;
    return path;
}

QString selfAbsolutePath()
{
    return QFileInfo(selfPath()).absoluteFilePath();
}

struct ChildRun {
    double seconds = 0;
    long maxRssKb = 0;
    int status = -1;
};

// Runs the command line tool as a user would, its output going to a file.
// A child's peak memory as the system reports it includes the memory of the
// process that started it, so the tool is started through a fresh, small
// copy of this program (see main).
ChildRun runCli(const QString& cli, const QStringList& args, const QString& outFile)
{
    std::vector<QByteArray> store;
    store.push_back(QFile::encodeName(selfAbsolutePath()));
    store.push_back("--spawn");
    store.push_back(QFile::encodeName(cli));
    for (const QString& a : args)
        store.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& s : store)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray out = QFile::encodeName(outFile);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        // The helper reports the tool's own peak in its exit status, in MB.
        run.status = WIFEXITED(status) && WEXITSTATUS(status) < 255 ? 0 : -1;
        run.maxRssKb = WIFEXITED(status) ? WEXITSTATUS(status) * 1024L : 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

long selfMaxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int countFiles(const QString& folder)
{
    return static_cast<int>(QDir(folder).entryList(QDir::Files).size());
}

void line(const char* what, double secs, double floor)
{
    std::printf("  %-34s %10.1f ms   x%5.2f\n", what, secs * 1000.0, secs / floor);
}

void pageLine(const char* what, double secs)
{
    std::printf("  %-34s %10.3f ms\n", what, secs * 1000.0);
}

}  // namespace

// --spawn TOOL ARGS...: runs the tool and exits with its peak memory in MB
// (255 when it failed).
int spawnAndReportPeak(char** argv)
{
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0)
        return 255;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 255;
    return static_cast<int>(std::min<long>(254, (usage.ru_maxrss + 1023) / 1024));
}

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--spawn") == 0)
        return spawnAndReportPeak(argv + 2);
    selfPath() = QFile::decodeName(argv[0]);
    QList<int> sizes{1000, 10000, 100000};
    QString root = QStringLiteral("/tmp/tandemo-bench");
    QString cli = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() + QStringLiteral("/tandemo-cli");
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        const QString value = QString::fromLocal8Bit(argv[i + 1]);
        if (option == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& s : value.split(QLatin1Char(',')))
                sizes << s.toInt();
        } else if (option == QLatin1String("--root")) {
            root = value;
        } else if (option == QLatin1String("--cli")) {
            cli = value;
        }
    }

    std::printf("tandemo-bench: fastest of several runs; x = ratio to the floor of the same size\n");
    for (int size : sizes) {
        const QString folder = root + QLatin1Char('/') + QString::number(size) + QLatin1Char('/');
        if (countFiles(folder) != size) {
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            gen::PeoplePlan plan;
            plan.folder = folder;
            plan.testBaseName = QStringLiteral("bench");
            plan.men = size / 2;
            plan.women = size - size / 2;
            for (int q = 0; q < kQuestions; ++q)
                plan.answerCounts << 2 + q % 5;
            plan.seed = static_cast<std::uint64_t>(size);
            const double made = seconds([&] { gen::WritePeople(plan); });
            std::printf("(wrote %d person files in %.1f s)\n", size, made);
        }
        const int runs = size >= 100000 ? 3 : 7;
        const QByteArray rawFolder = QFile::encodeName(folder);

        BenchPlatform platform;
        App app(platform);
        app.st.folders.WorkFolder = folder;
        app.st.people.ListWomen = true;
        const int year = QDate::currentDate().year();

        // A man as the reference of the pair ranking, read as the program reads a card.
        const QStringList men = QDir(folder).entryList({QStringLiteral("*.tnm")}, QDir::Files, QDir::Name);
        const QString reference = men.value(men.size() / 2);
        if (OpenKartochka(app, reference, 1) != CardOpen::Opened)
            return 1;

        readFolderRaw(rawFolder, ".tnw");  // warm the cache for everyone alike
        long long bytes = 0;
        const double floor = best(runs, [&] { bytes = readFolderRaw(rawFolder, ".tnw"); });
        const double scan = best(runs, [&] { ScanPeople(app, {}); });
        const int listed = app.st.people.PeopleLast + 1;
        const double search = best(runs, [&] {
            app.st.search.SearchName = QStringLiteral("анна");
            ScanFoundPeople(app);
        });
        const int found = app.st.people.PeopleLast + 1;
        int ranked = 0;
        const double pairs = best(runs, [&] {
            const PairRanking ranking = RankPairs(folder, app.st.CardFields[1], year);
            ranked = static_cast<int>(ranking.pairs.size());
        });
        // The same ranking by the test's weights, right after it.
        const weights::Table table = benchTable();
        int rankedWeighted = 0;
        const double weightedPairs = best(runs, [&] {
            const PairRanking ranking = RankPairs(folder, app.st.CardFields[1], year, {}, {}, table);
            rankedWeighted = static_cast<int>(ranking.pairs.size());
        });

        // Everyone of the other sex with bounds set (as an import sets them),
        // and the reference too: the mutual ranking, reading them all.
        {
            const auto store = store::Open(folder);
            QList<std::pair<QString, desk::Seeking>> bounds;
            desk::Seeking wide;
            wide.ageFrom = 18;
            wide.ageTo = 80;
            for (const QString& woman : QDir(folder).entryList({QStringLiteral("*.tnw")}, QDir::Files))
                bounds.append({woman, wide});
            bounds.append({reference, wide});
            desk::WriteSeekingMany(*store, bounds);
        }
        int rankedMutual = 0;
        const double mutualPairs = best(runs, [&] {
            const auto store = store::Open(folder);
            const desk::Everyone everyone = desk::ReadEveryone(*store);
            RankFilter filter;
            filter.everyone = &everyone;
            filter.mutual = true;
            const PairRanking ranking = RankPairs(folder, app.st.CardFields[1], year, {}, filter);
            rankedMutual = static_cast<int>(ranking.pairs.size());
        });

        // The cards past the folder's term, both sexes: with none past it
        // (dates from the names only) and with every card past it (each
        // card's first lines read too).
        int expiredNone = 0;
        int expiredAll = 0;
        const double retentionNone = best(runs, [&] {
            expiredNone = static_cast<int>(retention::ExpiredCards(folder, retention::kMaxYears, QDate::currentDate()).size());
        });
        const double retentionAll = best(runs, [&] {
            expiredAll = static_cast<int>(retention::ExpiredCards(folder, 1, QDate(2200, 1, 1)).size());
        });

        // The statistics page's figures over the whole folder.
        const double statistics = best(runs, [&] {
            const auto store = store::Open(folder);
            stats::Gather(folder, *store, QDate::currentDate());
        });
        // The statistics page as the menu shows it: the figures and their bars.
        const double statisticsPage = best(runs, [&] {
            const auto store = store::Open(folder);
            StatisticsPage(stats::Gather(folder, *store, QDate::currentDate())).size();
        });

        const QString csv = root + QStringLiteral("/out.csv");
        ChildRun cliPeople, cliPairs;
        for (int i = 0; i < runs; ++i) {
            const ChildRun p = runCli(cli, {QStringLiteral("people"), folder, QStringLiteral("--women")}, csv);
            if (i == 0 || p.seconds < cliPeople.seconds)
                cliPeople = p;
            const ChildRun q = runCli(cli, {QStringLiteral("pairs"), folder + reference}, csv);
            if (i == 0 || q.seconds < cliPairs.seconds)
                cliPairs = q;
        }

        // A page once the list is loaded: the middle page, so that the page
        // links before and after it are all there.
        ScanPeople(app, {});
        app.st.people.PeoplePage = app.st.people.PeopleLast / 25 / 2;
        constexpr int kPages = 50;
        const double listPage = best(3, [&] {
                                    for (int i = 0; i < kPages; ++i)
                                        ShowStranicy(app);
                                }) / kPages;

        // The ranking page likewise, once the pair search has run.
        PoiskPary(app);
        app.st.pairs.PairsPage = app.st.pairs.PairsLast / 25 / 2;
        const double rankingPage = best(3, [&] {
                                       for (int i = 0; i < kPages; ++i)
                                           ShowStranicyP(app);
                                   }) / kPages;

        std::printf("\n%d person files (%d women listed, %d found by name, %d ranked; %.1f MB read)\n", size,
                    listed, found, ranked, bytes / 1e6);
        std::printf("  %-34s %10.1f ms\n", "floor: readdir + open/read/close", floor * 1000.0);
        line("people list scan and sort", scan, floor);
        line("name search (\"anna\" in Cyrillic)", search, floor);
        line("pair ranking", pairs, floor);
        line("pair ranking, weighted", weightedPairs, floor);
        std::printf("  %-34s %10.2f  (%d of %d ranked)\n", "weighted / plain ranking", weightedPairs / pairs,
                    rankedWeighted, ranked);
        line("pair ranking, mutual (all bounded)", mutualPairs, floor);
        std::printf("  %-34s %10.2f  (%d of %d kept)\n", "mutual / plain ranking", mutualPairs / pairs, rankedMutual,
                    ranked);
        line("statistics figures (both sexes)", statistics, floor);
        line("statistics page (figures and bars)", statisticsPage, floor);
        line("retention scan, none past the term", retentionNone, floor);
        line("retention scan, all past the term", retentionAll, floor);
        if (expiredNone != 0 || expiredAll != size)
            std::printf("  retention scan found %d / %d cards past the term\n", expiredNone, expiredAll);
        line("tandemo-cli people --women (process)", cliPeople.seconds, floor);
        line("tandemo-cli pairs (process)", cliPairs.seconds, floor);
        pageLine("list page built", listPage);
        pageLine("ranking page built", rankingPage);
        std::printf("  %-34s %10.1f MB / %.1f MB\n", "peak memory cli people / pairs", cliPeople.maxRssKb / 1024.0,
                    cliPairs.maxRssKb / 1024.0);
        if (cliPeople.status != 0 || cliPairs.status != 0)
            std::printf("  tandemo-cli failed: %d / %d\n", cliPeople.status, cliPairs.status);
    }
    // Pairing everyone: the method alone on 500 men and 500 women with
    // made-up gains, a tenth of the pairs forbidden; then a whole folder of
    // 500 + 500 read, scored and paired.
    {
        constexpr int kSide = 500;
        QRandomGenerator random(27);
        std::vector<qint64> gain(static_cast<size_t>(kSide) * kSide);
        std::vector<char> allowed(gain.size());
        for (size_t c = 0; c < gain.size(); ++c) {
            gain[c] = static_cast<qint64>(random.bounded(1000001));
            allowed[c] = random.bounded(10) != 0;
        }
        int paired = 0;
        const double solve = best(3, [&] {
            const std::vector<int> chosen = assign::Solve(gain, allowed, kSide, kSide);
            paired = static_cast<int>(std::count_if(chosen.begin(), chosen.end(), [](int j) { return j >= 0; }));
        });
        std::printf("\npairing everyone\n  %-34s %10.1f ms  (%d paired)\n", "500 x 500, the method alone",
                    solve * 1000.0, paired);
        const QString folder = root + QStringLiteral("/1000/");
        const QStringList men = QDir(folder).entryList({QStringLiteral("*.tnm")}, QDir::Files, QDir::Name);
        const QStringList women = QDir(folder).entryList({QStringLiteral("*.tnw")}, QDir::Files, QDir::Name);
        if (men.size() == kSide && women.size() == kSide) {
            const auto store = store::Open(folder);
            const weights::Table table = benchTable();
            const double everyone = best(3, [&] {
                paired = static_cast<int>(
                    assign::PairEveryone(folder, men, women, table, *store, false, QDate::currentDate().year()).size());
            });
            std::printf("  %-34s %10.1f ms  (%d paired)\n", "500 + 500 of a folder, all told", everyone * 1000.0,
                        paired);
        }
    }
    std::printf("\npeak memory of this benchmark process: %.1f MB\n", selfMaxRssKb() / 1024.0);
    return 0;
}
