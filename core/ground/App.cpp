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
    const qsizetype sep = path.lastIndexOf(app.st.folders.PathSep);
    return sep < 0 ? QString() : path.left(sep + app.st.folders.PathSep.size());
}

QString FileNamePart(const App& app, const QString& path)
{
    const qsizetype sep = path.lastIndexOf(app.st.folders.PathSep);
    return sep < 0 ? path : path.mid(sep + app.st.folders.PathSep.size());
}

void SetTestCaption(App& app)
{
    app.frmForma.caption = app.st.test.TestName + QStringLiteral(" - [") + FileNamePart(app, app.st.test.TestFilePath) +
                           QStringLiteral("] - ") + kAppTitle;
}
