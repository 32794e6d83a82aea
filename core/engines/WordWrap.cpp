#include "engines/WordWrap.h"

QStringList WrapQuestion(const QString& text, int width, const TextMeasure& measure, int maxLines)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;           // first character of the line being built
    qsizetype lastBreak = -1;      // last break candidate already in that line, -1 none
    auto emit = [&](qsizetype from, qsizetype to) {  // inclusive
        lines << text.mid(from, to - from + 1);
        return lines.size() >= maxLines;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char(' ') && c != QLatin1Char('-') && i != n - 1)
            continue;
        if (measure(text.mid(start, i - start + 1)) > width) {
            if (lastBreak >= start) {
                // Break after the previous blank or hyphen.
                if (emit(start, lastBreak))
                    return lines;
                start = lastBreak + 1;
            }
            // What is left is one run wider than the box: it stands alone.
            if (measure(text.mid(start, i - start + 1)) > width) {
                if (emit(start, i))
                    return lines;
                start = i + 1;
            }
        }
        lastBreak = i;
    }
    if (start < n)
        emit(start, n - 1);
    return lines;
}
