// tandemo-cli: the program's lists, rankings and test checks for scripts and
// spreadsheets, without a display. Every answer comes from the same core
// routines that the windows use.

#include "CliPlatform.h"
#include "Csv.h"
#include "Import.h"

#include "PdfWriter.h"

#include "engines/Assignment.h"
#include "engines/AutoBackup.h"
#include "engines/Backup.h"
#include "engines/Desk.h"
#include "engines/Erasure.h"
#include "engines/PersonData.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "engines/BulkText.h"
#include "engines/PairSearch.h"
#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "engines/Weights.h"
#include "ground/App.h"
#include "engines/Proverka.h"
#include "screens/document/FileCommands.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <optional>
#include <cstdlib>

#include <unistd.h>

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsageError = 2;

// The usage, with the sheet's bound as the import states it.
QByteArray usage()
{
    return QStringLiteral(
               "Использование:\n"
               "  tandemo-cli people ПАПКА --men|--women [--name ТЕКСТ]\n"
               "      список людей (или поиск по имени) в CSV: rank,name,age,details,file\n"
               "  tandemo-cli pairs ФАЙЛ_КАРТОЧКИ [--mutual]\n"
               "      подбор пары для этого человека в CSV: rank,name,age,matches,percent,file,\n"
               "      shared; если в тесте папки заданы веса вопросов — по взвешенному\n"
               "      совпадению (percent), shared — сколько вопросов ответили оба;\n"
               "      только активные люди; с --mutual — только взаимно подходящие (каждый\n"
               "      в границах «Кого ищу» другого: возраст, рост, цвет волос и глаз)\n"
               "  tandemo-cli assign ПАПКА_ТЕСТА [--mutual]\n"
               "      разбивает всех активных мужчин и женщин папки на пары один к одному\n"
               "      так, чтобы сумма совпадений пар была наибольшей (с весами вопросов\n"
               "      теста), в CSV: man,woman,percent,man_file,woman_file; лишние остаются\n"
               "      без пары; пары с пометкой «Больше не предлагать» не составляются, с\n"
               "      --mutual — и те, кто не в границах «Кого ищу» друг друга\n"
               "  tandemo-cli check ФАЙЛ_ТЕСТА\n"
               "      название теста, число вопросов, первый незаполненный вопрос (0 — все\n"
               "      заполнены)\n"
               "  tandemo-cli text ФАЙЛ_ТЕСТА\n"
               "      тест в виде текста вопросов\n"
               "  tandemo-cli import ФАЙЛ_ТЕСТА РЕЗУЛЬТАТЫ.csv\n"
               "      сохраняет результаты с бумажных анкет или из таблицы в папку теста,\n"
               "      по файлу карточки на строку, с именами, как в конце тестирования;\n"
               "      выводит файл каждой сохранённой строки, номер и причину каждой\n"
               "      отклонённой (в стандартный поток ошибок) и итог. РЕЗУЛЬТАТЫ.csv —\n"
               "      обычный файл не больше %1: UTF-8 (метка порядка байтов\n"
               "      допустима), поля через запятую, поле с запятой или кавычкой — в\n"
               "      двойных кавычках (кавычки внутри удвоены), одна строка файла — одна\n"
               "      анкета. Первая строка называет столбцы, в любом порядке:\n"
               "        name     имя и фамилия\n"
               "        sex      м или m — мужчина, ж или w — женщина\n"
               "        year     год рождения, четыре цифры, 1900 или позже\n"
               "        answers  номера выбранных ответов, как их показывают страницы\n"
               "                 вопросов (от 1 до 10), по одному на вопрос, через пробел\n"
               "      и, по желанию: height, weight, hair, eyes, zodiac, about, seeking,\n"
               "      address, photo (если заполнен хоть один, у карточки есть подробности),\n"
               "      password (если пуст или его нет — пароль теста), age_from, age_to,\n"
               "      height_from, height_to (кого ищет: возраст в годах, рост, например 1,65).\n"
               "      Строка, которая не подходит к тесту, отклоняется, и из неё ничего не\n"
               "      записывается; остальные сохраняются. Код 1, если отклонена хоть одна.\n"
               "  tandemo-cli backup ПАПКА_ТЕСТА АРХИВ.zip\n"
               "      резервная копия папки теста в один ZIP-архив: тест, карточки,\n"
               "      рисунки и ролики вопросов, фотографии карточек (и те, что лежат вне\n"
               "      папки), журнал и опись файлов с их размером и SHA-256. Архив не может\n"
               "      лежать в папке теста\n"
               "  tandemo-cli restore АРХИВ.zip ПАПКА\n"
               "      восстанавливает копию в пустую или новую папку; каждый файл\n"
               "      сверяется с описью, повреждённый или подозрительный архив\n"
               "      отклоняется, и ничего не записывается\n"
               "  tandemo-cli journal ПАПКА_ТЕСТА [--since ДАТА]\n"
               "      журнал изменений папки со всех рабочих мест в CSV, по времени: время,\n"
               "      рабочее место, пользователь, действие, файл, SHA-256 до и после;\n"
               "      ДАТА — ГГГГ-ММ-ДД или ГГГГ-ММ-ДДTчч:мм:сс (с поясом или без)\n"
               "  tandemo-cli export ФАЙЛ_КАРТОЧКИ ПАПКА\n"
               "      выгрузка данных человека по его запросу в ПАПКУ: карточка с\n"
               "      фотографией в PDF и те же данные в JSON и CSV — все поля карточки,\n"
               "      каждый ответ с текстом вопроса и ответа, запись о согласии, всё, что\n"
               "      картотека хранит о человеке, и записи журнала о его файле\n"
               "  tandemo-cli erase ФАЙЛ_КАРТОЧКИ --reason ТЕКСТ [--remove-shared-photo]\n"
               "      уничтожение данных человека с актом: удаляет файл карточки, её\n"
               "      фотографию из папки теста (если её не называет другая карточка; с\n"
               "      --remove-shared-photo — и тогда), запись о согласии и прочие записи о\n"
               "      человеке; пишет акт (текст и PDF) в папку «Акты» папки теста и запись\n"
               "      в журнал с номером акта; выводит пути акта\n"
               "  tandemo-cli --help | --version\n"
               "Код завершения: 0 — успех, 1 — файл нельзя использовать или строка\n"
               "отклонена, 2 — неверный вызов.\n")
        .arg(sheet::maxSheetText())
        .toUtf8();
}

