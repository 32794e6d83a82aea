#include "screens/editor/FrmLoadVopros.h"

#include "ground/TextFile.h"
#include "engines/BulkText.h"
#include "screens/editor/Editor.h"
#include "screens/editor/Markup.h"
#include "ground/App.h"

#include <QDir>

namespace {
const QString kBackupName = QStringLiteral("0.bak");

void closeDialog(FrmLoadVopros& w)
{
    w.visible = false;
    w.closeRequested = true;
}

// The box holds "\n" line ends; the file holds CR LF.
QString WithCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}
}  // namespace

void EditLoadVopros_Click(App& app, int index)
{
    FrmLoadVopros& w = app.frmLoadVopros;
    app.st.Dialog = index == 1 ? DialogMode::EditAllQuestions : DialogMode::LoadQuestions;
    frmLoadVopros_Load(app);
    for (;;) {
        w.reopen = false;
        app.platform.showModal(WindowId::LoadVopros);
        w.visible = false;
        if (!w.reopen)
            break;
        // Only the window comes back; its text and start question stay as they were.
        w.closeRequested = false;
        w.visible = true;
        w.focus = w.Text.name;
    }
}

void frmLoadVopros_Load(App& app)
{
    const AppState& st = app.st;
    FrmLoadVopros& w = app.frmLoadVopros;
    w.Text.text.clear();
    w.Text.selStart = 0;
    w.Text.selLength = 0;
    if (st.Dialog == DialogMode::EditAllQuestions)
        EditAllVoprosy(app);
    frmLoadVopros_TextChange(app);
    w.SelNomer.items = QStringList{QStringLiteral("1")};
    if (st.Dialog == DialogMode::LoadQuestions && st.main.CurrentQuestion > 1)
        w.SelNomer.items << QString::number(st.main.CurrentQuestion);
    w.SelNomer.listIndex = static_cast<int>(w.SelNomer.items.size()) - 1;
    w.SelNomer.enabled = w.SelNomer.items.size() > 1;
    w.reopen = false;
    w.focus = w.Text.name;
    w.closeRequested = false;
    w.visible = true;
}

void EditAllVoprosy(App& app)
{
    Control& box = app.frmLoadVopros.Text;
    box.text = BulkTextOf(app.st.test).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.selStart = 0;
    box.selLength = 0;
    frmLoadVopros_TextChange(app);
}

void frmLoadVopros_TextChange(App& app)
{
    FrmLoadVopros& w = app.frmLoadVopros;
    w.OK.enabled = !w.Text.text.isEmpty();
}

bool frmLoadVopros_KeyDown(App& app, const UiEvent& event)
{
    if (!event.ctrl || event.shift || event.alt)
        return true;
    if (event.key == Qt::Key_Space) {
        ReplaceTargetSelection(app, MarkupTarget::BulkText, Tags(2));
        return false;
    }
    if (event.key == Qt::Key_Return || event.key == Qt::Key_Enter) {
        ReplaceTargetSelection(app, MarkupTarget::BulkText, Tags(3));
        return false;
    }
    return true;
}

void LoadVopros(App& app)
{
    AppState& st = app.st;
    FrmLoadVopros& w = app.frmLoadVopros;
    if (w.Text.text.isEmpty())
        return;
    const QString text = w.Text.text;
    const int start = w.SelNomer.listIndex == 1 ? st.main.CurrentQuestion - 1 : 0;
    closeDialog(w);
    app.platform.processEvents();

    const QString path = st.folders.WritableFolder() + kBackupName;
    if (st.folders.NowhereToWrite) {
        // Not into the current folder, wherever that is.
        ShowError(app, FileMessage(app, path, QStringLiteral("сохранить не возможно.")));
        w.reopen = true;
        return;
    }
    if (!st.folders.SettingsFolder.isEmpty())
        QDir().mkpath(st.folders.SettingsFolder);
    // Characters that Windows-1251 cannot hold go as character references,
    // which the page shows as those characters.
    switch (textfile::saveAtomically(path, textfile::encodeHtml(WithCrLf(text) + QStringLiteral("\r\n")))) {
    case textfile::SaveResult::Ok:
        break;
    case textfile::SaveResult::WriteProtected:
        ShowError(app, FileMessage(app, path, QStringLiteral("защищён от записи.")));
        w.reopen = true;
        return;
    case textfile::SaveResult::Failed:
        ShowError(app, FileMessage(app, path, QStringLiteral("сохранить не возможно.")));
        w.reopen = true;
        return;
    }
    const QString failure = LoadBackup(app, path, start);
    if (!failure.isEmpty()) {
        ShowError(app, failure);
        w.reopen = true;
        return;
    }
    AddVopros(app);
}

QString LoadBackup(App& app, const QString& path, int startIndex)
{
    textfile::Lines lines;
    // The backup holds the questions of one test: the test file's bound.
    switch (textfile::readLines(path, lines, textfile::kMaxTestBytes)) {
    case textfile::ReadResult::NotFound:
        return FileMessage(app, path, QStringLiteral("не найден"));
    case textfile::ReadResult::Foreign:
    case textfile::ReadResult::Failed:
        return FileMessage(app, path, QStringLiteral("открыть не возможно"));
    case textfile::ReadResult::Ok:
        break;
    }
    QStringList texts;
    while (auto line = lines.nextText())
        texts << *line;
    ReadBulkLines(app.st.test, texts, startIndex);
    return {};
}

bool frmLoadVopros_Event(App& app, const UiEvent& event)
{
    FrmLoadVopros& w = app.frmLoadVopros;
    if (event.control == w.Text.name) {
        if (event.type == UiEvent::Change)
            frmLoadVopros_TextChange(app);
        else if (event.type == UiEvent::KeyDown)
            return frmLoadVopros_KeyDown(app, event);
        return true;
    }
    if (event.type != UiEvent::Click)
        return true;
    if (event.control == w.OK.name) {
        if (w.OK.enabled)
            LoadVopros(app);
    } else if (event.control == w.NO.name || event.control == w.EditExit.name) {
        closeDialog(w);
    } else if (event.control == w.SelNomer.name) {
        // The choice is read when loading.
    } else if (MarkupMenuItem(event.control)) {
        MarkupMenuClick(app, MarkupTarget::BulkText, event.control);
    }
    return true;
}
