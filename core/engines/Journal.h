#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace store {
class FolderStore;
}

// The journal of a test folder: one record for every change the program
// makes to it, who made it, when, and the file's SHA-256 before and after.
// It names files and hashes only, never a person's name or answers.
namespace journal {

// What was done, as the journal spells it.
inline const QString kResultSaved = QStringLiteral("результат сохранён");
inline const QString kCardChanged = QStringLiteral("карточка изменена");
inline const QString kCardDeleted = QStringLiteral("карточка удалена");
inline const QString kImported = QStringLiteral("импорт");
inline const QString kTestSaved = QStringLiteral("тест сохранён");
inline const QString kBackup = QStringLiteral("резервная копия");
inline const QString kRestore = QStringLiteral("восстановление");
// The operator set a person's status; before and after are the status texts.
inline const QString kStatusChanged = QStringLiteral("статус изменён");

// What the user is told when a change was made but the journal could not
// record it.
inline const QString kNotRecorded = QStringLiteral("Изменение сохранено, но в журнал папки не записано.");

struct Record {
    QDateTime time;  // with its offset from UTC
    QString desk;
    QString user;
    QString action;
    QString file;       // a file name in the folder (or an archive's path)
    QByteArray before;  // SHA-256 in lower-case hex; empty when there was no file
    QByteArray after;   // the same after the change; empty when the file is gone
    bool operator==(const Record&) const = default;
};

// A moment as the program's records write it: ISO 8601 with milliseconds
// and its offset from UTC, so that it means one moment anywhere.
QString TimeText(const QDateTime& time);
// A field of a CSV line: quoted (inner quotes doubled) only when it holds a
// comma, a quote or a line end.
QByteArray CsvField(const QByteArray& field);

// SHA-256 of bytes as lower-case hex.
QByteArray Sha256Hex(QByteArrayView bytes);

// The bytes of the plain file at `path` (at most `maxBytes`) for their
// hash; nothing when there is no such file or it cannot be read.
std::optional<QByteArray> FileBytes(const QString& path, qsizetype maxBytes);

// A record of this desk and user at `time`, with the hashes of the bytes
// before and after (nothing: no file).
Record Make(const QDateTime& time, const QString& action, const QString& file,
            const std::optional<QByteArray>& before, const std::optional<QByteArray>& after);

// Adds the records to the folder's journal; false when they could not be
// written.
bool Append(store::FolderStore& store, const QList<Record>& records);
// The same for the folder `folder` (ending with its separator).
bool Append(const QString& folder, const QList<Record>& records);

// Every desk's records, merged in time order (from `since` on, when given).
QList<Record> Read(store::FolderStore& store, const std::optional<QDateTime>& since = std::nullopt,
                   bool* failed = nullptr);

// A record as one line of the journal's files, and back; nothing for a line
// that is not a whole record.
QByteArray Encode(const Record& record);
std::optional<Record> Decode(QByteArrayView line);

// The records as CSV (UTF-8, a header line, CR LF line ends), the form
// `tandemo-cli journal` prints.
QByteArray Csv(const QList<Record>& records);

}  // namespace journal
