#pragma once

#include "ground/windows/FrmNomer.h"

class App;

// Inserts an empty question (two empty answers) before the current one.
void VstavitVopros(App& app);
// Deletes the current question; the only question is never deleted.
void DeleteVopros(App& app);
// "Поиск не завершённого": to the first incomplete question, or "Тест готов!".
void EditFoundNoEnd_Click(App& app);
// "Выбор вопроса": the picker.
void EditSelectVopros_Click(App& app);

// Picker handlers.
void frmNomer_Load(App& app);
void frmNomer_Choose(App& app);
bool frmNomer_Event(App& app, const UiEvent& event);
