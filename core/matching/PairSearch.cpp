#include "matching/PairSearch.h"

#include "document/TextFile.h"
#include "people/Kartochka.h"
#include "people/PersonFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

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

QString MatchText(int matches, int questions)
{
    if (questions <= 0)
        return QString::number(matches);
    if (matches == questions)
        return QString::number(matches) + QStringLiteral(" (100%)");
    const long long percent = 100LL * matches / questions;
    return QString::number(matches) + QStringLiteral(" (") + QString::number(percent) + QStringLiteral("%)");
}

PairRanking RankPairs(const QString& folder, const Kartochka& reference, int currentYear)
{
    PairRanking ranking;
    const QString answers = reference.Otvety;
    ranking.questions = static_cast<int>(answers.size());
    const QString pattern = reference.Pol == 1 ? QStringLiteral("*") + kMenExtension
                                               : QStringLiteral("*") + kWomenExtension;
    const QStringList files = QDir(folder).entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System,
                                                     QDir::Name);
    for (const QString& name : files) {
        // The listing matches extensions without regard to case; the sex is
        // told by the exact extension only.
        if (!name.endsWith(pattern.mid(1)))
            continue;
        const auto head = textfile::readHeadLines(folder + name, 5);
        if (!head || head->isEmpty() || head->first() != kCardMarker)
            continue;
        const QList<QByteArray>& lines = *head;
        PairEntry entry;
        entry.NameFamiliya = textfile::decode(lines.value(1));
        entry.Vozrast = QString::number(currentYear - textfile::parseNumber(lines.value(2)).value_or(0));
        entry.Podrobnee = textfile::parseNumber(lines.value(3)).value_or(0);
        entry.FileName = name;
        QString candidate = textfile::decode(lines.value(4));
        candidate = candidate.left(candidate.indexOf(QLatin1Char(',')) < 0 ? candidate.size()
                                                                            : candidate.indexOf(QLatin1Char(',')));
        const int matches = SharedAnswers(answers, candidate);
        entry.Sovpadeniy = MatchText(matches, ranking.questions);
        ranking.pairs.append(entry);
        ranking.matches.append(matches);
    }

    ranking.order.resize(ranking.pairs.size());
    for (int i = 0; i < ranking.order.size(); ++i)
        ranking.order[i] = i;
    // Equal counts keep the old program's order: scan numbers compared as
    // text, the larger text first (so 2, 11, 10).
    std::stable_sort(ranking.order.begin(), ranking.order.end(), [&ranking](int a, int b) {
        if (ranking.matches[a] != ranking.matches[b])
            return ranking.matches[a] > ranking.matches[b];
        return QString::number(a) > QString::number(b);
    });
    return ranking;
}
