#include "screens/taking/EndTest.h"

#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/windows/HtmlView.h"

namespace {
const QString kEndPageHead = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><center><font size='5'>");
}

void EndTest(App& app)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    st.main.View = ViewMode::EndTest;
    f.FileKartochka.enabled = false;
    f.Nazad.enabled = false;
    f.kDalee.enabled = false;
    f.kRezultat.enabled = false;
    st.main.Phase = TestPhase::Finished;

    Kartochka& card = st.CardFields[0];
    QString answers;
    for (int q = 1; q <= st.test.QuestionCount; ++q)
        answers += QString::number(st.test.Questions[q].NomerOtveta);
    card.Otvety = answers;

    const bool ok = SaveNewKartochka(app, 0, app.platform.now());

    st.main.MainHtml = kEndPageHead;
    if (ok)
        st.main.MainHtml += QStringLiteral("Результаты тестирование сохранены.<br><br>");
    st.main.MainHtml += QStringLiteral("<a style='text-decoration: none' href='") + Command(QStringLiteral("p")) +
                   QStringLiteral("'>Поиск пары</a></font></center></body></html>");
    LoadHtml(f.usrWeb1, st.main.MainHtml);
}
