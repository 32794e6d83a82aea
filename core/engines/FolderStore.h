#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// What the program keeps for a test folder beyond the test and its person
// files (the journal of changes; consent, notes, status, introductions and
// weights as they come) goes through this one interface, so that a database
// server can stand behind it instead of the folder. The folder may be shared
// by several desks on a network disk: nothing is appended to a file another
// desk writes, every item is replaced whole, and a change never overwrites
// what another desk saved since it was read.
namespace store {

enum class Result {
    Ok,
    Changed,  // another desk saved (or removed) the item since it was read: nothing was done
    WriteProtected,
    Failed,
};

// An item as read: its bytes and the version they were read at, which a
// change names to go ahead only while the item is still at it.
struct Item {
    QByteArray bytes;
    QByteArray version;
};

class FolderStore {
public:
    virtual ~FolderStore() = default;

    // Items: small documents by kind ("consent", "notes"…) and key (a person
    // file's name through KeyOf, say). Kinds and keys are plain names:
    // letters, digits, "-", "_", "%" and "." (not first), non-ASCII letters
    // included.
    // Nothing when there is no such item; `failed` tells a read error apart.
    virtual std::optional<Item> read(const QString& kind, const QString& key, bool* failed = nullptr) = 0;
    // Writes the item whole, only while it is still at `expectedVersion`
    // (nothing: only while there is no such item).
    virtual Result write(const QString& kind, const QString& key, const QByteArray& bytes,
                         const std::optional<QByteArray>& expectedVersion) = 0;
    // Removes the item, only while it is still at `expectedVersion`.
    virtual Result remove(const QString& kind, const QString& key, const QByteArray& expectedVersion) = 0;
    // The keys of a kind, in no particular order.
    virtual QStringList keys(const QString& kind) = 0;

    // Logs (the journal): each desk adds records to its own part, so that no
    // two desks ever write the same file; reading gives every desk's records.
    // A record is one line of bytes without CR or LF. The records are on the
    // disk when append returns Ok.
    virtual Result append(const QString& log, const QList<QByteArray>& records) = 0;
    // Every whole record of every desk, each desk's in the order written; a
    // record cut by a crash is left out. Nothing more than `maxBytes` is read.
    virtual QList<QByteArray> records(const QString& log, bool* failed = nullptr) = 0;

    // The backup's view: everything the store holds, as files with paths
    // relative to the test folder ("/" between parts), and putting such a
    // file back into a store of a new folder.
    virtual QStringList storedFiles() = 0;
    virtual std::optional<QByteArray> readStoredFile(const QString& path) = 0;
    virtual Result restoreStoredFile(const QString& path, const QByteArray& bytes) = 0;
};

// Changes one item: `change` gets the item's bytes as read (nothing: there is
// none) and gives the new bytes, or nothing to remove the item. The change is
// written only while the item is still as read; when another desk changed it
// meanwhile it is read again and `change` runs again, up to `attempts` times
// (Changed after that). `change` may refuse by setting `refused`: Failed,
// nothing written.
using Change = std::function<std::optional<QByteArray>(const std::optional<QByteArray>& bytes, bool& refused)>;
Result Update(FolderStore& store, const QString& kind, const QString& key, const Change& change, int attempts = 200);

// The store of a test folder (ending with its separator). By default the
// files of the hidden folder kHiddenFolder inside it.
std::unique_ptr<FolderStore> Open(const QString& folder);
// Replaces what Open makes (a database server, a test's fake); an empty
// function restores the default.
void SetOpener(std::function<std::unique_ptr<FolderStore>(const QString& folder)> opener);

// The hidden folder of the default store, which no list of the program shows.
inline const QString kHiddenFolder = QStringLiteral(".kartoteka");

// Any name (a person file's, which may hold blanks and punctuation) as a
// plain key, and back: every character but a letter, a digit, "-", "_" and a
// "." that is not first is written as "%XX" of its UTF-8 bytes (a name whose
// bytes are not UTF-8 keeps its very bytes).
QString KeyOf(const QString& name);
QString NameOfKey(const QString& key);

// This desk: the host name, as the journal names it and the store's logs
// tell desks apart; and the operating system's user.
QString DeskName();
QString UserName();

}  // namespace store
