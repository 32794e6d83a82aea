#pragma once

#include "engines/BackupManifest.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Backups of a test folder: one ZIP archive with the test files, every person
// file, the pictures and clips the questions name, the photos the cards name
// (also those outside the folder), the consent texts and the acts of
// destruction (folder "Акты"), and everything the folder's store keeps,
// with a manifest of every file's size and SHA-256. Restoring puts them into
// an empty or new folder only and refuses a damaged or hostile archive
// without leaving anything behind.
namespace backup {

// Called now and then with the work done and the whole (in bytes); returning
// false cancels the work, which then leaves nothing half-written.
using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Outcome { Ok, Cancelled, Failed };

struct Report {
    Outcome outcome = Outcome::Failed;
    QString message;   // for the user, in Russian: what failed and why; empty on success
    qint64 files = 0;  // files in the archive
    qint64 bytes = 0;  // their bytes, uncompressed
    // On success, for the user, in Russian: what went otherwise than asked
    // without failing (named files not found and left out of the backup,
    // photos restored into the folder since their place was taken); empty
    // when there is nothing to say.
    QString notice;
    QStringList leftOut;  // the names left out, as shown to the user
};

// Writes the backup of `testFolder` (ending with its separator) to
// `archivePath`: under a temporary name, read back and checked against its
// manifest, then renamed into place; the journal records it. The archive may
// not lie inside the test folder.
Report Backup(const QString& testFolder, const QString& archivePath, const Progress& progress = {});

// Restores `archivePath` into `targetFolder`, which must be empty or not yet
// exist; the journal of the restored folder records the restore.
Report Restore(const QString& archivePath, const QString& targetFolder, const Progress& progress = {});

// The manifest of a backup archive, read without extracting anything else;
// nothing for a file that is not a readable backup.
std::optional<Manifest> ReadManifest(const QString& archivePath);

}  // namespace backup
