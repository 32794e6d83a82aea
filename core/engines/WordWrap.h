#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Measures a text in the box's font, rounded to a whole number.
using TextMeasure = std::function<int(const QString&)>;

// Lines of a question text in a box `width` wide: a greedy wrap that breaks
// after a blank or a hyphen (which stay at the end of the upper line), stopping
// after `maxLines` lines. A run without breaks that is wider than the box by
// itself gets a line of its own, to be cut at the right edge when drawn.
QStringList WrapQuestion(const QString& text, int width, const TextMeasure& measure, int maxLines = 3);
