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

enum class ReadResult { Ok, NotFound, Failed };
ReadResult readLines(const QString& path, Lines& out);

enum class SaveResult { Ok, WriteProtected, Failed };
// Writes the whole content or nothing: the old file stays intact until the new
// one is complete on disk. A target or folder marked read-only is refused as
// write-protected, even for a user that could override the mark.
SaveResult saveAtomically(const QString& path, const QByteArray& content);

}  // namespace textfile
