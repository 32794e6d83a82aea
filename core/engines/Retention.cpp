#include "engines/Retention.h"

#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "ground/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace retention {

namespace {
const QByteArray kYearsKey = "years=";
}  // namespace

std::optional<Setting> ReadSetting(store::FolderStore& store)
{
    bool failed = false;
    const std::optional<store::Item> item = store.read(kKind, kKey, &failed);
    if (failed)
        return std::nullopt;
    Setting setting;
    if (!item)
        return setting;
    setting.version = item->version;
    for (const QByteArray& line : item->bytes.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith(kYearsKey)) {
            bool ok = false;
            const int years = trimmed.mid(kYearsKey.size()).toInt(&ok);
            if (ok)
                setting.years = std::clamp(years, 0, kMaxYears);
        }
    }
    return setting;
}

store::Result WriteSetting(store::FolderStore& store, int years, const Setting& read)
{
    const QByteArray bytes = kYearsKey + QByteArray::number(std::clamp(years, 0, kMaxYears)) + "\n";
    return store.write(kKind, kKey, bytes, read.version);
}

std::optional<QDateTime> StampTime(const QString& fileName)
{
    static const QRegularExpression stamp(QStringLiteral("_(\\d{14})(?:_\\d+)?\\.tn[mw]$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = stamp.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    const QString digits = match.captured(1);
    // Year, day, month, then hour, minute, second.
    const QDate date(digits.mid(0, 4).toInt(), digits.mid(6, 2).toInt(), digits.mid(4, 2).toInt());
    const QTime time(digits.mid(8, 2).toInt(), digits.mid(10, 2).toInt(), digits.mid(12, 2).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

bool Expired(const QDate& saved, int years, const QDate& today)
{
    return years > 0 && saved.isValid() && saved.addYears(years) <= today;
}

QList<RetentionRow> ExpiredCards(const QString& folder, int years, const QDate& today,
                                 const std::function<void()>& keepPainting)
{
    QList<RetentionRow> rows;
    if (years <= 0)
        return rows;
    const QByteArray folderBytes = textfile::pathBytes(folder);
    HeadLines lines;
    int counted = 0;
    for (const QString& extension : {QStringLiteral(".tnm"), QStringLiteral(".tnw")}) {
        for (const QString& fileName : PersonFiles(folder, extension)) {
            if (keepPainting && ++counted % 256 == 0)
                keepPainting();
            QDateTime time;
            if (const auto stamp = StampTime(fileName))
                time = *stamp;
            else
                time = QFileInfo(folder + fileName).lastModified();
            if (!Expired(time.date(), years, today))
                continue;
            // Marker, name, year of birth.
            if (!lines.read(folderBytes + textfile::pathBytes(fileName), 3) || lines.size() == 0 ||
                lines[0] != kCardMarker)
                continue;
            RetentionRow row;
            row.FileName = fileName;
            row.Time = time;
            if (lines.size() > 1)
                row.NameFamiliya = textfile::shownText(lines[1]);
            if (lines.size() > 2) {
                if (const auto year = textfile::parseNumber(lines[2])) {
                    row.DataRogdeniya = *year;
                    row.YearKnown = true;
                }
            }
            rows.append(row);
        }
    }
    std::sort(rows.begin(), rows.end(), [](const RetentionRow& a, const RetentionRow& b) {
        return a.Time != b.Time ? a.Time < b.Time : a.FileName < b.FileName;
    });
    return rows;
}

}  // namespace retention
