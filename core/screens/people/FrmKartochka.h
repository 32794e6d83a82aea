#pragma once

#include "ground/windows/FrmKartochka.h"

#include <QChar>

#include <array>

class App;

// Load: fills the dialog for the mode it opens in. Run each time it opens.
void frmKartochka_Load(App& app);
// A click on sex option `index` (0 man, 1 woman).
void frmKartochka_selPol_Click(App& app, int index);
// The details check box has changed: the detail controls follow it.
void frmKartochka_chPodrobnee_Click(App& app);
// A key typed into the year field: only digits and Backspace get through.
[[nodiscard]] bool frmKartochka_txtDataRogdeniya_KeyPress(App& app, QChar key);
void frmKartochka_txtDataRogdeniya_GotFocus(App& app);
// The photo button: a picture file chosen in the file dialog.
void frmKartochka_kObzorEmblema_Click(App& app);
void frmKartochka_OK_Click(App& app);
void frmKartochka_NO_Click(App& app);
// A choice in list `index` (0..3) of lstRaznoe.
void frmKartochka_lstRaznoe_Click(App& app, int index, int item);

// Every user action on the dialog, by control; false drops a typed key.
bool frmKartochka_Event(App& app, const UiEvent& event);

// Main menu "Личная карточная": the own card during the test.
void FileKartochka_Click(App& app);
