#include "ground/FolderWrite.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <vector>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace textfile {

namespace {

// Temporary files start with a dot (hidden from a desktop's listing) and end
// with ".tmp", so that no list, search or ranking ever reads one.
constexpr char kTempPrefix[] = ".tandemo-";
constexpr char kTempSuffix[] = ".tmp";
// A temporary older than this is what a crash left behind; a save holds its
// own for well under a second, and a desk's clock may be off by hours.
constexpr qint64 kStaleSeconds = 24 * 60 * 60;
// More results in one second under one name than any folder will see.
constexpr int kMaxSuffix = 1000000;

bool writeProtectedError(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

SaveResult resultOf(int error)
{
    return writeProtectedError(error) ? SaveResult::WriteProtected : SaveResult::Failed;
}

bool markedReadOnly(const struct stat& st)
{
    // The mode bits, not access(): the program runs as an administrator at
    // some desks, and a file or folder marked read-only is meant to stay.
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

SaveResult folderRefusal(const QByteArray& folder)
{
    struct stat st {};
    if (::stat(folder.isEmpty() ? "." : folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && markedReadOnly(st))
        return SaveResult::WriteProtected;
    return SaveResult::Ok;
}

// A complete copy of the content under a temporary name in the folder, on the
// disk (flushed and closed, so that a network disk has reported any error).
// Removed again when it goes out of scope unless it was renamed away.
class Temporary {
public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.isEmpty())
            ::unlink(path_.constData());
    }

    // Creates the temporary, writes the content and closes it; with `flush`,
    // the content is on the disk before the close.
    SaveResult write(const QByteArray& folder, const QByteArray& content, bool flush)
    {
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            const QByteArray path = folder + kTempPrefix +
                                    QByteArray::number(QRandomGenerator::system()->generate64(), 36) + kTempSuffix;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0) {
                fd_ = fd;
                path_ = path;
            } else if (errno != EEXIST && errno != EINTR) {
                return resultOf(errno);
            }
        }
        if (fd_ < 0)
            return SaveResult::Failed;
        qsizetype done = 0;
        while (done < content.size()) {
            const ssize_t n = ::write(fd_, content.constData() + done, static_cast<size_t>(content.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return SaveResult::Failed;  // a full disk, a quota, an I/O error
            done += n;
        }
        if ((flush && ::fsync(fd_) != 0) || ::fstat(fd_, &stat_) != 0 || stat_.st_size != content.size())
            return SaveResult::Failed;
        const int fd = fd_;
        fd_ = -1;
        // A network disk may report a failed write only now.
        if (::close(fd) != 0)
            return SaveResult::Failed;
        return SaveResult::Ok;
    }

    // Puts the closed temporary's content on the disk.
    SaveResult flush() const
    {
        const int fd = ::open(path_.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return SaveResult::Failed;
        const bool ok = ::fsync(fd) == 0;
        return ::close(fd) == 0 && ok ? SaveResult::Ok : SaveResult::Failed;
    }

    const QByteArray& path() const { return path_; }
    // The name now belongs to the file under another name.
    void renamedAway() { path_.clear(); }
    // Whether `path` is this very file (a hard link to it).
    bool isSameFile(const QByteArray& path) const
    {
        struct stat st {};
        return ::lstat(path.constData(), &st) == 0 && st.st_dev == stat_.st_dev && st.st_ino == stat_.st_ino;
    }

private:
    int fd_ = -1;
    QByteArray path_;
    struct stat stat_ {};
};


// Removes, once per folder and run, the temporaries that a crash left.
void removeStaleTemporaries(const QByteArray& folder)
{
    static QMutex mutex;
    static QSet<QByteArray> cleaned;
    {
        QMutexLocker lock(&mutex);
        if (cleaned.contains(folder))
            return;
        cleaned.insert(folder);
    }
    DIR* dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > kStaleSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Where the search for a free name of a busy base name goes on: a burst of
// results within one second would otherwise try every taken name again for
// each new one. Only a hint; the link or the exclusive create decides.
class SuffixHints {
public:
    int next(const QByteArray& key)
    {
        QMutexLocker lock(&mutex_);
        return hints_.value(key, 2);
    }
    // Where to try first: the name itself, unless this run has already
    // found it taken (a name freed since then is not missed: the file just
    // takes a number).
    int first(const QByteArray& key)
    {
        QMutexLocker lock(&mutex_);
        return hints_.value(key, 1);
    }
    void used(const QByteArray& key, int suffix)
    {
        QMutexLocker lock(&mutex_);
        if (hints_.size() > 10000)
            hints_.clear();
        hints_.insert(key, suffix + 1);
    }

private:
    QMutex mutex_;
    QHash<QByteArray, int> hints_;
};

SuffixHints& suffixHints()
{
    static SuffixHints hints;
    return hints;
}

bool linkUnsupported(int error)
{
    // Linux reports EPERM when the file system has no hard links (FAT, some
    // SMB servers); the others are what network clients say.
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS;
}

// Whether the plain file at `path` holds exactly `expected`. `identity`, when
// given, receives the compared file's device and inode.
GuardedResult compareWith(const QByteArray& path, const QByteArray& expected, struct stat* identity = nullptr)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? GuardedResult::Gone : GuardedResult::Failed;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return GuardedResult::Failed;
    if (identity)
        *identity = st;
    if (st.st_size != expected.size())
        return GuardedResult::Changed;
    // One byte more than expected tells a file that grew since the fstat.
    QByteArray held;
    if (!readUpTo(fd, held, expected.size() + 1))
        return GuardedResult::Failed;
    return held == expected ? GuardedResult::Ok : GuardedResult::Changed;
}

GuardedResult guardedOf(SaveResult result)
{
    switch (result) {
    case SaveResult::Ok:
        return GuardedResult::Ok;
    case SaveResult::WriteProtected:
        return GuardedResult::WriteProtected;
    case SaveResult::Failed:
        break;
    }
    return GuardedResult::Failed;
}

GuardedResult guardedOfErrno(int error)
{
    if (error == ENOENT)
        return GuardedResult::Gone;
    return guardedOf(resultOf(error));
}

}  // namespace

bool isTemporaryName(const QByteArray& fileName)
{
    return fileName.startsWith(kTempPrefix) && fileName.endsWith(kTempSuffix);
}

bool holdsOtherThanPlainFile(const QString& path)
{
    struct stat st {};
    return ::lstat(pathBytes(path).constData(), &st) == 0 && !S_ISREG(st.st_mode);
}

namespace {
// Gives the complete, durable temporary `temp` in `dir` the name `name` or the
// first free of its numbered names; the folder is not synced.
SaveResult takeFreeName(const QByteArray& dir, Temporary& temp, const QString& name, QString& savedName,
                        NewNameMethod method)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString ext = dot < 0 ? QString() : name.mid(dot);
    const QByteArray hintKey = dir + pathBytes(name);
    bool useLink = method != NewNameMethod::ExclusiveCreate;

    for (int n = suffixHints().first(hintKey); n <= kMaxSuffix;) {
        const QString candidate = n == 1 ? name : stem + QLatin1Char('_') + QString::number(n) + ext;
        const QByteArray target = dir + pathBytes(candidate);
        int error = 0;
        if (useLink) {
            // On success the temporary name goes when `temp` does; the
            // result keeps the file.
            if (::link(temp.path().constData(), target.constData()) != 0) {
                error = errno;
                if (error == EEXIST && temp.isSameFile(target)) {
                    error = 0;  // a retried link whose first attempt had made it
                } else if (method == NewNameMethod::Auto && linkUnsupported(error)) {
                    useLink = false;
                    continue;  // the same name again, reserved the other way
                }
            }
        } else {
            const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0) {
                error = errno;
            } else {
                ::close(fd);
                // Only our own empty placeholder is replaced.
                if (::rename(temp.path().constData(), target.constData()) != 0) {
                    error = errno;
                    ::unlink(target.constData());
                    return resultOf(error);
                }
                temp.renamedAway();
            }
        }
        if (error == 0) {
            if (n > 1)
                suffixHints().used(hintKey, n);
            savedName = candidate;
            return SaveResult::Ok;
        }
        if (error == EINTR)
            continue;
        if (error != EEXIST)
            return resultOf(error);
        n = n == 1 ? suffixHints().next(hintKey) : n + 1;
    }
    return SaveResult::Failed;
}
}  // namespace

