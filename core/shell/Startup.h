#pragma once

#include <QString>

class App;

inline const QString kSettingsFileName = QStringLiteral("Тандемо.ini");

// Start-up: folders, settings file, last-test menu item, splash page, and the
// main window shown.
void Main(App& app);
// Shutdown: asks while a test is edited or taken, then writes the settings
// file. Returns 1 to keep the main window open, 0 to let it close.
int UnloadProga(App& app);

// File menu: the last test of the previous run.
void FileNameTest_Click(App& app);
