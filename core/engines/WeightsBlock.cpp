#include "engines/Weights.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"

#include <algorithm>
#include <optional>

namespace weights {

namespace {

const QByteArray kCrlf = QByteArrayLiteral("\r\n");

quint16 AnswersMask(int lastAnswer)
{
    return static_cast<quint16>((1u << (std::clamp(lastAnswer, 0, clsTest::Capacity - 1) + 1)) - 1);
}

bool IsKnownImportance(int value)
{
    return std::find(kImportances.begin(), kImportances.end(), value) != kImportances.end();
}

// A number field of the block: digits only, no sign (every value is
// non-negative), short enough that no value overflows.
std::optional<int> Field(QByteArrayView token)
{
    if (token.isEmpty() || token.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const char c : token) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The fields of one line written as number fields (" 10 1 6 6"), at most
// `limit` of them; nothing when the line holds anything else or more fields.
std::optional<std::vector<int>> Fields(QByteArrayView line, qsizetype limit)
{
    std::vector<int> values;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < line.size() && line[end] != ' ')
            ++end;
        if (static_cast<qsizetype>(values.size()) >= limit)
            return std::nullopt;
        const std::optional<int> value = Field(line.sliced(i, end - i));
        if (!value)
            return std::nullopt;
        values.push_back(*value);
        i = end;
    }
    return values;
}

// Reads the block into `read`, which has the file's questions; false when
// anything in it is not as the writer makes it.
bool ReadBlock(textfile::Lines& lines, Table& read)
{
    const std::optional<QByteArray> count = lines.next();
    if (!count)
        return false;
    const std::optional<std::vector<int>> n = Fields(*count, 1);
    if (!n || n->size() != 1 || static_cast<size_t>(n->front()) != read.questions.size())
        return false;
    for (QuestionWeights& w : read.questions) {
        const std::optional<QByteArray> line = lines.next();
        if (!line)
            return false;
        const qsizetype expected = w.lastAnswer + 2;
        const std::optional<std::vector<int>> values = Fields(*line, expected);
        if (!values || static_cast<qsizetype>(values->size()) != expected || !IsKnownImportance(values->front()))
            return false;
        w.importance = values->front();
        for (int a = 0; a <= w.lastAnswer; ++a) {
            const int mask = (*values)[static_cast<size_t>(a) + 1];
            if (mask & ~static_cast<int>(AnswersMask(w.lastAnswer)))
                return false;
            w.together[static_cast<size_t>(a)] = static_cast<quint16>(mask);
        }
        read.used = read.used || !clsTest::DefaultWeights(w.importance, w.lastAnswer, w.together);
    }
    const std::optional<QByteArray> end = lines.next();
    return end && *end == kBlockEnd;
}

}  // namespace

QByteArray EncodeBlock(const Table& table)
{
    if (!table.used)
        return {};
    QByteArray out = kBlockMarker + kCrlf;
    out += textfile::numberLine(static_cast<int>(table.questions.size())) + kCrlf;
    for (const QuestionWeights& w : table.questions) {
        const int last = std::clamp(w.lastAnswer, 0, clsTest::Capacity - 1);
        out += textfile::numberLine(w.importance);
        // Rows and bits of answers a question no longer has stay in memory
        // but not in the file.
        for (int a = 0; a <= last; ++a)
            out += textfile::numberLine(w.together[static_cast<size_t>(a)] & AnswersMask(last));
        out += kCrlf;
    }
    out += kBlockEnd + kCrlf;
    return out;
}

Block DecodeBlock(textfile::Lines& rest, Table& table)
{
    // The writer's final empty line comes first; a reader of the plain
    // layout stops before it, and anything but the marker after it belongs to
    // no block.
    std::optional<QByteArray> line = rest.next();
    while (line && line->isEmpty())
        line = rest.next();
    if (!line || *line != kBlockMarker)
        return Block::None;
    Table read = table;
    for (QuestionWeights& w : read.questions) {
        w.lastAnswer = std::clamp(w.lastAnswer, 0, clsTest::Capacity - 1);
        w.importance = 1;
        w.together = clsTest::SameAnswerOnly();
    }
    read.used = false;
    if (!ReadBlock(rest, read))
        return Block::Damaged;
    table = std::move(read);
    return Block::Read;
}

Block DecodeBlock(QByteArrayView rest, Table& table)
{
    textfile::Lines lines(textfile::splitLines(rest.toByteArray()));
    return DecodeBlock(lines, table);
}

Table ReadTableOfFile(const QString& testPath, bool* damaged)
{
    if (damaged)
        *damaged = false;
    Table table;
    textfile::Lines lines;
    if (textfile::readLines(testPath, lines, textfile::kMaxTestBytes, kTestMarker) != textfile::ReadResult::Ok)
        return table;
    lines.next();  // the marker
    lines.next();  // the name
    lines.next();  // the seed
    lines.next();  // the scrambled password
    const int count = PlausibleQuestionCount(lines.nextNumber().value_or(0), lines);
    table.questions.reserve(static_cast<size_t>(count));
    clsTest scratch;
    for (int q = 1; q <= count; ++q) {
        ReadQuestion(lines, scratch);
        QuestionWeights w;
        w.lastAnswer = scratch.CountOtvetov;
        table.questions.push_back(w);
    }
    lines.next();  // the first incomplete question
    if (DecodeBlock(lines, table) == Block::Damaged && damaged)
        *damaged = true;
    return table;
}

}  // namespace weights
