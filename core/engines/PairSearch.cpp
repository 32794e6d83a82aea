#include "engines/PairSearch.h"

#include "ground/TextFile.h"
#include "ground/Kartochka.h"
#include "engines/PersonFile.h"
#include "engines/PersonFolder.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

constexpr int kTickFiles = 64;

int SharedAnswers(const QString& reference, const QString& candidate)
{
    const qsizetype common = std::min(reference.size(), candidate.size());
    int matches = 0;
    for (qsizetype i = 0; i < common; ++i) {
        if (reference[i] == candidate[i])
            ++matches;
    }
    return matches;
}

}  // namespace

std::optional<int> MatchPercent(int matches, int questions)
{
    if (questions <= 0)
        return std::nullopt;
    if (matches == questions)
        return 100;
    return static_cast<int>(100LL * matches / questions);
}

QString MatchText(int matches, int questions)
{
    const std::optional<int> percent = MatchPercent(matches, questions);
    QString text = QString::number(matches);
    if (!percent)
        return text;
    text.reserve(text.size() + 8);
    text += u" (";
    text += QString::number(*percent);
    text += u"%)";
    return text;
}

QString WeightedMatchText(const weights::Score& score)
{
    return QString::number(weights::Percent(score)) + u'%';
}

desk::Traits TraitsOf(const Kartochka& card, int currentYear)
{
    desk::Traits traits;
    if (card.DataRogdeniyaKnown)
        traits.age = currentYear - card.DataRogdeniya;
    if (card.Podrobnee == 1) {
        traits.height = desk::ParseHeight(card.Podrobnosti[0]);
        traits.hair = card.Podrobnosti[2];
        traits.eyes = card.Podrobnosti[3];
    }
    return traits;
}

desk::Traits TraitsOfLines(const HeadLines& lines, int currentYear, const desk::Seeking* lookedAt)
{
    desk::Traits traits;
    const std::optional<int> year = lines.size() > 2 ? textfile::parseNumber(lines[2]) : std::nullopt;
    if (year)
        traits.age = currentYear - *year;
    if (lines.size() > 3 && textfile::parseNumber(lines[3]).value_or(0) == 1) {
        if (lines.size() > 5 && (!lookedAt || lookedAt->heightFrom || lookedAt->heightTo))
            traits.height = desk::ParseHeight(textfile::decode(lines[5]));
        if (lines.size() > 7 && (!lookedAt || !lookedAt->hair.isEmpty()))
            traits.hair = textfile::decode(lines[7]);
        if (lines.size() > 8 && (!lookedAt || !lookedAt->eyes.isEmpty()))
            traits.eyes = textfile::decode(lines[8]);
    }
    return traits;
}

PairRanking RankPairs(const QString& folder, const Kartochka& reference, int currentYear,
                      const std::function<void()>& tick, const RankFilter& filter, const weights::Table& table)
{
    PairRanking ranking;
    const desk::Everyone* everyone = filter.everyone;
    const bool byStatus = everyone && everyone->anyoneInactive();
    const bool mutual = filter.mutual && everyone;
    const desk::Seeking ownBounds = !mutual        ? desk::Seeking{}
                                    : filter.bounds ? *filter.bounds
                                                    : everyone->seekingOf(reference.FileName).value_or(desk::Seeking{});
    const desk::Traits own = TraitsOf(reference, currentYear);
    const QSet<QByteArrayView> notAccepting = mutual ? everyone->notAccepting(own) : QSet<QByteArrayView>{};
    // Bounds and looks lie in the detail lines: height 6, hair 8, eyes 9;
    // only what the reference's bounds look at is read.
    const int linesNeeded = !ownBounds.eyes.isEmpty()                     ? 9
                            : !ownBounds.hair.isEmpty()                   ? 8
                            : ownBounds.heightFrom || ownBounds.heightTo ? 6
                                                                          : 5;
    const QString answers = reference.Otvety;
    ranking.questions = static_cast<int>(answers.size());
    ranking.weighted = table.used;
    // Answers are digits: their Latin-1 bytes are what a person file holds.
    // Scored whenever the test's questions are known, so that the questions
    // both answered can be told; ordered by the score only when weights are used.
    const bool scored = !table.questions.empty();
    const QByteArray answerBytes = scored ? answers.toLatin1() : QByteArray();
    const QString pattern = reference.Pol == 1 ? QStringLiteral("*") + kMenExtension
                                               : QStringLiteral("*") + kWomenExtension;
    const QStringList files = PersonFiles(folder, pattern.mid(1));
    const QByteArray encodedFolder = textfile::pathBytes(folder);
    HeadLines lines;
    int counted = 0;
    for (const QString& name : files) {
        if (tick && ++counted % kTickFiles == 0)
            tick();
        const QByteArray nameBytes = textfile::pathBytes(name);
        if ((byStatus && everyone->statusOf(QByteArrayView(nameBytes)) != desk::Status::Active) ||
            filter.never.contains(name))
            continue;
        if (!lines.read(encodedFolder + nameBytes, linesNeeded) || lines.size() == 0 ||
            lines[0] != kCardMarker)
            continue;
        if (mutual) {
            const desk::Traits traits = TraitsOfLines(lines, currentYear, &ownBounds);
            if (!desk::Fits(ownBounds, traits) ||
                (!notAccepting.isEmpty() && notAccepting.contains(QByteArrayView(nameBytes)))) {
                ++ranking.leftOut;
                continue;
            }
        }
        PairEntry entry;
        if (lines.size() > 1)
            entry.NameFamiliya = textfile::shownText(lines[1]);
        // A missing or damaged year gives no age, as in the people list.
        if (lines.size() > 2)
            entry.Vozrast = textfile::ageText(currentYear, textfile::parseNumber(lines[2]));
        if (lines.size() > 3)
            entry.Podrobnee = textfile::parseNumber(lines[3]).value_or(0);
        entry.FileName = name;
        QByteArrayView candidate = lines.size() > 4 ? lines[4] : QByteArrayView();
        const qsizetype comma = candidate.indexOf(',');
        if (comma >= 0)
            candidate = candidate.first(comma);
        const int matches = SharedAnswers(answers, textfile::decode(candidate));
        if (scored) {
            const weights::Score score = weights::ScoreOf(answerBytes, candidate, table);
            ranking.scores.append(score);
            entry.SharedQuestions = score.shared;
        }
        entry.Sovpadeniy = table.used ? WeightedMatchText(ranking.scores.last()) : MatchText(matches, ranking.questions);
        ranking.pairs.append(entry);
        ranking.matches.append(matches);
    }

    ranking.order.resize(ranking.pairs.size());
    for (int i = 0; i < ranking.order.size(); ++i)
        ranking.order[i] = i;
    // Equal counts keep the order of their scan numbers compared as text,
    // the larger text first (so 2, 11, 10). It is the order every ranking of
    // a folder has listed them in, on every desk: a ranking printed or
    // remembered yesterday reads the same today.
    if (ranking.weighted) {
        std::stable_sort(ranking.order.begin(), ranking.order.end(), [&ranking](int a, int b) {
            if (weights::Higher(ranking.scores[a], ranking.scores[b]))
                return true;
            if (weights::Higher(ranking.scores[b], ranking.scores[a]))
                return false;
            return ScanNumberTextLess(b, a);
        });
        return ranking;
    }
    std::stable_sort(ranking.order.begin(), ranking.order.end(), [&ranking](int a, int b) {
        if (ranking.matches[a] != ranking.matches[b])
            return ranking.matches[a] > ranking.matches[b];
        return ScanNumberTextLess(b, a);
    });
    return ranking;
}
