#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace store {
class FolderStore;
enum class Result;
}

// An evening of introductions: the club's guests meet in rotation, each man
// with each woman once, and afterwards tick whom they would like to see
// again; the club hands each guest the ticks that are mutual. An evening is
// one item of the folder's store (the name is its key, by default the date
// "2026-12-11"); every change is applied to the item as it is on the disk
// when written, so that two desks entering ticks at once keep both.
namespace evening {

inline const QString kKind = QStringLiteral("evening");

// The most guests of one evening: the grid of ticks and the schedule are
// pages a person reads, and a few dozen guests is what an evening holds.
inline constexpr int kMaxGuests = 120;

struct Evening {
    QStringList guests;  // person file names, in the order they were ticked
    QSet<std::pair<QString, QString>> ticks;  // (who ticked, whom): wants to see again
    bool operator==(const Evening&) const = default;

    QStringList men() const;
    QStringList women() const;
    bool has(const QString& guest) const { return guests.contains(guest); }
};

bool IsWoman(const QString& personFile);

// One line per guest "g\t<key>" and per tick "t\t<key>\t<key>" (keys by
// store::KeyOf), CR LF; guests in their order, ticks sorted, so the same
// evening always gives the same bytes. Unknown lines are skipped.
QByteArray Encode(const Evening& evening);
std::optional<Evening> Decode(const QByteArray& bytes);

// The evening without `guest` and the ticks that name them.
Evening Without(const Evening& evening, const QString& guest);

// For a person's data and erasure: the part of an evening's bytes that names
// `guest` (nothing: they were not on it), and the bytes without them
// (nothing: nobody is left, the evening goes).
std::optional<QByteArray> GuestPart(const QByteArray& bytes, const QString& guest);
std::optional<QByteArray> BytesWithout(const QByteArray& bytes, const QString& guest);

// ---- The rotation
// The smaller group stays, one at each table; the larger group moves on a
// table each round, so that with n = the larger number, in round r table t
// seats the t-th of the smaller group and the ((t + r) mod n)-th of the larger
// one. n rounds, min(men, women) tables; whoever of the larger group has no
// table in a round pauses. Without men or without women there is no round.
struct Table {
    int man = -1;  // indexes into the men and the women
    int woman = -1;
};
struct Round {
    QList<Table> tables;  // table t at index t
    QList<int> pausedMen, pausedWomen;
};
QList<Round> Rotation(int men, int women);

// ---- Ticks
// For `guest`, the guests they ticked who ticked them too, in the order of
// the evening's guests.
QStringList Mutual(const Evening& evening, const QString& guest);

// ---- The store
// The evenings' names, newest (largest name) first.
QStringList Names(store::FolderStore& store);
// Nothing when there is no such evening (an empty one); `failed` tells a
// read error apart.
std::optional<Evening> Read(store::FolderStore& store, const QString& name, bool* failed = nullptr);
// Each change reads the item afresh and applies only itself.
// Adds or takes out a guest (taking out drops their ticks); a guest beyond
// kMaxGuests is refused (Failed).
store::Result SetGuest(store::FolderStore& store, const QString& name, const QString& guest, bool present);
// Sets or clears a tick of two guests of different sex, both on the evening
// (Failed otherwise).
store::Result SetTick(store::FolderStore& store, const QString& name, const QString& from, const QString& to,
                      bool ticked);

// An evening's name as a store key and back (any text typed by the club).
QString KeyOfName(const QString& name);
QString NameOfKey(const QString& key);

}  // namespace evening
