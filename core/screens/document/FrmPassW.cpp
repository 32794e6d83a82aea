#include "screens/document/FrmPassW.h"

#include "screens/editor/NewTest.h"
#include "screens/document/ConsentText.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "ground/FieldText.h"

#include <algorithm>
#include "engines/Proverka.h"

namespace {
void closeDialog(FrmPassW& w)
{
    w.visible = false;
    w.closeRequested = true;
}
}

void ShowPassW(App& app)
{
    frmPassW_Load(app);
    app.platform.showModal(WindowId::PassW);
    app.frmPassW.visible = false;
}

void FileChange_Click(App& app)
{
    app.st.Dialog = DialogMode::ChangeTest;
    ShowPassW(app);
}

void frmPassW_Load(App& app)
{
    FrmPassW& w = app.frmPassW;
    w.caption = QStringLiteral("Введите пароль");
    w.TPW.text.clear();
    w.TPW.selStart = 0;
    w.TPW.selLength = 0;
    w.OK.enabled = false;
    w.defaultButton = w.OK.name;
    w.cancelButton = w.NO.name;
    w.focus = w.TPW.name;
    w.closeRequested = false;
    w.visible = true;
}

bool frmPassW_KeyAllowed(QChar ch)
{
    return ch != QLatin1Char('|') && ch != QLatin1Char(',') && ch != QLatin1Char('"') && ch != QLatin1Char('_');
}

void frmPassW_TPW_Change(App& app)
{
    FrmPassW& w = app.frmPassW;
    // A paste passes no key rule: what may not be typed is taken out here.
    const int size = static_cast<int>(w.TPW.text.size());
    const int start = std::clamp(w.TPW.selStart, 0, size);
    QString before = w.TPW.text.left(start);
    QString after = w.TPW.text.mid(start);
    const auto forbidden = [](QChar c) { return !frmPassW_KeyAllowed(c); };
    before.removeIf(forbidden);
    after.removeIf(forbidden);
    if (before.size() + after.size() != size) {
        w.TPW.text = before + after;
        w.TPW.selStart = static_cast<int>(before.size());
        w.TPW.selLength = 0;
    }
    ApplyFieldRule(app, w.TPW, FieldKind::Plain);
    w.OK.enabled = !w.TPW.text.isEmpty();
}

void frmPassW_OK_Click(App& app)
{
    FrmPassW& w = app.frmPassW;
    // An empty box confirms nothing, so an empty stored password never opens.
    if (!w.OK.enabled || w.TPW.text.isEmpty())
        return;
    const bool cardMode = app.st.Dialog == DialogMode::CardPassword;
    // Only confirmed, for the caller to act on: a card's password, or the
    // test's before cards are erased in bulk or its consent text is edited.
    const bool confirmOnly = cardMode || app.st.Dialog == DialogMode::ErasePassword ||
                             app.st.Dialog == DialogMode::ConsentText;
    const QString& expected = cardMode ? app.st.CardFields[1].Parol : app.st.test.TestPassword;
    if (w.TPW.text != expected) {
        ShowError(app, QStringLiteral("Не верный пароль"));
        // The next typing replaces the wrong password.
        w.TPW.selStart = 0;
        w.TPW.selLength = static_cast<int>(w.TPW.text.size());
        w.focus = w.TPW.name;
        return;
    }
    w.visible = false;
    app.platform.processEvents();
    if (confirmOnly) {
        app.st.Dialog = DialogMode::Confirmed;
        closeDialog(w);
        return;
    }
    app.frmForma.FileChange.enabled = false;
    app.st.main.CurrentQuestion = 1;
    if (const int incomplete = Proverka(app, 0))
        app.st.main.CurrentQuestion = incomplete;
    NewTest(app, 1);
    OfferDefaultConsent(app);
}

void frmPassW_NO_Click(App& app)
{
    closeDialog(app.frmPassW);
}

bool frmPassW_Event(App& app, const UiEvent& event)
{
    FrmPassW& w = app.frmPassW;
    if (event.control == w.TPW.name) {
        if (event.type == UiEvent::KeyPress)
            return FieldTakesKey(app, event, FieldKind::Plain) &&
                   (event.text.size() != 1 || frmPassW_KeyAllowed(event.text.front()));
        if (event.type == UiEvent::Change)
            frmPassW_TPW_Change(app);
    } else if (event.type == UiEvent::Click) {
        if (event.control == w.OK.name)
            frmPassW_OK_Click(app);
        else if (event.control == w.NO.name)
            frmPassW_NO_Click(app);
    }
    return true;
}