void write(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

int usageError(const QString& why)
{
    const QByteArray text = "tandemo-cli: " + why.toUtf8() + "\n" + usage();
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

// An argument that is no key names the folder; only one may.
std::optional<int> takeFolder(const QString& argument, QString& folder)
{
    if (argument.startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("неизвестный ключ ") + argument);
    if (!folder.isEmpty())
        return usageError(QStringLiteral("папка может быть только одна"));
    folder = argument;
    return std::nullopt;
}

// The failure for a path that names no folder.
std::optional<int> notAFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return std::nullopt;
    return failure(QStringLiteral("Папка \"") + info.absoluteFilePath() +
                   (info.exists() ? QStringLiteral("\" не является папкой") : QStringLiteral("\" не найдена")));
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
                return usageError(QStringLiteral("укажите что-то одно: --men или --women"));
            women = value;
        } else if (a == QLatin1String("--name")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("после --name нужен текст"));
            byName = true;
            name = args[++i];
        } else if (const std::optional<int> refused = takeFolder(a, folder)) {
            return *refused;
        }
    }
    if (folder.isEmpty())
        return usageError(QStringLiteral("для people нужна ПАПКА"));
    if (women < 0)
        return usageError(QStringLiteral("для people нужен ключ --men или --women"));
    if (const std::optional<int> refused = notAFolder(folder))
        return *refused;

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

// The folder's test file (a folder holds one test), if there is one.
std::optional<QString> folderTest(const QString& folder)
{
    const QStringList tests = QDir(folder).entryList({QStringLiteral("*.tnd")}, QDir::Files, QDir::Name);
    if (tests.isEmpty())
        return std::nullopt;
    return folder + tests.first();
}

// The weights of the folder's test; a damaged block is told and left out.
weights::Table folderTable(const QString& testPath)
{
    bool damaged = false;
    weights::Table table = weights::ReadTableOfFile(testPath, &damaged);
    if (damaged)
        failure(QStringLiteral("Веса вопросов в файле \"") + testPath +
                QStringLiteral("\" повреждены и не учтены: совпадения считаются без весов."));
    return table;
}

