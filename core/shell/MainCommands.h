#pragma once

#include <QString>

class App;

// Click on a menu item of the main window, named as in its model
// (e.g. "FileOpen", "FileListLudey(1)").
void frmForma_MenuClick(App& app, const QString& item);
