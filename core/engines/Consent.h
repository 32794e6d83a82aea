#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

namespace store {
class FolderStore;
enum class Result;
}

// The agency's consent text and each person's answer to it. The text is an
// HTML file beside the test, which the author edits; a test without one takes
// results as it always did. A person's consent is kept in the folder's store
// under the person file's name, and the text shown to them under its SHA-256,
// so that the paper form can be printed with the very text they agreed to.
namespace consent {

// "<test base name>.согласие.html" in the test's folder.
inline const QString kTextSuffix = QStringLiteral(".согласие.html");
// A consent text larger than this is not the agency's text but a mistake.
inline constexpr qsizetype kMaxTextBytes = qsizetype(1) << 20;
// The store's kinds: a person's consent (key: store::KeyOf of the person
// file's name) and the texts shown (key: their SHA-256 in hex).
inline const QString kKind = QStringLiteral("consent");
inline const QString kTextKind = QStringLiteral("consent-text");

QString TextPath(const QString& testFilePath);

// A sensible Russian text a new test starts with, for the author to change.
QString DefaultText();

// The text of the test's consent (UTF-8 bytes as on disk); nothing when the
// test has none. `failed` tells an unreadable or oversized file apart.
std::optional<QByteArray> ReadText(const QString& testFilePath, bool* failed = nullptr);
// Saves the text whole (the old text stays when the save fails); an empty
// text removes the file, and the test takes results without consent again.
bool WriteText(const QString& testFilePath, const QString& html);

struct Record {
    bool data = false;   // consent to keep the card and answers
    bool photo = false;  // consent to keep the photograph
    QDateTime time;      // when the person answered, with its offset
    QByteArray textSha256;  // lower-case hex of the text's bytes as shown
    bool operator==(const Record&) const = default;
};

// The record as the store keeps it (a few "name=value" lines), and back.
QByteArray Encode(const Record& record);
std::optional<Record> Decode(QByteArrayView bytes);

// Keeps the person's consent and the text they were shown. Never replaces a
// consent already kept for that file name.
store::Result Save(store::FolderStore& store, const QString& personFile, const Record& record,
                   const QByteArray& textShown);
// The person's consent; nothing when none was kept (`failed`: unreadable).
std::optional<Record> Load(store::FolderStore& store, const QString& personFile, bool* failed = nullptr);
// The text a consent names by its hash, as it was shown.
std::optional<QByteArray> TextShown(store::FolderStore& store, const QByteArray& sha256);

// The text's HTML as one fragment for a page or a paper form: the body of a
// whole document, scripts and active content left out.
QString Fragment(const QByteArray& textBytes);

}  // namespace consent
