#include "engines/TestFile.h"

#include "engines/Journal.h"
#include "engines/Password.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "engines/Proverka.h"
#include "engines/Weights.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

bool FolderHoldsTest(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QDir dir(folder);
    return !dir.entryList({QStringLiteral("*.tnd")}, QDir::Files | QDir::Hidden | QDir::System).isEmpty();
}

// A field with a line break or a character the file cannot spell would shift
// every later line on reading; such a test is not written at all.
bool FieldsFitLines(const TestInMemory& test)
{
    if (!textfile::fitsLine(textfile::encode(test.TestName)) || !textfile::fitsLine(textfile::encode(test.TestPassword)))
        return false;
    for (int q = 1; q <= test.QuestionCount; ++q) {
        const clsTest& question = test.Questions[q];
        if (!textfile::fitsLine(textfile::encodeHtml(question.Vopros)))
            return false;
        for (int i = 0; i <= question.CountOtvetov && i < clsTest::Capacity; ++i) {
            if (!textfile::fitsLine(textfile::encodeHtml(question.ListOtvety(i))))
                return false;
        }
    }
    return true;
}
}

QByteArray TestFileContent(App& app, int seed)
{
    AppState& st = app.st;
    QByteArray out;
    const QByteArray crlf = "\r\n";
    out += kTestMarker + crlf;
    out += textfile::encode(st.test.TestName) + crlf;
    out += EncodePassword(app, seed) + crlf;
    out += textfile::numberLine(st.test.QuestionCount) + crlf;
    for (int q = 1; q <= st.test.QuestionCount; ++q) {
        const clsTest& question = st.test.Questions[q];
        out += textfile::encodeHtml(question.Vopros) + crlf;
        out += textfile::numberLine(question.CountOtvetov) + crlf;
        for (int i = 0; i <= question.CountOtvetov && i < clsTest::Capacity; ++i)
            out += textfile::encodeHtml(question.ListOtvety(i)) + crlf;
    }
    out += textfile::numberLine(Proverka(app, 0)) + crlf;
    out += crlf;
    // After the final empty line, where a reader of the plain layout has
    // stopped; nothing at all while every weight is the default.
    out += weights::EncodeBlock(weights::TableOf(st.test));
    return out;
}

namespace {
// Any fixed seed gives equal bytes for equal tests.
constexpr int kSnapshotSeed = 1;
}

void TakeTestSnapshot(App& app)
{
    AppState& st = app.st;
    if (st.test.QuestionCount > st.test.Questions.upperBound())
        st.test.Questions.resizePreserving(st.test.QuestionCount);
    st.test.TestSnapshot = TestFileContent(app, kSnapshotSeed);
}

bool TestModified(App& app)
{
    AppState& st = app.st;
    if (st.main.Phase != TestPhase::Editor)
        return false;
    if (st.test.QuestionCount > st.test.Questions.upperBound())
        st.test.Questions.resizePreserving(st.test.QuestionCount);
    return TestFileContent(app, kSnapshotSeed) != st.test.TestSnapshot;
}

void SaveTest(App& app, const QString& path)
{
    AppState& st = app.st;
    if (path != st.test.TestFilePath && FolderHoldsTest(FolderPart(app, path))) {
        ShowError(app, QStringLiteral("Для каждого теста нужно создавать отдельную папку."));
        return;
    }
    if (st.test.QuestionCount > st.test.Questions.upperBound())
        st.test.Questions.resizePreserving(st.test.QuestionCount);

    if (!FieldsFitLines(st.test)) {
        ShowError(app, FileMessage(app, path, kEndCannotSave));
        return;
    }
    // The journal names what the file held before, when it held anything.
    const std::optional<QByteArray> before = journal::FileBytes(path, textfile::kMaxTestBytes);
    const QByteArray content = TestFileContent(app);
    switch (textfile::saveAtomically(path, content)) {
    case textfile::SaveResult::Ok:
        if (!journal::Append(FolderPart(app, path), {journal::Make(app.platform.now(), journal::kTestSaved,
                                                                    FileNamePart(app, path), before, content)}))
            ShowError(app, journal::kNotRecorded);
        st.test.TestFilePath = path;
        st.folders.WorkFolder = FolderPart(app, path);
        SetTestCaption(app);
        TakeTestSnapshot(app);
        return;
    case textfile::SaveResult::WriteProtected:
        ShowError(app, FileMessage(app, path, kEndProtected));
        return;
    case textfile::SaveResult::Failed:
        ShowError(app, FileMessage(app, path, kEndCannotSave));
        return;
    }
}

int PlausibleQuestionCount(int stated, const textfile::Lines& lines)
{
    if (stated <= 0)
        return 0;
    const qsizetype fits = lines.remaining() / 2;
    return static_cast<int>(std::min<qsizetype>(stated, fits));
}

void ReadQuestion(textfile::Lines& lines, clsTest& question)
{
    question.Vopros = lines.nextText().value_or(QString());
    const int count = lines.nextNumber().value_or(0);
    // Every announced answer line is consumed, also those beyond the ten
    // slots, but never more lines than the file still has.
    const qsizetype announced = std::max<qsizetype>(0, static_cast<qsizetype>(count) + 1);
    const qsizetype toRead = std::min(announced, lines.remaining());
    for (qsizetype i = 0; i < toRead; ++i) {
        const QString text = lines.nextText().value_or(QString());
        if (i < clsTest::Capacity)
            question.AddOtvety(static_cast<int>(i), text);
    }
    question.CountOtvetov = std::clamp(count, 0, clsTest::Capacity - 1);
}

void ReadQuestions(App& app, textfile::Lines& lines, int first, int last)
{
    for (int q = first; q <= last; ++q)
        ReadQuestion(lines, app.st.test.Questions[q]);
}

bool ReadWeights(textfile::Lines& lines, QuestionArray& questions, int first, int last)
{
    weights::Table table;
    for (int q = first; q <= last; ++q) {
        weights::QuestionWeights w;
        w.lastAnswer = questions[q].CountOtvetov;
        table.questions.push_back(w);
    }
    const weights::Block block = weights::DecodeBlock(lines, table);
    for (int q = first; q <= last; ++q) {
        clsTest& question = questions[q];
        if (block == weights::Block::Read) {
            const weights::QuestionWeights& w = table.questions[static_cast<size_t>(q - first)];
            question.Importance = w.importance;
            question.Together = w.together;
        } else {
            question.Importance = 1;
            question.Together = clsTest::SameAnswerOnly();
        }
    }
    return block == weights::Block::Damaged;
}
