#pragma once

#include <QString>

class App;

// The test file filter: "Tests (*.tnd)" NUL "*.tnd".
QString TestFilter();

// The program's file dialog. `filter` holds caption/pattern pairs separated by
// NUL characters; "All Files (*.*)" is always offered last. Returns the chosen
// full path (and remembers its folder in LastFolder) or an empty string.
QString apiOpenSave(App& app, int save, const QString& suggestedName, const QString& filter);

void OpenFile(App& app);
void OpenFileToAdd(App& app);
void SaveTestDialog(App& app);
void SaveTestDialogAs(App& app);
// Appends the questions of another test file to the test in memory.
void AddTest(App& app, const QString& path);
