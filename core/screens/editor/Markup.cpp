#include "screens/editor/Markup.h"

#include "screens/editor/Editor.h"
#include "screens/editor/FrmLoadVopros.h"
#include "screens/editor/Media.h"
#include "ground/App.h"
#include "ground/FieldText.h"

#include <algorithm>

namespace {
// The character references dialog serves the box it was opened for: its mode
// names the box.
DialogMode TagMode(MarkupTarget target)
{
    return target == MarkupTarget::BulkText ? DialogMode::TagBulkText : DialogMode::TagMainText;
}
MarkupTarget TagTarget(DialogMode mode)
{
    return mode == DialogMode::TagBulkText ? MarkupTarget::BulkText : MarkupTarget::MainTxt;
}

bool Encoded(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 32 && u <= 126) || u == 171 || u == 187 || u == 177;
}

// Moves the caret of a box `count` characters back, or selects that many
// characters before it.
void CaretBack(Control& box, int count, bool select)
{
    const int start = std::max(0, box.selStart - count);
    box.selLength = select ? box.selStart - start : 0;
    box.selStart = start;
}

void closeDialog(FrmTag& w)
{
    w.visible = false;
    w.closeRequested = true;
}
}  // namespace

QString Tags(int number)
{
    switch (number) {
    case 0:
        return QStringLiteral("<sup></sup>");
    case 1:
        return QStringLiteral("<sub></sub>");
    case 2:
        return QStringLiteral("&nbsp;");
    case 3:
        return QStringLiteral("<br>");
    case 4:
        return QStringLiteral("&#60;&#62;");
    default:
        return {};
    }
}

QString EncodeTags(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (Encoded(c))
            out += QStringLiteral("&#") + QString::number(c.unicode()) + QLatin1Char(';');
        else
            out += c;
    }
    return out;
}

Control& TargetBox(App& app, MarkupTarget target)
{
    return target == MarkupTarget::BulkText ? app.frmLoadVopros.Text : app.frmForma.Txt;
}

void ReplaceTargetSelection(App& app, MarkupTarget target, const QString& inserted)
{
    // A file name may hold a line break; inside a question or answer it would
    // split the text's line of the test file.
    const QString text = OneLine(inserted);
    if (target == MarkupTarget::MainTxt) {
        ReplaceTxtSelection(app, text);
        return;
    }
    Control& box = app.frmLoadVopros.Text;
    const int size = static_cast<int>(box.text.size());
    const int start = std::clamp(box.selStart, 0, size);
    const int length = std::clamp(box.selLength, 0, size - start);
    box.text = box.text.left(start) + text + box.text.mid(start + length);
    box.selStart = start + static_cast<int>(text.size());
    box.selLength = 0;
    frmLoadVopros_TextChange(app);
}

bool MarkupMenuItem(const QString& item)
{
    static const QStringList items{QStringLiteral("EditTextUpDown(0)"), QStringLiteral("EditTextUpDown(1)"),
                                   QStringLiteral("EditAddFile(0)"),    QStringLiteral("EditAddFile(1)"),
                                   QStringLiteral("EditAddFile(2)"),    QStringLiteral("EditNeravenstvo"),
                                   QStringLiteral("EditTextInTag"),     QStringLiteral("EditFoundFile")};
    return items.contains(item);
}

void MarkupMenuClick(App& app, MarkupTarget target, const QString& item)
{
    Control& box = TargetBox(app, target);
    auto insertPair = [&](int tag, int back) {
        ReplaceTargetSelection(app, target, Tags(tag));
        CaretBack(box, back, false);
    };
    auto insertFragment = [&](const QString& fragment) {
        if (!fragment.isEmpty())
            ReplaceTargetSelection(app, target, fragment);
    };
    if (item == QLatin1String("EditTextUpDown(0)")) {
        insertPair(0, 6);
    } else if (item == QLatin1String("EditTextUpDown(1)")) {
        insertPair(1, 6);
    } else if (item == QLatin1String("EditNeravenstvo")) {
        insertPair(4, 5);
    } else if (item == QLatin1String("EditTextInTag")) {
        app.st.Dialog = TagMode(target);
        frmTag_Load(app);
        app.platform.showModal(WindowId::Tag);
        app.frmTag.visible = false;
    } else if (item == QLatin1String("EditAddFile(0)")) {
        insertFragment(OpenPictureDialog(app));
    } else if (item == QLatin1String("EditAddFile(1)")) {
        insertFragment(OpenVideoDialog(app, 1));
    } else if (item == QLatin1String("EditAddFile(2)")) {
        insertFragment(OpenVideoDialog(app, 2));
    } else if (item == QLatin1String("EditFoundFile")) {
        const QString name = FoundFile(app);
        if (!name.isEmpty()) {
            ReplaceTargetSelection(app, target, name);
            // The author sees what was inserted and can type over it.
            CaretBack(box, static_cast<int>(name.size()), true);
        }
    }
}

void frmTag_Load(App& app)
{
    FrmTag& w = app.frmTag;
    const Control& box = TargetBox(app, TagTarget(app.st.Dialog));
    const int size = static_cast<int>(box.text.size());
    const int start = std::clamp(box.selStart, 0, size);
    const int length = std::clamp(box.selLength, 0, size - start);
    w.txtFIO.text = box.text.mid(start, length);
    w.txtFIO.selStart = 0;
    w.txtFIO.selLength = length;
    w.OK.enabled = !w.txtFIO.text.isEmpty();
    w.focus = w.txtFIO.name;
    w.closeRequested = false;
    w.visible = true;
}

void TextTag(App& app)
{
    FrmTag& w = app.frmTag;
    if (w.txtFIO.text.isEmpty())
        return;
    const QString text = w.txtFIO.text;
    closeDialog(w);
    app.platform.processEvents();
    const DialogMode mode = app.st.Dialog;
    if (mode == DialogMode::TagMainText || mode == DialogMode::TagBulkText)
        ReplaceTargetSelection(app, TagTarget(mode), EncodeTags(text));
}

void frmTag_NO_Click(App& app)
{
    closeDialog(app.frmTag);
}

bool frmTag_Event(App& app, const UiEvent& event)
{
    FrmTag& w = app.frmTag;
    if (event.type == UiEvent::Change && event.control == w.txtFIO.name) {
        ApplyFieldRule(app, w.txtFIO, FieldKind::Html);
        w.OK.enabled = !w.txtFIO.text.isEmpty();
    } else if (event.type == UiEvent::Click) {
        if (event.control == w.OK.name && w.OK.enabled)
            TextTag(app);
        else if (event.control == w.NO.name)
            frmTag_NO_Click(app);
    }
    return true;
}
