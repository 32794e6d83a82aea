#include "matching/PairSearch.h"

#include "document/TextFile.h"
#include "people/Kartochka.h"
#include "people/PersonFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

// The first `count` lines of a file, without reading the rest of it.
QList<QByteArray> HeadLines(QFile& file, int count)
{
    QList<QByteArray> lines;
    while (lines.size() < count && !file.atEnd()) {
        QByteArray line = file.readLine(1 << 20);
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

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
    if (!percent)
        return QString::number(matches);
    return QString::number(matches) + QStringLiteral(" (") + QString::number(*percent) + QStringLiteral("%)");
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
        QFile file(folder + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = HeadLines(file, 5);
        if (lines.isEmpty() || lines[0] != kCardMarker)
            continue;
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
