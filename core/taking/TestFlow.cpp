#include "taking/TestFlow.h"

#include "shell/App.h"
#include "views/HtmlView.h"

void ReStart(App& app, int notReady)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    st.TestPhase = 0;

    f.Edit.enabled = false;
    f.FileSave.enabled = false;
    f.FileSaveAs.enabled = false;
    f.FileProsmotr.checked = false;
    f.FileProsmotr.enabled = false;
    f.FileChange.enabled = true;
    f.FileSnachala.enabled = false;

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
    page += st.TestName;
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
    st.MainHtml = page;
    LoadHtml(f.usrWeb1, st.MainHtml);
}
