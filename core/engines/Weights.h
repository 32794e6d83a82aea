#pragma once

#include "ground/Question.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <vector>

struct TestInMemory;

// How much each question of a test matters and which answers go together,
// and the match score of two people's answers under them.
namespace weights {

// The five importances the author chooses from, in the editor's order:
// "неважно", "немного", "важно", "очень важно", "обязательно".
inline constexpr std::array<int, 5> kImportances = {0, 1, 10, 50, 250};

struct QuestionWeights {
    int importance = 1;
    int lastAnswer = 0;  // CountOtvetov: answers 0..lastAnswer exist
    std::array<quint16, clsTest::Capacity> together = clsTest::SameAnswerOnly();
};

struct Table {
    std::vector<QuestionWeights> questions;  // question q at index q - 1
    bool used = false;  // some question differs from the default
};

// The weights of the test in memory.
Table TableOf(const TestInMemory& test);

// A score between a person A and a person B over the questions both
// answered: sat_A = agreedA / total, sat_B = agreedB / total, and the match
// √(sat_A · sat_B). Kept as integers so that rankings order exactly.
struct Score {
    qint64 agreedA = 0;  // weight of the questions where B's answer goes with A's
    qint64 agreedB = 0;  // weight of the questions where A's answer goes with B's
    qint64 total = 0;    // weight of the questions both answered
    int shared = 0;      // questions both answered
};

// Answers are the person file's digits, question 1 first; a position past
// either string's end, or a character that is no answer of that question,
// is a question not answered.
Score ScoreOf(QByteArrayView answersA, QByteArrayView answersB, const Table& table);

// The match as a whole percentage, rounded down; 100 only for a full match.
// A score over no weight at all is 0.
int Percent(const Score& score);

// Whether x's match is higher than y's, compared exactly.
bool Higher(const Score& x, const Score& y);

// The match scaled to 0..1 000 000, rounded down: the gain of a pairing.
qint64 Millionths(const Score& score);

}  // namespace weights
