#pragma once

#include "ground/windows/FrmFound.h"

#include <array>

class App;

// Main menu "Поиск" and the start page's link "i": asks for the name part,
// then lists the matching people in the secondary window.
void FileFoundLudey_Click(App& app);

// Dialog handlers.
void frmFound_Load(App& app);
void frmFound_TextChange(App& app);
void frmFound_selPol_Click(App& app, int index);
void frmFound_kFound_Click(App& app);
void frmFound_NO_Click(App& app);
// Every user action on the dialog.
bool frmFound_Event(App& app, const UiEvent& event);

// The search: people of sex ListWomen whose name contains SearchName, letter
// case ignored, listed like the people list.
void FoundLudey(App& app);
// The search's scan alone: fills People and PeopleOrder, shows nothing.
void ScanFoundPeople(App& app);
