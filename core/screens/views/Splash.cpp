#include "screens/views/Splash.h"

#include "ground/App.h"
#include "ground/FileDialog.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"

namespace {
// A children's charity we point our users to from the first page.
const QString kFoundationUrl = QStringLiteral("https://podari-zhizn.ru/");
const QString kFoundationName = QStringLiteral("Фонд «Подари жизнь»");
}

void ShowZastavka(App& app)
{
    AppState& st = app.st;
    st.main.View = ViewMode::ShowZastavka;
    QString page;
    page += QStringLiteral(
        "<html><head><style type='text/css'>.lnkMini{color:blue; font-size:16px; font-family:Times New Roman; "
        "text-decoration:none; } .lnk{color:blue; font-size:28px; font-family:Times New Roman; "
        "text-decoration:none; } a:hover{color:red}</style>");
    page += QStringLiteral(
                "<meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head><body "
                "topmargin=0 leftmargin=0><table width='100%'><td align='left'><a class='lnkMini' href='") +
            Command(QStringLiteral("f")) +
            QStringLiteral(
                "'>Список фирм использующих эту программу (1)</a></td><td align='right' style "
                "type='color:black; font-size:16px; font-family:Times New Roman;'><b>Уж замуж "
                "невтерпеж!</b></td></table>");
    page += QStringLiteral("<table width='100%'><td align='center'><a class='lnk' href='") + kFoundationUrl +
            QStringLiteral("'>") + kFoundationName +
            QStringLiteral(
                "</a><br><font face='Times New Roman' size='6'>Тандемо</font></td></table><table "
                "width='100%'><td align='center'><table width='100%'><td align='center'><a class='lnk' "
                "href='") +
            Command(QStringLiteral("n")) +
            QStringLiteral("'>Создать тест</a></td><td align='center'><a class='lnk' href='") +
            Command(QStringLiteral("o")) +
            QStringLiteral("'>Открыть тест</a></td><td align='center'></td></table>");
    page += QStringLiteral("<table width='100%'><td align='center'><img border='0' src='") + HtmlText(st.folders.SplashPicture) +
            QStringLiteral("'></td></table></body></html>");
    st.main.MainHtml = page;
    LoadHtml(app.frmForma.usrWeb1, st.main.MainHtml);
    app.frmForma.usrWeb1.files = {st.folders.SplashPicture};
}

void OpenEmblema(App& app)
{
    const QString path = apiOpenSave(app, 0, app.st.folders.SplashPicture,
                                     QStringLiteral("All picture files (*.*)") + QChar(u'\0') + QStringLiteral("*.*"));
    if (path.isEmpty())
        return;
    app.st.folders.SplashPicture = path;
    if (app.st.main.View == ViewMode::ShowZastavka)
        ShowZastavka(app);
}
