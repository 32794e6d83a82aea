#include "engines/Journal.h"

#include "engines/FolderStore.h"
#include "ground/TextFile.h"

#include <QCryptographicHash>

#include <algorithm>

namespace journal {

namespace {

const QString kLog = QStringLiteral("journal");
// The first field of every line: the form of the record, so that a later
// form can be told apart.
const QByteArray kForm = QByteArrayLiteral("1");
constexpr int kFields = 9;  // form, time, desk, user, action, file, before, after, check
constexpr qsizetype kMaxFieldBytes = 4096;

// Fields are separated by commas; a comma, a percent sign and every control
// character inside a field are written as %XX, so that a record is one line.
QByteArray escaped(QByteArrayView bytes)
{
    return textfile::percentEscaped(bytes, ",");
}

bool isHash(QByteArrayView field)
{
    if (field.isEmpty())
        return true;
    if (field.size() != 64)
        return false;
    return std::all_of(field.begin(), field.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The check field: the start of the SHA-256 of everything before it, which
// tells a whole record from one cut anywhere by a crash.
QByteArray check(QByteArrayView body)
{
    return QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex().left(8);
}

}  // namespace

QString TimeText(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QByteArray Sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

std::optional<QByteArray> FileBytes(const QString& path, qsizetype maxBytes)
{
    textfile::Lines lines;
    QByteArray bytes;
    if (textfile::readLines(path, lines, maxBytes, {}, &bytes) != textfile::ReadResult::Ok)
        return std::nullopt;
    return bytes;
}

Record Make(const QDateTime& time, const QString& action, const QString& file,
            const std::optional<QByteArray>& before, const std::optional<QByteArray>& after)
{
    Record record;
    record.time = time.toOffsetFromUtc(time.offsetFromUtc());
    record.desk = store::DeskName();
    record.user = store::UserName();
    record.action = action;
    record.file = file;
    if (before)
        record.before = Sha256Hex(*before);
    if (after)
        record.after = Sha256Hex(*after);
    return record;
}

QByteArray Encode(const Record& record)
{
    QByteArray line = kForm;
    for (const QByteArray& field :
         {TimeText(record.time).toUtf8(), record.desk.toUtf8(), record.user.toUtf8(), record.action.toUtf8(),
          textfile::pathBytes(record.file), record.before, record.after}) {
        line += ',';
        line += escaped(field.left(kMaxFieldBytes));
    }
    const QByteArray sum = check(line);
    line += ',';
    line += sum;
    return line;
}

std::optional<Record> Decode(QByteArrayView line)
{
    const QList<QByteArray> fields = line.toByteArray().split(',');
    if (fields.size() != kFields || fields[0] != kForm)
        return std::nullopt;
    const qsizetype bodyEnd = line.size() - fields[kFields - 1].size() - 1;
    if (check(line.first(bodyEnd)) != fields[kFields - 1])
        return std::nullopt;
    QList<QByteArray> raw;
    for (int i = 1; i < kFields - 1; ++i) {
        if (fields[i].size() > 3 * kMaxFieldBytes)
            return std::nullopt;
        const auto field = textfile::percentUnescaped(fields[i]);
        if (!field)
            return std::nullopt;
        raw.append(*field);
    }
    Record record;
    record.time = QDateTime::fromString(QString::fromUtf8(raw[0]), Qt::ISODateWithMs);
    if (!record.time.isValid())
        return std::nullopt;
    record.desk = QString::fromUtf8(raw[1]);
    record.user = QString::fromUtf8(raw[2]);
    record.action = QString::fromUtf8(raw[3]);
    record.file = textfile::nameFromBytes(raw[4]);
    if (!isHash(raw[5]) || !isHash(raw[6]))
        return std::nullopt;
    record.before = raw[5];
    record.after = raw[6];
    return record;
}

bool Append(store::FolderStore& store, const QList<Record>& records)
{
    QList<QByteArray> lines;
    lines.reserve(records.size());
    for (const Record& record : records)
        lines.append(Encode(record));
    return store.append(kLog, lines) == store::Result::Ok;
}

bool Append(const QString& folder, const QList<Record>& records)
{
    const auto store = store::Open(folder);
    return Append(*store, records);
}

QList<Record> Read(store::FolderStore& store, const std::optional<QDateTime>& since, bool* failed)
{
    QList<Record> records;
    for (const QByteArray& line : store.records(kLog, failed)) {
        auto record = Decode(line);
        if (record && (!since || record->time >= *since))
            records.append(std::move(*record));
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.time < b.time; });
    return records;
}

QByteArray CsvField(const QByteArray& field)
{
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') && !field.contains('\r'))
        return field;
    QByteArray quoted = field;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray Csv(const QList<Record>& records)
{
    QByteArray out = QStringLiteral("время,рабочее место,пользователь,действие,файл,SHA-256 до,SHA-256 после\r\n").toUtf8();
    for (const Record& r : records) {
        out += CsvField(TimeText(r.time).toUtf8()) + ',' + CsvField(r.desk.toUtf8()) + ',' +
               CsvField(r.user.toUtf8()) + ',' + CsvField(r.action.toUtf8()) + ',' +
               CsvField(textfile::pathBytes(r.file)) + ',' + r.before + ',' + r.after + "\r\n";
    }
    return out;
}

}  // namespace journal
