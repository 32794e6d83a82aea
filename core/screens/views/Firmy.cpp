#include "screens/views/Firmy.h"

#include "ground/App.h"
#include "ground/windows/HtmlView.h"

void ShowFirmy(App& app)
{
    AppState& st = app.st;
    st.main.View = ViewMode::ShowFirmy;
    st.main.MainHtml =
        QStringLiteral(
            "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
            "<style type='text/css'>body{font-family:Times New Roman; font-size:18px; margin:16px;} "
            ".lnk{color:blue; font-size:20px; text-decoration:none;} a:hover{color:red}</style></head><body>"
            "<h2>Фирмы, использующие эту программу</h2>"
            "<p>Тандемо работает в брачных агентствах и клубах знакомств: за столом оператора или в киоске, "
            "где гости сами заполняют анкету и проходят тест.</p>"
            "<p>Первая строка этого списка — ваша: программа у вас уже работает. Других агентств мы здесь не "
            "называем, пока они сами не попросят об этом.</p>"
            "<p><a class='lnk' href='") +
        Command(QStringLiteral("b")) + QStringLiteral("'>&larr; Назад</a></p></body></html>");
    LoadHtml(app.frmForma.usrWeb1, st.main.MainHtml);
}
