#pragma once

#include "ground/windows/FrmLoadVopros.h"

#include <array>
#include <vector>

class App;

// Edit > "Быстрая загрузка вопросов" (index 0), "Редактировать все вопросы" (1).
void EditLoadVopros_Click(App& app, int index);

void frmLoadVopros_Load(App& app);
// Writes the whole test into the dialog's text box.
void EditAllVoprosy(App& app);
void frmLoadVopros_TextChange(App& app);
// Ctrl+Space and Ctrl+Enter insert their snippets; false swallows the key.
bool frmLoadVopros_KeyDown(App& app, const UiEvent& event);
// OK: passes the text through the backup file "0.bak" into the test.
void LoadVopros(App& app);
// Reads the backup file into the test from question startIndex + 1; returns
// the message to show when it cannot be read (the test is then unchanged).
QString LoadBackup(App& app, const QString& path, int startIndex);
bool frmLoadVopros_Event(App& app, const UiEvent& event);