int pairsCommand(QStringList args)
{
    const bool mutual = args.removeAll(QStringLiteral("--mutual")) > 0;
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("для pairs нужен один ФАЙЛ_КАРТОЧКИ"));
    const QFileInfo info(args[0]);
    CliPlatform platform;
    App app(platform);
    app.st.folders.WorkFolder = folderPath(info.absolutePath());
    if (OpenKartochka(app, info.fileName(), 1) != CardOpen::Opened)
        return kFileError;

    // As the ranking page: only active people, none the person will never be
    // offered, and with --mutual only those who fit both ways.
    const auto store = store::Open(app.st.folders.WorkFolder);
    const desk::Everyone everyone = desk::ReadEveryone(*store);
    RankFilter filter;
    filter.everyone = &everyone;
    filter.mutual = mutual;
    for (auto [other, history] : desk::ReadPairsOf(*store, info.fileName()).asKeyValueRange())
        if (history.never)
            filter.never.insert(other);
    const std::optional<QString> test = folderTest(app.st.folders.WorkFolder);
    const weights::Table table = test ? folderTable(*test) : weights::Table{};
    const PairRanking ranking = RankPairs(app.st.folders.WorkFolder, app.st.CardFields[1],
                                          platform.now().date().year(), {}, filter, table);
    QByteArray out;
    out.reserve((ranking.order.size() + 1) * 80);
    // New columns go at the end: scripts read the old ones by position.
    csv::appendRow(out, {u"rank", u"name", u"age", u"matches", u"percent", u"file", u"shared"});
    for (qsizetype r = 0; r < ranking.order.size(); ++r) {
        const int index = ranking.order[r];
        const PairEntry& e = ranking.pairs[index];
        const int matches = ranking.matches[index];
        const std::optional<int> percent = ranking.weighted ? std::optional<int>(weights::Percent(ranking.scores[index]))
                                                            : MatchPercent(matches, ranking.questions);
        csv::appendRow(out, {QString::number(r + 1), e.NameFamiliya, e.Vozrast, QString::number(matches),
                             percent ? QString::number(*percent) : QString(), textfile::readableName(e.FileName),
                             e.SharedQuestions >= 0 ? QString::number(e.SharedQuestions) : QString()});
    }
    write(out);
    return kOk;
}

int assignCommand(QStringList args)
{
    const bool mutual = args.removeAll(QStringLiteral("--mutual")) > 0;
    QString folder;
    for (const QString& a : args) {
        if (const std::optional<int> refused = takeFolder(a, folder))
            return *refused;
    }
    if (folder.isEmpty())
        return usageError(QStringLiteral("для assign нужна ПАПКА_ТЕСТА"));
    if (const std::optional<int> refused = notAFolder(folder))
        return *refused;
    const QString path = folderPath(folder);
    // Without the test the answers cannot be weighed or even told apart.
    const std::optional<QString> test = folderTest(path);
    if (!test)
        return failure(QStringLiteral("В папке \"") + QDir(folder).absolutePath() +
                       QStringLiteral("\" нет файла теста (*.tnd)"));
    const weights::Table table = folderTable(*test);
    CliPlatform platform;
    const QStringList men = PersonFiles(path, kMenExtension);
    const QStringList women = PersonFiles(path, kWomenExtension);
    const auto store = store::Open(path);
    const QList<assign::Pair> pairs =
        assign::PairEveryone(path, men, women, table, *store, mutual, platform.now().date().year());

    // Names as the ranking shows them; two people may share one, so their
    // files follow.
    const QByteArray encodedFolder = textfile::pathBytes(path);
    HeadLines lines;
    const auto nameOf = [&](const QString& file) {
        if (!lines.read(encodedFolder + textfile::pathBytes(file), 2) || lines.size() < 2)
            return QString();
        return textfile::shownText(lines[1]);
    };
    QByteArray out;
    out.reserve((pairs.size() + 1) * 80);
    csv::appendRow(out, {u"man", u"woman", u"percent", u"man_file", u"woman_file"});
    for (const assign::Pair& pair : pairs)
        csv::appendRow(out, {nameOf(pair.man), nameOf(pair.woman), QString::number(weights::Percent(pair.score)),
                             textfile::readableName(pair.man), textfile::readableName(pair.woman)});
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
        return usageError(QStringLiteral("для check нужен один ФАЙЛ_ТЕСТА"));
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
        return usageError(QStringLiteral("для text нужен один ФАЙЛ_ТЕСТА"));
    CliPlatform platform;
    App app(platform);
    if (!openTest(app, platform, args[0]))
        return kFileError;
    write(BulkTextOf(app.st.test).toUtf8());
    return kOk;
}

// A progress line on a terminal only: a log or a pipe gets the summary alone.
backup::Progress terminalProgress(const QString& what)
{
    if (!::isatty(STDERR_FILENO))
        return {};
    return [what](qint64 done, qint64 total) {
        const qint64 percent = total > 0 ? done * 100 / total : 0;
        const QByteArray line = "\r" + what.toUtf8() + ": " + QByteArray::number(percent) + "% (" +
                                QByteArray::number(done >> 20) + " из " + QByteArray::number(total >> 20) +
                                " МБ)\x1b[K";
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
        return true;
    };
}

