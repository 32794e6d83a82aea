#include "ground/App.h"

void ShowError(App& app, const QString& text)
{
    app.platform.messageBox(text, kAppTitle, MsgButtons::Ok, MsgIcon::Critical, MsgAnswer::Ok);
}

void ShowNotice(App& app, const QString& text)
{
    app.platform.messageBox(text, kAppTitle, MsgButtons::Ok, MsgIcon::Information, MsgAnswer::Ok);
}

QString FileMessage(const App& app, const QString& path, const QString& ending)
{
    return app.frmForma.File.text + QStringLiteral(" \"") + path + QStringLiteral("\" ") + ending;
}

QString FolderPart(const App& app, const QString& path)
{
    const qsizetype sep = path.lastIndexOf(app.st.PathSep);
    return sep < 0 ? QString() : path.left(sep + app.st.PathSep.size());
}

QString FileNamePart(const App& app, const QString& path)
{
    const qsizetype sep = path.lastIndexOf(app.st.PathSep);
    return sep < 0 ? path : path.mid(sep + app.st.PathSep.size());
}

void SetTestCaption(App& app)
{
    app.frmForma.caption = app.st.TestName + QStringLiteral(" - [") + FileNamePart(app, app.st.TestFilePath) +
                           QStringLiteral("] - ") + kAppTitle;
}
