#pragma once

#include <QString>

class App;

// The secondary window's one-shot start: builds the page of the mode it was
// opened in (people list, pair search, name search, help, whole test).
void frmHTML_Timer(App& app);

// The secondary view's command receiver: list pages, card pages, ranking pages.
void VyborKartochki(App& app, const QString& link);
// A link clicked in the secondary view on its page `page` (see IsShownPage).
void ListViewLink(App& app, int page, const QString& link);
