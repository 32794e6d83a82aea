#pragma once

#include "ground/Question.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <vector>

struct TestInMemory;
namespace textfile {
class Lines;
}

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

// ---- The weights block of a test file
// It follows the file's last field (the first incomplete question and the
// final empty line), so that a reader of the plain layout never sees it:
//   "[vesa]"
//   N                                  (the file's question count)
//   per question: importance, then one mask per answer 0..Cq, all as number
//   fields on one line (" 10 1 6 6")
//   "[/vesa]"
// each line ending with CR LF. Written only when some weight differs from
// the default, so that a test without weights keeps its bytes.
inline const QByteArray kBlockMarker = QByteArrayLiteral("[vesa]");
inline const QByteArray kBlockEnd = QByteArrayLiteral("[/vesa]");

// The block for `table`; empty when the table is not used.
QByteArray EncodeBlock(const Table& table);

enum class Block { None, Read, Damaged };
// Reads a block from `rest`, the bytes after the file's trailing number
// line. `table` comes in with the file's questions (lastAnswer set, weights
// default) and goes out with the block's weights when it was Read; when
// Damaged it is left at the defaults.
// A block is strict: the marker, the question count equal to the file's, per
// question Cq + 2 fields (a known importance, masks within its answers), the
// end marker. Anything after the trailing number line that does not begin
// with the marker is no block (None).
Block DecodeBlock(QByteArrayView rest, Table& table);
// The same, reading on from the lines of a test file past its trailing number.
Block DecodeBlock(textfile::Lines& rest, Table& table);

// The weights a test file on disk holds: defaults without a block or with a
// damaged one (then `damaged`, when given, is set).
Table ReadTableOfFile(const QString& testPath, bool* damaged = nullptr);

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
