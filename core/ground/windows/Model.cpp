#include "ground/windows/Model.h"

#include <cmath>
#include <limits>

Control* WindowModel::find(const QString& controlName) const
{
    for (Control* control : controls_) {
        if (control->name == controlName)
            return control;
    }
    return nullptr;
}

int LeadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            ++i;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (rounded < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
}
