#include "screens/taking/TestFlow.h"

#include "screens/editor/Editor.h"
#include "ground/App.h"
#include "ground/Platform.h"
#include "screens/taking/ConsentStep.h"
#include "screens/taking/QuestionPage.h"
#include "ground/windows/HtmlView.h"

void ReStart(App& app, int notReady)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    st.main.Phase = TestPhase::StartPage;

    f.Edit.enabled = false;
    f.FileSave.enabled = false;
    f.FileSaveAs.enabled = false;
    f.FileProsmotr.checked = false;
    f.FileProsmotr.enabled = false;
    f.FileChange.enabled = true;
    f.FileSnachala.enabled = false;
    // The own card belongs to a running attempt; on the start page it would
    // show the card of whoever stopped half-way to the next person.
    f.FileKartochka.enabled = false;

    for (Control* c : {&f.NmWpr, &f.INF, &f.Txt, &f.SelKolOtvetov, &f.WrOt, &f.picVopros})
        c->visible = false;
    for (Control& c : f.picOtvety)
        c.visible = false;
    f.Nazad.enabled = false;
    f.kDalee.enabled = false;
    if (f.defaultButton == f.kDalee.name)
        f.defaultButton.clear();
    f.kRezultat.enabled = false;
    f.FileObnovit.enabled = true;
    f.usrWeb1.visible = true;

    QString page = QStringLiteral(
        "<html><style type='text/css'>.lnk{color:blue; font-size:28px; font-family:Times New Roman; "
        "text-decoration:none; } a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
        "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
        "link='blue' vlink='blue'><center><font size='5'>");
    page += st.test.TestName;
    if (notReady != 0) {
        page += QStringLiteral("<br><br>Тест не готов!");
    } else {
        page += QStringLiteral("<br><br><a class='lnk' href='") + Command(QStringLiteral("s")) +
                QStringLiteral("'>Начать тестирование</a>");
        page += QStringLiteral("<br><br><a class='lnk' href='") + Command(QStringLiteral("m")) +
                QStringLiteral("'>Список мужчин</a>");
        page += QStringLiteral("<br><a class='lnk' href='") + Command(QStringLiteral("w")) +
                QStringLiteral("'>Список женщин</a>");
        page += QStringLiteral("<br><a class='lnk' href='") + Command(QStringLiteral("i")) +
                QStringLiteral("'>Поиск</a>");
    }
    page += QStringLiteral("</font></center></body></html>");
    st.main.MainHtml = page;
    LoadHtml(f.usrWeb1, st.main.MainHtml);
}

void StartTest(App& app)
{
    AppState& st = app.st;
    if (!AskConsent(app))
        return;
    st.Dialog = DialogMode::NewCard;
    app.platform.showModal(WindowId::Kartochka);
    if (st.Dialog != DialogMode::Confirmed)
        return;
    for (int q = 1; q <= st.test.QuestionCount; ++q)
        st.test.Questions[q].NomerOtveta = -1;
    st.main.Phase = TestPhase::Attempt;
    st.main.CurrentQuestion = 1;
    Wopros(app);
    FrmForma& f = app.frmForma;
    f.FileKartochka.enabled = true;
    f.FileObnovit.enabled = true;
    f.FileSnachala.enabled = true;
    f.usrWeb1.visible = true;
    f.picVopros.visible = false;
}

namespace {
bool Answered(const App& app, int q)
{
    return app.st.test.Questions[q].NomerOtveta >= 0;
}
}

void NewHod(App& app)
{
    AppState& st = app.st;
    do {
        ++st.main.CurrentQuestion;
    } while (st.main.CurrentQuestion <= st.test.QuestionCount && Answered(app, st.main.CurrentQuestion));
    Wopros(app);
}

void Dalee(App& app)
{
    AppState& st = app.st;
    switch (st.main.Phase) {
    case TestPhase::StartPage:
        StartTest(app);
        break;
    case TestPhase::Attempt: {
        int i = st.main.CurrentQuestion + 1;
        while (i <= st.test.QuestionCount && Answered(app, i))
            ++i;
        st.main.CurrentQuestion = i;
        Wopros(app);
        break;
    }
    case TestPhase::Editor:
        VvodTesta(app);
        break;
    default:
        break;
    }
}

void Nazad_Click(App& app)
{
    AppState& st = app.st;
    switch (st.main.Phase) {
    case TestPhase::Attempt:
        --st.main.CurrentQuestion;
        Wopros(app);
        break;
    case TestPhase::Editor:
        EditorBack(app);
        break;
    default:
        break;
    }
}

void FileSnachala_Click(App& app)
{
    const MsgAnswer answer =
        app.platform.messageBox(app.frmForma.FileSnachala.text + QStringLiteral("?"), kAppTitle, MsgButtons::YesNo,
                                MsgIcon::Exclamation, MsgAnswer::No);
    if (answer == MsgAnswer::Yes)
        ReStart(app, 0);
}
