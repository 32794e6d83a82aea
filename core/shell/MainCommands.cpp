#include "shell/MainCommands.h"

#include "document/FrmPassW.h"
#include "people/FrmFound.h"
#include "people/PeopleList.h"
#include "shell/App.h"
#include "shell/Startup.h"

void frmForma_MenuClick(App& app, const QString& item)
{
    if (item == QLatin1String("FileExit")) {
        app.frmForma.closeRequested = true;
    } else if (item == QLatin1String("FileNameTest")) {
        FileNameTest_Click(app);
    } else if (item == QLatin1String("FileListLudey(0)")) {
        FileListLudey_Click(app, 0);
    } else if (item == QLatin1String("FileListLudey(1)")) {
        FileListLudey_Click(app, 1);
    } else if (item == QLatin1String("FileFoundLudey")) {
        FileFoundLudey_Click(app);
    } else if (item == QLatin1String("FileChange")) {
        FileChange_Click(app);
    } else if (item == QLatin1String("HelpCallHelp")) {
        app.st.HtmlWindowMode = -2;
        ShowHtmlWindow(app);
    }
}
