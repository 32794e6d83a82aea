#include "engines/PersonFolder.h"

#include "ground/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <strings.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The lists need the first five lines only: a name (shown cut after a few
// hundred characters), a year, a flag and at most 99 999 answer digits (the
// question count has five digits). A name of up to a megabyte still leaves
// room for the answers (the writers refuse a longer one); a damaged file of
// any size costs a scan no more than textfile::kMaxCardHeadBytes.
constexpr qsizetype kFirstRead = 4096;

bool endsWithExtension(const QString& name, const QString& extension)
{
    return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
}

// One open file, read in pieces: plain system calls where there are such, so
// that a file costs an open, a read and a close and nothing more.
class RawFile {
public:
    explicit RawFile(const QByteArray& path)
    {
#ifdef Q_OS_UNIX
        // Non-blocking, so that a pipe that bears a person file's name cannot
        // hold up the scan; regular files read as usual.
        fd_ = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#else
        file_.setFileName(QFile::decodeName(path));
        if (QFileInfo(file_.fileName()).isFile())
            file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
#endif
    }
    ~RawFile()
    {
#ifdef Q_OS_UNIX
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // Whether it is a regular file: a link to a device would give endless
    // bytes. Asked only when the first read was not enough, so that a card
    // still costs an open, a read and a close.
    bool isRegular() const
    {
#ifdef Q_OS_UNIX
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
#else
        return true;
#endif
    }

    bool isOpen() const
    {
#ifdef Q_OS_UNIX
        return fd_ >= 0;
#else
        return file_.isOpen();
#endif
    }
    // Bytes read, 0 at the end of the file or on an error.
    qsizetype read(char* into, qsizetype max)
    {
#ifdef Q_OS_UNIX
        for (;;) {
            const ssize_t got = ::read(fd_, into, static_cast<size_t>(max));
            if (got < 0 && errno == EINTR)
                continue;
            return got > 0 ? got : 0;
        }
#else
        const qint64 got = file_.read(into, max);
        return got > 0 ? got : 0;
#endif
    }

private:
#ifdef Q_OS_UNIX
    int fd_ = -1;
#else
    QFile file_;
#endif
};

}  // namespace

QStringList PersonFiles(const QString& folder, const QString& extension)
{
    QStringList names;
#ifdef Q_OS_UNIX
    const QByteArray rawExtension = QFile::encodeName(extension);
    const size_t extensionLength = static_cast<size_t>(rawExtension.size());
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type == DT_DIR)
            continue;
        // Most entries are the other sex: look at the bytes before making a name.
        const size_t length = std::strlen(entry->d_name);
        if (length <= extensionLength ||
            ::strncasecmp(entry->d_name + length - extensionLength, rawExtension.constData(), extensionLength) != 0)
            continue;
        // The bytes the folder holds, whatever their encoding.
        const QString name = textfile::nameFromBytes(QByteArrayView(entry->d_name, static_cast<qsizetype>(length)));
        if (endsWithExtension(name, extension))
            names.append(name);
    }
    ::closedir(dir);
#else
    const QStringList all = QDir(folder).entryList({QLatin1Char('*') + extension},
                                                   QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& name : all) {
        if (endsWithExtension(name, extension))
            names.append(name);
    }
#endif
    std::sort(names.begin(), names.end());
    return names;
}

bool HeadLines::read(const QByteArray& path, int count)
{
    size_ = 0;
    count = std::clamp(count, 0, kMaxLines);
    RawFile file(path);
    if (!file.isOpen())
        return false;
    if (buffer_.size() < kFirstRead)
        buffer_.resize(kFirstRead);

    qsizetype filled = 0;     // bytes in the buffer
    qsizetype scanned = 0;    // bytes already searched for a line end
    qsizetype lineStart = 0;
    bool atEnd = false;
    bool checked = false;  // regular file confirmed
    auto addLine = [this](qsizetype from, qsizetype to) {
        if (to > from && buffer_[to - 1] == '\r')
            --to;
        start_[size_] = from;
        end_[size_] = to;
        ++size_;
    };
    while (size_ < count) {
        const char* data = buffer_.constData();
        const void* lineEnd = std::memchr(data + scanned, '\n', static_cast<size_t>(filled - scanned));
        if (lineEnd) {
            const qsizetype at = static_cast<const char*>(lineEnd) - data;
            addLine(lineStart, at);
            lineStart = scanned = at + 1;
            continue;
        }
        scanned = filled;
        if (atEnd) {
            if (lineStart < filled)
                addLine(lineStart, filled);
            break;
        }
        if (filled == buffer_.size()) {
            if (filled >= textfile::kMaxCardHeadBytes) {
                atEnd = true;
                continue;
            }
            buffer_.resize(std::min(filled * 2, textfile::kMaxCardHeadBytes));
        }
        if (filled > 0 && !checked) {
            if (!file.isRegular()) {
                size_ = 0;
                return false;
            }
            checked = true;
        }
        const qsizetype got = file.read(buffer_.data() + filled, buffer_.size() - filled);
        if (got == 0)
            atEnd = true;
        filled += got;
    }
    return true;
}

namespace {
int decimalDigits(long long n)
{
    int digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}
}  // namespace

bool ScanNumberTextLess(int a, int b)
{
    if (a < 0 || b < 0)
        return QString::number(a) < QString::number(b);
    // Compare the numbers at the same length of digits; when one text is the
    // start of the other, the shorter one comes first.
    const int da = decimalDigits(a);
    const int db = decimalDigits(b);
    long long wa = a;
    long long wb = b;
    for (int i = da; i < db; ++i)
        wa *= 10;
    for (int i = db; i < da; ++i)
        wb *= 10;
    if (wa != wb)
        return wa < wb;
    return da < db;
}
