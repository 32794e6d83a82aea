#pragma once

#include <QByteArray>
#include <QString>

class App;
class clsTest;
class QuestionArray;
namespace textfile {
class Lines;
}

inline const QByteArray kTestMarker = QByteArrayLiteral("[tandemo]");

// Endings of the messages about a test file (see FileMessage).
inline const QString kEndNotFound = QStringLiteral("не найден");
inline const QString kEndCannotOpen = QStringLiteral("открыть не возможно");
inline const QString kEndForeign = QStringLiteral("не подходит к программе.");
inline const QString kEndProtected = QStringLiteral("защищён от записи.");
inline const QString kEndCannotSave = QStringLiteral("сохранить не возможно.");

// Writes the test in memory to `path` and makes it the current test file.
// Failures are reported to the user; the old file stays intact.
void SaveTest(App& app, const QString& path);

// The bytes SaveTest writes for the test in memory (seed 0 draws a new one).
QByteArray TestFileContent(App& app, int seed = 0);

// Remembers the test in memory as unchanged (after opening, creating, saving).
void TakeTestSnapshot(App& app);
// Whether the editor holds changes made since then.
bool TestModified(App& app);
// Reads questions first..last (text, answer count, answers) from a test file
// whose header has been read. Damaged items are read as far as possible.
void ReadQuestions(App& app, textfile::Lines& lines, int first, int last);
// Reads one question (text, answer count, answers) into `question`.
void ReadQuestion(textfile::Lines& lines, clsTest& question);
// Reads the weights block that may follow the trailing number of a test file
// (`lines` stand past that number) into questions first..last; without a
// block, or with a damaged one, they get the default weights. True when the
// block was damaged.
bool ReadWeights(textfile::Lines& lines, QuestionArray& questions, int first, int last);
// The warnings for a damaged weights block, shown once per file read: on
// opening and on merging.
inline const QString kWeightsDamaged = QStringLiteral("Веса вопросов в файле повреждены; тест открыт без них.");
inline const QString kWeightsDamagedMerged =
    QStringLiteral("Веса вопросов в файле повреждены; вопросы добавлены без них.");

// Question count as a reader may honour it: no question takes less than two
// lines, so a count above what the rest of the file can hold is cut down
// instead of allocating for questions that are not there.
int PlausibleQuestionCount(int stated, const textfile::Lines& lines);
