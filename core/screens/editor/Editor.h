#pragma once

#include "ground/AppState.h"

#include <QString>

class App;
struct UiEvent;

// Background of a box that is not being edited, and of the one that is.
inline constexpr unsigned kIdleColour = 0xFFC0C0;
inline constexpr unsigned kEditColour = 0xC0FFC0;

// Shows question CurrentQuestion in the editor with its text selected.
void AddVopros(App& app);
// "Дальше" in the editor: the next empty field, else the next question.
void VvodTesta(App& app);
// "Назад" in the editor: the previous question, or the parameters on question 1.
void EditorBack(App& app);
// Makes `target` (nothing, the question or an answer) the field that
// Txt edits and loads `text` into Txt.
void SelectField(App& app, EditTarget target, const QString& text);
// Draws the box of the current field in the idle colour.
void ReleaseField(App& app);
// The answer count box got the focus: no field is edited any more.
void SelKolOtvetov_GotFocus(App& app);
// Applies the chosen answer count to the current question and redraws the answers.
void ChangeKolOtvetov(App& app);
// Draw the question text, or the answer being edited, on the given background.
void ShowVopros(App& app, unsigned colour);
void ShowOtvet(App& app, unsigned colour);

// Clicks on the boxes.
void picVopros_Click(App& app);
void picOtvety_Click(App& app, int index);

// Txt: the author's typing is stored at once; programmatic loads are not edits.
void Txt_Change(App& app);
// Puts a text into Txt as the program, never as an edit.
void LoadTxt(App& app, const QString& text);
// Replaces the selection in Txt by `text`, as if typed, and stores the result.
void ReplaceTxtSelection(App& app, const QString& text);
// Key handlers of Txt; false swallows the key.
bool Txt_KeyDown(App& app, const UiEvent& event);
bool Txt_KeyPress(App& app, const UiEvent& event);

// The Edit menu was opened.
void Edit_Click(App& app);

// Every user action on the editor's controls; `handled` tells whether the
// event belonged to them. The answer is false to swallow a key.
bool Editor_Event(App& app, const UiEvent& event, bool& handled);
