#pragma once

#include <QString>

class App;

// Receiver of the links clicked in the main view: page commands by their
// one-character code, an answer by its digit, anything longer than a command
// goes to the desktop's browser.
void VyborOtveta(App& app, const QString& link);

// A link clicked in the main view on its page `page` (see IsShownPage).
void MainViewLink(App& app, int page, const QString& link);

// An outside address from a page: http, https and mailto go to the desktop;
// any other scheme is ignored.
void OpenExternalLink(App& app, const QString& link);

// "Сохранить результат": back to the first unanswered question with a
// message, or the end of the test when everything is answered.
void Rezultat(App& app);
