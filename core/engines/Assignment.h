#pragma once

#include "engines/Weights.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace store {
class FolderStore;
}

// Pairing men and women one to one so that the pairs together fit best.
namespace assign {

// The most valuable one-to-one pairing of `rows` men with `cols` women:
// gain[i * cols + j] >= 0 is what pairing man i with woman j is worth, and
// allowed[i * cols + j] == 0 forbids the pair. Returns, for each man, the
// woman paired with him or -1. The sum of the gains is the largest possible;
// with unequal numbers the surplus stays unpaired, and a forbidden pair is
// never made. O(n³) in the larger of the two numbers.
std::vector<int> Solve(const std::vector<qint64>& gain, const std::vector<char>& allowed, int rows, int cols);

struct Pair {
    QString man;    // person file names, without folder
    QString woman;
    weights::Score score;
};

// Pairs the given men and women of `folder` (which ends with its separator)
// by the match of their answers under `table`. Pairs the operator's desk
// excludes are never made: anyone not active, anyone marked "Больше не
// предлагать" for the other, and, when `mutual`, anyone who does not fit
// what the other accepts (or whom the other does not fit), all as the
// folder's `store` keeps them. Unreadable files take no part.
QList<Pair> PairEveryone(const QString& folder, const QStringList& men, const QStringList& women,
                         const weights::Table& table, store::FolderStore& store, bool mutual,
                         int currentYear);

}  // namespace assign
