#include "ground/FieldText.h"

#include "ground/TextFile.h"
#include "ground/App.h"

namespace {
bool IsBreak(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || u == 0x7F || u == 0x85 || u == 0x2028 || u == 0x2029;
}

void TellRefused(App& app, const QString& refused)
{
    QString list;
    for (qsizetype i = 0; i < refused.size(); ++i) {
        if (!list.isEmpty() && !refused.at(i).isLowSurrogate())
            list += QLatin1Char(' ');
        list += refused.at(i);
    }
    ShowNotice(app, QStringLiteral("Символы «") + list +
                        QStringLiteral("» нельзя сохранить в файле программы, они пропущены."));
}

QString Clean(const QString& text, FieldKind kind)
{
    QString out = OneLine(text);
    if (kind == FieldKind::Plain)
        out = textfile::withoutForeign(out);
    return out;
}
}  // namespace

QString OneLine(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!IsBreak(c)) {
            out += c;
            continue;
        }
        out += QLatin1Char(' ');
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
    }
    return out;
}

QString ForeignCharacters(const QString& text)
{
    QStringList seen;
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString one(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            one += text.at(++i);
        if (!textfile::fitsCodePage(one) && !seen.contains(one))
            seen << one;
    }
    return seen.join(QString());
}

bool ApplyFieldRule(App& app, Control& box, FieldKind kind)
{
    const QString& text = box.text;
    const int size = static_cast<int>(text.size());
    const int start = std::clamp(box.selStart, 0, size);
    const int length = std::clamp(box.selLength, 0, size - start);
    // A CR LF split by the caret would count as two blanks: the caret is never
    // between them after an edit, and a pair read whole gives one blank.
    const QString before = Clean(text.left(start), kind);
    const QString selected = Clean(text.mid(start, length), kind);
    const QString after = Clean(text.mid(start + length), kind);
    const QString cleaned = before + selected + after;
    if (cleaned == text)
        return false;
    const QString refused = kind == FieldKind::Plain ? ForeignCharacters(text) : QString();
    box.text = cleaned;
    box.selStart = static_cast<int>(before.size());
    box.selLength = static_cast<int>(selected.size());
    if (!refused.isEmpty())
        TellRefused(app, refused);
    return true;
}

bool FieldTakesKey(App& app, const UiEvent& event, FieldKind kind)
{
    if (event.text == QLatin1String("\b"))
        return true;
    if (OneLine(event.text) != event.text)
        return false;
    if (kind == FieldKind::Plain && !textfile::fitsCodePage(event.text)) {
        TellRefused(app, ForeignCharacters(event.text));
        return false;
    }
    return true;
}

bool SetFieldText(App& app, Control& box, const QString& text, FieldKind kind)
{
    if (Clean(text, kind) != text) {
        const QString refused = ForeignCharacters(text);
        ShowError(app, QStringLiteral("В имени файла \"") + text +
                           QStringLiteral("\" есть символы, которые нельзя сохранить в файле программы") +
                           (refused.isEmpty() ? QString() : QStringLiteral(" («") + refused + QStringLiteral("»)")) +
                           QStringLiteral(". Выберите другой файл."));
        return false;
    }
    box.text = text;
    box.selStart = static_cast<int>(text.size());
    box.selLength = 0;
    return true;
}