int backupReport(const backup::Report& report, const QString& done, bool showProgress)
{
    if (showProgress)
        std::fputs("\r\x1b[K", stderr);
    if (report.outcome != backup::Outcome::Ok)
        return failure(report.message);
    QByteArray out = done.toUtf8() + '\n' + "Файлов: " + QByteArray::number(report.files) +
                     ", байт: " + QByteArray::number(report.bytes) + '\n';
    if (!report.notice.isEmpty())
        out += report.notice.toUtf8() + '\n';
    write(out);
    return kOk;
}

int backupCommand(const QStringList& args)
{
    if (args.size() != 2)
        return usageError(QStringLiteral("для backup нужны ПАПКА_ТЕСТА и АРХИВ.zip"));
    const backup::Progress progress = terminalProgress(QStringLiteral("Резервная копия"));
    const backup::Report report = backup::Backup(folderPath(args[0]), args[1], progress);
    return backupReport(report, QStringLiteral("Резервная копия сохранена: ") + QFileInfo(args[1]).absoluteFilePath(),
                        bool(progress));
}

int restoreCommand(const QStringList& args)
{
    if (args.size() != 2)
        return usageError(QStringLiteral("для restore нужны АРХИВ.zip и ПАПКА"));
    const backup::Progress progress = terminalProgress(QStringLiteral("Восстановление"));
    const backup::Report report = backup::Restore(args[0], args[1], progress);
    return backupReport(report, QStringLiteral("Копия восстановлена в папку ") + QDir(args[1]).absolutePath(),
                        bool(progress));
}

int journalCommand(const QStringList& args)
{
    QString folder;
    std::optional<QDateTime> since;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--since")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("после --since нужна дата"));
            const QString text = args[++i];
            QDateTime when = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (!when.isValid()) {
                const QDate day = QDate::fromString(text, Qt::ISODate);
                if (day.isValid())
                    when = day.startOfDay();
            }
            if (!when.isValid())
                return usageError(QStringLiteral("дата после --since не распознана: ") + text);
            since = when;
        } else if (const std::optional<int> refused = takeFolder(a, folder)) {
            return *refused;
        }
    }
    if (folder.isEmpty())
        return usageError(QStringLiteral("для journal нужна ПАПКА_ТЕСТА"));
    if (const std::optional<int> refused = notAFolder(folder))
        return *refused;
    const auto store = store::Open(folderPath(folder));
    bool failed = false;
    const QList<journal::Record> records = journal::Read(*store, since, &failed);
    write(journal::Csv(records));
    if (failed)
        return failure(QStringLiteral("Часть журнала прочитать не удалось."));
    return kOk;
}

// The test a person file belongs to: "<test>_<14 digits>[_N].tnm|tnw" names
// "<test>.tnd" in the same folder; empty when there is none.
QString testOf(const QString& folder, const QString& personFile)
{
    static const QRegularExpression rule(QStringLiteral("^(.*)_\\d{14}(_\\d+)?\\.(tnm|tnw)$"));
    const QRegularExpressionMatch match = rule.match(personFile);
    if (!match.hasMatch())
        return {};
    const QString path = folder + match.captured(1) + QStringLiteral(".tnd");
    return QFileInfo(path).isFile() ? path : QString();
}

// The PDF writer needs a GUI application; the command line never shows a
// window, so it runs on the offscreen platform unless told otherwise.
struct PdfWriting {
    static inline QtMessageHandler previous = nullptr;
    std::unique_ptr<QGuiApplication> application;
    PdfWriting(int& argc, char** argv)
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // A desktop-less session has no runtime folder, which Qt reports on
        // every start; the command line does not use one.
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
                return;
            if (previous)
                previous(type, context, text);
        });
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
};

// Where the program keeps the settings of its automatic copies: a copy that
// keeps its own files beside its executable (a build folder, a stick) keeps
// them there, an installed one in the user's configuration folder.
QString copiesSettingsPath()
{
    const QString exe = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    if (QFileInfo(exe + QStringLiteral("Help.htm")).isFile() && textfile::folderWritable(exe))
        return exe + autobackup::kSettingsFileName;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/tandemo/") + autobackup::kSettingsFileName;
}

