#include "screens/taking/QuestionPage.h"

#include "ground/App.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"
#include "engines/MediaHtml.h"

#include <algorithm>

namespace {
const QString kTestPageHead = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><font size='5'>");
const QString kPreviewHead = QStringLiteral(
    "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>"
    "<body topmargin=0  leftmargin=5 rightmargin=5><font size='5'>");
const QString kPageEnd = QStringLiteral("</body></html>");

// A damaged test may claim more answers than a question can hold.
int LastAnswer(const clsTest& q)
{
    return std::min(q.CountOtvetov, clsTest::Capacity - 1);
}

QString Marker(const App& app, bool chosen)
{
    return QStringLiteral("<img border='0' src='") + HtmlText(app.st.folders.AppFolder) + QStringLiteral("znak") +
           (chosen ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral(".jpg'>");
}

QString Header(const App& app, int n)
{
    return QStringLiteral("Вопрос №") + QString::number(n) + QStringLiteral(" из ") +
           QString::number(app.st.test.QuestionCount) + QStringLiteral("</font><br>");
}

QString OrQuestionMark(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("?") : text;
}
}

void Wopros(App& app)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    QString body;
    if (st.main.CurrentQuestion > st.test.QuestionCount) {
        body = QStringLiteral("<center><font size='5'>Тест пройден.<br><a style='text-decoration: none' href='") +
               BareCommand(QStringLiteral("r")) +
               QStringLiteral("'>Сохранить результат.</font></a><br></font></center>");
    } else {
        const clsTest& q = st.test.Questions[st.main.CurrentQuestion];
        body = Header(app, st.main.CurrentQuestion);
        body += QStringLiteral("<font size='4' color='green'>") + ShownText(app, q.Vopros) +
                QStringLiteral("</font><br>");
        body += QStringLiteral("<br><font size='5'>") + f.WrOt.text + QStringLiteral("</font><br>");
        body += QStringLiteral("<table><td>");
        for (int i = 0; i <= LastAnswer(q); ++i) {
            body += QStringLiteral("<a style='text-decoration: none' href='") + BareCommand(QString::number(i)) +
                    QStringLiteral("'>") + Marker(app, i == q.NomerOtveta) + QStringLiteral("<font size='4'>") +
                    QString::number(i + 1) + QStringLiteral(") ") + ShownText(app, q.ListOtvety(i)) +
                    QStringLiteral("</font></a><br>");
        }
        body += QStringLiteral("</td></table>");
    }
    f.Nazad.enabled = st.main.CurrentQuestion > 1;
    f.kDalee.enabled = st.main.CurrentQuestion <= st.test.QuestionCount;
    f.kRezultat.enabled = st.main.CurrentQuestion > 1;
    st.main.MainHtml = kTestPageHead + body + kPageEnd;
    LoadHtml(f.usrWeb1, st.main.MainHtml);
}

void Show1Wopros(App& app, int n)
{
    AppState& st = app.st;
    const clsTest& q = st.test.Questions[n];
    QString body = Header(app, n);
    body += QStringLiteral("<font size='4' color='green'>") + OrQuestionMark(ShownText(app, q.Vopros)) +
            QStringLiteral("</font><br>");
    body += QStringLiteral("<br><font size='5'>") + app.frmForma.WrOt.text + QStringLiteral("</font><br>");
    body += ShowHTMLOtvety(app, n);
    st.main.MainHtml = kPreviewHead + body + kPageEnd;
    LoadHtml(app.frmForma.usrWeb1, st.main.MainHtml);
}

QString ShowHTMLOtvety(const App& app, int n)
{
    const clsTest& q = app.st.test.Questions[n];
    QString rows;
    for (int i = 0; i <= LastAnswer(q); ++i) {
        // Only a running attempt has choices worth marking.
        const bool chosen = i == q.NomerOtveta && app.st.main.Phase == TestPhase::Attempt;
        rows += QStringLiteral("<tr><td valign='top'>") + Marker(app, chosen) +
                QStringLiteral("<font size='4' color='blue'>") + QString::number(i + 1) + QStringLiteral(") ") +
                OrQuestionMark(ShownText(app, q.ListOtvety(i))) + QStringLiteral("</font></td></tr>");
    }
    return QStringLiteral("<tr><table>") + rows + QStringLiteral("</table></tr><br>");
}
