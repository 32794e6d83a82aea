#pragma once

#include "ground/AppState.h"

#include <QString>

class App;

// How long the open test's folder keeps its cards, and the page of the cards
// kept longer, from which the operator erases them, each with its act.

// "Срок хранения анкет…": the folder's term in years (0: without limit).
// Another desk's change since it was read refuses the change, and says so.
void KartotekaSrok_Click(App& app);
// "Истёк срок хранения": the page in the secondary window; the folder is
// scanned once the window is up (RetentionLoad).
void KartotekaIstek_Click(App& app);
void RetentionLoad(App& app);

// Rows shown on one page of the list.
inline constexpr int kRetentionRowsPerPage = 100;
QString RetentionPage(const RetentionState& state);

// The page's links: "m" + row marks or unmarks a row, "a" marks every row,
// "u" unmarks every row, "c" + page shows a page, "d" erases the marked cards.
void VyborSroka(App& app, const QString& code, int number);

// Erases the marked cards, each with its act: the test's password first
// when the test has one (a card whose password differs is passed over), a
// reason, then one card after another under a progress window whose
// "Отмена" stops between two cards.
void EraseMarked(App& app);
