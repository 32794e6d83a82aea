#include "engines/AutoBackup.h"

#include "ground/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace autobackup {

namespace {
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");
const QByteArray kFolderKey = "folder=";
const QByteArray kKeepKey = "keep=";
const QByteArray kKeepDaysKey = "keepdays=";

QString WithSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// A path as the disk resolves it, for a path that may not exist yet: its
// nearest existing folder resolved, the rest as given.
QString Resolved(const QString& path)
{
    QString rest;
    QString at = QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
    while (!QFileInfo::exists(at)) {
        const qsizetype cut = at.lastIndexOf(QLatin1Char('/'));
        if (cut <= 0)
            return QDir::cleanPath(path);
        rest = at.mid(cut) + rest;
        at = at.left(cut);
    }
    const QString canonical = QFileInfo(at).canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? at : canonical) + rest);
}
// The folder of copies of `testFolder` under `root`: the first of "<name>",
// "<name> (2)"… that names this test folder or (with `make`) is new; empty
// when there is none or none can be made.
QString FolderOfCopies(const QString& root, const QString& name, const QString& testFolder, bool make)
{
    const QByteArray origin = Resolved(testFolder).toUtf8();
    for (int n = 1; n <= kMaxFoldersOfOneName; ++n) {
        const QString folder = root + name + (n == 1 ? QString() : QStringLiteral(" (%1)").arg(n)) + QLatin1Char('/');
        if (Inside(folder, testFolder))
            continue;
        QFile mark(folder + kOriginFileName);
        if (mark.open(QIODevice::ReadOnly)) {
            if (mark.read(textfile::kMaxSettingsBytes).trimmed() == origin)
                return folder;
            continue;
        }
        if (!make) {
            if (QFileInfo(folder).isDir())
                continue;
            return {};
        }
        // A folder of copies without its mark (made by hand) is taken over.
        if (!QDir().mkpath(folder) ||
            textfile::saveAtomically(folder + kOriginFileName, origin + "\n") != textfile::SaveResult::Ok)
            return {};
        return folder;
    }
    return {};
}

// The root of the copies and the name of a test folder's copies, as Run
// makes them.
QString RootOf(const Settings& settings, const QString& dataFolder)
{
    return settings.folder.isEmpty() ? DefaultFolder(dataFolder) : WithSlash(settings.folder);
}
QString NameOf(const QString& testFolder, const QString& testName)
{
    const QString testFile = QFileInfo(QDir::cleanPath(testFolder)).fileName();
    return SafeName(testName, SafeName(testFile, QStringLiteral("Тест")));
}
}  // namespace

Settings ReadSettings(const QString& path)
{
    Settings settings;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    const QByteArray content = file.read(textfile::kMaxSettingsBytes);
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        if (line.startsWith(kFolderKey)) {
            settings.folder = QString::fromUtf8(line.mid(kFolderKey.size()));
        } else if (line.startsWith(kKeepKey)) {
            bool ok = false;
            const int keep = line.mid(kKeepKey.size()).toInt(&ok);
            if (ok)
                settings.keep = std::clamp(keep, 1, kMaxKeep);
        } else if (line.startsWith(kKeepDaysKey)) {
            bool ok = false;
            const int days = line.mid(kKeepDaysKey.size()).toInt(&ok);
            if (ok)
                settings.keepDays = std::clamp(days, 0, kMaxKeepDays);
        }
    }
    return settings;
}

bool WriteSettings(const QString& path, const Settings& settings)
{
    // A line break in the folder's name would end its line early.
    if (settings.folder.contains(QLatin1Char('\n')) || settings.folder.contains(QLatin1Char('\r')))
        return false;
    const QByteArray content = kFolderKey + settings.folder.toUtf8() + "\r\n" + kKeepKey +
                               QByteArray::number(std::clamp(settings.keep, 1, kMaxKeep)) + "\r\n" +
                               kKeepDaysKey +
                               QByteArray::number(std::clamp(settings.keepDays, 0, kMaxKeepDays)) + "\r\n";
    return textfile::saveAtomically(path, content) == textfile::SaveResult::Ok;
}

QString DefaultFolder(const QString& dataFolder)
{
    if (dataFolder.isEmpty())
        return {};
    return WithSlash(dataFolder) + QStringLiteral("tandemo/backups/");
}

QString TestCopiesName(const QString& testTitle, const QString& testFilePath)
{
    return SafeName(testTitle, SafeName(QFileInfo(testFilePath).completeBaseName(), QStringLiteral("Тест")));
}

QString SafeName(const QString& testName, const QString& fallback)
{
    QString name;
    for (QChar c : testName) {
        const bool refused = c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c);
        name += refused ? QLatin1Char('_') : c;
    }
    name = name.left(kMaxNameChars).trimmed();
    // Windows drops a trailing dot or blank; a leading dot hides the file.
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name.isEmpty() ? fallback : name;
}

QString ArchiveName(const QString& name, const QDateTime& time)
{
    return name + QLatin1Char(' ') + time.toString(kTimeFormat) + QStringLiteral(".zip");
}

