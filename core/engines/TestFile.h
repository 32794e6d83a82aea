#pragma once

#include <QByteArray>
#include <QString>

class App;
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

// Question count as a reader may honour it: no question takes less than two
// lines, so a count above what the rest of the file can hold is cut down
// instead of allocating for questions that are not there.
int PlausibleQuestionCount(int stated, const textfile::Lines& lines);
