#include "ground/TextFile.h"

#include "ground/FolderWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <bitset>
#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace textfile {

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

// The byte of each character the code page holds, as the encoder itself
// answers for it once: a card is a dozen fields, and an import writes tens of
// thousands of cards, each field otherwise costing a converter's set-up.
struct EncodeTable {
    std::array<unsigned char, 65536> bytes{};
    bool valid = true;
};

const EncodeTable& encodeTable()
{
    static const EncodeTable table = [] {
        EncodeTable t;
        const DecodeTable& decoded = decodeTable();
        t.valid = decoded.oneToOne;
        for (int b = 0; b < 256 && t.valid; ++b) {
            const QChar c(decoded.chars[static_cast<size_t>(b)]);
            if (!inCodePage(c))
                continue;
            QStringEncoder encoder("windows-1251");
            const QByteArray byte = encoder.encode(QString(c));
            if (byte.size() != 1)
                t.valid = false;
            else
                t.bytes[c.unicode()] = static_cast<unsigned char>(byte[0]);
        }
        return t;
    }();
    return table;
}
}  // namespace

QByteArray encode(const QString& text)
{
    const EncodeTable& table = encodeTable();
    if (!table.valid || !std::all_of(text.begin(), text.end(), inCodePage)) {
        QStringEncoder encoder("windows-1251");
        return encoder.encode(text);
    }
    QByteArray out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(table.bytes[text[i].unicode()]);
    return out;
}

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

QString shownText(QByteArrayView line)
{
    if (line.size() <= kMaxShownChars)
        return decode(line);
    return decode(line.first(kMaxShownChars - 1)) + QChar(0x2026);
}

QString shownText(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    return text.first(limit - 1) + QChar(0x2026);
}

QString ageText(int currentYear, std::optional<int> year)
{
    if (!year)
        return {};
    return QString::number(static_cast<qint64>(currentYear) - *year);
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

QList<QByteArray> nonEmptyLines(const QByteArray& content)
{
    QList<QByteArray> lines;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

QString nameFromBytes(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString name;
    name.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        name += b < 0x80 ? QChar(b) : QChar(char16_t(0xDC00 + b));
    }
    return name;
}

namespace {
bool isByteMark(QChar c)
{
    return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF;
}

bool hasByteMarks(const QString& text)
{
    return std::any_of(text.begin(), text.end(), isByteMark);
}
}  // namespace

QByteArray pathBytes(const QString& path)
{
    if (!hasByteMarks(path))
        return QFile::encodeName(path);
    QByteArray bytes;
    bytes.reserve(path.size());
    for (qsizetype i = 0; i < path.size();) {
        if (isByteMark(path[i])) {
            bytes += static_cast<char>(path[i].unicode() - 0xDC00);
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < path.size() && !isByteMark(path[j]))
            ++j;
        bytes += QFile::encodeName(path.mid(i, j - i));
        i = j;
    }
    return bytes;
}

QString readableName(const QString& name)
{
    if (!hasByteMarks(name))
        return name;
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        if (isByteMark(c)) {
            const char byte = static_cast<char>(c.unicode() - 0xDC00);
            shown += decode(QByteArrayView(&byte, 1));
        } else {
            shown += c;
        }
    }
    return shown;
}

