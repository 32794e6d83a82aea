#include "screens/editor/Editor.h"

#include "screens/editor/FrmParam.h"
#include "engines/WordWrap.h"
#include "ground/windows/PictureBox.h"
#include "ground/App.h"
#include "ground/FieldText.h"
#include "engines/Proverka.h"

#include <algorithm>

namespace {
const QString kQuestionEntry = QStringLiteral("Ввод вопроса:");
const QString kAnswerEntry = QStringLiteral("Ввод ответа:");
constexpr int kQuestionLines = 3;

clsTest& Current(App& app)
{
    return app.st.test.Questions[app.st.main.CurrentQuestion];
}

bool IsAnswer(int target)
{
    return target >= 0 && target < clsTest::Capacity;
}

void Txt_GotFocus(App& app)
{
    app.frmForma.Edit.enabled = true;
}

void Txt_LostFocus(App& app)
{
    FrmForma& f = app.frmForma;
    f.Edit.enabled = false;
    // The focus went somewhere the window does not track; asking for Txt
    // again later must still move it back.
    if (f.focus == f.Txt.name)
        f.focus.clear();
}

// Moves the keyboard focus as the program does, with the focus events that
// the move raises. A hidden or disabled control cannot take it.
void SetFocusTo(App& app, Control& control)
{
    FrmForma& f = app.frmForma;
    if (!control.visible || !control.enabled || f.focus == control.name)
        return;
    const QString old = f.focus;
    f.focus = control.name;
    if (old == f.Txt.name)
        Txt_LostFocus(app);
    if (&control == &f.Txt)
        Txt_GotFocus(app);
    else if (&control == &f.SelKolOtvetov)
        SelKolOtvetov_GotFocus(app);
}

void picOtvety_GotFocus(App& app)
{
    FrmForma& f = app.frmForma;
    if (f.Txt.visible)
        SetFocusTo(app, f.Txt);
}

void DrawAnswerLine(App& app, int index, unsigned colour)
{
    Control& box = app.frmForma.picOtvety[static_cast<size_t>(index)];
    ClearPicture(box, colour);
    box.lines << QString::number(index + 1) + QStringLiteral(") ") + Current(app).ListOtvety(index);
}

int AnswerIndex(const App& app, const QString& control)
{
    const auto& boxes = app.frmForma.picOtvety;
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].name == control)
            return static_cast<int>(i);
    }
    return -1;
}
}  // namespace

void ShowVopros(App& app, unsigned colour)
{
    Control& box = app.frmForma.picVopros;
    ClearPicture(box, colour);
    box.lines = WrapQuestion(Current(app).Vopros, PictureInnerWidth(box),
                             [&app](const QString& text) { return app.platform.textWidth(text); }, kQuestionLines);
}

void ShowOtvet(App& app, unsigned colour)
{
    if (IsAnswerTarget(app.st.editor.Target))
        DrawAnswerLine(app, AnswerIndex(app.st.editor.Target), colour);
}

void ReleaseField(App& app)
{
    if (app.st.editor.Target == EditTarget::Question)
        ShowVopros(app, kIdleColour);
    else if (IsAnswerTarget(app.st.editor.Target))
        ShowOtvet(app, kIdleColour);
}

void LoadTxt(App& app, const QString& text)
{
    Control& txt = app.frmForma.Txt;
    app.st.editor.SkipTxtChange = true;
    txt.text = text;
    txt.selStart = static_cast<int>(text.size());
    txt.selLength = 0;
    // The box reports this load as a change; it is taken here at once, so the
    // flag never waits for a change that may not come (an unchanged text).
    Txt_Change(app);
}

void Txt_Change(App& app)
{
    AppState& st = app.st;
    if (st.editor.SkipTxtChange) {
        st.editor.SkipTxtChange = false;
        return;
    }
    const QString& text = app.frmForma.Txt.text;
    if (st.editor.Target == EditTarget::Question) {
        Current(app).Vopros = text;
        ShowVopros(app, kEditColour);
    } else if (IsAnswerTarget(st.editor.Target)) {
        Current(app).AddOtvety(AnswerIndex(st.editor.Target), text);
        ShowOtvet(app, kEditColour);
    }
    st.editor.SkipTxtChange = false;
}

