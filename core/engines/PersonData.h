#pragma once

#include "engines/Consent.h"
#include "engines/Journal.h"
#include "ground/Kartochka.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Platform;
struct TestInMemory;
namespace store {
class FolderStore;
}

// Everything the folder keeps about one person, gathered for the person
// (the card, the answers with their texts, the consent, the store's items
// about them, the journal of their file), and the one list of what the store
// keeps per person, which erasure removes.
namespace persondata {

// Kinds of the store whose items are keyed by store::KeyOf(person file):
// each is the person's own and goes with them.
QStringList PersonKinds();
// Items of other kinds name a person among others (a shard of everyone's
// bounds, an introduction of two people). Each such kind says which of its
// keys may name the person, the person's part of such an item (nothing: the
// item does not name them), and the item without them (nothing: the item
// goes). Export takes the parts; erasure keeps the rest.
using Part = std::function<std::optional<QByteArray>(const QByteArray& bytes, const QString& personFile)>;
struct MentionKind {
    QString kind;
    std::function<QStringList(store::FolderStore& store, const QString& personFile)> keys;
    Part part;
    Part without;
};
QList<MentionKind> MentionKinds();
// What the items of a kind hold, as an act and an export name it
// ("запись о согласии", "заметки оператора"…).
QString KindText(const QString& kind);

// Reads the person file at `path` whole into `card` (its bytes into `bytes`);
// the result as textfile::readLines gives it.
enum class CardRead { Ok, NotFound, Failed, Foreign };
CardRead ReadCard(const QString& path, Kartochka& card, QByteArray* bytes = nullptr);
// The message for the user when a card could not be read, as opening a card
// says it.
QString CardReadMessage(CardRead result);

struct Answer {
    int question = 0;  // 1-based
    QString questionText;
    int answer = -1;   // 0-based; -1 when the card's answers do not reach it
    QString answerText;
};

struct StoredItem {
    QString kind;
    QString key;
    QByteArray bytes;
};

struct Bundle {
    QString folder;
    Kartochka card;
    QByteArray cardBytes;  // the person file as read
    QString testName;
    QList<Answer> answers;
    std::optional<consent::Record> consent;
    QList<StoredItem> stored;  // the person's own items and the items that name them
    QList<journal::Record> journal;  // the records of their file
};

// Reads everything about `personFile` in `folder` (ending with its
// separator); the test gives the questions' and answers' texts (none: the
// answers are listed by number). False with `error` set for the user when the
// card cannot be read.
bool Gather(const QString& folder, const QString& personFile, const TestInMemory* test, Bundle& bundle,
            QString& error);

// The bundle as a machine-readable file: JSON (UTF-8) and CSV (UTF-8, a
// header line "раздел,поле,значение", CR LF line ends).
QByteArray Json(const Bundle& bundle, const QDateTime& made);
QByteArray Csv(const Bundle& bundle);
// The bundle as an HTML document for the paper copy, with the photograph.
QString Html(const Bundle& bundle, const QDateTime& made);

// Writes "<person file>.json", ".csv" and ".pdf" into `outFolder` (made when
// missing); the paths written, or `error` for the user.
bool Export(Platform& platform, const Bundle& bundle, const QString& outFolder, QStringList& written,
            QString& error);

// The paper consent form: the agency's text as shown, the person's name and
// year, the date, the two answers and lines for signatures.
QString ConsentFormHtml(const Kartochka& card, const consent::Record& record, const QByteArray& textShown);

}  // namespace persondata
