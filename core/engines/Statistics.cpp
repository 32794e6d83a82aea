#include "engines/Statistics.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "engines/Retention.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <array>

namespace stats {

namespace {

constexpr int kTickFiles = 256;
// Upper ends of the age groups (exclusive): under 20, 20-29, … 60 and over.
constexpr std::array<int, 5> kAgeBounds{20, 30, 40, 50, 60};

int ageGroup(std::optional<int> age)
{
    if (!age || *age < 0 || *age > 150)
        return static_cast<int>(kAgeBounds.size()) + 1;  // unknown
    for (size_t i = 0; i < kAgeBounds.size(); ++i)
        if (*age < kAgeBounds[i])
            return static_cast<int>(i);
    return static_cast<int>(kAgeBounds.size());
}

QList<Bar> bars(const QStringList& labels)
{
    QList<Bar> out;
    for (const QString& label : labels)
        out.append({label, 0});
    return out;
}

}  // namespace

QStringList AgeGroups()
{
    return {QStringLiteral("до 20"),   QStringLiteral("20–29"), QStringLiteral("30–39"),   QStringLiteral("40–49"),
            QStringLiteral("50–59"),   QStringLiteral("60 и старше"), QStringLiteral("неизвестен")};
}

Figures Gather(const QString& folder, store::FolderStore& store, const QDate& today,
               const std::function<void()>& tick)
{
    Figures figures;
    figures.menByAge = bars(AgeGroups());
    figures.womenByAge = bars(AgeGroups());
    QStringList statusLabels;
    for (const desk::Status status : desk::kStatuses)
        statusLabels << desk::StatusText(status);
    figures.byStatus = bars(statusLabels);

    const desk::Everyone everyone = desk::ReadEveryone(store);
    QMap<QString, int> months;
    const QByteArray encodedFolder = textfile::pathBytes(folder);
    HeadLines lines;
    int counted = 0;
    for (const bool women : {false, true}) {
        for (const QString& name : PersonFiles(folder, women ? kWomenExtension : kMenExtension)) {
            if (tick && ++counted % kTickFiles == 0)
                tick();
            const QByteArray nameBytes = textfile::pathBytes(name);
            if (!lines.read(encodedFolder + nameBytes, 3) || lines.size() == 0 || lines[0] != kCardMarker)
                continue;
            const std::optional<int> year = lines.size() > 2 ? textfile::parseNumber(lines[2]) : std::nullopt;
            const std::optional<int> age = year ? std::optional<int>(today.year() - *year) : std::nullopt;
            (women ? figures.women : figures.men) += 1;
            (women ? figures.womenByAge : figures.menByAge)[ageGroup(age)].count += 1;
            figures.byStatus[static_cast<int>(everyone.statusOf(QByteArrayView(nameBytes)))].count += 1;
            // The time stamp of the file's name, else when the file was written.
            const std::optional<QDateTime> stamp = retention::StampTime(name);
            const QDate date = stamp ? stamp->date() : QFileInfo(folder + name).lastModified().date();
            if (date.isValid())
                months[date.toString(QStringLiteral("yyyy-MM"))] += 1;
        }
    }
    for (auto it = months.begin(); it != months.end(); ++it)
        figures.byMonth.append({it.key(), it.value()});

    figures.outcomes = bars({QStringLiteral("без итога"), desk::OutcomeText(desk::Outcome::Met),
                             desk::OutcomeText(desk::Outcome::NoFit), desk::OutcomeText(desk::Outcome::Pair)});
    for (const QString& key : store.keys(desk::kIntroductionsKind)) {
        const std::optional<store::Item> item = store.read(desk::kIntroductionsKind, key);
        if (!item)
            continue;
        const std::optional<desk::PairHistory> history = desk::DecodePair(item->bytes);
        if (!history)
            continue;
        if (history->never)
            ++figures.neverOffer;
        for (const desk::Introduction& introduction : history->introductions) {
            ++figures.introductions;
            figures.outcomes[static_cast<int>(introduction.outcome)].count += 1;
        }
    }
    return figures;
}

}  // namespace stats