namespace {
// The mode bits, not access(): an administrator could write anyway, but a
// file or folder marked read-only is meant to stay as it is.
bool modeReadOnly(const QFileInfo& info)
{
    return !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

QString folderOf(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return slash < 0 ? QStringLiteral("./") : path.left(slash + 1);
}

#ifdef Q_OS_UNIX
bool onReadOnlyMedium(const QString& folder)
{
    struct statvfs fs {};
    return ::statvfs(pathBytes(folder).constData(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0;
}

bool modeReadOnly(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
#endif
}  // namespace

bool fileExists(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(pathBytes(path).constData(), &st) == 0;
#else
    return QFileInfo::exists(path);
#endif
}

bool markedReadOnly(const QString& path)
{
#ifdef Q_OS_UNIX
    const QString folder = folderOf(path);
    return modeReadOnly(pathBytes(path)) || modeReadOnly(pathBytes(folder)) || onReadOnlyMedium(folder);
#else
    return modeReadOnly(QFileInfo(path)) || modeReadOnly(QFileInfo(folderOf(path)));
#endif
}

bool removeFile(const QString& path)
{
#ifdef Q_OS_UNIX
    return ::unlink(pathBytes(path).constData()) == 0;
#else
    return QFile::remove(path);
#endif
}

#ifdef Q_OS_UNIX
QByteArray percentEscaped(QByteArrayView bytes, QByteArrayView alsoEscaped, bool escapeHigh)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == '%' || (escapeHigh && b >= 0x80) || alsoEscaped.contains(c)) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QByteArray> percentUnescaped(QByteArrayView field)
{
    auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        if (i + 2 >= field.size())
            return std::nullopt;
        const int high = digit(field[i + 1]);
        const int low = digit(field[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

bool readUpTo(int fd, QByteArray& into, qsizetype upTo)
{
    qsizetype filled = into.size();
    into.resize(upTo);
    bool ok = true;
    while (filled < upTo) {
        const ssize_t got = ::read(fd, into.data() + filled, static_cast<size_t>(upTo - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        filled += got;
    }
    into.resize(filled);
    return ok;
}
#endif

// Why the bounds suffice: a test holds at most 99 999 questions (the count
// box takes five digits) of texts typed at a desk, far below 64 MB; a person
// file holds at most 99 999 answer digits besides a name and nine short
// fields, far below 4 MB; the settings hold three paths. Only a damaged or
// foreign file reaches a bound, and the bound is all it can make us hold.
ReadResult readLines(const QString& path, Lines& out, qsizetype maxBytes, QByteArrayView marker, QByteArray* read)
{
    QByteArray content;
#ifdef Q_OS_UNIX
    // Non-blocking, so that a pipe bearing the name cannot hold the program;
    // only a regular file is read at all.
    const int fd = ::open(pathBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::NotFound : ReadResult::Failed;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return ReadResult::Failed;
    // Reads until `upTo` bytes are held or the file ends; false on an error.
    auto readUpTo = [fd, &content](qsizetype upTo) { return textfile::readUpTo(fd, content, upTo); };
#else
    if (!QFileInfo::exists(path))
        return ReadResult::NotFound;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return ReadResult::Failed;
    auto readUpTo = [&file, &content](qsizetype upTo) {
        content += file.read(upTo - content.size());
        return file.error() == QFileDevice::NoError;
    };
#endif
    if (!marker.isEmpty()) {
        // The marker and its line end, nothing more: a foreign file costs no
        // more than this.
        if (!readUpTo(std::min(maxBytes, marker.size() + 2)))
            return ReadResult::Failed;
        QByteArrayView first(content);
        const qsizetype lf = first.indexOf('\n');
        if (lf >= 0)
            first = first.first(lf);
        if (first.endsWith('\r'))
            first.chop(1);
        if (first != marker)
            return ReadResult::Foreign;
    }
    // Growing steps, so that a small file costs one small read and a large
    // one no more than twice its size in passing.
    qsizetype step = qsizetype(64) << 10;
    while (content.size() < maxBytes) {
        const qsizetype upTo = std::min(maxBytes, content.size() + step);
        if (!readUpTo(upTo))
            return ReadResult::Failed;
        if (content.size() < upTo)
            break;
        step = std::min(step * 2, qsizetype(16) << 20);
    }
    out = Lines(splitLines(content));
    if (read)
        *read = content;
    return ReadResult::Ok;
}

namespace {
SaveResult writeWhole(const QString& path, const QByteArray& content)
{
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

// A name that only the folder's bytes spell: QSaveFile cannot name it, so the
// folder's own writer puts the content under a temporary name there and
// renames it over the old file, which replaces it in one step as a plain
// save does.
SaveResult saveRawName(const QString& path, const QByteArray& content)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return replaceInFolder(path.left(slash + 1), path.mid(slash + 1), content);
}
}  // namespace

SaveResult saveAtomically(const QString& path, const QByteArray& content)
{
    const bool rawName = hasByteMarks(path);
    if (rawName) {
        if (markedReadOnly(path))
            return SaveResult::WriteProtected;
        return saveRawName(path, content);
    }
    const QFileInfo target(path);
    if (target.exists() && !target.isDir() && modeReadOnly(target))
        return SaveResult::WriteProtected;
    const QFileInfo folder(target.absolutePath());
    if (folder.isDir() && modeReadOnly(folder))
        return SaveResult::WriteProtected;
#ifdef Q_OS_UNIX
    // A medium mounted read-only refuses with an error of its own; it is
    // write-protected all the same.
    if (folder.isDir() && onReadOnlyMedium(folder.absoluteFilePath() + QLatin1Char('/')))
        return SaveResult::WriteProtected;
#endif
    return writeWhole(path, content);
}

bool folderWritable(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && !modeReadOnly(info);
}

}  // namespace textfile
