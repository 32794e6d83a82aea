#pragma once

#include <QString>

class App;

// The program's file dialog. `filter` holds caption/pattern pairs separated by
// NUL characters; "All Files (*.*)" is always offered last. Returns the chosen
// full path (and remembers its folder in LastFolder) or an empty string.
QString apiOpenSave(App& app, int save, const QString& suggestedName, const QString& filter);
