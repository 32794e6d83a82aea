#pragma once

#include "engines/Backup.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Automatic copies of the open test's folder, made when the program closes:
// at most one a day for a folder, into a backup folder of its own, and only
// the newest few kept. Only archives of the program's own naming are ever
// removed; whatever else the folder holds is left alone.
namespace autobackup {

// How many copies are kept unless the settings say otherwise, and the most
// the settings may ask for.
inline constexpr int kDefaultKeep = 10;
inline constexpr int kMaxKeep = 999;
// The most days the settings may keep copies for (about ten years).
inline constexpr int kMaxKeepDays = 3650;
// A test's name becomes a folder's and a file's name; longer names are cut.
inline constexpr qsizetype kMaxNameChars = 80;

// The settings of the automatic copies, in a file of their own beside the
// program's settings file.
inline const QString kSettingsFileName = QStringLiteral("Автокопии.ini");
struct Settings {
    QString folder;  // the folder of the copies (one sub-folder a test); empty: the default
    int keep = kDefaultKeep;
    // Copies older than this many days are removed (0: kept by count only),
    // so that a person erased from the folder leaves the copies in time.
    int keepDays = 0;
    bool operator==(const Settings&) const = default;
};
// Missing or unreadable file: the defaults.
Settings ReadSettings(const QString& path);
bool WriteSettings(const QString& path, const Settings& settings);

// The default folder of the copies under the user's data folder (empty when
// there is none).
QString DefaultFolder(const QString& dataFolder);

// A test's name as a file name: no separators, no characters a Windows disk
// refuses, no leading dot; `fallback` when nothing is left.
QString SafeName(const QString& testName, const QString& fallback);
// The name a test's copies go by: its title, else its file's base name.
QString TestCopiesName(const QString& testTitle, const QString& testFilePath);

// "<name> YYYY-MM-DD HH-MM-SS.zip", and the time such a name holds (nothing
// for any other file name).
QString ArchiveName(const QString& name, const QDateTime& time);
std::optional<QDateTime> ArchiveTime(const QString& name, const QString& fileName);

// Whether a copy is due: none of the program's archives in `fileNames` is
// from `today`.
bool Due(const QStringList& fileNames, const QString& name, const QDate& today);
// The program's archives beyond the newest `keep`, oldest last.
QStringList Surplus(const QStringList& fileNames, const QString& name, int keep);
// The day a copy made at `made` is removed under `keepDays` (its day plus
// that many); an invalid date when kept by count only (0).
QDate Expires(const QDateTime& made, int keepDays);
// The program's archives whose day of removal has come by `now`, oldest last.
QStringList Expired(const QStringList& fileNames, const QString& name, int keepDays, const QDateTime& now);

// Whether `path` (existing or not) is `folder` or lies inside it, links
// followed.
bool Inside(const QString& path, const QString& folder);

enum class Status { NotDue, Made, Cancelled, Failed };
struct Outcome {
    Status status = Status::Failed;
    QString message;  // for the user, on failure
    QString archive;  // the copy made
    QStringList removed;
};

// Each test folder has a folder of copies of its own, named after the test;
// a file in it names the test folder it belongs to, so that two test folders
// of one name ("Знакомства" at two branches) get "Знакомства" and
// "Знакомства (2)", never one folder's turns and rotation.
inline const QString kOriginFileName = QStringLiteral(".tandemo-folder");
inline constexpr int kMaxFoldersOfOneName = 99;

// Makes the day's copy of `testFolder` (ending with its separator) into its
// folder of copies under the settings' folder, then removes the copies
// beyond the newest `keep` and those whose day of removal under `keepDays`
// has come (never the copy just made).
Outcome Run(const QString& testFolder, const QString& testName, const Settings& settings,
            const QString& dataFolder, const QDateTime& now, const backup::Progress& progress = {});

// The automatic copies of `testFolder` that still hold the person file
// `fileName`, each with the day it will be removed under `keepDays` (an
// invalid date: kept by count only, no day known).
struct Held {
    QString archive;  // full path
    QDate expires;
    bool operator==(const Held&) const = default;
};
QList<Held> ArchivesHolding(const QString& testFolder, const QString& testName, const QString& fileName,
                            const Settings& settings, const QString& dataFolder);
// The same for several person files at once, each archive read once: the
// copies by person file (a file no copy holds is absent).
QHash<QString, QList<Held>> ArchivesHoldingEach(const QString& testFolder, const QString& testName,
                                                const QStringList& fileNames, const Settings& settings,
                                                const QString& dataFolder);

}  // namespace autobackup
