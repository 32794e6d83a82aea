#pragma once

#include "ground/windows/FrmParam.h"

#include <QChar>

#include <array>

class App;

// Opens the dialog modally in the dialog mode the caller has set.
void ShowParam(App& app);
// Edit > "Параметры теста".
void EditParametry_Click(App& app);

// Dialog handlers.
void frmParam_Load(App& app);
// Whether a typed character may go into the named box.
bool frmParam_KeyAllowed(const QString& control, QChar ch);
void frmParam_Change(App& app, const QString& control);
void frmParam_OK_Click(App& app);
void frmParam_NO_Click(App& app);
// Every user action on the dialog; false drops a typed key.
bool frmParam_Event(App& app, const UiEvent& event);
