#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

namespace store {
class FolderStore;
}

// The folder's figures for the statistics page: people by sex and age
// group, by status, results per month, introductions and their outcomes.
namespace stats {

struct Bar {
    QString label;
    int count = 0;
    bool operator==(const Bar&) const = default;
};

struct Figures {
    int men = 0;
    int women = 0;
    QList<Bar> menByAge;  // the age groups, youngest first, "неизвестен" last
    QList<Bar> womenByAge;
    QList<Bar> byStatus;  // every status, in the order of the statuses
    QList<Bar> byMonth;   // "2026-12", oldest first; only months with results
    int introductions = 0;
    QList<Bar> outcomes;  // "без итога" and each outcome
    int neverOffer = 0;   // pairs marked "Больше не предлагать"
};

// The age groups' labels, youngest first.
QStringList AgeGroups();

// Reads the first three lines of every person file and the desk's items of
// `folder` (ending with its separator). `tick` runs now and then.
Figures Gather(const QString& folder, store::FolderStore& store, const QDate& today,
               const std::function<void()>& tick = {});

}  // namespace stats
