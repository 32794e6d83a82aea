#pragma once

#include <QString>

class App;

// Page of the current question during an attempt, or the finished-test page
// once CurrentQuestion has passed the last question; also sets the three
// buttons of the main window.
void Wopros(App& app);

// Page of question n as the author previews it: no links, "?" for empty texts.
void Show1Wopros(App& app, int n);

// Answer table of question n without links, as HTML text.
QString ShowHTMLOtvety(const App& app, int n);
