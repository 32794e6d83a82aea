#pragma once

#include <functional>

#include "engines/Desk.h"
#include "engines/Weights.h"
#include "ground/PairEntry.h"

#include <QList>
#include <QString>

#include <optional>

struct Kartochka;
class HeadLines;

// The ranking of the other sex for one reference card.
struct PairRanking {
    QList<PairEntry> pairs;  // in scan order: the folder listing's order
    QList<int> order;        // order[r] = index in `pairs` of the candidate at rank r
    QList<int> matches;      // matches[i] = shared answers of pairs[i]
    QList<weights::Score> scores;  // when the test's questions were given: scores[i] = the match of pairs[i]
    bool weighted = false;   // ranked by the test's weights
    int questions = 0;       // answers of the reference
    int leftOut = 0;         // candidates the mutual filter left out
};

// What the operator's desk adds to a ranking: only active people, never
// one marked "Больше не предлагать" for the reference, and, when `mutual`,
// only those who fit what the reference accepts and whom the reference fits.
struct RankFilter {
    const desk::Everyone* everyone = nullptr;
    QSet<QString> never;  // person files never offered to the reference
    bool mutual = false;
    // The reference's bounds when they are not yet kept under its file name
    // (the ranking right after a test); else they are looked up.
    std::optional<desk::Seeking> bounds;
};

// The reference's own traits, as candidates' bounds see them.
desk::Traits TraitsOf(const Kartochka& card, int currentYear);
// A person file's traits from its first lines (the year, the detail lines'
// height, hair and eyes). With `lookedAt`, only what those bounds look at is
// read: a ranking reads no more of each candidate than it needs.
desk::Traits TraitsOfLines(const HeadLines& lines, int currentYear, const desk::Seeking* lookedAt = nullptr);

// Scans the person files of the sex opposite to `reference` in `folder` (which
// ends with its separator), reading at most the first five lines of each, and
// ranks them: most shared answers first; equal counts by the text of their scan
// numbers, descending. Unreadable and foreign files are skipped.
// When `table` (the weights of the folder's test) is used, they are ranked by
// their weighted match instead, highest first, equal matches as equal counts,
// and each shows its percentage. Whenever `table` holds the test's questions,
// each entry tells how many of them both answered.
// `tick`, when given, runs every few files so the windows can repaint.
// With a filter, candidates it excludes get no scan number.
PairRanking RankPairs(const QString& folder, const Kartochka& reference, int currentYear,
                      const std::function<void()>& tick = {}, const RankFilter& filter = {},
                      const weights::Table& table = {});

// Shared answers with the true percentage rounded down, e.g. "2 (66%)";
// only a full match shows 100 %. Without reference answers there is no
// percentage to give: just the count.
QString MatchText(int matches, int questions);
// A weighted match as shown: its percentage, e.g. "87%".
QString WeightedMatchText(const weights::Score& score);
// The percentage of MatchText as a number; nothing without reference answers.
std::optional<int> MatchPercent(int matches, int questions);
