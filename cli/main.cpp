// tandemo-cli: the program's lists, rankings and test checks for scripts and
// spreadsheets, without a display. Every answer comes from the same core
// routines that the windows use.

#include "CliPlatform.h"
#include "Csv.h"
#include "Import.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "engines/BulkText.h"
#include "engines/PairSearch.h"
#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "engines/Proverka.h"
#include "screens/document/FileCommands.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsageError = 2;

const char kUsage[] =
    "Usage:\n"
    "  tandemo-cli people FOLDER --men|--women [--name TEXT]\n"
    "      CSV of the people list (or of the name search): rank,name,age,details,file\n"
    "  tandemo-cli pairs PERSONFILE\n"
    "      CSV of the pair ranking for that person: rank,name,age,matches,percent,file\n"
    "  tandemo-cli check TESTFILE\n"
    "      test name, number of questions, first incomplete question (0 = complete)\n"
    "  tandemo-cli text TESTFILE\n"
    "      the test as bulk question text\n"
    "  tandemo-cli import TESTFILE RESULTS.csv\n"
    "      saves results from paper forms or a spreadsheet into the test's folder,\n"
    "      one person file a row, named as at the end of a test; prints the file\n"
    "      of each saved row, the line and reason of each refused row (standard\n"
    "      error) and a summary line. RESULTS.csv: UTF-8 (a byte-order mark\n"
    "      allowed), commas, fields with commas in double quotes; a header line\n"
    "      names the columns, in any order:\n"
    "        name     name and surname\n"
    "        sex      м or m for a man, ж or w for a woman\n"
    "        year     year of birth, four digits, 1900 or later\n"
    "        answers  the numbers of the chosen answers as the question pages\n"
    "                 show them (1 to 10), one a question, separated by blanks\n"
    "      and, if wanted: height, weight, hair, eyes, zodiac, about, seeking,\n"
    "      address, photo (any of them filled in gives the card its details),\n"
    "      password (when empty or missing: the test's password).\n"
    "      A row that does not fit the test is refused and nothing of it is\n"
    "      written; the other rows are saved. Exit 1 when any row was refused.\n"
    "  tandemo-cli --help | --version\n"
    "Exit status: 0 success, 1 a file cannot be used or a row was refused,\n"
    "2 wrong usage.\n";

void write(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int usageError(const QString& why)
{
    const QByteArray text = "tandemo-cli: " + why.toUtf8() + "\n" + kUsage;
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
    return kUsageError;
}

int failure(const QString& message)
{
    const QByteArray line = message.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    return kFileError;
}

// The program's folders always end with the separator.
QString folderPath(const QString& folder)
{
    QString path = QDir(folder).absolutePath();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

int peopleCommand(const QStringList& args)
{
    QString folder;
    int women = -1;
    bool byName = false;
    QString name;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--men") || a == QLatin1String("--women")) {
            const int value = a == QLatin1String("--women") ? 1 : 0;
            if (women >= 0 && women != value)
                return usageError(QStringLiteral("give either --men or --women"));
            women = value;
        } else if (a == QLatin1String("--name")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("--name needs a text"));
            byName = true;
            name = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option ") + a);
        } else if (folder.isEmpty()) {
            folder = a;
        } else {
            return usageError(QStringLiteral("one folder only"));
        }
    }
    if (folder.isEmpty())
        return usageError(QStringLiteral("people needs a FOLDER"));
    if (women < 0)
        return usageError(QStringLiteral("people needs --men or --women"));
    const QFileInfo info(folder);
    if (!info.isDir()) {
        return failure(QStringLiteral("Папка \"") + info.absoluteFilePath() +
                       (info.exists() ? QStringLiteral("\" не является папкой") : QStringLiteral("\" не найдена")));
    }

    CliPlatform platform;
    App app(platform);
    app.st.folders.WorkFolder = folderPath(folder);
    app.st.people.ListWomen = women;
    if (byName) {
        app.st.search.SearchName = name;
        ScanFoundPeople(app);
    } else {
        ScanPeople(app, {});
    }

    QByteArray out;
    out.reserve((app.st.people.PeopleLast + 2) * 80);
    csv::appendRow(out, {u"rank", u"name", u"age", u"details", u"file"});
    for (int r = 0; r <= app.st.people.PeopleLast; ++r) {
        const PersonEntry& e = app.st.people.People[app.st.people.PeopleOrder[r]];
        csv::appendRow(out, {QString::number(r + 1), e.NameFamiliya, e.Vozrast, e.Podrobnee == 1 ? u"1" : u"0",
                             textfile::readableName(e.FileName)});
    }
    write(out);
    return kOk;
}

