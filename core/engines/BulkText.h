#pragma once

#include <QString>
#include <QStringList>

struct TestInMemory;

// The whole test as bulk question text: for each question a "[№N]" header, the
// question line starting with "=", one line per answer and an empty line.
QString BulkTextOf(const TestInMemory& test);

// Reads bulk question text lines into the test, the first question of the text
// becoming question startIndex + 1. Questions only grow in number; each "="
// line replaces one question's text and answers. A question whose text is
// read back unchanged keeps its weights; a different one gets the default.
void ReadBulkLines(TestInMemory& test, const QStringList& lines, int startIndex);

// Splits text at CR LF (or a lone LF), as the backup file is read back.
QStringList BulkLines(const QString& text);
