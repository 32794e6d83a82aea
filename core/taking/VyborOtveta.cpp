#include "taking/VyborOtveta.h"

#include "document/FileCommands.h"
#include "shell/App.h"
#include "shell/MainCommands.h"
#include "views/Firmy.h"
#include "views/Splash.h"

void VyborOtveta(App& app, const QString& linkText)
{
    // Command links are short; anything longer is a link out of the program.
    if (linkText.size() > 16) {
        app.platform.openExternalUrl(linkText);
        return;
    }
    const QString code = linkText.mid(11, 1);
    if (code == QLatin1String("f"))
        ShowFirmy(app);
    else if (code == QLatin1String("b"))
        ShowZastavka(app);
    else if (code == QLatin1String("n"))
        frmForma_MenuClick(app, app.frmForma.FileNew.name);
    else if (code == QLatin1String("o"))
        OpenFile(app);
}
