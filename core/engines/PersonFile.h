#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class App;
struct Kartochka;
namespace textfile {
class Lines;
}

inline const QByteArray kCardMarker = QByteArrayLiteral("[kartochka]");
inline const QString kMenExtension = QStringLiteral(".tnm");
inline const QString kWomenExtension = QStringLiteral(".tnw");

// A card's file as found when a change or deletion was about to replace it.
enum class CardFileState { AsRead, ChangedElsewhere, DeletedElsewhere };
inline const QString kCardChangedElsewhere = QStringLiteral("Карточка изменена на другом рабочем месте.");
inline const QString kCardDeletedElsewhere = QStringLiteral("Карточка удалена на другом рабочем месте.");

// A field of a card, as a message names it: the name, the answers, one of
// the nine details (by its index in Podrobnosti) or the password.
struct CardField {
    enum Kind { Name, Answers, Detail, Password } kind = Name;
    int detail = 0;
    bool operator==(const CardField&) const = default;
};
// The field's caption in the card dialog ("О себе"), without the colon.
QString CardFieldCaption(CardField field);

// Whether a reader would cut the card's file (textfile::kMaxCardBytes for the
// whole card, textfile::kMaxCardHeadBytes for the lines the lists read): the
// longest field of the lines past the bound, the one to shorten; nothing
// when every reader reads the card whole.
std::optional<CardField> CardFieldTooLong(const Kartochka& card);
// The message that refuses such a card, naming the field.
QString CardTooLongMessage(CardField field);

// Writes card slot `slot` (0..2) to WorkFolder + fileName, replacing the card
// stored there. On success the slot's FileName becomes fileName and true is
// returned; a failure is reported to the user, the old file and the slot stay
// as they were. Nothing outside WorkFolder is ever written: a file name held by
// a symbolic link (or anything but a plain file) is refused.
// A card read from that very file is written back only while the file still
// holds what was read (Kartochka::OnDisk), and never re-creates a file that is
// gone; otherwise the user is told which, and `found` says it.
bool SaveKartochka(App& app, const QString& fileName, int slot, CardFileState* found = nullptr);

// Writes card slot `slot` as a new person file in WorkFolder, named by the
// file name rule for `when`, or "_2", "_3"… after its stem when that name is
// taken, by this or any other program sharing the folder. No file is ever
// replaced. On success the slot's FileName is the name taken; a failure is
// reported to the user with the rule's name.
bool SaveNewKartochka(App& app, int slot, const QDateTime& when);

// Several cards as new person files, each saved as SaveNewKartochka saves
// one, named by the rule for `when` in their order; the disk is made to keep
// them all at once, not one after the other, which makes a large import run
// at the disk's speed. Nothing is reported to the user: each card's entry is
// empty when it was saved (its FileName is the name taken), else the message
// that says why not. The folder's journal records each saved card under
// `action`; `unrecorded` is set when it could not.
QList<QString> SaveNewKartochkas(const App& app, QList<Kartochka>& cards, const QDateTime& when,
                                 const QString& action, bool* unrecorded = nullptr);

enum class CardOpen { Opened, Failed };
// Reads WorkFolder + fileName into card slot `slot`. Failures are reported to
// the user and leave the slot untouched.
[[nodiscard]] CardOpen OpenKartochka(App& app, const QString& fileName, int slot);

// A card from the lines of its person file after the marker line, as
// OpenKartochka reads it (FileName set, nothing of OnDisk).
Kartochka KartochkaFromLines(textfile::Lines& lines, const QString& fileName);

// The bytes of a person file for a card.
QByteArray PersonFileContent(const Kartochka& card);

// "<test base name>_<yyyy dd MM hh mm ss>.tnm|.tnw" for a result finished at `when`.
QString PersonFileName(const App& app, const Kartochka& card, const QDateTime& when);
