#pragma once

#include "engines/AutoBackup.h"
#include "engines/Journal.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Platform;

// Erasure of a person with an act of destruction: the person file, the
// photograph when no other card names it, every item the folder's store
// keeps about them (their own, and their name in others' items); then the act
// (text and PDF, in the acts folder of the test folder) and a journal record
// that names the act, not the person.
namespace erasure {

// The acts folder inside the test folder, and the act's files' names.
inline const QString kActsFolder = QStringLiteral("Акты");
QString ActBaseName(const QString& number);  // "Акт 2026-0001"
// The journal's action for an erasure; its file is the act's text file
// ("Акты/Акт 2026-0001.txt").
inline const QString kErased = QStringLiteral("данные уничтожены");
// The store kind that hands out act numbers: one item per number, taken by
// the desk that creates it.
inline const QString kActKind = QStringLiteral("act");

enum class Photo {
    None,        // the card names no photograph
    InFolder,    // in the test folder, named by no other card: removed
    Shared,      // in the test folder, but other cards name it too
    Outside,     // outside the test folder: never touched, the act says so
};

// What many erasures in one folder share, read once instead of once each: the
// journal, and which cards name which photograph (read on first need).
class Batch {
public:
    explicit Batch(const QString& folder);
    QList<journal::Record> extract(const QString& personFile) const;
    QStringList photoUsers(const QString& photoPath);
    void forget(const QString& personFile);

private:
    QString folder_;
    QHash<QString, QList<journal::Record>> journal_;
    std::optional<QHash<QString, QStringList>> photos_;  // by path as named and as resolved
};

// The photograph of a card and which of the cases above it is; `others` the
// other person files that name it. Reads every card of the folder, or asks
// the batch.
Photo PhotoOf(const QString& folder, const QString& personFile, const QString& photoPath, QStringList* others = nullptr,
              Batch* batch = nullptr);

struct Request {
    QString folder;      // the test folder, ending with its separator
    QString personFile;  // a name in it
    // The bytes the operator saw; the erasure goes ahead only while the file
    // still holds them (nothing: as it is now).
    std::optional<QByteArray> expected;
    QString reason;
    bool withdrawal = false;        // "Отзыв согласия"
    bool removeSharedPhoto = false;  // the operator agreed to remove a photo other cards name
    // The automatic copies that still hold the person (autobackup::ArchivesHolding).
    QList<autobackup::Held> backups;
};

enum class Status { Done, ChangedElsewhere, Gone, Failed };

struct Act {
    QString number;  // "2026-0001"
    QDateTime time;
    QString user;
    QString desk;
    QString person;     // whose data: name and year of birth
    QString personFile;
    QStringList categories;
    QString reason;
    QStringList removed;     // the files and records removed
    QStringList kept;        // what was left and why (a shared or outside photo)
    QStringList backups;     // archives that still hold the person, with the day they expire
    QList<journal::Record> extract;  // the journal's records of the person file
};

struct Outcome {
    Status status = Status::Failed;
    QString message;  // for the user, when not Done
    Act act;
    QString actText;  // the act's files written
    QString actPdf;
    bool journalled = false;
};

// Erases as above. Nothing is removed when the person file changed or went
// meanwhile (another desk), and the act is written only once the person file
// is gone. The act's PDF is written through the platform; its text is the
// act whatever the PDF's fate.
// With a batch, the journal and the cards are not read again for each.
Outcome Erase(Platform& platform, const Request& request, Batch* batch = nullptr);

// The act as text (UTF-8, CR LF line ends) and as HTML for its PDF.
QByteArray ActText(const Act& act);
QString ActHtml(const Act& act);

}  // namespace erasure
