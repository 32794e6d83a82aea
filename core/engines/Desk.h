#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace store {
class FolderStore;
enum class Result;
}

// The operator's desk: whom each person accepts, their status, the
// operator's notes with a reminder, and the introductions of two people.
// All of it lives in the folder's store, never in the person files, so that
// a folder nobody uses it in stays as it was.
//
// Whom a person accepts and their status are read for every candidate of a
// ranking: they are kept in a fixed number of shared items ("shards"), each
// holding the people whose key falls into it, so that a ranking of 100 000
// people reads a few hundred small items instead of 100 000. A change
// rewrites one shard, guarded by the version read and read again when
// another desk changed it meanwhile.
namespace desk {

// The store's kinds.
inline const QString kSeekingKind = QStringLiteral("seeking");
inline const QString kStatusKind = QStringLiteral("status");
inline const QString kNotesKind = QStringLiteral("notes");
inline const QString kIntroductionsKind = QStringLiteral("introductions");
// The operator started the desk in a folder before keeping anything in it.
inline const QString kDeskKind = QStringLiteral("desk");
inline const QString kDeskOnKey = QStringLiteral("on");

inline constexpr int kShards = 256;
// The shard item's key of a person file.
QString ShardOf(const QString& personFile);
// One person's value in a shard's bytes (nothing: they are not in it), and
// the shard without them.
std::optional<QByteArray> ShardPart(const QByteArray& shard, const QString& personFile);
QByteArray ShardWithout(const QByteArray& shard, const QString& personFile);

// ---- Whom a person accepts ("Кого ищу")
struct Seeking {
    std::optional<int> ageFrom, ageTo;
    std::optional<double> heightFrom, heightTo;  // metres
    QStringList hair;  // acceptable hair colours (the card dialog's lists); empty: any
    QStringList eyes;
    bool isEmpty() const;
    bool operator==(const Seeking&) const = default;
};
// "age=18-30;height=1.6-1.85;hair=Блондин|Шатен;eyes=Карие", and back.
QString EncodeSeeking(const Seeking& seeking);
std::optional<Seeking> DecodeSeeking(const QString& text);

// A height as people type it ("1,65", "1.65 м", "165"): metres; nothing
// when it is no height.
std::optional<double> ParseHeight(const QString& text);

// What a candidate shows of themselves to another's bounds.
struct Traits {
    std::optional<int> age;
    std::optional<double> height;
    QString hair;
    QString eyes;
};
// Whether someone with `traits` fits what `seeking` accepts: an unset bound
// accepts everyone; an unknown age or height fits only an unset bound; a
// bound is inclusive.
bool Fits(const Seeking& seeking, const Traits& traits);

// ---- Status
enum class Status { Active, Paused, Found, Archived };
// "активен", "пауза", "нашёл пару", "в архиве".
QString StatusText(Status status);
std::optional<Status> StatusFromText(const QString& text);
inline constexpr Status kStatuses[] = {Status::Active, Status::Paused, Status::Found, Status::Archived};

// ---- Notes and the reminder
struct Note {
    QDateTime time;
    QString author;  // the operating system's user
    QString text;
    bool operator==(const Note&) const = default;
};
struct Notes {
    QList<Note> entries;  // oldest first
    std::optional<QDate> remind;
    bool operator==(const Notes&) const = default;
};
QByteArray EncodeNotes(const Notes& notes);
std::optional<Notes> DecodeNotes(const QByteArray& bytes);

// ---- Introductions of two people
enum class Outcome { None, Met, NoFit, Pair };
// "", "встреча состоялась", "не подошли", "пара".
QString OutcomeText(Outcome outcome);
struct Introduction {
    QDateTime time;
    QString author;
    Outcome outcome = Outcome::None;
    bool operator==(const Introduction&) const = default;
};
struct PairHistory {
    QList<Introduction> introductions;  // oldest first
    bool never = false;  // "Больше не предлагать": neither is offered to the other again
    bool operator==(const PairHistory&) const = default;
};
QByteArray EncodePair(const PairHistory& history);
std::optional<PairHistory> DecodePair(const QByteArray& bytes);
// The item key of two person files (in either order), and the two back.
QString PairKey(const QString& a, const QString& b);
std::optional<std::pair<QString, QString>> PairOfKey(const QString& key);

// ---- The store, for one folder
// What the desk keeps about everyone, read at once (a ranking, a list, the
// statistics): by person file name.
// A ranking looks up every candidate: the items are kept as read and only
// indexed by the bytes of each person file's name (textfile::pathBytes), and
// one person's bounds are decoded when asked for.
class Everyone {
public:
    std::optional<Seeking> seekingOf(QByteArrayView nameBytes) const;
    std::optional<Seeking> seekingOf(const QString& personFile) const;
    Status statusOf(QByteArrayView nameBytes) const;
    Status statusOf(const QString& personFile) const;
    bool anyoneInactive() const { return !status_.isEmpty(); }
    // Those whose bounds someone with `traits` does not fit (a ranking's
    // reference): one pass over everyone's bounds, no lookups.
    QSet<QByteArrayView> notAccepting(const Traits& traits) const;
    bool seekingUsed = false;  // someone has bounds set
    bool statusUsed = false;   // someone has a status set, now or before
    bool startedOn = false;    // the operator started the desk in the folder

private:
    friend Everyone ReadEveryone(store::FolderStore& store);
    QList<QByteArray> held_;  // the bytes the views below look into
    QList<std::pair<QByteArrayView, QByteArrayView>> bounds_;  // name, encoded bounds
    mutable std::optional<QHash<QByteArrayView, QByteArrayView>> seeking_;  // built once often asked
    mutable int asked_ = 0;
    static constexpr int kLinearLookups = 4;
    QHash<QByteArrayView, Status> status_;  // only those not active
};
Everyone ReadEveryone(store::FolderStore& store);

// One person's, read alone (a card page).
Seeking ReadSeeking(store::FolderStore& store, const QString& personFile);
Status ReadStatus(store::FolderStore& store, const QString& personFile);
Notes ReadNotes(store::FolderStore& store, const QString& personFile);
// The people never to be offered to `personFile`, and each introduction
// history they have with them, by the other's file name.
QHash<QString, PairHistory> ReadPairsOf(store::FolderStore& store, const QString& personFile);

// Changes, each guarded by the version read and retried when another desk
// changed the item meanwhile: nothing another desk saved is ever lost.
// An empty Seeking removes the person's bounds; Active removes the status.
store::Result WriteSeeking(store::FolderStore& store, const QString& personFile, const Seeking& seeking);
// Many people's bounds at once (an import): each shard is written once.
store::Result WriteSeekingMany(store::FolderStore& store, const QList<std::pair<QString, Seeking>>& bounds);
store::Result WriteStatus(store::FolderStore& store, const QString& personFile, Status status);
store::Result AddNote(store::FolderStore& store, const QString& personFile, const Note& note);
store::Result SetReminder(store::FolderStore& store, const QString& personFile, const std::optional<QDate>& date);
store::Result Introduce(store::FolderStore& store, const QString& a, const QString& b, const Introduction& introduction);
// Sets the outcome of introduction `index` (oldest first) of the two.
store::Result SetOutcome(store::FolderStore& store, const QString& a, const QString& b, int index, Outcome outcome);
store::Result NeverOffer(store::FolderStore& store, const QString& a, const QString& b);
// Starts the desk in a folder where nothing is kept yet.
store::Result StartDesk(store::FolderStore& store);

// A reminder that has come: whose, when, and the newest note's text.
struct Reminder {
    QString personFile;
    QDate date;
    QString lastNote;
};
// Reminders dated `today` or earlier, soonest first (then by file name).
QList<Reminder> DueReminders(store::FolderStore& store, const QDate& today);

}  // namespace desk
