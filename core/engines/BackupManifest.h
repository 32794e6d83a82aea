#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// The list of a backup's files inside its archive: each file's size and
// SHA-256, and where it goes back on restore. A text of its own (UTF-8, one
// line a file), so that a person can read it with the archive opened on any
// desk:
//
//   tandemo-backup 1
//   folder <the test folder the backup was made of>
//   file <size> <sha-256> <entry in the archive> [<original path>]
//   …
//   end <number of files>
//
// Fields are separated by one blank; a name keeps its bytes, each byte that
// is a blank, a control, "%" or (in a name that is not UTF-8) from 0x80 up
// written as "%" and two upper-case hex digits. Without an original path the
// file goes back under its entry's path in the folder; a relative original
// path is the file's place in the folder, an absolute one its place outside.
namespace backup {

// Bounds of what a restore accepts; a backup that would pass them fails.
inline constexpr qsizetype kMaxManifestBytes = qsizetype(64) << 20;
inline constexpr qsizetype kMaxManifestFiles = 1000000;
inline constexpr qsizetype kMaxPathBytes = 4096;
inline constexpr qsizetype kMaxNameBytes = 255;
inline constexpr qint64 kMaxFileBytes = qint64(64) << 30;
inline constexpr qint64 kMaxTotalBytes = qint64(1) << 40;

// The archive's own entries: the manifest, and the folder of the files whose
// place is not the folder's own path.
inline const QByteArray kManifestEntry = QByteArrayLiteral("tandemo-manifest.txt");
inline const QByteArray kExternalFolder = QByteArrayLiteral("external/");

struct ManifestFile {
    QByteArray entry;     // the entry's name in the archive: UTF-8, "/" between parts
    qint64 size = 0;
    QByteArray sha256;    // lower-case hex
    QByteArray original;  // empty: back under `entry`; else the original path's bytes
    bool operator==(const ManifestFile&) const = default;
};

struct Manifest {
    QByteArray folder;  // the test folder's path as it was, with its separator
    QList<ManifestFile> files;
    bool operator==(const Manifest&) const = default;
};

QByteArray EncodeManifest(const Manifest& manifest);
// Nothing for anything but a manifest as EncodeManifest writes it within the
// bounds above: unknown or missing lines, a name that climbs out (".."), is
// absolute, holds a backslash or an empty part, an entry named twice, two
// files for one place, sizes past the bounds.
std::optional<Manifest> DecodeManifest(QByteArrayView text);

// Whether a path can name a place inside a folder: relative, "/" between
// non-empty parts of at most kMaxNameBytes, none "." or "..", no backslash,
// no NUL, no drive; with `utf8`, also valid UTF-8 (every entry's name is).
bool SafeRelativePath(QByteArrayView path, bool utf8);

}  // namespace backup
