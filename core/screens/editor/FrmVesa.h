#pragma once

#include "ground/windows/FrmVesa.h"

class App;

// "Правка → Веса вопроса...": the weights of the current question.
void EditVesa_Click(App& app);
// Fills the dialog from the current question.
void frmVesa_Load(App& app);
// "ОК": the dialog's choices become the question's weights.
void frmVesa_OK_Click(App& app);
bool frmVesa_Event(App& app, const UiEvent& event);

// An answer as a grid label shows it: its number, then the start of its text
// without markup.
QString AnswerLabel(int number, const QString& html);
