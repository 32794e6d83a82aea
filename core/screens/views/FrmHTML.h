#pragma once

#include "ground/windows/FrmHTML.h"

class App;

// Opens the window for the HtmlWindowMode the caller has set and returns when
// it has been closed: load, modal show, unload.
void ShowHtmlWindow(App& app);

// Window handlers.
void frmHTML_Load(App& app);
void frmHTML_MenuClick(App& app, const QString& item);
void frmHTML_Unload(App& app);
// Every user action on the window (its menu).
bool frmHTML_Event(App& app, const UiEvent& event);
