#include "engines/FolderStore.h"

#include "ground/FolderWrite.h"
#include "ground/TextFile.h"

#include <QDate>
#include <QDir>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pwd.h>

namespace store {

namespace {

// Bounds for what one read takes into memory: an item is a small document,
// a desk's journal of one month a few megabytes even for a busy agency.
constexpr qsizetype kMaxItemBytes = qsizetype(16) << 20;
constexpr qsizetype kMaxLogPartBytes = qsizetype(512) << 20;

const QByteArray kLogSuffix = QByteArrayLiteral(".log");

// Kinds, keys and logs become names of folders and files: only plain names.
bool plainName(const QString& name)
{
    if (name.isEmpty() || name.size() > 200 || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.') ||
            c == QLatin1Char('%'))
            continue;
        return false;
    }
    return true;
}

// A desk's name as part of a file name: the characters a plain name allows.
QString deskPart(const QString& desk)
{
    QString part;
    for (const QChar c : desk)
        part += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') ? c : QLatin1Char('_');
    return part.isEmpty() ? QStringLiteral("desk") : part.left(100);
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

enum class Read { Ok, Missing, Failed };

// Reads a plain file whole, refusing links, pipes and devices and anything
// larger than `maxBytes`.
Read readPlain(const QByteArray& path, qsizetype maxBytes, QByteArray& into)
{
    struct stat st {};
    Fd f{textfile::openPlainFile(path, false, st)};
    if (f.fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Read::Missing : Read::Failed;
    if (st.st_size > maxBytes)
        return Read::Failed;
    into.clear();
    // By the size the file has (and a byte more, to see it grow), never by
    // the bound: a buffer is as large as what it asks for.
    if (!textfile::readUpTo(f.fd, into, std::min<qsizetype>(st.st_size, maxBytes) + 1) || into.size() > maxBytes)
        return Read::Failed;
    return Read::Ok;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

Result resultOf(textfile::GuardedResult result)
{
    switch (result) {
    case textfile::GuardedResult::Ok:
        return Result::Ok;
    case textfile::GuardedResult::Changed:
    case textfile::GuardedResult::Gone:
        return Result::Changed;
    case textfile::GuardedResult::WriteProtected:
        return Result::WriteProtected;
    case textfile::GuardedResult::Failed:
        break;
    }
    return Result::Failed;
}

// The store as files under the folder's hidden folder: an item is the file
// <kind>/<key>, replaced whole by the guarded savers; a log is one file per
// desk and month, <log>/<desk>-<year>-<month>.log, so that desks never share
// a file and no file grows without end.
class FileStore final : public FolderStore {
public:
    explicit FileStore(const QString& folder) : root_(folder + kHiddenFolder + QLatin1Char('/')) {}

    std::optional<Item> read(const QString& kind, const QString& key, bool* failed) override
    {
        if (failed)
            *failed = false;
        if (!plainName(kind) || !plainName(key)) {
            if (failed)
                *failed = true;
            return std::nullopt;
        }
        QByteArray bytes;
        switch (readPlain(textfile::pathBytes(root_ + kind + QLatin1Char('/') + key), kMaxItemBytes, bytes)) {
        case Read::Ok:
            return Item{bytes, bytes};
        case Read::Missing:
            return std::nullopt;
        case Read::Failed:
            break;
        }
        if (failed)
            *failed = true;
        return std::nullopt;
    }

    Result write(const QString& kind, const QString& key, const QByteArray& bytes,
                 const std::optional<QByteArray>& expectedVersion) override
    {
        if (!plainName(kind) || !plainName(key) || bytes.size() > kMaxItemBytes)
            return Result::Failed;
        const QString folder = root_ + kind + QLatin1Char('/');
        if (!makeFolder(folder))
            return Result::Failed;
        if (!expectedVersion)
            return resultOf(textfile::createIfAbsent(folder, key, bytes));
        return resultOf(textfile::replaceIfUnchanged(folder, key, bytes, *expectedVersion));
    }

    Result remove(const QString& kind, const QString& key, const QByteArray& expectedVersion) override
    {
        if (!plainName(kind) || !plainName(key))
            return Result::Failed;
        return resultOf(textfile::removeIfUnchanged(root_ + kind + QLatin1Char('/'), key, expectedVersion));
    }

    QStringList keys(const QString& kind) override
    {
        if (!plainName(kind))
            return {};
        QStringList names;
        const QDir dir(root_ + kind);
        for (const QString& name : dir.entryList(QDir::Files | QDir::System | QDir::Hidden))
            if (plainName(name) && !textfile::isTemporaryName(textfile::pathBytes(name)))
                names.append(name);
        return names;
    }

    Result append(const QString& log, const QList<QByteArray>& records) override
    {
        if (!plainName(log))
            return Result::Failed;
        QByteArray lines;
        for (const QByteArray& record : records) {
            if (record.contains('\n') || record.contains('\r'))
                return Result::Failed;
            lines += record + '\n';
        }
        if (lines.isEmpty())
            return Result::Ok;
        const QString folder = root_ + log + QLatin1Char('/');
        if (!makeFolder(folder))
            return Result::Failed;
        const QString name = deskPart(DeskName()) + QLatin1Char('-') +
                             QDate::currentDate().toString(QStringLiteral("yyyy-MM")) + QString::fromLatin1(kLogSuffix);
        const QByteArray path = textfile::pathBytes(folder + name);
        Fd f{::open(path.constData(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644)};
        if (f.fd < 0)
            return errno == EACCES || errno == EROFS || errno == EPERM ? Result::WriteProtected : Result::Failed;
        // Only this desk's programs write this file; a lock keeps two of
        // them (two windows, the command line tool) from mixing records.
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        while (::fcntl(f.fd, F_OFD_SETLKW, &lock) != 0) {
            if (errno != EINTR)
                return Result::Failed;
        }
        struct stat st {};
        if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode))
            return Result::Failed;
        // A record cut by a crash ends without its line end: the next
        // record starts on a line of its own, and the cut one reads as no
        // record at all.
        if (st.st_size > 0) {
            char last = '\n';
            if (::pread(f.fd, &last, 1, st.st_size - 1) != 1)
                return Result::Failed;
            if (last != '\n')
                lines.prepend('\n');
        }
        if (!writeAll(f.fd, lines) || ::fsync(f.fd) != 0)
            return Result::Failed;
        const int fd = f.fd;
        f.fd = -1;
        if (::close(fd) != 0)
            return Result::Failed;
        if (st.st_size == 0)
            textfile::syncFolder(textfile::pathBytes(folder));
        return Result::Ok;
    }

    QList<QByteArray> records(const QString& log, bool* failed) override
    {
        if (failed)
            *failed = false;
        QList<QByteArray> all;
        if (!plainName(log))
            return all;
        const QString folder = root_ + log + QLatin1Char('/');
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
            if (!name.endsWith(QString::fromLatin1(kLogSuffix)))
                continue;
            QByteArray bytes;
            if (readPlain(textfile::pathBytes(folder + name), kMaxLogPartBytes, bytes) != Read::Ok) {
                if (failed)
                    *failed = true;
                continue;
            }
            qsizetype start = 0;
            for (qsizetype end = bytes.indexOf('\n'); end >= 0; end = bytes.indexOf('\n', start)) {
                if (end > start)
                    all.append(bytes.mid(start, end - start));
                start = end + 1;
            }
            // What follows the last line end is a record cut by a crash.
        }
        return all;
    }

    QStringList storedFiles() override
    {
        QStringList files;
        const QDir root(root_);
        if (!root.exists())
            return files;
        for (const QString& sub : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
            if (!plainName(sub))
                continue;
            for (const QString& name : QDir(root_ + sub).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
                if (plainName(name) && !textfile::isTemporaryName(textfile::pathBytes(name)))
                    files.append(kHiddenFolder + QLatin1Char('/') + sub + QLatin1Char('/') + name);
            }
        }
        return files;
    }

    std::optional<QByteArray> readStoredFile(const QString& path) override
    {
        const auto parts = storedParts(path);
        if (!parts)
            return std::nullopt;
        QByteArray bytes;
        if (readPlain(textfile::pathBytes(root_ + parts->first + QLatin1Char('/') + parts->second),
                      kMaxLogPartBytes, bytes) != Read::Ok)
            return std::nullopt;
        return bytes;
    }

    Result restoreStoredFile(const QString& path, const QByteArray& bytes) override
    {
        const auto parts = storedParts(path);
        if (!parts)
            return Result::Failed;
        const QString folder = root_ + parts->first + QLatin1Char('/');
        if (!makeFolder(folder))
            return Result::Failed;
        return resultOf(textfile::createIfAbsent(folder, parts->second, bytes));
    }

private:
    // "<hidden folder>/<sub>/<name>" as its two plain parts.
    static std::optional<std::pair<QString, QString>> storedParts(const QString& path)
    {
        const QStringList parts = path.split(QLatin1Char('/'));
        if (parts.size() != 3 || parts[0] != kHiddenFolder || !plainName(parts[1]) || !plainName(parts[2]))
            return std::nullopt;
        return std::make_pair(parts[1], parts[2]);
    }

    static bool makeFolder(const QString& folder) { return QDir().mkpath(folder); }

    QString root_;
};

std::function<std::unique_ptr<FolderStore>(const QString&)>& opener()
{
    static std::function<std::unique_ptr<FolderStore>(const QString&)> current;
    return current;
}

}  // namespace

std::unique_ptr<FolderStore> Open(const QString& folder)
{
    if (opener())
        return opener()(folder);
    return std::make_unique<FileStore>(folder);
}

void SetOpener(std::function<std::unique_ptr<FolderStore>(const QString& folder)> newOpener)
{
    opener() = std::move(newOpener);
}

Result Update(FolderStore& store, const QString& kind, const QString& key, const Change& change, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) {
            // Another desk wrote in between: step aside a little, longer the
            // more often it happens, so that two busy desks do not keep
            // colliding in step.
            ::usleep(static_cast<useconds_t>(200 + (std::rand() % 1000) * std::min(attempt, 20)));
        }
        bool failed = false;
        const std::optional<Item> item = store.read(kind, key, &failed);
        if (failed)
            return Result::Failed;
        bool refused = false;
        const std::optional<QByteArray> bytes = item ? std::optional<QByteArray>(item->bytes) : std::nullopt;
        const std::optional<QByteArray> changed = change(bytes, refused);
        if (refused)
            return Result::Failed;
        if (changed == bytes)
            return Result::Ok;
        Result result;
        if (changed)
            result = store.write(kind, key, *changed, item ? std::optional<QByteArray>(item->version) : std::nullopt);
        else
            result = store.remove(kind, key, item->version);
        if (result != Result::Changed)
            return result;
    }
    return Result::Changed;
}