// How a new file takes a name that nobody else can take at the same moment,
// on a local disk and on a shared folder of a network disk.
//
// The complete content is first written to a temporary name of our own in the
// same folder, flushed (fsync) and closed; then the result's name is made a
// hard link to it with link(), and the temporary name is removed. link()
// never replaces anything and never follows a link at the new name: it fails
// with EEXIST when the name is held by anything, a dangling symbolic link, a
// folder or a FIFO included. The name therefore appears with the whole file
// behind it or not at all, and a crash leaves at most a temporary, which no
// list shows (hidden, ".tmp") and a later run removes once it is a day old.
//
// What the network disks guarantee, and what is relied on:
// - NFS (v3, v4): LINK and exclusive CREATE (O_CREAT|O_EXCL) are decided by
//   the server, atomically, against every client. LINK is not idempotent: when
//   its reply is lost the client sends it again and may get EEXIST although
//   the first one succeeded; so after EEXIST the name is compared with our
//   temporary (same device and inode), as open(2) recommends for lock files.
//   Close-to-open consistency: what was written and closed before the link is
//   what another desk reads after opening the name. Write errors may surface
//   only at fsync or close, so both are checked before the link. NFSv2 has no
//   exclusive create; it is not supported.
// - SMB/CIFS: a create with the disposition FILE_CREATE (O_CREAT|O_EXCL) fails
//   on the server when the name exists. Hard links (FileLinkInformation with
//   ReplaceIfExists false) likewise fail on an existing name; NTFS and Samba
//   servers have them, servers on FAT/exFAT and some NAS boxes do not, and
//   link() then fails with EPERM or EOPNOTSUPP. A rename onto an existing name
//   may be a delete and a rename, so it is used only onto our own placeholder.
// Relied on: the server alone decides whether a name is free (link() and
// O_EXCL), and the content is on the server before the name appears.
//
// Without hard links (or when forced): the name is reserved by an exclusive
// create of an empty placeholder, and the complete temporary is renamed over
// it. Still nothing is ever replaced but our own placeholder; a crash between
// the two steps leaves that empty file under the result's name, which every
// list skips (it has no card marker), never a partial card.
//
// Several files at once (an import of many results) are each written to a
// temporary first; then one syncfs() makes every one of them durable, where
// a flush of each would cost the disk a journal commit per file; then each
// takes its name, and the folder is synced once for all of them. A name is
// only ever taken by a file that is already whole on the disk.
void saveAllUnderFreeNames(const QString& folder, QList<NewFile>& files, NewNameMethod method)
{
    if (files.isEmpty())
        return;
    const QByteArray dir = pathBytes(folder);
    if (folderRefusal(dir) != SaveResult::Ok) {
        for (NewFile& file : files)
            file.result = SaveResult::WriteProtected;
        return;
    }
    removeStaleTemporaries(dir);

    // One file is flushed by itself; many by one sync of their disk after
    // all are written, which reports a write error of any of them. After an
    // error each is flushed on its own, so that only the files that failed
    // are lost.
    const bool one = files.size() == 1;
    std::vector<Temporary> temps(static_cast<size_t>(files.size()));
    bool anyWritten = false;
    for (qsizetype i = 0; i < files.size(); ++i) {
        files[i].result = temps[static_cast<size_t>(i)].write(dir, files[i].content, one);
        anyWritten = anyWritten || files[i].result == SaveResult::Ok;
    }
    if (anyWritten && !one) {
        bool synced = false;
        const int fd = ::open(dir.isEmpty() ? "." : dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            synced = ::syncfs(fd) == 0;
            ::close(fd);
        }
        for (qsizetype i = 0; i < files.size() && !synced; ++i) {
            if (files[i].result == SaveResult::Ok)
                files[i].result = temps[static_cast<size_t>(i)].flush();
        }
    }

    bool anyNamed = false;
    for (qsizetype i = 0; i < files.size(); ++i) {
        NewFile& file = files[i];
        if (file.result != SaveResult::Ok)
            continue;
        file.result = takeFreeName(dir, temps[static_cast<size_t>(i)], file.name, file.savedName, method);
        anyNamed = anyNamed || file.result == SaveResult::Ok;
    }
    if (anyNamed)
        syncFolder(dir);
}

