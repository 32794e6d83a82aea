#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// The program's text files (tests, person files, settings, bulk text backup)
// are Windows-1251 with CR LF line ends. Lines are kept as bytes so that a
// password line, which is not text, survives unchanged.
namespace textfile {

QByteArray encode(const QString& text);
QString decode(QByteArrayView bytes);

// Whether every character of a text has a place in Windows-1251; fields that
// are not HTML refuse the others, since the file could not hold them.
bool fitsCodePage(const QString& text);
// The text without the characters that Windows-1251 cannot hold.
QString withoutForeign(QString text);
// For question and answer texts, which are HTML: a character that Windows-1251
// cannot hold is written as a decimal character reference, which the page
// shows as that character, instead of being lost.
QByteArray encodeHtml(const QString& text);

// A line as shown in lists and used for sorting: at most kMaxShownChars
// characters, a longer one cut and ended with an ellipsis, so that a damaged
// file of megabytes costs no more than a long name.
inline constexpr qsizetype kMaxShownChars = 200;
QString shownText(QByteArrayView line);
// The same for a text in memory, at most `limit` characters (the card page
// leaves free-text details a whole typed paragraph).
QString shownText(const QString& text, qsizetype limit = kMaxShownChars);

// The age for a year of birth read from a file: empty when the year could
// not be read; computed wide, so that no year overflows.
QString ageText(int currentYear, std::optional<int> year);

// Whether an encoded field can stand as one line of a file: no LF, which
// ends a line, and no byte 0x1A, the mark the encoder leaves for a character
// it cannot spell. A CR is allowed: inside a line it reads back as part of
// the field, so a file read with a stray CR can be saved again.
bool fitsLine(QByteArrayView encodedField);

// A number with a sign position: " 12", " 0", "-3".
QByteArray numberLine(int value);
// Skips leading blanks and reads the integer that follows; nothing when the
// line holds no number or one that does not fit 32 bits.
std::optional<int> parseNumber(QByteArrayView line);

// The lines of a file read whole into memory. A line ends at LF; a CR right
// before the LF belongs to the line end.
class Lines {
public:
    explicit Lines(QList<QByteArray> lines = {}) : lines_(std::move(lines)) {}
    bool atEnd() const { return pos_ >= lines_.size(); }
    qsizetype remaining() const { return lines_.size() - pos_; }
    std::optional<QByteArray> next();
    std::optional<QString> nextText();
    std::optional<int> nextNumber();

private:
    QList<QByteArray> lines_;
    qsizetype pos_ = 0;
};

QList<QByteArray> splitLines(const QByteArray& content);
// The lines that hold something, each without its CR: a stored item's records.
QList<QByteArray> nonEmptyLines(const QByteArray& content);

// File names are kept as the bytes the folder holds. A name that is not
// UTF-8 (copied from a Windows disk, say) carries each byte from 0x80 up as
// the lone surrogate U+DC80..U+DCFF, so that the bytes come back unchanged;
// `readableName` shows such bytes as Windows-1251 text.
QString nameFromBytes(QByteArrayView bytes);
QByteArray pathBytes(const QString& path);
QString readableName(const QString& name);

// A field of the program's own one-line records (the journal, a backup's
// manifest): every control character, DEL, "%" and each byte of
// `alsoEscaped` is written as %XX, and with `escapeHigh` every byte from 0x80
// up too, so that any bytes fit in one field of one line.
QByteArray percentEscaped(QByteArrayView bytes, QByteArrayView alsoEscaped, bool escapeHigh = false);
// The bytes of such a field; nothing when a "%" is not followed by two hex
// digits.
std::optional<QByteArray> percentUnescaped(QByteArrayView field);

// Reads from the open descriptor onto the end of `into` until it holds
// `upTo` bytes or the file ends; false on a read error (what was read stays).
bool readUpTo(int fd, QByteArray& into, qsizetype upTo);

// Files on disk by such names.
bool fileExists(const QString& path);
// A file or its folder whose mode bits allow nobody to write, or a folder on
// a medium mounted read-only.
bool markedReadOnly(const QString& path);
bool removeFile(const QString& path);

// Bounds for the readers, in bytes of the file (see TextFile.cpp for why
// they are enough). The writers of person files refuse a card that would
// pass either card bound, so that no reader ever cuts a card.
inline constexpr qsizetype kMaxTestBytes = qsizetype(64) << 20;
inline constexpr qsizetype kMaxCardBytes = qsizetype(4) << 20;
// The lists, the name search and the pair search read a card's first lines
// only (marker, name, year, details flag, answers): this many bytes at most.
inline constexpr qsizetype kMaxCardHeadBytes = (qsizetype(1) << 20) + (qsizetype(256) << 10);
inline constexpr qsizetype kMaxSettingsBytes = qsizetype(64) << 10;

enum class ReadResult { Ok, NotFound, Failed, Foreign };
// Reads at most `maxBytes` of the file at `path` into lines; what lies beyond
// is left unread, as if the file ended there. Anything but a regular file
// (a folder, a pipe, a device) fails without blocking. With a `marker`, the
// first line is read first and a file whose first line differs is Foreign,
// read no further. With `content`, the bytes read are kept there too.
ReadResult readLines(const QString& path, Lines& out, qsizetype maxBytes, QByteArrayView marker = {},
                     QByteArray* content = nullptr);

enum class SaveResult { Ok, WriteProtected, Failed };
// Writes the whole content or nothing: the old file stays intact until the new
// one is complete on disk. A target or folder marked read-only is refused as
// write-protected, even for a user that could override the mark.
SaveResult saveAtomically(const QString& path, const QByteArray& content);
// Whether new files can be saved in a folder: it exists, the user may write in
// it and it is not marked read-only (by the same rule as saveAtomically).
bool folderWritable(const QString& folder);

}  // namespace textfile
