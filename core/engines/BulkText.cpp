#include "engines/BulkText.h"

#include "ground/AppState.h"

QString BulkTextOf(const TestInMemory& test)
{
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    for (int q = 1; q <= test.QuestionCount; ++q) {
        const clsTest& question = test.Questions[q];
        out += QStringLiteral("[№") + QString::number(q) + QStringLiteral("]") + crlf;
        out += QLatin1Char('=') + question.Vopros + crlf;
        for (int i = 0; i <= question.CountOtvetov && i < clsTest::Capacity; ++i)
            out += question.ListOtvety(i) + crlf;
        out += crlf;
    }
    return out;
}

QStringList BulkLines(const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void ReadBulkLines(TestInMemory& test, const QStringList& lines, int startIndex)
{
    int i = startIndex;
    int j = -1;
    bool seenQuestion = false;
    for (const QString& raw : lines) {
        qsizetype blanks = 0;
        while (blanks < raw.size() && raw[blanks] == QLatin1Char(' '))
            ++blanks;
        const QString line = raw.mid(blanks);
        if (line.isEmpty())
            continue;
        if (line.startsWith(QStringLiteral("[№")))
            continue;
        const bool isQuestion = line.startsWith(QLatin1Char('='));
        if (!seenQuestion) {
            if (!isQuestion)
                continue;
            seenQuestion = true;
        }
        if (isQuestion) {
            ++i;
            if (i > test.QuestionCount) {
                test.QuestionCount = i;
                test.Questions.resizePreserving(i);
            }
            clsTest& question = test.Questions[i];
            // The weights stay with a question whose text the load leaves as
            // it was; another question in its place starts without them.
            if (question.Vopros != line.mid(1)) {
                question.Importance = 1;
                question.Together = clsTest::SameAnswerOnly();
            }
            question.Vopros = line.mid(1);
            question.ClearOtvety();
            j = -1;
        } else if (j < clsTest::Capacity - 1) {
            ++j;
            clsTest& question = test.Questions[i];
            question.CountOtvetov = j;
            question.AddOtvety(j, line);
        }
    }
}
