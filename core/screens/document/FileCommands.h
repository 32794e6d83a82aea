#pragma once

#include <QString>

class App;

// The test file filter: "Tests (*.tnd)" NUL "*.tnd".
QString TestFilter();

void OpenFile(App& app);
void OpenFileToAdd(App& app);
void SaveTestDialog(App& app);
void SaveTestDialogAs(App& app);
// Appends the questions of another test file to the test in memory.
void AddTest(App& app, const QString& path);

// File > "Создать" (and the splash page's "n"): asks to keep unsaved
// changes, then opens the test parameters for a new test.
void FileNew_Click(App& app);
// Before the test in memory is replaced: while the editor holds unsaved
// changes, asks whether to save them. False when the author cancels, or chose
// to save and the test was not saved.
bool MayReplaceTest(App& app);
// Reads a test file into memory and shows its start page.
void OpenTest(App& app, const QString& path);