SaveResult saveUnderFreeName(const QString& folder, const QString& name, const QByteArray& content,
                             QString& savedName, NewNameMethod method)
{
    QList<NewFile> files(1);
    files[0].name = name;
    files[0].content = content;
    saveAllUnderFreeNames(folder, files, method);
    if (files[0].result == SaveResult::Ok)
        savedName = files[0].savedName;
    return files[0].result;
}

SaveResult replaceInFolder(const QString& folder, const QString& name, const QByteArray& content)
{
    const QByteArray dir = pathBytes(folder);
    const QByteArray target = dir + pathBytes(name);
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0) {
        // A link would carry the card to wherever it points; a folder or a
        // FIFO is no card.
        if (!S_ISREG(st.st_mode))
            return SaveResult::Failed;
        if (markedReadOnly(st))
            return SaveResult::WriteProtected;
    }
    if (folderRefusal(dir) != SaveResult::Ok)
        return SaveResult::WriteProtected;
    Temporary temp;
    if (const SaveResult written = temp.write(dir, content, true); written != SaveResult::Ok)
        return written;
    // rename() replaces the name itself: had a link taken the file's place
    // since the check, the link goes, not what it points to.
    if (::rename(temp.path().constData(), target.constData()) != 0)
        return resultOf(errno);
    temp.renamedAway();
    syncFolder(dir);
    return SaveResult::Ok;
}

