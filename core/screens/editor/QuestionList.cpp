#include "screens/editor/QuestionList.h"

#include "screens/editor/Editor.h"
#include "ground/App.h"
#include "engines/Proverka.h"

namespace {
// Moves a question's text, answer count, all ten answer slots, hidden ones
// included, and its weights; the chosen answer stays with the position.
void MoveQuestion(TestInMemory& test, int from, int to)
{
    const clsTest& source = test.Questions[from];
    clsTest& target = test.Questions[to];
    target.Vopros = source.Vopros;
    target.CountOtvetov = source.CountOtvetov;
    for (int i = 0; i < clsTest::Capacity; ++i)
        target.AddOtvety(i, source.ListOtvety(i));
    target.Importance = source.Importance;
    target.Together = source.Together;
}

void closeDialog(FrmNomer& w)
{
    w.visible = false;
    w.closeRequested = true;
}
}  // namespace

void VstavitVopros(App& app)
{
    AppState& st = app.st;
    if (st.test.Questions.upperBound() < st.test.QuestionCount + 1)
        st.test.Questions.resizePreserving(st.test.QuestionCount + 1);
    for (int k = st.test.QuestionCount; k >= st.main.CurrentQuestion; --k)
        MoveQuestion(st.test, k, k + 1);
    ++st.test.QuestionCount;
    clsTest& fresh = st.test.Questions[st.main.CurrentQuestion];
    fresh.ClearOtvety();
    fresh.CountOtvetov = 1;
    fresh.Vopros.clear();
    fresh.Importance = 1;
    fresh.Together = clsTest::SameAnswerOnly();
    AddVopros(app);
}

void DeleteVopros(App& app)
{
    AppState& st = app.st;
    // A test keeps at least one question.
    if (st.test.QuestionCount <= 1)
        return;
    const int n = --st.test.QuestionCount;
    if (n < st.main.CurrentQuestion) {
        st.main.CurrentQuestion = n;
    } else {
        for (int k = st.main.CurrentQuestion; k <= n; ++k)
            MoveQuestion(st.test, k + 1, k);
    }
    st.test.Questions.resizePreserving(n);
    AddVopros(app);
}

void EditFoundNoEnd_Click(App& app)
{
    const int incomplete = Proverka(app, 1);
    if (incomplete != 0 && incomplete != app.st.main.CurrentQuestion) {
        app.st.main.CurrentQuestion = incomplete;
        AddVopros(app);
    }
}

void EditSelectVopros_Click(App& app)
{
    frmNomer_Load(app);
    app.platform.showModal(WindowId::Nomer);
    app.frmNomer.visible = false;
}

void frmNomer_Load(App& app)
{
    FrmNomer& w = app.frmNomer;
    w.List1.items.clear();
    for (int q = 1; q <= app.st.test.QuestionCount; ++q)
        w.List1.items << QString::number(q) + QStringLiteral(") ") + app.st.test.Questions[q].Vopros;
    w.List1.listIndex = -1;
    w.focus = w.List1.name;
    w.closeRequested = false;
    w.visible = true;
}

void frmNomer_Choose(App& app)
{
    FrmNomer& w = app.frmNomer;
    const int index = w.List1.listIndex;
    if (index < 0 || index >= w.List1.items.size())
        return;
    if (index + 1 != app.st.main.CurrentQuestion) {
        app.st.main.CurrentQuestion = index + 1;
        AddVopros(app);
    }
    closeDialog(w);
}

bool frmNomer_Event(App& app, const UiEvent& event)
{
    FrmNomer& w = app.frmNomer;
    if (event.control != w.List1.name)
        return true;
    if (event.type == UiEvent::DblClick) {
        frmNomer_Choose(app);
    } else if (event.type == UiEvent::KeyDown) {
        if (event.key == Qt::Key_Return || event.key == Qt::Key_Enter) {
            frmNomer_Choose(app);
            return false;
        }
        if (event.key == Qt::Key_Escape) {
            closeDialog(w);
            return false;
        }
    }
    return true;
}
