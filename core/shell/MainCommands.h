#pragma once

#include <QString>

class App;
class FrmForma;
struct UiEvent;

// Every user action on the main window: menu items, buttons, the editor's controls.
bool frmForma_Event(App& app, const UiEvent& event);

// Click on a menu item of the main window, named as in its model
// (e.g. "FileOpen", "FileListLudey(1)").
void frmForma_MenuClick(App& app, const QString& item);

// Items of the Edit menu ("Правка") and their commands.
bool EditMenuItem(const App& app, const QString& item);
void EditMenuClick(App& app, const QString& item);

// Click on one of the main window's three buttons: "Nazad", "kDalee" or
// "kRezultat". A disabled button does nothing.
void frmForma_ButtonClick(App& app, const QString& button);

// The window changed size (or was minimised): lay it out again.
void Form_Resize(App& app);
void ResizeForma(App& app);
// The client area the window opens with on a screen whose free area is the
// given size: four fifths of it each way, so that a question with a picture,
// a video and five answers shows whole, never below the design size.
void OpeningSize(FrmForma& f, int freeWidth, int freeHeight);