// Another desk changes a card by renaming a complete new file over its name
// and deletes it by unlinking the name. Between reading the card and writing
// it back, either may have happened; the card is replaced only while its file
// holds what this desk read.
//
// Where the file system can swap two names in one step (renameat2 with
// RENAME_EXCHANGE: ext4, XFS, Btrfs, tmpfs), the new file is swapped with the
// old one: a name that is gone makes the swap fail (never re-creating the
// card), and the file swapped out is compared once more, now under our own
// private name where no desk can touch it. Had another desk slipped in
// between, the swap is undone and the change refused. Network disks (NFS,
// SMB) cannot swap: there the comparison is followed at once by a rename,
// which leaves a window of a few system calls.
GuardedResult replaceIfUnchanged(const QString& folder, const QString& name, const QByteArray& content,
                                 const QByteArray& expected)
{
    const QByteArray dir = pathBytes(folder);
    const QByteArray target = dir + pathBytes(name);
    struct stat st {};
    if (::lstat(target.constData(), &st) != 0)
        return guardedOfErrno(errno);
    if (!S_ISREG(st.st_mode))
        return GuardedResult::Failed;
    if (markedReadOnly(st) || folderRefusal(dir) != SaveResult::Ok)
        return GuardedResult::WriteProtected;
    // Refused early when already changed, before anything is written.
    if (const GuardedResult now = compareWith(target, expected); now != GuardedResult::Ok)
        return now;
    Temporary temp;
    if (const SaveResult written = temp.write(dir, content, true); written != SaveResult::Ok)
        return guardedOf(written);

    if (const GuardedResult now = compareWith(target, expected); now != GuardedResult::Ok)
        return now;
    if (::renameat2(AT_FDCWD, temp.path().constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0) {
        // The old file now bears the temporary name, which `temp` removes.
        if (compareWith(temp.path(), expected) != GuardedResult::Ok) {
            ::renameat2(AT_FDCWD, temp.path().constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE);
            return GuardedResult::Changed;
        }
        syncFolder(dir);
        return GuardedResult::Ok;
    }
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return guardedOfErrno(error);
    if (::rename(temp.path().constData(), target.constData()) != 0)
        return guardedOfErrno(errno);
    temp.renamedAway();
    syncFolder(dir);
    return GuardedResult::Ok;
}

GuardedResult createIfAbsent(const QString& folder, const QString& name, const QByteArray& content)
{
    const QByteArray dir = pathBytes(folder);
    const QByteArray target = dir + pathBytes(name);
    if (folderRefusal(dir) != SaveResult::Ok)
        return GuardedResult::WriteProtected;
    Temporary temp;
    if (const SaveResult written = temp.write(dir, content, true); written != SaveResult::Ok)
        return guardedOf(written);
    for (;;) {
        if (::link(temp.path().constData(), target.constData()) == 0)
            break;
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error == EEXIST)
            return temp.isSameFile(target) ? GuardedResult::Ok : GuardedResult::Changed;
        if (!linkUnsupported(error))
            return guardedOfErrno(error);
        // A disk without hard links: a rename that never replaces.
        if (::renameat2(AT_FDCWD, temp.path().constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0)
            return errno == EEXIST ? GuardedResult::Changed : guardedOfErrno(errno);
        temp.renamedAway();
        break;
    }
    syncFolder(dir);
    return GuardedResult::Ok;
}

GuardedResult removeIfUnchanged(const QString& folder, const QString& name, const QByteArray& expected)
{
    const QByteArray dir = pathBytes(folder);
    const QByteArray target = dir + pathBytes(name);
    struct stat compared {};
    if (const GuardedResult now = compareWith(target, expected, &compared); now != GuardedResult::Ok)
        return now;
    // A change by another desk is a new file under the name: the name must
    // still lead to the file whose bytes were compared.
    struct stat st {};
    if (::lstat(target.constData(), &st) != 0)
        return guardedOfErrno(errno);
    if (st.st_dev != compared.st_dev || st.st_ino != compared.st_ino)
        return GuardedResult::Changed;
    if (::unlink(target.constData()) != 0)
        return guardedOfErrno(errno);
    syncFolder(dir);
    return GuardedResult::Ok;
}

bool syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

int openPlainFile(const QByteArray& path, bool followLinks, struct stat& st)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    // A plain file is read in full whether or not the descriptor blocks.
    return fd;
}

}  // namespace textfile