QString KeyOf(const QString& name)
{
    const QByteArray bytes = textfile::pathBytes(name);
    const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes && !bytes.contains('\0');
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto escape = [](QString& into, QByteArrayView raw) {
        for (const char b : raw) {
            const auto u = static_cast<unsigned char>(b);
            into += QLatin1Char('%');
            into += QLatin1Char(kHex[u >> 4]);
            into += QLatin1Char(kHex[u & 15]);
        }
    };
    QString key;
    if (!utf8) {
        for (const char b : bytes) {
            const auto u = static_cast<unsigned char>(b);
            if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_' ||
                (u == '.' && !key.isEmpty()))
                key += QLatin1Char(b);
            else
                escape(key, QByteArrayView(&b, 1));
        }
        return key;
    }
    const QString text = QString::fromUtf8(bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
        const QString c = pair ? text.mid(i, 2) : text.mid(i, 1);
        if (pair)
            ++i;
        const bool plain = !pair && (text[i].isLetterOrNumber() || c == QLatin1String("-") ||
                                     c == QLatin1String("_") || (c == QLatin1String(".") && !key.isEmpty()));
        if (plain)
            key += c;
        else
            escape(key, c.toUtf8());
    }
    return key;
}

QString NameOfKey(const QString& key)
{
    // Most names are plain already: no escape to undo.
    if (!key.contains(QLatin1Char('%')))
        return key;
    const std::optional<QByteArray> bytes = textfile::percentUnescaped(key.toUtf8());
    if (!bytes)
        return {};
    return textfile::nameFromBytes(*bytes);
}

QString DeskName()
{
    static const QString name = [] {
        const QString host = QSysInfo::machineHostName();
        return host.isEmpty() ? QStringLiteral("неизвестно") : host;
    }();
    return name;
}

QString UserName()
{
    static const QString name = [] {
        if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name)
            return QString::fromLocal8Bit(entry->pw_name);
        const QString fromEnv = qEnvironmentVariable("USER");
        return fromEnv.isEmpty() ? QString::number(::geteuid()) : fromEnv;
    }();
    return name;
}

}  // namespace store
