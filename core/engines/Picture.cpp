#include "engines/Picture.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Bytes IsPictureContent needs to look at.
constexpr int kPictureHeadBytes = 12;
}  // namespace

bool IsPictureContent(const QByteArray& head)
{
    const auto starts = [&head](const char* bytes, qsizetype size) {
        return head.size() >= size && head.startsWith(QByteArray::fromRawData(bytes, size));
    };
    if (starts("\xFF\xD8\xFF", 3) || starts("\x89PNG\r\n\x1A\n", 8) || starts("GIF87a", 6) || starts("GIF89a", 6))
        return true;
    // A BMP's header names its size and where its pixels start; "BM" alone
    // begins too many texts.
    if (starts("BM", 2) && head.size() >= 10 && head[6] == 0 && head[7] == 0 && head[8] == 0 && head[9] == 0)
        return true;
    return starts("RIFF", 4) && head.size() >= 12 && head.mid(8, 4) == "WEBP";
}

bool IsPictureFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool picture = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && IsPictureOpen(fd);
    ::close(fd);
    return picture;
}

bool IsPictureOpen(int fd)
{
    QByteArray head(kPictureHeadBytes, '\0');
    const ssize_t got = ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0);
    head.truncate(got > 0 ? got : 0);
    return IsPictureContent(head);
}
