#include "ground/windows/HtmlView.h"

#include "ground/windows/Model.h"

void LoadHtml(Control& view, const QString& html)
{
    view.text = html;
    view.url.clear();
    view.files.clear();
    ++view.loads;
}

void LoadFile(Control& view, const QString& pathOrUrl)
{
    view.text.clear();
    view.url = pathOrUrl;
    view.files.clear();
    ++view.loads;
}

void ClearWeb(Control& view)
{
    LoadHtml(view, QStringLiteral("<html><body></body></html>"));
}

bool IsShownPage(const Control& view, int page)
{
    return page == view.loads;
}

bool PageCarries(const Control& view, const QString& link)
{
    // The browser reports a target without a path with "/" added.
    QString target = link;
    const qsizetype hostStart = target.indexOf(QLatin1String("://"));
    if (hostStart >= 0 && target.endsWith(QLatin1Char('/')) && target.indexOf(QLatin1Char('/'), hostStart + 3) == target.size() - 1)
        target.chop(1);
    return !target.isEmpty() && view.text.contains(QStringLiteral("href='") + target + QLatin1Char('\''));
}