std::optional<QDateTime> ArchiveTime(const QString& name, const QString& fileName)
{
    static const QRegularExpression stamp(
        QStringLiteral("^ (\\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2})\\.zip$"));
    if (!fileName.startsWith(name))
        return std::nullopt;
    const QRegularExpressionMatch match = stamp.match(QStringView(fileName).mid(name.size()));
    if (!match.hasMatch())
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(match.captured(1), kTimeFormat);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

bool Due(const QStringList& fileNames, const QString& name, const QDate& today)
{
    return std::none_of(fileNames.begin(), fileNames.end(), [&](const QString& file) {
        const auto time = ArchiveTime(name, file);
        return time && time->date() == today;
    });
}

QStringList Surplus(const QStringList& fileNames, const QString& name, int keep)
{
    QList<std::pair<QDateTime, QString>> ours;
    for (const QString& file : fileNames) {
        if (const auto time = ArchiveTime(name, file))
            ours.append({*time, file});
    }
    std::sort(ours.begin(), ours.end(), [](const auto& a, const auto& b) { return a > b; });
    QStringList surplus;
    for (qsizetype i = std::max(keep, 1); i < ours.size(); ++i)
        surplus << ours[i].second;
    return surplus;
}

QStringList Expired(const QStringList& fileNames, const QString& name, int keepDays, const QDateTime& now)
{
    QList<std::pair<QDateTime, QString>> old;
    if (keepDays <= 0)
        return {};
    for (const QString& file : fileNames) {
        const auto time = ArchiveTime(name, file);
        if (time && Expires(*time, keepDays) <= now.date())
            old.append({*time, file});
    }
    std::sort(old.begin(), old.end(), [](const auto& a, const auto& b) { return a > b; });
    QStringList expired;
    for (const auto& [time, file] : std::as_const(old))
        expired << file;
    return expired;
}

QDate Expires(const QDateTime& made, int keepDays)
{
    return keepDays > 0 ? made.date().addDays(keepDays) : QDate();
}

bool Inside(const QString& path, const QString& folder)
{
    const QString inner = Resolved(path);
    const QString outer = Resolved(folder);
    return inner == outer || inner.startsWith(WithSlash(outer));
}

Outcome Run(const QString& testFolder, const QString& testName, const Settings& settings,
            const QString& dataFolder, const QDateTime& now, const backup::Progress& progress)
{
    Outcome outcome;
    const QString root = RootOf(settings, dataFolder);
    if (root.isEmpty()) {
        outcome.message = QStringLiteral("Автоматическая копия не сделана: не задана папка для копий.");
        return outcome;
    }
    const QString name = NameOf(testFolder, testName);
    if (Inside(root, testFolder)) {
        outcome.message = QStringLiteral("Автоматическая копия не сделана: папка для копий «") +
                          QDir::toNativeSeparators(root) + QStringLiteral("» лежит в папке теста.");
        return outcome;
    }
    const QString folder = FolderOfCopies(root, name, testFolder, true);
    if (folder.isEmpty()) {
        outcome.message = QStringLiteral("Автоматическая копия не сделана: папку для копий в «") +
                          QDir::toNativeSeparators(root) + QStringLiteral("» создать не возможно.");
        return outcome;
    }
    const QStringList present = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    if (!Due(present, name, now.date())) {
        outcome.status = Status::NotDue;
        return outcome;
    }
    const QString archive = folder + ArchiveName(name, now);
    const backup::Report report = backup::Backup(testFolder, archive, progress);
    switch (report.outcome) {
    case backup::Outcome::Ok:
        break;
    case backup::Outcome::Cancelled:
        outcome.status = Status::Cancelled;
        return outcome;
    case backup::Outcome::Failed:
        outcome.message = QStringLiteral("Автоматическая копия не сделана.\n") + report.message;
        return outcome;
    }
    outcome.status = Status::Made;
    outcome.archive = archive;
    const QStringList copies = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    QStringList old = Surplus(copies, name, settings.keep);
    for (const QString& file : Expired(copies, name, settings.keepDays, now)) {
        // The copy just made stays whatever the days say.
        if (file != ArchiveName(name, now) && !old.contains(file))
            old << file;
    }
    for (const QString& file : std::as_const(old)) {
        if (QFile::remove(folder + file))
            outcome.removed << file;
    }
    return outcome;
}

QHash<QString, QList<Held>> ArchivesHoldingEach(const QString& testFolder, const QString& testName,
                                                const QStringList& fileNames, const Settings& settings,
                                                const QString& dataFolder)
{
    QHash<QString, QList<Held>> held;
    const QString root = RootOf(settings, dataFolder);
    if (root.isEmpty() || fileNames.isEmpty())
        return held;
    const QString name = NameOf(testFolder, testName);
    const QString folder = FolderOfCopies(root, name, testFolder, false);
    if (folder.isEmpty())
        return held;
    QHash<QByteArray, QString> wanted;
    for (const QString& file : fileNames)
        wanted.insert(textfile::pathBytes(file), file);
    QList<std::pair<QDateTime, QString>> ours;
    for (const QString& file : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (const auto time = ArchiveTime(name, file))
            ours.append({*time, file});
    }
    std::sort(ours.begin(), ours.end());
    for (const auto& [time, file] : std::as_const(ours)) {
        // A damaged or foreign archive tells nothing and is passed over.
        const auto manifest = backup::ReadManifest(folder + file);
        if (!manifest)
            continue;
        for (const backup::ManifestFile& f : manifest->files) {
            const auto person = wanted.constFind(f.original.isEmpty() ? f.entry : f.original);
            if (person != wanted.constEnd())
                held[*person].append({folder + file, Expires(time, settings.keepDays)});
        }
    }
    return held;
}

QList<Held> ArchivesHolding(const QString& testFolder, const QString& testName, const QString& fileName,
                            const Settings& settings, const QString& dataFolder)
{
    return ArchivesHoldingEach(testFolder, testName, {fileName}, settings, dataFolder).value(fileName);
}

}  // namespace autobackup
