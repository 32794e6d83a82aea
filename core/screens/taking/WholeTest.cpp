#include "screens/taking/WholeTest.h"

#include "ground/App.h"
#include "screens/taking/QuestionPage.h"
#include "screens/views/FrmHTML.h"
#include "engines/MediaHtml.h"

void ShowAllTest(App& app)
{
    AppState& st = app.st;
    QString page = QStringLiteral(
                       "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                       "</head><body leftmargin=5 rightmargin=5><center><font size='6'>") +
                   st.test.TestName + QStringLiteral("</font></center>");
    for (int q = 1; q <= st.test.QuestionCount; ++q) {
        const QString text = ShownText(app, st.test.Questions[q].Vopros);
        page += QStringLiteral("<tr><td><font size='4' color='red'>") + QStringLiteral("Вопрос №") +
                QString::number(q) + QStringLiteral("</font></td></tr>") +
                QStringLiteral("<br><font size='4' color='green'>") +
                (text.isEmpty() ? QStringLiteral("?") : text) + QStringLiteral("</font></td></tr>") +
                ShowHTMLOtvety(app, q);
    }
    page += QStringLiteral("</body></html>");
    st.list.ListHtml = page;
}

void EditShowAllTest_Click(App& app)
{
    app.st.list.Mode = HtmlWindowMode::WholeTest;
    ShowAllTest(app);
    ShowHtmlWindow(app);
}

void Prosmotr(App& app, bool wasOn)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    f.FileProsmotr.checked = !wasOn;
    f.SelKolOtvetov.visible = wasOn;
    f.Txt.visible = wasOn;
    f.Nazad.enabled = wasOn;
    f.kDalee.enabled = wasOn;
    f.Edit.enabled = wasOn;
    f.picVopros.visible = wasOn;
    f.usrWeb1.visible = !wasOn;
    // The hidden box cannot keep the focus.
    if (!wasOn && f.focus == f.Txt.name)
        f.focus.clear();
    app.platform.processEvents();
    if (!wasOn) {
        Show1Wopros(app, st.main.CurrentQuestion);
    } else if (st.editor.Target != EditTarget::Nothing) {
        f.focus = f.Txt.name;
    }
}
