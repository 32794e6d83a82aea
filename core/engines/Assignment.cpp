#include "engines/Assignment.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PairSearch.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"
#include "ground/TextFile.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>

namespace assign {

// Why a square matrix with forbidden pairs at gain 0 gives the best pairing
// that avoids them. Let N be the larger of the two numbers; pad the smaller
// side with stand-ins whose every gain is 0 and set each forbidden pair's
// gain to 0 as well.
//  - A full pairing of the square is worth exactly what its allowed real
//    pairs are worth (all the rest count 0), and those pairs alone are a
//    pairing that avoids every forbidden one: so the best of the square is
//    at most the best allowed pairing.
//  - Any allowed pairing can be completed to a full one of the square by
//    pairing the rest arbitrarily; gains are never negative, so it is worth
//    at least as much: the best of the square is at least the best allowed.
// The two optima are equal, and dropping the forbidden and stand-in pairs
// from the square's best leaves a best allowed pairing.
std::vector<int> Solve(const std::vector<qint64>& gain, const std::vector<char>& allowed, int rows, int cols)
{
    std::vector<int> result(static_cast<size_t>(std::max(rows, 0)), -1);
    if (rows <= 0 || cols <= 0)
        return result;
    const int n = std::max(rows, cols);
    const auto cost = [&](int i, int j) -> qint64 {  // 1-based; the negated gain
        if (i > rows || j > cols)
            return 0;
        const size_t at = static_cast<size_t>(i - 1) * static_cast<size_t>(cols) + static_cast<size_t>(j - 1);
        return allowed[at] ? -gain[at] : 0;
    };
    // The Hungarian method with potentials, one row added at a time: u and v
    // are the rows' and columns' potentials, way the previous column on the
    // shortest augmenting path, match[j] the row column j is paired with.
    constexpr qint64 kInfinity = std::numeric_limits<qint64>::max() / 4;
    const size_t size = static_cast<size_t>(n) + 1;
    std::vector<qint64> u(size, 0), v(size, 0), least(size);
    std::vector<int> match(size, 0), way(size, 0);
    std::vector<char> used(size);
    for (int i = 1; i <= n; ++i) {
        match[0] = i;
        int j0 = 0;
        std::fill(least.begin(), least.end(), kInfinity);
        std::fill(used.begin(), used.end(), 0);
        do {
            used[static_cast<size_t>(j0)] = 1;
            const int i0 = match[static_cast<size_t>(j0)];
            qint64 delta = kInfinity;
            int j1 = 0;
            for (int j = 1; j <= n; ++j) {
                if (used[static_cast<size_t>(j)])
                    continue;
                const qint64 reduced = cost(i0, j) - u[static_cast<size_t>(i0)] - v[static_cast<size_t>(j)];
                if (reduced < least[static_cast<size_t>(j)]) {
                    least[static_cast<size_t>(j)] = reduced;
                    way[static_cast<size_t>(j)] = j0;
                }
                if (least[static_cast<size_t>(j)] < delta) {
                    delta = least[static_cast<size_t>(j)];
                    j1 = j;
                }
            }
            for (int j = 0; j <= n; ++j) {
                if (used[static_cast<size_t>(j)]) {
                    u[static_cast<size_t>(match[static_cast<size_t>(j)])] += delta;
                    v[static_cast<size_t>(j)] -= delta;
                } else {
                    least[static_cast<size_t>(j)] -= delta;
                }
            }
            j0 = j1;
        } while (match[static_cast<size_t>(j0)] != 0);
        do {
            const int j1 = way[static_cast<size_t>(j0)];
            match[static_cast<size_t>(j0)] = match[static_cast<size_t>(j1)];
            j0 = j1;
        } while (j0 != 0);
    }
    for (int j = 1; j <= cols; ++j) {
        const int i = match[static_cast<size_t>(j)];
        if (i >= 1 && i <= rows &&
            allowed[static_cast<size_t>(i - 1) * static_cast<size_t>(cols) + static_cast<size_t>(j - 1)])
            result[static_cast<size_t>(i - 1)] = j - 1;
    }
    return result;
}

namespace {

struct Person {
    QString file;
    QByteArray answers;
    desk::Traits traits;
    std::optional<desk::Seeking> seeking;
};

// The people of `files` who take part: readable cards of active people.
QList<Person> ReadPeople(const QString& folder, const QStringList& files, const desk::Everyone& everyone,
                         int currentYear)
{
    QList<Person> people;
    const QByteArray encodedFolder = textfile::pathBytes(folder);
    QSet<QString> seen;
    HeadLines lines;
    for (const QString& file : files) {
        if (seen.contains(file))
            continue;
        seen.insert(file);
        if (everyone.statusOf(file) != desk::Status::Active)
            continue;
        if (!lines.read(encodedFolder + textfile::pathBytes(file), HeadLines::kMaxLines) || lines.size() == 0 ||
            lines[0] != kCardMarker)
            continue;
        Person person;
        person.file = file;
        QByteArrayView answers = lines.size() > 4 ? lines[4] : QByteArrayView();
        const qsizetype comma = answers.indexOf(',');
        if (comma >= 0)
            answers = answers.first(comma);
        person.answers = answers.toByteArray();
        person.traits = TraitsOfLines(lines, currentYear);
        person.seeking = everyone.seekingOf(file);
        people.append(std::move(person));
    }
    return people;
}

// The pairs marked "Больше не предлагать", each as both orders of its names.
QSet<std::pair<QString, QString>> NeverPairs(store::FolderStore& store)
{
    QSet<std::pair<QString, QString>> never;
    for (const QString& key : store.keys(desk::kIntroductionsKind)) {
        const std::optional<std::pair<QString, QString>> two = desk::PairOfKey(key);
        if (!two)
            continue;
        const std::optional<store::Item> item = store.read(desk::kIntroductionsKind, key);
        if (!item)
            continue;
        const std::optional<desk::PairHistory> history = desk::DecodePair(item->bytes);
        if (history && history->never) {
            never.insert(*two);
            never.insert({two->second, two->first});
        }
    }
    return never;
}

}  // namespace

QList<Pair> PairEveryone(const QString& folder, const QStringList& men, const QStringList& women,
                         const weights::Table& table, store::FolderStore& store, bool mutual, int currentYear)
{
    const desk::Everyone everyone = desk::ReadEveryone(store);
    const QList<Person> m = ReadPeople(folder, men, everyone, currentYear);
    const QList<Person> w = ReadPeople(folder, women, everyone, currentYear);
    const QSet<std::pair<QString, QString>> never = NeverPairs(store);
    const int rows = static_cast<int>(m.size());
    const int cols = static_cast<int>(w.size());
    std::vector<qint64> gain(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    std::vector<char> allowed(gain.size());
    std::vector<weights::Score> scores(gain.size());
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            const size_t at = static_cast<size_t>(i) * static_cast<size_t>(cols) + static_cast<size_t>(j);
            const Person& man = m[i];
            const Person& woman = w[j];
            bool ok = !never.contains({man.file, woman.file});
            if (ok && mutual)
                ok = desk::Fits(man.seeking.value_or(desk::Seeking{}), woman.traits) &&
                     desk::Fits(woman.seeking.value_or(desk::Seeking{}), man.traits);
            allowed[at] = ok ? 1 : 0;
            scores[at] = weights::ScoreOf(man.answers, woman.answers, table);
            gain[at] = weights::Millionths(scores[at]);
        }
    }
    const std::vector<int> chosen = Solve(gain, allowed, rows, cols);
    QList<Pair> pairs;
    for (int i = 0; i < rows; ++i) {
        const int j = chosen[static_cast<size_t>(i)];
        if (j < 0)
            continue;
        pairs.append({m[i].file, w[j].file, scores[static_cast<size_t>(i) * static_cast<size_t>(cols) + static_cast<size_t>(j)]});
    }
    return pairs;
}

}  // namespace assign