int pairsCommand(const QStringList& args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("pairs needs one PERSONFILE"));
    const QFileInfo info(args[0]);
    CliPlatform platform;
    App app(platform);
    app.st.folders.WorkFolder = folderPath(info.absolutePath());
    if (OpenKartochka(app, info.fileName(), 1) != CardOpen::Opened)
        return kFileError;

    const PairRanking ranking = RankPairs(app.st.folders.WorkFolder, app.st.CardFields[1],
                                          platform.now().date().year());
    QByteArray out;
    out.reserve((ranking.order.size() + 1) * 80);
    csv::appendRow(out, {u"rank", u"name", u"age", u"matches", u"percent", u"file"});
    for (qsizetype r = 0; r < ranking.order.size(); ++r) {
        const int index = ranking.order[r];
        const PairEntry& e = ranking.pairs[index];
        const int matches = ranking.matches[index];
        const std::optional<int> percent = MatchPercent(matches, ranking.questions);
        csv::appendRow(out, {QString::number(r + 1), e.NameFamiliya, e.Vozrast, QString::number(matches),
                             percent ? QString::number(*percent) : QString(), textfile::readableName(e.FileName)});
    }
    write(out);
    return kOk;
}

// Reads a test file the way the open command does; false when the program
// refused it (its message is already on standard error).
bool openTest(App& app, CliPlatform& platform, const QString& path)
{
    OpenTest(app, QFileInfo(path).absoluteFilePath());
    return !platform.failed;
}

int checkCommand(const QStringList& args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("check needs one TESTFILE"));
    CliPlatform platform;
    App app(platform);
    if (!openTest(app, platform, args[0]))
        return kFileError;
    write(app.st.test.TestName.toUtf8() + '\n' + QByteArray::number(app.st.test.QuestionCount) + '\n' +
          QByteArray::number(Proverka(app, 0)) + '\n');
    return kOk;
}

int textCommand(const QStringList& args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("text needs one TESTFILE"));
    CliPlatform platform;
    App app(platform);
    if (!openTest(app, platform, args[0]))
        return kFileError;
    write(BulkTextOf(app.st.test).toUtf8());
    return kOk;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << textfile::nameFromBytes(argv[i]);  // a file name keeps its bytes
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    int status = kUsageError;
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        write(kUsage);
        status = kOk;
    } else if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        write("tandemo-cli " TANDEMO_VERSION "\n");
        status = kOk;
    } else if (command == QLatin1String("people")) {
        status = peopleCommand(args);
    } else if (command == QLatin1String("pairs")) {
        status = pairsCommand(args);
    } else if (command == QLatin1String("check")) {
        status = checkCommand(args);
    } else if (command == QLatin1String("text")) {
        status = textCommand(args);
    } else if (command == QLatin1String("import")) {
        if (args.size() != 2)
            return usageError(QStringLiteral("import needs a TESTFILE and a RESULTS.csv"));
        status = ImportResults(args[0], args[1]);
    } else {
        return usageError(QStringLiteral("unknown command ") + command);
    }
    if (std::fflush(stdout) != 0 && status == kOk)
        status = kFileError;
    // Everything is written: leave without taking a large list apart piece
    // by piece.
    std::fflush(stderr);
    std::_Exit(status);
}
