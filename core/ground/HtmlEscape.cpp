#include "ground/HtmlEscape.h"

QString HtmlText(const QString& text)
{
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return escaped;
}

QString SignedNumber(int value)
{
    const QString digits = QString::number(value);
    return value >= 0 ? QLatin1Char(' ') + digits : digits;
}
