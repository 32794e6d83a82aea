#include "document/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <bitset>
#include <limits>

namespace textfile {

QByteArray encode(const QString& text)
{
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

namespace {
// Windows-1251 gives every byte one character of its own, so the decoder is
// asked once per byte value and the answers kept: person file scans decode a
// name for each of many thousands of files.
struct DecodeTable {
    std::array<char16_t, 256> chars{};
    bool oneToOne = true;
};

const DecodeTable& decodeTable()
{
    static const DecodeTable table = [] {
        DecodeTable t;
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            QStringDecoder decoder("windows-1251");
            const QString text = decoder.decode(QByteArrayView(&byte, 1));
            if (text.size() != 1)
                t.oneToOne = false;
            else
                t.chars[static_cast<size_t>(b)] = text[0].unicode();
        }
        return t;
    }();
    return table;
}
}  // namespace

QString decode(QByteArrayView bytes)
{
    const DecodeTable& table = decodeTable();
    if (!table.oneToOne) {
        QStringDecoder decoder("windows-1251");
        return decoder.decode(bytes);
    }
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = table.chars[static_cast<unsigned char>(bytes[i])];
    return text;
}

namespace {
// The characters that Windows-1251 holds, found once by decoding each byte.
const std::bitset<65536>& codePageChars()
{
    static const std::bitset<65536> chars = [] {
        std::bitset<65536> set;
        for (int b = 0; b < 256; ++b) {
            const QString c = decode(QByteArray(1, static_cast<char>(b)));
            if (c.size() == 1 && c.front() != QChar::ReplacementCharacter)
                set.set(c.front().unicode());
        }
        return set;
    }();
    return chars;
}

bool inCodePage(QChar c)
{
    return !c.isSurrogate() && codePageChars().test(c.unicode());
}
}  // namespace

bool fitsCodePage(const QString& text)
{
    return std::all_of(text.begin(), text.end(), inCodePage);
}

QString withoutForeign(QString text)
{
    text.removeIf([](QChar c) { return !inCodePage(c); });
    return text;
}

bool fitsLine(QByteArrayView encodedField)
{
    return !encodedField.contains('\n') && !encodedField.contains('\x1a');
}

QByteArray encodeHtml(const QString& text)
{
    if (fitsCodePage(text))
        return encode(text);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inCodePage(c)) {
            out += c;
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text.at(++i));
        out += QStringLiteral("&#") + QString::number(static_cast<uint>(code)) + QLatin1Char(';');
    }
    return encode(out);
}

QByteArray numberLine(int value)
{
    QByteArray digits = QByteArray::number(value);
    return value >= 0 ? " " + digits : digits;
}

std::optional<int> parseNumber(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) {
        negative = line[i] == '-';
        ++i;
    }
    const qsizetype digitsStart = i;
    long long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        value = value * 10 + (line[i] - '0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
        ++i;
    }
    if (i == digitsStart)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<QByteArray> Lines::next()
{
    if (atEnd())
        return std::nullopt;
    return lines_[pos_++];
}

std::optional<QString> Lines::nextText()
{
    auto line = next();
    if (!line)
        return std::nullopt;
    return decode(*line);
}

std::optional<int> Lines::nextNumber()
{
    auto line = next();
    if (!line)
        return std::nullopt;
    return parseNumber(*line);
}

QList<QByteArray> splitLines(const QByteArray& content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0) {
            lines.append(content.mid(start));
            break;
        }
        qsizetype lineEnd = end;
        if (lineEnd > start && content[lineEnd - 1] == '\r')
            --lineEnd;
        lines.append(content.mid(start, lineEnd - start));
        start = end + 1;
    }
    return lines;
}

ReadResult readLines(const QString& path, Lines& out)
{
    QFile file(path);
    if (!QFileInfo(path).exists())
        return ReadResult::NotFound;
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return ReadResult::Failed;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ReadResult::Failed;
    out = Lines(splitLines(content));
    return ReadResult::Ok;
}

namespace {
bool markedReadOnly(const QFileInfo& info)
{
    // The mode bits, not access(): an administrator could write anyway, but a
    // file or folder marked read-only is meant to stay as it is.
    return !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}
}

SaveResult saveAtomically(const QString& path, const QByteArray& content)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isDir() && markedReadOnly(target))
        return SaveResult::WriteProtected;
    const QFileInfo folder(target.absolutePath());
    if (folder.isDir() && markedReadOnly(folder))
        return SaveResult::WriteProtected;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.error() == QFileDevice::PermissionsError ? SaveResult::WriteProtected
                                                             : SaveResult::Failed;
    }
    // A full disk can take the start of the content and refuse the rest while
    // every call still reports success; the size on disk tells.
    if (file.write(content) != content.size() || !file.flush() || file.size() != content.size()) {
        file.cancelWriting();
        file.commit();
        return SaveResult::Failed;
    }
    return file.commit() ? SaveResult::Ok : SaveResult::Failed;
}

}  // namespace textfile
