#pragma once

#include "ground/TextFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <sys/stat.h>

// Writing files that share a folder with other desks: a test folder on a
// network disk is written by several programs at once, and holds whatever a
// visitor or a copy from elsewhere left in it (links, folders, FIFOs).
namespace textfile {

// How a new file takes its name. Auto uses a hard link and falls back to an
// exclusive create on a disk that has no hard links; the other two force one
// way (tests use them to reach the fallback on a disk that has links).
enum class NewNameMethod { Auto, HardLink, ExclusiveCreate };

// Saves `content` as a new file in `folder` (which ends with its separator)
// under `name`, or, when anything at all holds that name (a file, a link even
// a dangling one, a folder, a FIFO), under the first free of "<stem>_2<ext>",
// "<stem>_3<ext>"… where <ext> starts at the last "." of `name`. Nothing that
// exists is ever replaced or written through, also when another program saves
// into the folder at the same moment. The file appears complete or not at
// all. On success `savedName` is the name taken.
SaveResult saveUnderFreeName(const QString& folder, const QString& name, const QByteArray& content,
                             QString& savedName, NewNameMethod method = NewNameMethod::Auto);

// One of several new files for saveAllUnderFreeNames.
struct NewFile {
    QString name;  // the name wanted
    QByteArray content;
    SaveResult result = SaveResult::Failed;
    QString savedName;  // the name taken, on success
};

// saveUnderFreeName for several files in one folder, in their order, with
// the same guarantees for each; the disk is made to keep them in one go.
// Every file is first complete under a temporary name; then all of them are
// made durable together, take their names, and the folder is synced once.
// A crash leaves only whole files under the names taken. All the contents
// are held in memory at once.
void saveAllUnderFreeNames(const QString& folder, QList<NewFile>& files, NewNameMethod method = NewNameMethod::Auto);

// Replaces the file `name` in `folder` with `content`, whole or not at all,
// without writing anywhere outside `folder`. A name held by something other
// than a plain file (a symbolic link, a folder, a FIFO) is refused with
// Failed; a file or folder marked read-only with WriteProtected.
SaveResult replaceInFolder(const QString& folder, const QString& name, const QByteArray& content);

// What a guarded replacement or removal did, or found instead.
enum class GuardedResult {
    Ok,
    WriteProtected,
    Failed,
    Changed,  // the file holds other bytes than expected: nothing was done
    Gone,     // nothing holds the name any more: nothing was done or made
};

// Replaces the plain file `name` in `folder` with `content`, as
// replaceInFolder does, but only while it holds exactly `expected`. A file
// that is gone is never made again. The comparison is made right before the
// file is swapped for the new one in one step, and checked again on what was
// swapped out (the swap is undone when another desk slipped in between); a
// file system that cannot swap gets a rename right after the comparison.
GuardedResult replaceIfUnchanged(const QString& folder, const QString& name, const QByteArray& content,
                                 const QByteArray& expected);

// Removes the plain file `name` in `folder` only while it holds exactly
// `expected` and is still the very file compared (same identity) right
// before the removal.
GuardedResult removeIfUnchanged(const QString& folder, const QString& name, const QByteArray& expected);

// Saves `content` as the new file `name` in `folder`, whole or not at all,
// only while nothing holds that name: Changed when something does (another
// desk made it first), and then nothing is written.
GuardedResult createIfAbsent(const QString& folder, const QString& name, const QByteArray& content);

// Whether something other than a plain file holds `path`: a link (even one
// to a plain file), a folder, a FIFO, a device.
bool holdsOtherThanPlainFile(const QString& path);

// Makes the names in a folder survive a power cut, not only the files'
// contents (`folder` as the system spells it; empty: the current folder).
bool syncFolder(const QByteArray& folder);

// Opens a plain file for reading without waiting for a FIFO or a device put
// in its place: -1 (errno set) when it cannot be opened or is no plain file.
// Without `followLinks`, a link in the name's place is refused. `st` gets
// the file's status.
int openPlainFile(const QByteArray& path, bool followLinks, struct stat& st);

// Whether a name in a folder is one of the temporary files of the two savers
// above; none of them ends like a test or person file.
bool isTemporaryName(const QByteArray& fileName);

}  // namespace textfile
