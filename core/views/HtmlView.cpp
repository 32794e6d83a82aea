#include "views/HtmlView.h"

#include "shell/Model.h"

void LoadHtml(Control& view, const QString& html)
{
    view.text = html;
    view.url.clear();
    ++view.loads;
}

void LoadFile(Control& view, const QString& pathOrUrl)
{
    view.text.clear();
    view.url = pathOrUrl;
    ++view.loads;
}

void ClearWeb(Control& view)
{
    LoadHtml(view, QStringLiteral("<html><body></body></html>"));
}
