#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>

// Reading many person files fast: the people list, the name search and the
// pair search each read only the first few lines of every file of one sex,
// and a busy agency keeps a hundred thousand of them in one folder.

// Names of the files in `folder` (ending with its separator) whose name ends
// with `extension` (".tnm" or ".tnw"), letter case ignored as the desktop's
// own listing does, in the order of their names. Folders are left out.
QStringList PersonFiles(const QString& folder, const QString& extension);

// The first lines of one file, without their line ends. Reads only as much of
// the file as those lines need, usually in one read.
class HeadLines {
public:
    static constexpr int kMaxLines = 9;

    // Reads up to `count` (at most kMaxLines) lines of the file at `path`, a
    // file name as the system spells it (textfile::pathBytes). False when the
    // file cannot be opened, or needs more than one read and is not a regular
    // file; a file that cannot be read yields fewer lines.
    bool read(const QByteArray& path, int count);

    int size() const { return size_; }
    QByteArrayView operator[](int i) const
    {
        return QByteArrayView(buffer_.constData() + start_[i], end_[i] - start_[i]);
    }

private:
    QByteArray buffer_;
    std::array<qsizetype, kMaxLines> start_{};
    std::array<qsizetype, kMaxLines> end_{};
    int size_ = 0;
};

// Scan numbers compared as their decimal texts ("10" < "11" < "2"), the order
// the lists keep among equal names and equal match counts.
bool ScanNumberTextLess(int a, int b);
