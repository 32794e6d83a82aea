#pragma once

#include "ground/windows/Model.h"

#include <array>

class App;

// The name search dialog: a part of a name and the sex to look for.
class FrmFound : public WindowModel {
public:
    FrmFound();

    Control Label1{"Label1", QStringLiteral("Введите часть имени или фамилии:")};
    Control txtNameFamiliya{"txtNameFamiliya"};
    std::array<Control, 2> selPol{Control{"selPol(0)", QStringLiteral("Искать мужчин")},
                                  Control{"selPol(1)", QStringLiteral("Искать женщин")}};
    Control kFound{"kFound", QStringLiteral("Найти")};
    Control NO{"NO", QStringLiteral("Отмена")};
};

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
