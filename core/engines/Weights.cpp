#include "engines/Weights.h"

#include "ground/AppState.h"

#include <algorithm>
#include <cmath>

namespace weights {

Table TableOf(const TestInMemory& test)
{
    Table table;
    const int count = std::min(test.QuestionCount, test.Questions.upperBound());
    table.questions.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int q = 1; q <= count; ++q) {
        const clsTest& question = test.Questions[q];
        QuestionWeights w;
        w.importance = question.Importance;
        w.lastAnswer = std::clamp(question.CountOtvetov, 0, clsTest::Capacity - 1);
        w.together = question.Together;
        table.used = table.used || !question.DefaultWeights();
        table.questions.push_back(w);
    }
    return table;
}

Score ScoreOf(QByteArrayView answersA, QByteArrayView answersB, const Table& table)
{
    Score score;
    const qsizetype common = std::min({answersA.size(), answersB.size(),
                                       static_cast<qsizetype>(table.questions.size())});
    for (qsizetype i = 0; i < common; ++i) {
        const QuestionWeights& w = table.questions[static_cast<size_t>(i)];
        const int a = answersA[i] - '0';
        const int b = answersB[i] - '0';
        if (a < 0 || a > w.lastAnswer || b < 0 || b > w.lastAnswer)
            continue;
        ++score.shared;
        score.total += w.importance;
        if (w.together[static_cast<size_t>(a)] & (1u << b))
            score.agreedA += w.importance;
        if (w.together[static_cast<size_t>(b)] & (1u << a))
            score.agreedB += w.importance;
    }
    return score;
}

namespace {

// agreedA · agreedB, the square of the match times total².
unsigned __int128 Product(const Score& s)
{
    return static_cast<unsigned __int128>(s.agreedA) * static_cast<unsigned __int128>(s.agreedB);
}

unsigned __int128 Square(qint64 v)
{
    return static_cast<unsigned __int128>(v) * static_cast<unsigned __int128>(v);
}

// The largest p with p · total <= scale · √(agreedA · agreedB).
qint64 FloorScaled(const Score& s, qint64 scale)
{
    if (s.total <= 0)
        return 0;
    const long double estimate =
        std::sqrt(static_cast<long double>(s.agreedA) * static_cast<long double>(s.agreedB)) *
        scale / static_cast<long double>(s.total);
    qint64 p = std::clamp<qint64>(static_cast<qint64>(estimate), 0, scale);
    const unsigned __int128 limit = Product(s) * Square(scale);
    while (p > 0 && Square(p) * Square(s.total) > limit)
        --p;
    while (p < scale && Square(p + 1) * Square(s.total) <= limit)
        ++p;
    return p;
}

}  // namespace

int Percent(const Score& score)
{
    // Each side agrees on at most the total, so only a full match reaches 100.
    return static_cast<int>(FloorScaled(score, 100));
}

qint64 Millionths(const Score& score)
{
    return FloorScaled(score, 1000000);
}

bool Higher(const Score& x, const Score& y)
{
    // √(xa·xb)/xt > √(ya·yb)/yt  ⇔  xa·xb·yt² > ya·yb·xt², with no weight as 0.
    if (x.total <= 0 || y.total <= 0)
        return x.total > 0 && y.total <= 0 && Product(x) > 0;
    const unsigned __int128 left = Product(x) * Square(y.total);
    const unsigned __int128 right = Product(y) * Square(x.total);
    // Both sides stay below 2^128: weights are at most 250 per question.
    return left > right;
}

}  // namespace weights
