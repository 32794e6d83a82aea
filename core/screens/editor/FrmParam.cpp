#include "screens/editor/FrmParam.h"

#include "engines/TestFile.h"

#include "screens/editor/NewTest.h"
#include "ground/TextFile.h"
#include "screens/editor/Editor.h"
#include "ground/App.h"
#include "ground/FieldText.h"

#include <cmath>
#include <limits>

namespace {
void closeDialog(FrmParam& w)
{
    w.visible = false;
    w.closeRequested = true;
}

// The editor's field is let go before the dialog opens, as when the answer
// count box takes the focus.
void ReleaseEditorField(App& app)
{
    SelKolOtvetov_GotFocus(app);
}

const QString kName = QStringLiteral("NameT");
const QString kPassword = QStringLiteral("TPW");
const QString kCount = QStringLiteral("txtVsegoVoprosov");

// Characters that may not go into the name and the password boxes.
QString forbiddenIn(const QString& control)
{
    if (control == kName)
        return QStringLiteral("|_");
    if (control == kPassword)
        return QStringLiteral("|,\"_");
    return {};
}

void setText(Control& box, const QString& text)
{
    box.text = text;
    box.selStart = static_cast<int>(text.size());
    box.selLength = 0;
}
}  // namespace

void ShowParam(App& app)
{
    frmParam_Load(app);
    app.platform.showModal(WindowId::Param);
    app.frmParam.visible = false;
}

void EditParametry_Click(App& app)
{
    ReleaseEditorField(app);
    app.st.Dialog = DialogMode::ChangeParameters;
    ShowParam(app);
}

void frmParam_Load(App& app)
{
    const AppState& st = app.st;
    FrmParam& w = app.frmParam;
    const bool fresh = st.Dialog == DialogMode::NewTest;
    setText(w.NameT, fresh ? QString() : st.test.TestName);
    setText(w.TPW, fresh ? QString() : st.test.TestPassword);
    setText(w.txtVsegoVoprosov, fresh ? QString() : QString::number(st.test.QuestionCount));
    w.NameT.tooltip = w.NameT.text;
    w.SelKolOtvetov.listIndex = -1;
    w.SelKolOtvetov.visible = fresh;
    w.Label1[3].visible = fresh;
    w.focus = w.NameT.name;
    w.closeRequested = false;
    w.visible = true;
}

bool frmParam_KeyAllowed(const QString& control, QChar ch)
{
    if (control == kCount)
        return ch == QLatin1Char('\b') || (ch.unicode() >= '0' && ch.unicode() <= '9');
    return !forbiddenIn(control).contains(ch);
}

void frmParam_Change(App& app, const QString& control)
{
    FrmParam& w = app.frmParam;
    Control* box = w.find(control);
    if (box == nullptr)
        return;
    // Pasted text passes no key rule: the characters that may not be typed
    // are taken out here as well.
    QString text = box->text;
    if (box == &w.txtVsegoVoprosov) {
        text.removeIf([](QChar c) { return c.unicode() < '0' || c.unicode() > '9'; });
    } else {
        const QString forbidden = forbiddenIn(control);
        text.removeIf([&forbidden](QChar c) { return forbidden.contains(c); });
    }
    if (text != box->text)
        setText(*box, text);
    ApplyFieldRule(app, *box, FieldKind::Plain);
    if (box == &w.NameT)
        w.NameT.tooltip = w.NameT.text;
}

void frmParam_OK_Click(App& app)
{
    AppState& st = app.st;
    FrmParam& w = app.frmParam;
    if (w.NameT.text.isEmpty()) {
        w.focus = w.NameT.name;
        return;
    }
    if (w.TPW.text.isEmpty()) {
        w.focus = w.TPW.name;
        return;
    }
    const int n = LeadingNumber(w.txtVsegoVoprosov.text);
    if (n <= 0) {
        w.focus = w.txtVsegoVoprosov.name;
        return;
    }
    w.visible = false;
    app.platform.processEvents();
    st.test.TestName = w.NameT.text;
    st.test.TestPassword = w.TPW.text;
    if (st.Dialog == DialogMode::NewTest) {
        st.test.QuestionCount = n;
        st.test.Questions.resizeFresh(n);
        const int answers = w.SelKolOtvetov.listIndex >= 0 ? w.SelKolOtvetov.listIndex + 1 : 1;
        for (int q = 1; q <= n; ++q)
            st.test.Questions[q].CountOtvetov = answers;
        // Its first save puts the default consent text beside it.
        st.consent.DefaultForNewTest = true;
        NewTest(app, 0);
    } else {
        if (n > st.test.QuestionCount) {
            // Questions dropped by an earlier, smaller count are still held
            // and come back with their texts.
            if (n > st.test.Questions.upperBound())
                st.test.Questions.resizePreserving(n);
            for (int q = st.test.QuestionCount + 1; q <= n; ++q)
                st.test.Questions[q].CountOtvetov = 1;
        }
        st.test.QuestionCount = n;
        st.main.CurrentQuestion = 1;
        AddVopros(app);
    }
    closeDialog(w);
    // A new test has no file yet: its brackets stay empty.
    SetTestCaption(app);
}

void frmParam_NO_Click(App& app)
{
    closeDialog(app.frmParam);
}

bool frmParam_Event(App& app, const UiEvent& event)
{
    FrmParam& w = app.frmParam;
    switch (event.type) {
    case UiEvent::KeyPress:
        // The test file is Windows-1251: a character it cannot hold is not taken.
        if (!FieldTakesKey(app, event, FieldKind::Plain))
            return false;
        return event.text.size() != 1 || frmParam_KeyAllowed(event.control, event.text.front());
    case UiEvent::Change:
        frmParam_Change(app, event.control);
        return true;
    case UiEvent::Click:
        if (event.control == w.OK.name)
            frmParam_OK_Click(app);
        else if (event.control == w.NO.name)
            frmParam_NO_Click(app);
        return true;
    default:
        return true;
    }
}