void ReplaceTxtSelection(App& app, const QString& text)
{
    Control& txt = app.frmForma.Txt;
    const int size = static_cast<int>(txt.text.size());
    const int start = std::clamp(txt.selStart, 0, size);
    const int length = std::clamp(txt.selLength, 0, size - start);
    txt.text = txt.text.left(start) + text + txt.text.mid(start + length);
    txt.selStart = start + static_cast<int>(text.size());
    txt.selLength = 0;
    app.st.editor.SkipTxtChange = false;
    Txt_Change(app);
}

void AddVopros(App& app)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    f.NmWpr.text = QStringLiteral("Вопрос №") + QString::number(st.main.CurrentQuestion) + QStringLiteral(" из ") +
                   QString::number(st.test.QuestionCount);
    st.editor.Target = EditTarget::Question;
    SetFocusTo(app, f.Txt);
    ShowVopros(app, kEditColour);
    LoadTxt(app, Current(app).Vopros);
    f.INF.text = kQuestionEntry;
    // A damaged file may hold a count outside the list; the list decides.
    f.SelKolOtvetov.listIndex = std::clamp(Current(app).CountOtvetov - 1, 0, 8);
    ChangeKolOtvetov(app);
}

void ChangeKolOtvetov(App& app)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    clsTest& q = Current(app);
    q.CountOtvetov = std::clamp(f.SelKolOtvetov.listIndex, 0, 8) + 1;
    // The answer being typed may just have been hidden (the list also turns
    // with the mouse wheel without taking the focus): then nothing is edited.
    if (IsAnswerTarget(st.editor.Target) && AnswerIndex(st.editor.Target) > q.CountOtvetov)
        SelKolOtvetov_GotFocus(app);
    for (int i = 0; i < clsTest::Capacity; ++i) {
        Control& box = f.picOtvety[static_cast<size_t>(i)];
        if (i > q.CountOtvetov) {
            box.visible = false;
            continue;
        }
        DrawAnswerLine(app, i, kIdleColour);
        box.visible = true;
    }
    if (IsAnswerTarget(st.editor.Target))
        ShowOtvet(app, kEditColour);
}

void SelKolOtvetov_GotFocus(App& app)
{
    ReleaseField(app);
    app.st.editor.Target = EditTarget::Nothing;
    Control& txt = app.frmForma.Txt;
    txt.text.clear();
    txt.selStart = 0;
    txt.selLength = 0;
}

void SelectField(App& app, EditTarget target, const QString& text)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    ReleaseField(app);
    st.editor.Target = target;
    if (target == EditTarget::Nothing) {
        SetFocusTo(app, f.SelKolOtvetov);
        return;
    }
    if (target == EditTarget::Question) {
        f.INF.text = kQuestionEntry;
        ClearPicture(f.picVopros, kEditColour);
    } else {
        f.INF.text = kAnswerEntry;
        ShowOtvet(app, kEditColour);
    }
    LoadTxt(app, text);
    SetFocusTo(app, f.Txt);
}

void picVopros_Click(App& app)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    if (!f.picVopros.visible)
        return;
    if (IsAnswerTarget(st.editor.Target))
        ShowOtvet(app, kIdleColour);
    ShowVopros(app, kEditColour);
    st.editor.Target = EditTarget::Question;
    f.INF.text = kQuestionEntry;
    LoadTxt(app, Current(app).Vopros);
    SetFocusTo(app, f.Txt);
}

void picOtvety_Click(App& app, int index)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    if (!IsAnswer(index) || !f.picOtvety[static_cast<size_t>(index)].visible || st.editor.Target == AnswerTarget(index))
        return;
    ReleaseField(app);
    st.editor.Target = AnswerTarget(index);
    ShowOtvet(app, kEditColour);
    f.INF.text = kAnswerEntry;
    LoadTxt(app, Current(app).ListOtvety(index));
    SetFocusTo(app, f.Txt);
}

void VvodTesta(App& app)
{
    AppState& st = app.st;
    const clsTest& q = Current(app);
    if (q.Vopros.isEmpty()) {
        SelectField(app, EditTarget::Question, QString());
        return;
    }
    for (int i = 0; i <= q.CountOtvetov && i < clsTest::Capacity; ++i) {
        if (q.ListOtvety(i).isEmpty()) {
            SelectField(app, AnswerTarget(i), QString());
            return;
        }
    }
    if (st.main.CurrentQuestion >= st.test.QuestionCount) {
        if (const int incomplete = Proverka(app, 0)) {
            st.main.CurrentQuestion = incomplete;
            AddVopros(app);
        }
        return;
    }
    ReleaseField(app);
    ++st.main.CurrentQuestion;
    AddVopros(app);
}

