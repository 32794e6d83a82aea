#pragma once

#include "ground/windows/Model.h"

#include <QChar>

class App;

// The password dialog. Mode 0 (DialogMode when "ОК" is pressed) guards the
// loaded test and opens the editor itself; mode 2 guards card slot 1 and tells
// its caller by DialogMode -1.
class FrmPassW : public WindowModel {
public:
    FrmPassW();

    Control TPW{"TPW"};  // shown as asterisks
    Control OK{"OK", QStringLiteral("ОК")};
    Control NO{"NO", QStringLiteral("Отмена")};
};

// Shows the dialog modally in the DialogMode the caller has set.
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
