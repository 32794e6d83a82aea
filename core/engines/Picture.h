#pragma once

#include <QByteArray>
#include <QString>

// Whether bytes that begin a file are those of a picture a page can show:
// JPEG, PNG, GIF, BMP or WebP. A card's photo is named by whoever filled in
// the card, so its name and extension prove nothing.
bool IsPictureContent(const QByteArray& head);

// Whether the file at `path` is a regular file that is a picture by its
// content. Never blocks on a pipe or device put in its place.
bool IsPictureFile(const QString& path);

// Whether the regular file open as `fd` begins as a picture does.
bool IsPictureOpen(int fd);

// The ending of the message about a photo that is no picture.
inline const QString kNotAPicture =
    QStringLiteral("не является фотографией: подходят JPEG, PNG, GIF, BMP и WebP.");
