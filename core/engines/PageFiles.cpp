#include "engines/PageFiles.h"

#include "ground/App.h"
#include "engines/Picture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// File systems whose "files" are the kernel's own: reading one can hang,
// never end, or exhaust memory.
bool kernelFileSystem(int fd)
{
    struct statfs fs {};
    if (fstatfs(fd, &fs) != 0)
        return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0UL:      // proc
    case 0x62656572UL:  // sysfs
    case 0x64626720UL:  // debugfs
    case 0x74726163UL:  // tracefs
    case 0x73636673UL:  // securityfs
    case 0x27e0ebUL:    // cgroup
    case 0x63677270UL:  // cgroup2
    case 0x62656570UL:  // configfs
    case 0xcafe4a11UL:  // bpf
    case 0x1cd1UL:      // devpts
    case 0x42494e4dUL:  // binfmt_misc
    case 0x6e736673UL:  // nsfs
    case 0x50495045UL:  // pipefs
    case 0x534f434bUL:  // sockfs
        return true;
    default:
        return false;
    }
}

bool under(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

QString canonical(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

}  // namespace

PageFiles ShownPageFiles(const App& app, const Control& view)
{
    PageFiles allowed;
    for (const QString& folder : {app.st.folders.WorkFolder, app.st.folders.AppFolder}) {
        if (!folder.isEmpty())
            allowed.folders << folder;
    }
    for (const QString& file : view.files) {
        if (!file.isEmpty())
            allowed.files << PageFilePath(app.st.folders.WorkFolder, file);
    }
    return allowed;
}

QString PageFilePath(const QString& workFolder, const QString& file)
{
    return QFileInfo(file).isAbsolute() || workFolder.isEmpty() ? file : workFolder + file;
}

int OpenPageFile(const PageFiles& allowed, const QString& path)
{
    const QString real = canonical(path);
    if (real.isEmpty() || real.startsWith(QLatin1String("/proc/")) || real.startsWith(QLatin1String("/sys/")) ||
        real.startsWith(QLatin1String("/dev/")))
        return -1;
    bool permitted = false;
    for (const QString& folder : allowed.folders)
        permitted = permitted || under(real, canonical(folder));
    for (const QString& document : allowed.documents)
        permitted = permitted || real == canonical(document);
    // A picture named by a card is a picture or nothing, wherever it lies.
    bool mustBePicture = false;
    for (const QString& file : allowed.files)
        mustBePicture = mustBePicture || real == canonical(file);
    if (!permitted && !mustBePicture)
        return -1;
    // Non-blocking, so that a pipe put in place of the file cannot stall the
    // program; the checks below are made on what was actually opened.
    const int fd = ::open(QFile::encodeName(real).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || kernelFileSystem(fd)) {
        ::close(fd);
        return -1;
    }
    if (mustBePicture && !IsPictureOpen(fd)) {
        ::close(fd);
        return -1;
    }
    // Reads of the opened file may block like any file read.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}
