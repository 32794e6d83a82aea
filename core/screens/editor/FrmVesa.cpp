#include "screens/editor/FrmVesa.h"

#include "engines/Weights.h"
#include "ground/App.h"
#include "screens/editor/Editor.h"

#include <QRegularExpression>

#include <algorithm>

namespace {
// How much of an answer's text a label shows.
constexpr qsizetype kLabelChars = 24;

clsTest& Current(App& app)
{
    return app.st.test.Questions[app.st.main.CurrentQuestion];
}

int LastAnswer(const clsTest& question)
{
    return std::clamp(question.CountOtvetov, 0, clsTest::Capacity - 1);
}

void closeDialog(FrmVesa& w)
{
    w.visible = false;
    w.closeRequested = true;
}
}  // namespace

QString AnswerLabel(int number, const QString& html)
{
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString text = QString(html).remove(tags);
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    text = text.replace(blanks, QStringLiteral(" ")).trimmed();
    if (text.size() > kLabelChars)
        text = text.left(kLabelChars - 1).trimmed() + QChar(0x2026);
    return QString::number(number) + QStringLiteral(". ") + text;
}

void EditVesa_Click(App& app)
{
    // The editor's field is let go first, so that the answers are as typed.
    SelKolOtvetov_GotFocus(app);
    frmVesa_Load(app);
    app.platform.showModal(WindowId::Vesa);
    app.frmVesa.visible = false;
}

void frmVesa_Load(App& app)
{
    FrmVesa& w = app.frmVesa;
    const clsTest& question = Current(app);
    const int last = LastAnswer(question);
    const auto& levels = weights::kImportances;
    const auto found = std::find(levels.begin(), levels.end(), question.Importance);
    w.SelVes.listIndex = found == levels.end() ? 1 : static_cast<int>(found - levels.begin());
    for (int a = 0; a < FrmVesa::kAnswers; ++a) {
        const bool shown = a <= last;
        Control& row = w.Row[static_cast<size_t>(a)];
        Control& column = w.Column[static_cast<size_t>(a)];
        row.visible = shown;
        column.visible = shown;
        row.text = shown ? AnswerLabel(a + 1, question.ListOtvety(a)) : QString();
        column.text = shown ? QString::number(a + 1) : QString();
        column.tooltip = row.text;
        row.tooltip = row.text;
        for (int b = 0; b < FrmVesa::kAnswers; ++b) {
            Control& cell = w.cell(a, b);
            cell.visible = shown && b <= last;
            cell.checked = cell.visible && (question.Together[static_cast<size_t>(a)] & (1u << b)) != 0;
        }
    }
    w.focus = w.SelVes.name;
    w.closeRequested = false;
    w.visible = true;
}

void frmVesa_OK_Click(App& app)
{
    FrmVesa& w = app.frmVesa;
    clsTest& question = Current(app);
    const int last = LastAnswer(question);
    const int level = w.SelVes.listIndex;
    if (level >= 0 && level < static_cast<int>(weights::kImportances.size()))
        question.Importance = weights::kImportances[static_cast<size_t>(level)];
    const quint16 inRange = static_cast<quint16>((1u << (last + 1)) - 1);
    for (int a = 0; a <= last; ++a) {
        quint16 row = question.Together[static_cast<size_t>(a)] & static_cast<quint16>(~inRange);
        for (int b = 0; b <= last; ++b) {
            if (w.cell(a, b).checked)
                row |= static_cast<quint16>(1u << b);
        }
        question.Together[static_cast<size_t>(a)] = row;
    }
    closeDialog(w);
}

bool frmVesa_Event(App& app, const UiEvent& event)
{
    FrmVesa& w = app.frmVesa;
    if (event.type != UiEvent::Click)
        return true;
    if (event.control == w.OK.name)
        frmVesa_OK_Click(app);
    else if (event.control == w.NO.name)
        closeDialog(w);
    return true;
}
