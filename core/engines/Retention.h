#pragma once

#include "engines/FolderStore.h"
#include "ground/RetentionRow.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// How long a folder keeps its cards: a term in years, kept in the folder's
// store so that every desk on the folder keeps the same, and the cards whose
// term has run out.
namespace retention {

// The store's item of the term.
inline const QString kKind = QStringLiteral("settings");
inline const QString kKey = QStringLiteral("retention");
// The longest term the setting takes; 0 is none (cards are kept without limit).
inline constexpr int kMaxYears = 100;

struct Setting {
    int years = 0;
    // The version read: a change goes ahead only while the item is still at
    // it (nothing: there was no item).
    std::optional<QByteArray> version;
};
// Nothing when the store cannot be read; no item is a setting of 0.
std::optional<Setting> ReadSetting(store::FolderStore& store);
// Writes the term, only while the item is as `read` found it: Changed when
// another desk set it meanwhile.
store::Result WriteSetting(store::FolderStore& store, int years, const Setting& read);

// When a result was saved: the time stamp of the file name rule
// ("…_yyyyddMMhhmmss.tnw", also with the "_2" a taken name gets), else
// nothing.
std::optional<QDateTime> StampTime(const QString& fileName);
// Whether a result saved at `saved` has been kept `years` full years by
// `today` (from its anniversary on); never with no term.
bool Expired(const QDate& saved, int years, const QDate& today);

// The cards of `folder` (ending with its separator) whose term has run out,
// oldest first. The date comes from the file name, else the file's time of
// change; only those cards are opened, and only their first three lines read.
QList<RetentionRow> ExpiredCards(const QString& folder, int years, const QDate& today,
                                 const std::function<void()>& keepPainting = {});

}  // namespace retention
