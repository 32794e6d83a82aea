#pragma once

#include "ground/windows/FrmPassW.h"

#include <QChar>

class App;

// Shows the dialog modally in the dialog mode the caller has set.
void ShowPassW(App& app);
// Main menu "Изменить": the test's password, then the editor.
void FileChange_Click(App& app);

// Dialog handlers.
void frmPassW_Load(App& app);
// Whether a typed character may go into the box.
bool frmPassW_KeyAllowed(QChar ch);
void frmPassW_TPW_Change(App& app);
void frmPassW_OK_Click(App& app);
void frmPassW_NO_Click(App& app);
// Every user action on the dialog; false drops a typed key.
bool frmPassW_Event(App& app, const UiEvent& event);
