#include "engines/Backup.h"

#include "engines/BackupManifest.h"
#include "engines/Consent.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/MediaHtml.h"
#include "engines/PageFiles.h"
#include "engines/PersonFile.h"
#include "engines/Picture.h"
#include "engines/TestFile.h"
#include "ground/App.h"
#include "ground/FolderWrite.h"
#include "ground/HeadlessPlatform.h"
#include "ground/Kartochka.h"
#include "ground/TextFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <optional>
#include <cerrno>
#include <climits>
#include <clocale>
#include <locale.h>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace backup {
namespace {

// Files are copied in blocks of this size; a file up to the test file's bound
// is read whole, so that a test or card is parsed from the very bytes stored.
constexpr qsizetype kBlockBytes = qsizetype(1) << 20;
constexpr qsizetype kWholeFileBytes = textfile::kMaxTestBytes;
// Files below this size are stored as they are: deflate saves them a few
// bytes and costs more than their copy (a folder holds tens of thousands of
// such cards). Pictures and clips are packed already and are stored too.
constexpr qint64 kDeflateFromBytes = 4096;
// The progress callback hears of the work at least this often.
constexpr qint64 kProgressMs = 50;
constexpr qint64 kProgressBytes = qint64(4) << 20;
// Where photos whose place outside the folder is taken go in a restored folder.
const QString kRestoredPhotos = QStringLiteral("Фото из копии");

QString shownPath(const QByteArray& path)
{
    return textfile::readableName(textfile::nameFromBytes(path));
}

// An entry name from an archive as a message may show it: no control
// characters, not longer than a line.
QString shownEntry(const char* name)
{
    QString text = name ? QString::fromUtf8(name) : QStringLiteral("?");
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QLatin1Char('?');
    }
    return textfile::shownText(text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool isTestName(const QByteArray& name)
{
    return name.size() > 4 && name.right(4).toLower() == ".tnd";
}

bool isCardName(const QByteArray& name)
{
    const QByteArray tail = name.right(4).toLower();
    return name.size() > 4 && (tail == ".tnm" || tail == ".tnw");
}

// Places the archive keeps for itself and the store's hidden folder: a file
// of the folder there goes under kExternalFolder.
bool reservedEntry(const QByteArray& path)
{
    return path == kManifestEntry || path.startsWith(kExternalFolder) ||
           path.startsWith(textfile::pathBytes(store::kHiddenFolder) + '/');
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    void reset(int fd)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(std::min<qint64>(size, qint64(1) << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The absolute form of a path as the user gave it, "." and ".." taken out,
// without a separator at the end.
QString absoluteClean(const QString& path)
{
    QString clean = QDir::cleanPath(QDir(path).absolutePath());
    while (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    return clean;
}

// The process's file mode mask, which new folders are made with.
mode_t currentUmask()
{
    static const mode_t mask = [] {
        const mode_t old = ::umask(022);
        ::umask(old);
        return old;
    }();
    return mask;
}

// Tells the caller of the work now and then; remembers a cancel.
class Meter {
public:
    explicit Meter(const Progress& progress) : progress_(progress) { timer_.start(); }
    qint64 done = 0;
    qint64 total = 0;

    bool tick(bool now = false)
    {
        if (cancelled_)
            return false;
        if (!progress_)
            return true;
        if (!now && timer_.elapsed() < kProgressMs && done - lastDone_ < kProgressBytes)
            return true;
        timer_.restart();
        lastDone_ = done;
        cancelled_ = !progress_(done, std::max(total, done));
        return !cancelled_;
    }
    bool cancelled() const { return cancelled_; }

private:
    const Progress& progress_;
    QElapsedTimer timer_;
    qint64 lastDone_ = 0;
    bool cancelled_ = false;
};

// libarchive converts entry names through the locale's character set: the
// program's names are UTF-8 whatever locale the caller runs in (a command
// line tool under the "C" locale, say), for this thread and this work only.
class Utf8Locale {
public:
    Utf8Locale()
    {
        utf8_ = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        if (utf8_ == locale_t(nullptr))
            utf8_ = ::newlocale(LC_CTYPE_MASK, "en_US.UTF-8", nullptr);
        if (utf8_ != locale_t(nullptr))
            previous_ = ::uselocale(utf8_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;
    ~Utf8Locale()
    {
        if (utf8_ != locale_t(nullptr)) {
            ::uselocale(previous_);
            ::freelocale(utf8_);
        }
    }

private:
    locale_t utf8_ = locale_t(nullptr);
    locale_t previous_ = locale_t(nullptr);
};

Report failed(const QString& message)
{
    Report r;
    r.outcome = Outcome::Failed;
    r.message = message;
    return r;
}

// What the archive's central directory says of each entry's type, read
// before libarchive is asked: it reads a FIFO, a socket or a device of
// another kind as a plain file. A reason to refuse the archive, or nothing
// (a directory that cannot be read is left to libarchive to judge).
constexpr qint64 kMaxDirectoryBytes = qint64(256) << 20;

std::optional<QString> entryTypeRefusal(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 22)
        return std::nullopt;
    auto readAt = [fd](qint64 at, qint64 size) {
        QByteArray bytes(size, Qt::Uninitialized);
        qint64 got = 0;
        while (got < size) {
            const ssize_t n = ::pread(fd, bytes.data() + got, static_cast<size_t>(size - got), at + got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        return bytes;
    };
    auto u16 = [](const QByteArray& b, qsizetype i) { return quint32(quint8(b[i])) | quint32(quint8(b[i + 1])) << 8; };
    auto u32 = [&u16](const QByteArray& b, qsizetype i) { return u16(b, i) | u16(b, i + 2) << 16; };
    auto u64 = [&u32](const QByteArray& b, qsizetype i) { return quint64(u32(b, i)) | quint64(u32(b, i + 4)) << 32; };
    const qint64 tailSize = std::min<qint64>(st.st_size, 22 + 65535);
    const QByteArray tail = readAt(st.st_size - tailSize, tailSize);
    const qsizetype end = tail.lastIndexOf("PK\x05\x06");
    if (end < 0 || end + 22 > tail.size())
        return std::nullopt;
    quint64 count = u16(tail, end + 10);
    quint64 size = u32(tail, end + 12);
    quint64 offset = u32(tail, end + 16);
    if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
        if (end < 20 || tail.mid(end - 20, 4) != "PK\x06\x07")
            return std::nullopt;
        const QByteArray record = readAt(qint64(u64(tail, end - 20 + 8)), 56);
        if (record.size() < 56 || !record.startsWith("PK\x06\x06"))
            return std::nullopt;
        count = u64(record, 32);
        size = u64(record, 40);
        offset = u64(record, 48);
    }
    if (size > quint64(kMaxDirectoryBytes) || offset + size > quint64(st.st_size))
        return std::nullopt;
    const QByteArray dir = readAt(qint64(offset), qint64(size));
    qsizetype at = 0;
    for (quint64 i = 0; i < count && at + 46 <= dir.size() && dir.mid(at, 4) == "PK\x01\x02"; ++i) {
        const quint32 madeBy = u16(dir, at + 4) >> 8;
        const quint32 nameSize = u16(dir, at + 28);
        const quint32 attributes = u32(dir, at + 38);
        const QByteArray name = dir.mid(at + 46, nameSize);
        const quint32 type = madeBy == 3 ? (attributes >> 16) & 0170000 : 0;
        if (type == 0120000)
            return QStringLiteral("запись ") + quoted(shownEntry(name.constData())) +
                   QStringLiteral(" — символическая ссылка.");
        if ((type != 0 && type != 0100000) || (madeBy == 0 && (attributes & 0x10) != 0))
            return QStringLiteral("запись ") + quoted(shownEntry(name.constData())) +
                   QStringLiteral(" — не обычный файл (папка, устройство или канал).");
        at += 46 + nameSize + u16(dir, at + 30) + u16(dir, at + 32);
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- backup --

// A killed backup leaves its temporary archive: a day later no backup is
// still writing it.
constexpr qint64 kStaleTemporarySeconds = 24 * 3600;

void removeStaleTemporaries(const QByteArray& folder, const QByteArray& prefix)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const time_t now = time(nullptr);
    while (const dirent* d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        // The prefix, six characters of mkostemps, ".tmp".
        if (name.size() != prefix.size() + 10 || !name.startsWith(prefix) || !name.endsWith(".tmp"))
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime > kStaleTemporarySeconds)
            ::unlinkat(::dirfd(dir), d->d_name, 0);
    }
    ::closedir(dir);
}

// The archive under its temporary name: every byte written is also hashed,
// so that the journal names the archive by its SHA-256 without reading it
// again.
struct ArchiveSink {
    int fd = -1;
    QCryptographicHash hash{QCryptographicHash::Sha256};

    static la_ssize_t write(struct archive*, void* self, const void* buffer, size_t length)
    {
        auto* sink = static_cast<ArchiveSink*>(self);
        const auto* data = static_cast<const char*>(buffer);
        if (!writeAll(sink->fd, data, static_cast<qint64>(length)))
            return -1;
        sink->hash.addData(QByteArrayView(data, static_cast<qsizetype>(length)));
        return static_cast<la_ssize_t>(length);
    }
};

class BackupRun {
public:
    explicit BackupRun(const Progress& progress) : meter_(progress) {}
    ~BackupRun()
    {
        if (a_)
            archive_write_free(a_);
        if (!temp_.isEmpty())
            ::unlink(temp_.constData());
    }
    Report run(const QString& testFolder, const QString& archivePath);

private:
    enum class Added { Ok, NotThere, Failed };
    Added addFile(const QByteArray& path, const QByteArray& entry, const QByteArray& original, bool followLinks,
                  bool compress, QByteArray* content);
    bool addBytes(const QByteArray& entry, const QByteArray& bytes, bool compress);
    bool header(const QByteArray& entry, qint64 size, bool compress, time_t mtime);
    bool data(const char* bytes, qsizetype size);
    bool addNamed(const QString& name);
    QByteArray externalEntry(const QByteArray& original);
    void namesOfTest(const QByteArray& content);
    void photoOfCard(const QByteArray& content, const QString& fileName);
    bool verify(int fd, const QByteArray& manifestBytes);
    Report stop();

    Meter meter_;
    struct archive* a_ = nullptr;
    QByteArray temp_;  // the temporary archive, removed unless renamed into place
    QString folder_;   // with its separator
    Manifest manifest_;
    QSet<QByteArray> places_;  // the relative and absolute paths already in the archive
    int externals_ = 0;
    QStringList named_;  // what the tests and cards name, in order, once each
    QSet<QString> namedSeen_;
    QStringList leftOut_;
    QString error_;
    HeadlessPlatform platform_;
};

bool BackupRun::header(const QByteArray& entry, qint64 size, bool compress, time_t mtime)
{
    if (compress && size >= kDeflateFromBytes)
        archive_write_zip_set_compression_deflate(a_);
    else
        archive_write_zip_set_compression_store(a_);
    struct archive_entry* e = archive_entry_new();
    archive_entry_set_pathname_utf8(e, entry.constData());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, size);
    archive_entry_set_mtime(e, mtime, 0);
    const int r = archive_write_header(a_, e);
    archive_entry_free(e);
    return r >= ARCHIVE_WARN;
}

bool BackupRun::data(const char* bytes, qsizetype size)
{
    while (size > 0) {
        const la_ssize_t n = archive_write_data(a_, bytes, static_cast<size_t>(std::min(size, kBlockBytes)));
        if (n <= 0)
            return false;
        bytes += n;
        size -= n;
        meter_.done += n;
        if (!meter_.tick())
            return false;
    }
    return true;
}

bool BackupRun::addBytes(const QByteArray& entry, const QByteArray& bytes, bool compress)
{
    if (!header(entry, bytes.size(), compress, time(nullptr)) || !data(bytes.constData(), bytes.size()) ||
        archive_write_finish_entry(a_) < ARCHIVE_WARN)
        return false;
    manifest_.files.append({entry, bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), {}});
    places_.insert(entry);
    return true;
}

BackupRun::Added BackupRun::addFile(const QByteArray& path, const QByteArray& entry, const QByteArray& original,
                                    bool followLinks, bool compress, QByteArray* content)
{
    struct stat st {};
    Fd fd(textfile::openPlainFile(path, followLinks, st));
    if (fd.get() < 0)
        return Added::NotThere;
    auto changed = [&path] {
        return QStringLiteral("Файл ") + quoted(shownPath(path)) +
               QStringLiteral(" изменился во время копирования; повторите резервное копирование.");
    };
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 size = 0;
    if (st.st_size <= kWholeFileBytes) {
        // Read whole through this one descriptor: a card another desk saves
        // meanwhile is renamed into place, and this descriptor keeps the
        // old file whole. Room for the size the file has, and one byte to
        // see it grow.
        QByteArray bytes;
        bool read = textfile::readUpTo(fd.get(), bytes, qsizetype(st.st_size) + 1);
        if (read && bytes.size() > st.st_size)
            read = textfile::readUpTo(fd.get(), bytes, kWholeFileBytes + 1);
        if (!read) {
            error_ = QStringLiteral("Файл ") + quoted(shownPath(path)) + QStringLiteral(" прочитать не удалось.");
            return Added::Failed;
        }
        if (bytes.size() > kWholeFileBytes) {
            error_ = changed();
            return Added::Failed;
        }
        meter_.total += 2 * (bytes.size() - st.st_size);
        if (!header(entry, bytes.size(), compress, st.st_mtime) || !data(bytes.constData(), bytes.size()))
            return Added::Failed;
        hash.addData(bytes);
        size = bytes.size();
        if (content)
            *content = std::move(bytes);
    } else {
        // Too large to hold: copied block by block, as many bytes as the
        // file had when opened.
        if (st.st_size > kMaxFileBytes) {
            error_ = QStringLiteral("Файл ") + quoted(shownPath(path)) +
                     QStringLiteral(" слишком велик для резервной копии.");
            return Added::Failed;
        }
        if (!header(entry, st.st_size, compress, st.st_mtime))
            return Added::Failed;
        QByteArray block(kBlockBytes, Qt::Uninitialized);
        while (size < st.st_size) {
            const ssize_t n = ::read(fd.get(), block.data(),
                                     static_cast<size_t>(std::min<qint64>(kBlockBytes, st.st_size - size)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error_ = n == 0 ? changed()
                                : QStringLiteral("Файл ") + quoted(shownPath(path)) +
                                      QStringLiteral(" прочитать не удалось.");
                return Added::Failed;
            }
            hash.addData(QByteArrayView(block.constData(), n));
            if (!data(block.constData(), n))
                return Added::Failed;
            size += n;
        }
    }
    if (archive_write_finish_entry(a_) < ARCHIVE_WARN)
        return Added::Failed;
    manifest_.files.append({entry, size, hash.result().toHex(), original});
    places_.insert(original.isEmpty() ? entry : original);
    return Added::Ok;
}

QByteArray BackupRun::externalEntry(const QByteArray& original)
{
    // The archive's names are UTF-8 for every desk: a name that is not keeps
    // its bytes in the manifest and shows here as the program shows it.
    QString name = shownPath(baseOf(original));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    name.replace(QLatin1Char(':'), QLatin1Char('_'));
    while (name.toUtf8().size() > 200)
        name.chop(1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("file");
    return kExternalFolder + QByteArray::number(++externals_) + '/' + name.toUtf8();
}

void BackupRun::namesOfTest(const QByteArray& content)
{
    textfile::Lines lines(textfile::splitLines(content));
    if (lines.next() != kTestMarker)
        return;
    App app(platform_);
    lines.next();  // name
    lines.next();  // seed
    lines.next();  // password
    const int count = PlausibleQuestionCount(lines.nextNumber().value_or(0), lines);
    app.st.test.Questions.resizeFresh(count);
    ReadQuestions(app, lines, 1, count);
    for (int q = 1; q <= count; ++q) {
        const clsTest& question = app.st.test.Questions[q];
        QStringList texts{question.Vopros};
        for (int i = 0; i <= question.CountOtvetov; ++i)
            texts << question.ListOtvety(i);
        for (const QString& text : texts) {
            for (const QString& name : media::NamedFiles(text)) {
                if (!namedSeen_.contains(name)) {
                    namedSeen_.insert(name);
                    named_ << name;
                }
            }
        }
    }
}

void BackupRun::photoOfCard(const QByteArray& content, const QString& fileName)
{
    // Most cards of a large folder have no details: their lines are not
    // taken apart at all.
    qsizetype at = 0;
    for (int line = 0; line < 3; ++line) {
        const qsizetype lineEnd = content.indexOf('\n', at);
        if (lineEnd < 0)
            return;
        at = lineEnd + 1;
    }
    const qsizetype end = content.indexOf('\n', at);
    QByteArrayView flag = QByteArrayView(content).sliced(at, (end < 0 ? content.size() : end) - at);
    if (flag.endsWith('\r'))
        flag.chop(1);
    if (textfile::parseNumber(flag) != 1)
        return;
    textfile::Lines lines(textfile::splitLines(content));
    if (lines.next() != kCardMarker)
        return;
    const Kartochka card = KartochkaFromLines(lines, fileName);
    const QString& photo = card.Podrobnosti[8];
    if (card.Podrobnee == 1 && !photo.trimmed().isEmpty() && !namedSeen_.contains(photo)) {
        namedSeen_.insert(photo);
        named_ << photo;
    }
}

bool BackupRun::addNamed(const QString& name)
{
    const QString path = QDir::cleanPath(PageFilePath(folder_, name));
    const QByteArray bytes = textfile::pathBytes(path);
    QByteArray entry;
    QByteArray original;
    if (path.startsWith(folder_)) {
        const QByteArray relative = bytes.mid(textfile::pathBytes(folder_).size());
        // The store's own files come from the store.
        if (relative.startsWith(textfile::pathBytes(store::kHiddenFolder) + '/') || places_.contains(relative))
            return true;
        if (SafeRelativePath(relative, true) && !reservedEntry(relative)) {
            entry = relative;
        } else {
            entry = externalEntry(relative);
            original = relative;
        }
    } else {
        if (places_.contains(bytes))
            return true;
        entry = externalEntry(bytes);
        original = bytes;
    }
    // Never the kernel's files, whatever a card names.
    char real[PATH_MAX];
    if (!::realpath(bytes.constData(), real) || std::strncmp(real, "/proc/", 6) == 0 ||
        std::strncmp(real, "/sys/", 5) == 0 || std::strncmp(real, "/dev/", 5) == 0) {
        leftOut_ << textfile::readableName(name);
        return true;
    }
    struct stat st {};
    if (::stat(bytes.constData(), &st) == 0)
        meter_.total += 2 * st.st_size;
    switch (addFile(bytes, entry, original, true, false, nullptr)) {
    case Added::Ok:
        return true;
    case Added::NotThere:
        leftOut_ << textfile::readableName(name);
        return true;
    case Added::Failed:
        break;
    }
    return false;
}

bool BackupRun::verify(int fd, const QByteArray& manifestBytes)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    QHash<QByteArray, qsizetype> index;
    index.reserve(manifest_.files.size());
    for (qsizetype i = 0; i < manifest_.files.size(); ++i)
        index.insert(manifest_.files[i].entry, i);
    QList<bool> seen(manifest_.files.size(), false);
    bool manifestSeen = false;
    struct archive* r = archive_read_new();
    archive_read_support_format_zip(r);
    bool ok = archive_read_open_fd(r, fd, 1 << 16) == ARCHIVE_OK;
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    struct archive_entry* e = nullptr;
    while (ok) {
        const int h = archive_read_next_header(r, &e);
        if (h == ARCHIVE_EOF)
            break;
        const char* name = h >= ARCHIVE_WARN ? archive_entry_pathname_utf8(e) : nullptr;
        if (!name) {
            ok = false;
            break;
        }
        const QByteArray entry(name);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QByteArray whole;
        qint64 size = 0;
        const bool isManifest = entry == kManifestEntry;
        while (true) {
            const la_ssize_t n = archive_read_data(r, block.data(), static_cast<size_t>(block.size()));
            if (n == 0)
                break;
            if (n < 0) {
                ok = false;
                break;
            }
            size += n;
            if (isManifest) {
                whole.append(block.constData(), n);
            } else {
                hash.addData(QByteArrayView(block.constData(), n));
                meter_.done += n;
                if (!meter_.tick()) {
                    ok = false;
                    break;
                }
            }
        }
        if (!ok)
            break;
        if (isManifest) {
            ok = !manifestSeen && whole == manifestBytes;
            manifestSeen = true;
            continue;
        }
        const auto at = index.constFind(entry);
        ok = at != index.constEnd() && !seen[*at] && manifest_.files[*at].size == size &&
             manifest_.files[*at].sha256 == hash.result().toHex();
        if (ok)
            seen[*at] = true;
    }
    archive_read_free(r);
    return ok && manifestSeen && !seen.contains(false);
}

Report BackupRun::stop()
{
    if (meter_.cancelled()) {
        Report r;
        r.outcome = Outcome::Cancelled;
        r.message = QStringLiteral("Резервное копирование отменено.");
        return r;
    }
    if (error_.isEmpty() && a_ && archive_errno(a_) != 0)
        error_ = QStringLiteral("Резервную копию записать не удалось: ") +
                 QString::fromLocal8Bit(std::strerror(archive_errno(a_))) + QLatin1Char('.');
    return failed(error_.isEmpty() ? QStringLiteral("Резервную копию записать не удалось.") : error_);
}

Report BackupRun::run(const QString& testFolder, const QString& archivePath)
{
    folder_ = absoluteClean(testFolder);
    if (folder_ != QLatin1String("/"))
        folder_ += QLatin1Char('/');
    const QByteArray folderBytes = textfile::pathBytes(folder_);
    const QString archiveClean = absoluteClean(archivePath);
    const QByteArray archiveBytes = textfile::pathBytes(archiveClean);
    struct stat st {};
    if (::stat(folderBytes.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return failed(QStringLiteral("Папка ") + quoted(textfile::readableName(folder_)) +
                      QStringLiteral(" не найдена."));
    const QByteArray archiveFolder = parentOf(archiveBytes);
    char realFolder[PATH_MAX];
    char realArchiveFolder[PATH_MAX];
    if (!::realpath(archiveFolder.constData(), realArchiveFolder))
        return failed(QStringLiteral("Папка ") + quoted(shownPath(archiveFolder)) + QStringLiteral(" не найдена."));
    if (!::realpath(folderBytes.constData(), realFolder))
        return failed(QStringLiteral("Папка ") + quoted(textfile::readableName(folder_)) +
                      QStringLiteral(" не найдена."));
    const QByteArray inside = QByteArray(realFolder) + (std::strcmp(realFolder, "/") == 0 ? "" : "/");
    if ((QByteArray(realArchiveFolder) + '/').startsWith(inside))
        return failed(QStringLiteral("Резервную копию нельзя сохранять в папку теста: выберите другую папку."));

    // The folder's tests and person files, tests first; then the consent
    // texts and the acts of destruction, which the agency must keep too.
    QList<QByteArray> tests;
    QList<QByteArray> cards;
    QList<QByteArray> papers;
    const QByteArray consentSuffix = textfile::pathBytes(consent::kTextSuffix);
    if (DIR* dir = ::opendir(folderBytes.constData())) {
        while (const dirent* d = ::readdir(dir)) {
            const QByteArray name(d->d_name);
            if (d->d_type == DT_DIR || textfile::isTemporaryName(name))
                continue;
            if (isTestName(name))
                tests << name;
            else if (isCardName(name))
                cards << name;
            else if (name.size() > consentSuffix.size() && name.endsWith(consentSuffix))
                papers << name;
            else
                continue;
            struct stat fst {};
            if (::fstatat(::dirfd(dir), d->d_name, &fst, AT_SYMLINK_NOFOLLOW) == 0)
                meter_.total += 2 * fst.st_size;
        }
        ::closedir(dir);
    } else {
        return failed(QStringLiteral("Папку ") + quoted(textfile::readableName(folder_)) +
                      QStringLiteral(" прочитать не удалось."));
    }
    const QByteArray acts = textfile::pathBytes(erasure::kActsFolder) + '/';
    if (DIR* dir = ::opendir((folderBytes + acts).constData())) {
        while (const dirent* d = ::readdir(dir)) {
            const QByteArray name(d->d_name);
            struct stat fst {};
            if (textfile::isTemporaryName(name) || ::fstatat(::dirfd(dir), d->d_name, &fst, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISREG(fst.st_mode))
                continue;
            papers << acts + name;
            meter_.total += 2 * fst.st_size;
        }
        ::closedir(dir);
    }
    std::sort(tests.begin(), tests.end());
    std::sort(cards.begin(), cards.end());
    std::sort(papers.begin(), papers.end());

    // Under a name that does not end like an archive, next to the target;
    // what killed backups of this target left a day ago and more goes.
    const QByteArray tempPrefix = "." + baseOf(archiveBytes) + ".";
    removeStaleTemporaries(archiveFolder, tempPrefix);
    QByteArray temp = archiveFolder + "/" + tempPrefix + "XXXXXX.tmp";
    const int tempFd = ::mkostemps(temp.data(), 4, O_CLOEXEC);
    if (tempFd < 0)
        return failed(QStringLiteral("Файл ") + quoted(archiveClean) + QStringLiteral(" сохранить не возможно."));
    temp_ = temp;
    Fd fd(tempFd);
    ::fchmod(fd.get(), 0644);
    ArchiveSink sink;
    sink.fd = fd.get();
    a_ = archive_write_new();
    archive_write_set_format_zip(a_);
    archive_write_set_options(a_, "zip:hdrcharset=UTF-8");
    archive_write_set_bytes_per_block(a_, 1 << 16);
    archive_write_set_bytes_in_last_block(a_, 1);
    if (archive_write_open(a_, &sink, nullptr, &ArchiveSink::write, nullptr) != ARCHIVE_OK)
        return stop();

    manifest_.folder = folderBytes;
    if (!meter_.tick(true))
        return stop();
    for (const QList<QByteArray>* names : {&tests, &cards, &papers}) {
        const bool isTests = names == &tests;
        const bool isCards = names == &cards;
        for (const QByteArray& name : *names) {
            const bool own = SafeRelativePath(name, true) && !reservedEntry(name);
            QByteArray content;
            switch (addFile(folderBytes + name, own ? name : externalEntry(name), own ? QByteArray() : name, false,
                            true, &content)) {
            case Added::Ok:
                break;
            case Added::NotThere:  // deleted meanwhile, or not a plain file
                continue;
            case Added::Failed:
                return stop();
            }
            if (isTests)
                namesOfTest(content);
            else if (isCards)
                photoOfCard(content, textfile::nameFromBytes(name));
            if (!meter_.tick())
                return stop();
        }
    }
    for (const QString& name : std::as_const(named_)) {
        if (!addNamed(name) || !meter_.tick())
            return stop();
    }
    const auto store = store::Open(folder_);
    for (const QString& path : store->storedFiles()) {
        const QByteArray entry = textfile::pathBytes(path);
        const auto bytes = store->readStoredFile(path);
        if (!bytes || !SafeRelativePath(entry, true) || places_.contains(entry))
            continue;
        meter_.total += 2 * bytes->size();
        if (!addBytes(entry, *bytes, true))
            return stop();
    }
    if (manifest_.files.size() > kMaxManifestFiles) {
        error_ = QStringLiteral("В папке слишком много файлов для одной резервной копии.");
        return stop();
    }
    qint64 total = 0;
    for (const ManifestFile& f : std::as_const(manifest_.files))
        total += f.size;
    if (total > kMaxTotalBytes) {
        error_ = QStringLiteral("Папка слишком велика для одной резервной копии.");
        return stop();
    }
    const QByteArray manifestBytes = EncodeManifest(manifest_);
    if (!header(kManifestEntry, manifestBytes.size(), true, time(nullptr)) ||
        archive_write_data(a_, manifestBytes.constData(), static_cast<size_t>(manifestBytes.size())) !=
            manifestBytes.size() ||
        archive_write_finish_entry(a_) < ARCHIVE_WARN || archive_write_close(a_) != ARCHIVE_OK)
        return stop();
    archive_write_free(a_);
    a_ = nullptr;

    if (!verify(fd.get(), manifestBytes)) {
        if (!meter_.cancelled())
            error_ = QStringLiteral("Резервная копия не прошла проверку: архив не совпадает с описью файлов. "
                                    "Проверьте диск и повторите.");
        return stop();
    }
    if (::fsync(fd.get()) != 0 || !fd.close()) {
        error_ = QStringLiteral("Файл ") + quoted(archiveClean) + QStringLiteral(" сохранить не возможно.");
        return stop();
    }
    if (!meter_.tick(true))
        return stop();
    if (::rename(temp_.constData(), archiveBytes.constData()) != 0) {
        error_ = QStringLiteral("Файл ") + quoted(archiveClean) + QStringLiteral(" сохранить не возможно.");
        return stop();
    }
    temp_.clear();
    textfile::syncFolder(archiveFolder);

    Report report;
    report.outcome = Outcome::Ok;
    report.files = manifest_.files.size();
    report.bytes = total;
    report.leftOut = leftOut_;
    if (!leftOut_.isEmpty())
        report.notice = QStringLiteral("Не найдены и в копию не вошли: ") + leftOut_.join(QStringLiteral(", ")) +
                        QLatin1Char('.');
    journal::Record record = journal::Make(QDateTime::currentDateTime(), journal::kBackup, archiveClean,
                                           std::nullopt, std::nullopt);
    record.after = sink.hash.result().toHex();
    if (!journal::Append(folder_, {record})) {
        if (!report.notice.isEmpty())
            report.notice += QLatin1Char(' ');
        report.notice += QStringLiteral("Запись о копии в журнал папки сделать не удалось.");
    }
    return report;
}


// --------------------------------------------------------------- restore --

class RestoreRun {
public:
    explicit RestoreRun(const Progress& progress) : meter_(progress) {}
    ~RestoreRun() { cleanUp(); }
    Report run(const QString& archivePath, const QString& targetFolder);

private:
    struct archive* openArchive();
    bool listEntries();
    bool extract();
    bool extractOne(struct archive* a, struct archive_entry* e, const ManifestFile& file);
    bool makeFolders(const QByteArray& relative);
    void placeExternals();
    void rewriteCards();
    bool refuse(const QString& why);
    bool damaged(const QString& why);
    Report stop();
    void cleanUp();

    Meter meter_;
    QString archiveShown_;
    QByteArray archiveBytes_;
    int archiveFd_ = -1;
    QByteArray target_;
    QString targetShown_;
    QByteArray staging_;   // the folder being filled, renamed into place at the end
    QByteArray outside_;   // the photos from outside the folder until they are placed
    Manifest manifest_;
    QHash<QByteArray, qsizetype> index_;  // entry -> manifest file
    QSet<QByteArray> madeFolders_;
    QList<QPair<QByteArray, QByteArray>> stored_;  // the store's files: path, bytes
    QList<QByteArray> placed_;                     // photos put back outside
    QHash<QByteArray, QString> relocated_;         // original path -> place in the folder
    QList<journal::Record> records_;
    QByteArray block_;  // one buffer for every file extracted
    QString error_;
};

bool RestoreRun::refuse(const QString& why)
{
    error_ = QStringLiteral("Архив ") + quoted(archiveShown_) + QStringLiteral(" отклонён: ") + why;
    return false;
}

bool RestoreRun::damaged(const QString& why)
{
    error_ = QStringLiteral("Архив ") + quoted(archiveShown_) + QStringLiteral(" повреждён: ") + why;
    return false;
}

void RestoreRun::cleanUp()
{
    if (archiveFd_ >= 0)
        ::close(archiveFd_);
    archiveFd_ = -1;
    for (const QByteArray& path : {staging_, outside_}) {
        if (!path.isEmpty())
            QDir(textfile::nameFromBytes(path)).removeRecursively();
    }
    staging_.clear();
    outside_.clear();
    for (const QByteArray& path : std::as_const(placed_))
        ::unlink(path.constData());
    placed_.clear();
}

Report RestoreRun::stop()
{
    cleanUp();
    if (meter_.cancelled()) {
        Report r;
        r.outcome = Outcome::Cancelled;
        r.message = QStringLiteral("Восстановление отменено.");
        return r;
    }
    return failed(error_);
}

struct archive* RestoreRun::openArchive()
{
    if (::lseek(archiveFd_, 0, SEEK_SET) != 0)
        return nullptr;
    struct archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    if (archive_read_open_fd(a, archiveFd_, 1 << 16) != ARCHIVE_OK) {
        archive_read_free(a);
        return nullptr;
    }
    return a;
}

// The first pass: the entries as the archive lists them, and the manifest;
// nothing is written.
bool RestoreRun::listEntries()
{
    const QString notZip = QStringLiteral("Файл ") + quoted(archiveShown_) +
                           QStringLiteral(" не является резервной копией: это не ZIP-архив.");
    struct archive* a = openArchive();
    if (!a) {
        error_ = notZip;
        return false;
    }
    if (const auto why = entryTypeRefusal(archiveFd_)) {
        archive_read_free(a);
        return refuse(*why);
    }
    QHash<QByteArray, qint64> sizes;  // entry -> size as the archive states it (-1: not stated)
    std::optional<QByteArray> manifestBytes;
    bool ok = true;
    struct archive_entry* e = nullptr;
    while (ok) {
        const int h = archive_read_next_header(a, &e);
        if (h == ARCHIVE_EOF)
            break;
        if (h < ARCHIVE_WARN) {
            ok = sizes.isEmpty() && !manifestBytes ? (error_ = notZip, false)
                                                   : damaged(QStringLiteral("его оглавление не читается."));
            break;
        }
        const char* name = archive_entry_pathname_utf8(e);
        // Named in a message only: made when one is.
        const auto shownName = [name] { return quoted(shownEntry(name)); };
        if (!name) {
            ok = refuse(QStringLiteral("имя одной из записей не читается."));
        } else if (archive_entry_symlink(e) || archive_entry_filetype(e) == AE_IFLNK) {
            ok = refuse(QStringLiteral("запись ") + shownName() + QStringLiteral(" — символическая ссылка."));
        } else if (archive_entry_hardlink(e)) {
            ok = refuse(QStringLiteral("запись ") + shownName() + QStringLiteral(" — жёсткая ссылка."));
        } else if (archive_entry_filetype(e) != AE_IFREG) {
            ok = refuse(QStringLiteral("запись ") + shownName() +
                        QStringLiteral(" — не обычный файл (папка, устройство или канал)."));
        } else if (!SafeRelativePath(QByteArrayView(name), true)) {
            ok = refuse(QStringLiteral("запись ") + shownName() +
                        QStringLiteral(" указывает за пределы папки (\"..\", абсолютный путь или обратная косая черта)."));
        } else if (archive_entry_is_encrypted(e)) {
            ok = refuse(QStringLiteral("запись ") + shownName() + QStringLiteral(" зашифрована."));
        } else if (sizes.contains(name) || (manifestBytes && QByteArray(name) == kManifestEntry)) {
            ok = refuse(QStringLiteral("запись ") + shownName() + QStringLiteral(" встречается дважды."));
        } else if (sizes.size() >= kMaxManifestFiles) {
            ok = refuse(QStringLiteral("в нём больше ") + QString::number(kMaxManifestFiles) +
                        QStringLiteral(" файлов."));
        } else if (QByteArray(name) == kManifestEntry) {
            QByteArray bytes;
            char block[1 << 16];
            while (ok) {
                const la_ssize_t n = archive_read_data(a, block, sizeof block);
                if (n == 0)
                    break;
                if (n < 0 || bytes.size() + n > kMaxManifestBytes)
                    ok = n < 0 ? damaged(QStringLiteral("опись файлов не читается."))
                               : refuse(QStringLiteral("опись файлов слишком велика."));
                else
                    bytes.append(block, n);
            }
            manifestBytes = bytes;
        } else {
            sizes.insert(name, archive_entry_size_is_set(e) ? archive_entry_size(e) : -1);
        }
    }
    archive_read_free(a);
    if (!ok)
        return false;
    if (!manifestBytes) {
        error_ = QStringLiteral("Архив ") + quoted(archiveShown_) +
                 QStringLiteral(" не является резервной копией Тандемо: в нём нет описи файлов.");
        return false;
    }
    auto manifest = DecodeManifest(*manifestBytes);
    if (!manifest)
        return damaged(QStringLiteral("опись файлов не читается."));
    manifest_ = std::move(*manifest);
    for (qsizetype i = 0; i < manifest_.files.size(); ++i) {
        const ManifestFile& f = manifest_.files[i];
        index_.insert(f.entry, i);
        const auto size = sizes.constFind(f.entry);
        if (size == sizes.constEnd())
            return damaged(QStringLiteral("файла ") + quoted(QString::fromUtf8(f.entry)) +
                           QStringLiteral(" из описи в нём нет."));
        if (*size > f.size)
            return refuse(QStringLiteral("запись ") + quoted(QString::fromUtf8(f.entry)) +
                          QStringLiteral(" больше, чем указано в описи."));
        if (*size >= 0 && *size != f.size)
            return damaged(QStringLiteral("размер файла ") + quoted(QString::fromUtf8(f.entry)) +
                           QStringLiteral(" не совпадает с описью."));
        meter_.total += f.size;
    }
    for (auto it = sizes.constBegin(); it != sizes.constEnd(); ++it) {
        if (!index_.contains(it.key()))
            return refuse(QStringLiteral("записи ") + quoted(QString::fromUtf8(it.key())) +
                          QStringLiteral(" нет в описи файлов."));
    }
    return true;
}

bool RestoreRun::makeFolders(const QByteArray& relative)
{
    for (qsizetype slash = relative.indexOf('/'); slash > 0; slash = relative.indexOf('/', slash + 1)) {
        const QByteArray part = relative.left(slash);
        if (madeFolders_.contains(part))
            continue;
        const QByteArray path = staging_ + '/' + part;
        struct stat st {};
        if (::mkdir(path.constData(), 0777) != 0 && (errno != EEXIST || ::lstat(path.constData(), &st) != 0 ||
                                                     !S_ISDIR(st.st_mode)))
            return damaged(QStringLiteral("в описи файлов папка и файл с одним именем ") +
                           quoted(shownPath(part)) + QLatin1Char('.'));
        madeFolders_.insert(part);
    }
    return true;
}

bool RestoreRun::extractOne(struct archive* a, struct archive_entry* e, const ManifestFile& file)
{
    const auto shown = [&file] { return quoted(QString::fromUtf8(file.entry)); };
    const bool toStore = file.original.isEmpty() && file.entry.startsWith(textfile::pathBytes(store::kHiddenFolder) + '/');
    const bool outside = file.original.startsWith('/');
    Fd out;
    if (!toStore) {
        QByteArray path;
        if (outside) {
            path = outside_ + '/' + QByteArray::number(index_.value(file.entry));
        } else {
            const QByteArray& relative = file.original.isEmpty() ? file.entry : file.original;
            if (!makeFolders(relative))
                return false;
            path = staging_ + '/' + relative;
        }
        out.reset(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (out.get() < 0) {
            if (errno == EEXIST || errno == ENOTDIR || errno == EISDIR)
                return damaged(QStringLiteral("в описи файлов два файла на месте ") + shown() + QLatin1Char('.'));
            error_ = QStringLiteral("Файл ") + quoted(shownPath(path)) + QStringLiteral(" сохранить не возможно.");
            return false;
        }
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray kept;
    QByteArray& block = block_;
    if (block.isEmpty())
        block.resize(kBlockBytes);
    qint64 size = 0;
    while (true) {
        const la_ssize_t n = archive_read_data(a, block.data(), static_cast<size_t>(block.size()));
        if (n == 0)
            break;
        if (n < 0)
            return damaged(QStringLiteral("файл ") + shown() + QStringLiteral(" не читается."));
        // Every byte counted: no entry gives more than the manifest states,
        // whatever its header says.
        size += n;
        if (size > file.size)
            return refuse(QStringLiteral("запись ") + shown() + QStringLiteral(" больше, чем указано в описи."));
        hash.addData(QByteArrayView(block.constData(), n));
        if (toStore) {
            kept.append(block.constData(), n);
        } else if (!writeAll(out.get(), block.constData(), n)) {
            error_ = QStringLiteral("Папку ") + quoted(targetShown_) +
                     QStringLiteral(" заполнить не удалось: нет места на диске или нет доступа.");
            return false;
        }
        meter_.done += n;
        if (!meter_.tick())
            return false;
    }
    if (size != file.size || hash.result().toHex() != file.sha256)
        return damaged(QStringLiteral("файл ") + shown() + QStringLiteral(" не совпадает с описью."));
    if (toStore) {
        stored_.append({file.entry, kept});
        return true;
    }
    if (archive_entry_mtime_is_set(e)) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, {archive_entry_mtime(e), 0}};
        ::futimens(out.get(), times);
    }
    if (!out.close()) {
        error_ = QStringLiteral("Папку ") + quoted(targetShown_) + QStringLiteral(" заполнить не удалось.");
        return false;
    }
    return true;
}

// The second pass: every file into the staging folder, checked as it comes.
bool RestoreRun::extract()
{
    struct archive* a = openArchive();
    if (!a)
        return damaged(QStringLiteral("его оглавление не читается."));
    QList<bool> seen(manifest_.files.size(), false);
    bool ok = true;
    struct archive_entry* e = nullptr;
    while (ok) {
        const int h = archive_read_next_header(a, &e);
        if (h == ARCHIVE_EOF)
            break;
        const char* name = h >= ARCHIVE_WARN ? archive_entry_pathname_utf8(e) : nullptr;
        if (!name) {
            ok = damaged(QStringLiteral("его оглавление не читается."));
            break;
        }
        if (QByteArray(name) == kManifestEntry)
            continue;
        const auto at = index_.constFind(QByteArray(name));
        // The same list as in the first pass, or the archive changed under us.
        if (at == index_.constEnd() || seen[*at]) {
            ok = damaged(QStringLiteral("его оглавление изменилось во время восстановления."));
            break;
        }
        seen[*at] = true;
        ok = extractOne(a, e, manifest_.files[*at]) && meter_.tick();
    }
    archive_read_free(a);
    if (ok && seen.contains(false))
        ok = damaged(QStringLiteral("его оглавление изменилось во время восстановления."));
    return ok;
}

// An archive comes from anywhere: what it puts outside the folder is a
// picture or a clip by its content or format, and never in a hidden folder
// (a desk's settings and start-up files live there).
bool placeableOutside(const QByteArray& original, const QByteArray& staged)
{
    if (original.contains("/."))
        return false;
    return IsPictureFile(textfile::nameFromBytes(staged)) ||
           media::PlaysHere(textfile::nameFromBytes(baseOf(original)));
}

// Photos from outside the folder go back to their place when it is free,
// otherwise into the folder, kRestoredPhotos.
void RestoreRun::placeExternals()
{
    QSet<QByteArray> names;
    for (qsizetype i = 0; i < manifest_.files.size(); ++i) {
        const ManifestFile& f = manifest_.files[i];
        if (!f.original.startsWith('/'))
            continue;
        const QByteArray staged = outside_ + '/' + QByteArray::number(i);
        const QByteArray folder = parentOf(f.original);
        struct stat st {};
        bool placed = false;
        // A place inside the target would fill it before it takes its place.
        const bool inTarget = f.original.startsWith(target_ + '/');
        if (!inTarget && placeableOutside(f.original, staged) && ::lstat(f.original.constData(), &st) != 0 && errno == ENOENT &&
            QDir().mkpath(textfile::nameFromBytes(folder))) {
            // A copy next to the place, then a link that never replaces what
            // someone put there meanwhile.
            QByteArray temp = folder + "/.tandemo-restore-XXXXXX";
            Fd out(::mkostemp(temp.data(), O_CLOEXEC));
            Fd in(::open(staged.constData(), O_RDONLY | O_CLOEXEC));
            if (out.get() >= 0) {
                bool copied = in.get() >= 0;
                QByteArray block(kBlockBytes, Qt::Uninitialized);
                while (copied) {
                    const ssize_t n = ::read(in.get(), block.data(), static_cast<size_t>(block.size()));
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0) {
                        copied = n == 0;
                        break;
                    }
                    copied = writeAll(out.get(), block.constData(), n);
                }
                ::fchmod(out.get(), 0644);
                copied = copied && ::fsync(out.get()) == 0 && out.close();
                if (copied && ::link(temp.constData(), f.original.constData()) == 0) {
                    placed = true;
                    placed_ << f.original;
                    textfile::syncFolder(folder);
                }
                ::unlink(temp.constData());
            }
        }
        if (placed)
            continue;
        // Into the restored folder, under a name no other file there has.
        const QByteArray photos = textfile::pathBytes(kRestoredPhotos);
        QByteArray base = baseOf(f.original);
        QByteArray name = base;
        const qsizetype dot = base.lastIndexOf('.');
        for (int n = 2; names.contains(name) || index_.contains(photos + '/' + name) ||
                        ::lstat((staging_ + '/' + photos + '/' + name).constData(), &st) == 0;
             ++n)
            name = (dot > 0 ? base.left(dot) : base) + " (" + QByteArray::number(n) + ")" +
                   (dot > 0 ? base.mid(dot) : QByteArray());
        names.insert(name);
        ::mkdir((staging_ + '/' + photos).constData(), 0777);
        if (::rename(staged.constData(), (staging_ + '/' + photos + '/' + name).constData()) == 0)
            relocated_.insert(f.original, kRestoredPhotos + QLatin1Char('/') + textfile::nameFromBytes(name));
    }
}

// The cards whose photo went into the folder name it there.
void RestoreRun::rewriteCards()
{
    if (relocated_.isEmpty())
        return;
    const QString folder = textfile::nameFromBytes(manifest_.folder);
    for (const ManifestFile& f : std::as_const(manifest_.files)) {
        const QByteArray& relative = f.original.isEmpty() ? f.entry : f.original;
        if (relative.contains('/') || !isCardName(relative))
            continue;
        const QString path = textfile::nameFromBytes(staging_ + '/' + relative);
        textfile::Lines lines;
        QByteArray before;
        if (textfile::readLines(path, lines, textfile::kMaxCardBytes, kCardMarker, &before) !=
            textfile::ReadResult::Ok)
            continue;
        lines.next();
        Kartochka card = KartochkaFromLines(lines, textfile::nameFromBytes(relative));
        if (card.Podrobnee != 1)
            continue;
        const QString photo = QDir::cleanPath(PageFilePath(folder, card.Podrobnosti[8]));
        const auto to = relocated_.constFind(textfile::pathBytes(photo));
        if (to == relocated_.constEnd() || !textfile::fitsCodePage(*to))
            continue;
        card.Podrobnosti[8] = *to;
        const QByteArray after = PersonFileContent(card);
        if (textfile::saveAtomically(path, after) == textfile::SaveResult::Ok)
            records_ << journal::Make(QDateTime::currentDateTime(), journal::kCardChanged,
                                      textfile::nameFromBytes(relative), before, after);
    }
}

Report RestoreRun::run(const QString& archivePath, const QString& targetFolder)
{
    const QString archiveClean = absoluteClean(archivePath);
    archiveShown_ = textfile::readableName(archiveClean);
    archiveBytes_ = textfile::pathBytes(archiveClean);
    const QString targetClean = absoluteClean(targetFolder);
    targetShown_ = textfile::readableName(targetClean);
    target_ = textfile::pathBytes(targetClean);
    const QByteArray parent = parentOf(target_);

    // Into an empty or new folder only: nothing is ever overwritten.
    struct stat st {};
    bool targetExisted = false;
    mode_t targetMode = 0;
    if (::lstat(target_.constData(), &st) == 0) {
        targetMode = st.st_mode & 07777;
        if (!S_ISDIR(st.st_mode))
            return failed(QStringLiteral("На месте папки ") + quoted(targetShown_) +
                          QStringLiteral(" лежит файл: восстанавливать можно только в пустую или новую папку."));
        DIR* dir = ::opendir(target_.constData());
        if (!dir)
            return failed(QStringLiteral("Папку ") + quoted(targetShown_) + QStringLiteral(" прочитать не удалось."));
        bool empty = true;
        while (const dirent* d = ::readdir(dir))
            empty = empty && (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0);
        ::closedir(dir);
        if (!empty)
            return failed(QStringLiteral("Папка ") + quoted(targetShown_) +
                          QStringLiteral(" не пуста: восстанавливать можно только в пустую или новую папку."));
        targetExisted = true;
    }
    if (::stat(parent.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return failed(QStringLiteral("Папка ") + quoted(shownPath(parent)) + QStringLiteral(" не найдена."));

    archiveFd_ = textfile::openPlainFile(archiveBytes_, true, st);
    if (archiveFd_ < 0) {
        return failed(QStringLiteral("Файл ") + quoted(archiveShown_) +
                      (::access(archiveBytes_.constData(), F_OK) == 0
                           ? QStringLiteral(" не является резервной копией: это не ZIP-архив.")
                           : QStringLiteral(" не найден.")));
    }
    meter_.total = st.st_size;  // read once more for its hash
    if (!meter_.tick(true) || !listEntries())
        return stop();
    qint64 total = 0;
    for (const ManifestFile& f : std::as_const(manifest_.files))
        total += f.size;
    struct statvfs fs {};
    if (::statvfs(parent.constData(), &fs) == 0 && total > qint64(fs.f_bavail) * qint64(fs.f_frsize)) {
        error_ = QStringLiteral("Для восстановления нужно ") + QString::number((total >> 20) + 1) +
                 QStringLiteral(" МБ, на диске столько свободного места нет.");
        return stop();
    }

    // Next to the target, so that it is renamed into place in one step.
    const QByteArray base = baseOf(target_);
    QByteArray staging = parent + "/." + base + ".restore-XXXXXX";
    QByteArray outside = parent + "/." + base + ".photos-XXXXXX";
    if (!::mkdtemp(staging.data())) {
        error_ = QStringLiteral("В папке ") + quoted(shownPath(parent)) +
                 QStringLiteral(" создать папку не возможно.");
        return stop();
    }
    staging_ = staging;
    // mkdtemp makes a folder only its owner may enter; the restored folder
    // is shared like any other the user makes (other desks, other users),
    // or keeps the mode of the empty folder it replaces.
    ::chmod(staging_.constData(), targetExisted ? targetMode : (0777 & ~currentUmask()));
    if (!::mkdtemp(outside.data())) {
        error_ = QStringLiteral("В папке ") + quoted(shownPath(parent)) +
                 QStringLiteral(" создать папку не возможно.");
        return stop();
    }
    outside_ = outside;
    if (!extract())
        return stop();
    // The journal names the archive restored by its SHA-256.
    QCryptographicHash archiveHash(QCryptographicHash::Sha256);
    {
        QByteArray block(kBlockBytes, Qt::Uninitialized);
        ::lseek(archiveFd_, 0, SEEK_SET);
        ssize_t n = 0;
        while ((n = ::read(archiveFd_, block.data(), static_cast<size_t>(block.size()))) > 0) {
            archiveHash.addData(QByteArrayView(block.constData(), n));
            meter_.done += n;
            if (!meter_.tick())
                return stop();
        }
    }
    if (!meter_.tick(true))
        return stop();
    placeExternals();
    rewriteCards();
    if (!meter_.tick(true))
        return stop();

    // Everything checked: the folder takes its place (an empty folder there
    // is replaced, one that has filled meanwhile is not).
    {
        Fd dir(::open(staging_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() < 0 || ::syncfs(dir.get()) != 0) {
            error_ = QStringLiteral("Папку ") + quoted(targetShown_) + QStringLiteral(" записать не удалось.");
            return stop();
        }
    }
    if (::rename(staging_.constData(), target_.constData()) != 0) {
        error_ = errno == ENOTEMPTY || errno == EEXIST
                     ? QStringLiteral("Папка ") + quoted(targetShown_) +
                           QStringLiteral(" не пуста: восстанавливать можно только в пустую или новую папку.")
                     : QStringLiteral("Папку ") + quoted(targetShown_) + QStringLiteral(" записать не удалось.");
        return stop();
    }
    staging_.clear();
    textfile::syncFolder(parent);
    const QString targetWithSeparator = targetClean + (targetClean.endsWith(QLatin1Char('/')) ? "" : "/");
    const auto store = store::Open(targetWithSeparator);
    for (const auto& [path, bytes] : std::as_const(stored_)) {
        if (store->restoreStoredFile(textfile::nameFromBytes(path), bytes) != store::Result::Ok) {
            // Back to how it was: the folder was empty or not there.
            QDir(textfile::nameFromBytes(target_)).removeRecursively();
            if (targetExisted)
                ::mkdir(target_.constData(), 0777);
            error_ = QStringLiteral("Журнал и данные папки восстановить не удалось.");
            return stop();
        }
    }

    Report report;
    report.outcome = Outcome::Ok;
    report.files = manifest_.files.size();
    report.bytes = total;
    if (!relocated_.isEmpty()) {
        QStringList names;
        for (auto it = relocated_.constBegin(); it != relocated_.constEnd(); ++it)
            names << textfile::readableName(textfile::nameFromBytes(it.key()));
        names.sort();
        report.notice = QStringLiteral("Место этих фотографий занято, они восстановлены в папку \"") +
                        kRestoredPhotos + QStringLiteral("\": ") + names.join(QStringLiteral(", ")) +
                        QLatin1Char('.');
    }
    placed_.clear();  // they stay where they are
    journal::Record record =
        journal::Make(QDateTime::currentDateTime(), journal::kRestore, archiveClean, std::nullopt, std::nullopt);
    record.after = archiveHash.result().toHex();
    records_.prepend(record);
    if (!journal::Append(targetWithSeparator, records_)) {
        if (!report.notice.isEmpty())
            report.notice += QLatin1Char(' ');
        report.notice += QStringLiteral("Запись о восстановлении в журнал папки сделать не удалось.");
    }
    cleanUp();
    return report;
}

}  // namespace

Report Backup(const QString& testFolder, const QString& archivePath, const Progress& progress)
{
    const Utf8Locale utf8;
    return BackupRun(progress).run(testFolder, archivePath);
}

std::optional<Manifest> ReadManifest(const QString& archivePath)
{
    struct stat st {};
    Fd fd(textfile::openPlainFile(textfile::pathBytes(archivePath), true, st));
    if (fd.get() < 0)
        return std::nullopt;
    struct archive* a = archive_read_new();
    archive_read_support_format_zip(a);
    std::optional<QByteArray> bytes;
    if (archive_read_open_fd(a, fd.get(), 1 << 16) == ARCHIVE_OK) {
        struct archive_entry* e = nullptr;
        while (!bytes && archive_read_next_header(a, &e) >= ARCHIVE_WARN) {
            const char* name = archive_entry_pathname_utf8(e);
            if (!name || QByteArray(name) != kManifestEntry)
                continue;
            QByteArray read;
            char block[1 << 16];
            la_ssize_t n = 0;
            while ((n = archive_read_data(a, block, sizeof block)) > 0 && read.size() + n <= kMaxManifestBytes)
                read.append(block, n);
            if (n == 0)
                bytes = read;
            break;
        }
    }
    archive_read_free(a);
    if (!bytes)
        return std::nullopt;
    return DecodeManifest(*bytes);
}

Report Restore(const QString& archivePath, const QString& targetFolder, const Progress& progress)
{
    const Utf8Locale utf8;
    return RestoreRun(progress).run(archivePath, targetFolder);
}

}  // namespace backup
