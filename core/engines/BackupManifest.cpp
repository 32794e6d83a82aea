#include "engines/BackupManifest.h"

#include "ground/TextFile.h"

#include <QSet>

namespace backup {
namespace {

const QByteArray kVersionLine = QByteArrayLiteral("tandemo-backup 1");

// A space separates the fields; a name that is not UTF-8 keeps its bytes
// as %XX.
QByteArray escape(QByteArrayView bytes)
{
    return textfile::percentEscaped(bytes, " ", !bytes.isValidUtf8());
}

// The bytes of an escaped field; nothing unless the field is exactly what
// escape() writes for them.
std::optional<QByteArray> unescape(QByteArrayView field)
{
    auto out = textfile::percentUnescaped(field);
    if (!out || escape(*out) != field)
        return std::nullopt;
    return out;
}

// A decimal number without sign or leading zeros, up to `max`.
std::optional<qint64> number(QByteArrayView field, qint64 max)
{
    if (field.isEmpty() || field.size() > 19 || (field.size() > 1 && field[0] == '0'))
        return std::nullopt;
    qint64 value = 0;
    for (const char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > max)
        return std::nullopt;
    return value;
}

bool isSha256(QByteArrayView field)
{
    if (field.size() != 64)
        return false;
    for (const char c : field) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool safeParts(QByteArrayView path)
{
    qsizetype start = 0;
    while (start <= path.size()) {
        qsizetype end = path.indexOf('/', start);
        if (end < 0)
            end = path.size();
        const QByteArrayView part = path.sliced(start, end - start);
        if (part.isEmpty() || part.size() > kMaxNameBytes || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

bool SafeAbsolutePath(QByteArrayView path)
{
    return path.size() > 1 && path.size() <= kMaxPathBytes && path[0] == '/' && !path.contains('\0') &&
           safeParts(path.sliced(1));
}

// The field's bytes split at blanks (the fields themselves hold none).
QList<QByteArrayView> fields(QByteArrayView line)
{
    QList<QByteArrayView> out;
    qsizetype start = 0;
    while (true) {
        const qsizetype end = line.indexOf(' ', start);
        out.append(line.sliced(start, (end < 0 ? line.size() : end) - start));
        if (end < 0)
            return out;
        start = end + 1;
    }
}

}  // namespace

bool SafeRelativePath(QByteArrayView path, bool utf8)
{
    if (path.isEmpty() || path.size() > kMaxPathBytes || path[0] == '/' || path.contains('\\') ||
        path.contains('\0') || (utf8 && !path.isValidUtf8()))
        return false;
    // "C:" would be a drive to a desk that unpacks the archive on Windows.
    if (path.size() >= 2 && path[1] == ':')
        return false;
    return safeParts(path);
}

QByteArray EncodeManifest(const Manifest& manifest)
{
    QByteArray out;
    out.reserve(manifest.files.size() * 120 + 100);
    out += kVersionLine + '\n';
    out += "folder " + escape(manifest.folder) + '\n';
    for (const ManifestFile& f : manifest.files) {
        out += "file " + QByteArray::number(f.size) + ' ' + f.sha256 + ' ' + escape(f.entry);
        if (!f.original.isEmpty())
            out += ' ' + escape(f.original);
        out += '\n';
    }
    out += "end " + QByteArray::number(manifest.files.size()) + '\n';
    return out;
}

std::optional<Manifest> DecodeManifest(QByteArrayView text)
{
    if (text.size() > kMaxManifestBytes || !text.endsWith('\n'))
        return std::nullopt;
    Manifest manifest;
    QSet<QByteArray> entries;
    QSet<QByteArray> places;
    qint64 total = 0;
    bool ended = false;
    qsizetype lineNumber = 0;
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype end = text.indexOf('\n', start);
        const QByteArrayView line = text.sliced(start, end - start);
        start = end + 1;
        if (ended || !line.isValidUtf8())
            return std::nullopt;
        const QList<QByteArrayView> f = fields(line);
        switch (lineNumber++) {
        case 0:
            if (line != kVersionLine)
                return std::nullopt;
            continue;
        case 1: {
            if (f.size() != 2 || f[0] != "folder")
                return std::nullopt;
            auto folder = unescape(f[1]);
            if (!folder || !folder->endsWith('/') || (*folder != "/" && !SafeAbsolutePath(folder->chopped(1))))
                return std::nullopt;
            manifest.folder = *folder;
            continue;
        }
        default:
            break;
        }
        if (f[0] == "end") {
            const auto count = f.size() == 2 ? number(f[1], kMaxManifestFiles) : std::nullopt;
            if (!count || *count != manifest.files.size())
                return std::nullopt;
            ended = true;
            continue;
        }
        if (f[0] != "file" || (f.size() != 4 && f.size() != 5) || manifest.files.size() >= kMaxManifestFiles)
            return std::nullopt;
        ManifestFile file;
        const auto size = number(f[1], kMaxFileBytes);
        if (!size || !isSha256(f[2]))
            return std::nullopt;
        file.size = *size;
        file.sha256 = f[2].toByteArray();
        auto entry = unescape(f[3]);
        if (!entry || !SafeRelativePath(*entry, true) || *entry == kManifestEntry)
            return std::nullopt;
        file.entry = *entry;
        if (f.size() == 5) {
            auto original = unescape(f[4]);
            if (!original || !(SafeAbsolutePath(*original) || SafeRelativePath(*original, false)))
                return std::nullopt;
            file.original = *original;
        }
        total += file.size;
        // Each entry once, and each place filled by one file only.
        const QByteArray& place = file.original.isEmpty() ? file.entry : file.original;
        if (total > kMaxTotalBytes || entries.contains(file.entry) || places.contains(place))
            return std::nullopt;
        entries.insert(file.entry);
        places.insert(place);
        manifest.files.append(std::move(file));
    }
    if (!ended)
        return std::nullopt;
    return manifest;
}

}  // namespace backup