int exportCommand(const QStringList& args)
{
    if (args.size() != 2)
        return usageError(QStringLiteral("для export нужны ФАЙЛ_КАРТОЧКИ и ПАПКА"));
    const QFileInfo info(args[0]);
    const QString folder = folderPath(info.absolutePath());
    CliPlatform platform;
    platform.pdfWriter = pdf::Write;
    App app(platform);
    const QString test = testOf(folder, info.fileName());
    const bool withTest = !test.isEmpty() && openTest(app, platform, test);
    if (!withTest)
        std::fputs(QStringLiteral("Тест карточки не найден: ответы выгружаются только номерами.\n").toUtf8().constData(),
                   stderr);
    persondata::Bundle bundle;
    QString error;
    if (!persondata::Gather(folder, info.fileName(), withTest ? &app.st.test : nullptr, bundle, error))
        return failure(error);
    QStringList written;
    if (!persondata::Export(platform, bundle, args[1], written, error))
        return failure(error);
    write((written.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return kOk;
}

int eraseCommand(const QStringList& args)
{
    erasure::Request request;
    QString file;
    bool reasonGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--reason")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("после --reason нужен текст"));
            request.reason = args[++i].simplified();
            reasonGiven = true;
        } else if (args[i] == QLatin1String("--remove-shared-photo")) {
            request.removeSharedPhoto = true;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("неизвестный ключ ") + args[i]);
        } else if (file.isEmpty()) {
            file = args[i];
        } else {
            return usageError(QStringLiteral("файл карточки может быть только один"));
        }
    }
    if (file.isEmpty())
        return usageError(QStringLiteral("для erase нужен ФАЙЛ_КАРТОЧКИ"));
    if (!reasonGiven || request.reason.isEmpty())
        return usageError(QStringLiteral("для erase нужна причина: --reason ТЕКСТ"));
    const QFileInfo info(file);
    request.folder = folderPath(info.absolutePath());
    request.personFile = info.fileName();
    CliPlatform platform;
    platform.pdfWriter = pdf::Write;
    const QString test = testOf(request.folder, request.personFile);
    if (!test.isEmpty()) {
        App app(platform);
        const QString title = openTest(app, platform, test) ? app.st.test.TestName : QString();
        platform.failed = false;
        request.backups = autobackup::ArchivesHolding(request.folder, autobackup::TestCopiesName(title, test),
                                                      request.personFile,
                                                      autobackup::ReadSettings(copiesSettingsPath()),
                                                      platform.userDataFolder());
    }
    const erasure::Outcome outcome = erasure::Erase(platform, request);
    if (outcome.status != erasure::Status::Done)
        return failure(outcome.message);
    QStringList lines{QStringLiteral("Данные уничтожены, акт № ") + outcome.act.number};
    if (!outcome.actText.isEmpty())
        lines << outcome.actText;
    if (!outcome.actPdf.isEmpty())
        lines << outcome.actPdf;
    write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!outcome.message.isEmpty())
        return failure(outcome.message);
    return kOk;
}

}  // namespace

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << textfile::nameFromBytes(argv[i]);  // a file name keeps its bytes
    if (args.isEmpty())
        return usageError(QStringLiteral("команда не указана"));
    const QString command = args.takeFirst();
    int status = kUsageError;
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        write(usage());
        status = kOk;
    } else if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        write("tandemo-cli " TANDEMO_VERSION "\n");
        status = kOk;
    } else if (command == QLatin1String("people")) {
        status = peopleCommand(args);
    } else if (command == QLatin1String("pairs")) {
        status = pairsCommand(args);
    } else if (command == QLatin1String("assign")) {
        status = assignCommand(args);
    } else if (command == QLatin1String("check")) {
        status = checkCommand(args);
    } else if (command == QLatin1String("text")) {
        status = textCommand(args);
    } else if (command == QLatin1String("backup")) {
        status = backupCommand(args);
    } else if (command == QLatin1String("restore")) {
        status = restoreCommand(args);
    } else if (command == QLatin1String("journal")) {
        status = journalCommand(args);
    } else if (command == QLatin1String("export") || command == QLatin1String("erase")) {
        const PdfWriting pdfWriting(argc, argv);
        status = command == QLatin1String("export") ? exportCommand(args) : eraseCommand(args);
    } else if (command == QLatin1String("import")) {
        if (args.size() != 2)
            return usageError(QStringLiteral("для import нужны ФАЙЛ_ТЕСТА и РЕЗУЛЬТАТЫ.csv"));
        status = ImportResults(args[0], args[1]);
    } else {
        return usageError(QStringLiteral("неизвестная команда ") + command);
    }
    if (std::fflush(stdout) != 0 && status == kOk)
        status = kFileError;
    // Everything is written: leave without taking a large list apart piece
    // by piece.
    std::fflush(stderr);
    std::_Exit(status);
}