void EditorBack(App& app)
{
    AppState& st = app.st;
    if (st.main.CurrentQuestion <= 1) {
        st.Dialog = DialogMode::ChangeParameters;
        ShowParam(app);
        return;
    }
    --st.main.CurrentQuestion;
    AddVopros(app);
}

bool Txt_KeyDown(App& app, const UiEvent& event)
{
    AppState& st = app.st;
    const bool ctrlAlone = event.ctrl && !event.shift && !event.alt;
    const bool enter = event.key == Qt::Key_Return || event.key == Qt::Key_Enter;
    if (ctrlAlone && event.key == Qt::Key_Space) {
        ReplaceTxtSelection(app, QStringLiteral("&nbsp;"));
        return false;
    }
    if (ctrlAlone && enter) {
        ReplaceTxtSelection(app, QStringLiteral("<br>"));
        return false;
    }
    if (ctrlAlone)
        return true;
    const int count = Current(app).CountOtvetov;
    if (event.key == Qt::Key_Up) {
        // The field above: answer 0 goes up to the question.
        const EditTarget t = st.editor.Target;
        if (t == AnswerTarget(0))
            picVopros_Click(app);
        else if (IsAnswerTarget(t) && AnswerIndex(t) - 1 <= count)
            picOtvety_Click(app, AnswerIndex(t) - 1);
        return false;
    }
    if (event.key == Qt::Key_Down) {
        // The field below, down to the last answer shown.
        const EditTarget t = st.editor.Target;
        if (t == EditTarget::Nothing)
            picVopros_Click(app);
        else if (t == EditTarget::Question)
            picOtvety_Click(app, 0);
        else if (IsAnswerTarget(t) && AnswerIndex(t) < count)
            picOtvety_Click(app, AnswerIndex(t) + 1);
        return false;
    }
    return true;
}

bool Txt_KeyPress(App& app, const UiEvent& event)
{
    if (event.text == QLatin1String("\b") || app.st.editor.Target != EditTarget::Nothing)
        return true;
    // Nothing is edited: the box takes one answer count digit at most.
    return event.text.size() == 1 && event.text.front() >= QLatin1Char('2') &&
           event.text.front() <= QLatin1Char('9') && app.frmForma.Txt.text.isEmpty();
}

void Edit_Click(App& app)
{
    app.frmForma.EditDeleteVopros.enabled = app.st.test.QuestionCount > 1;
}

bool Editor_Event(App& app, const UiEvent& event, bool& handled)
{
    FrmForma& f = app.frmForma;
    handled = true;
    if (event.control == f.Txt.name) {
        switch (event.type) {
        case UiEvent::Change:
            // Question and answer texts are lines of the test file.
            ApplyFieldRule(app, f.Txt, FieldKind::Html);
            Txt_Change(app);
            return true;
        case UiEvent::KeyDown:
            return Txt_KeyDown(app, event);
        case UiEvent::KeyPress:
            return FieldTakesKey(app, event, FieldKind::Html) && Txt_KeyPress(app, event);
        case UiEvent::GotFocus:
            Txt_GotFocus(app);
            return true;
        case UiEvent::LostFocus:
            Txt_LostFocus(app);
            return true;
        default:
            return true;
        }
    }
    if (event.control == f.picVopros.name) {
        if (event.type == UiEvent::Click)
            picVopros_Click(app);
        return true;
    }
    if (const int index = AnswerIndex(app, event.control); index >= 0) {
        if (event.type == UiEvent::Click)
            picOtvety_Click(app, index);
        else if (event.type == UiEvent::GotFocus)
            picOtvety_GotFocus(app);
        return true;
    }
    if (event.control == f.SelKolOtvetov.name) {
        if (event.type == UiEvent::GotFocus)
            SelKolOtvetov_GotFocus(app);
        else if (event.type == UiEvent::Click)
            ChangeKolOtvetov(app);
        return true;
    }
    if (event.control == f.Edit.name && event.type == UiEvent::Click) {
        Edit_Click(app);
        return true;
    }
    handled = false;
    return true;
}
