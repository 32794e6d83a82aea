#pragma once

#include <QString>

class App;

inline const QString kSettingsFileName = QStringLiteral("Тандемо.ini");

// Start-up: folders, settings file, last-test menu item, splash page, and the
// main window shown.
void Main(App& app);
// How the program is being ended: by the user (the window's close box, File >
// Exit), or by the desktop (SIGTERM at logout or power-off), which no dialog
// may hold up.
enum class Shutdown { ByUser, ByDesktop };

// Shutdown: asks while a test is edited or taken, then writes the settings
// file. Returns 1 to keep the main window open, 0 to let it close. Ended by
// the desktop, it asks nothing and reports a failure on standard error.
int UnloadProga(App& app, Shutdown how = Shutdown::ByUser);

// File menu: the last test of the previous run.
void FileNameTest_Click(App& app);
