#pragma once

#include <QString>

class App;

// The operator's desk on the card page of card slot 1: the person's status,
// the notes with the reminder, and the introductions with their outcomes.
// Never part of a page a person sees at the kiosk.

// Whether the folder (ending with its separator) uses the desk: someone has a
// status, a note, an introduction or bounds of "Кого ищу" kept.
bool DeskInUse(const QString& folder);

// The section shown below the card, empty when the folder does not use the
// desk. Notes which rows the introductions take for the page's links.
QString CardDeskSection(App& app);

// The page's links (the codes are the card page's):
// "s" status number `status` (0 активен .. 3 в архиве), behind the card's
// password and journalled;
void SetStatusKartochka(App& app, int status);
// "z" "Добавить заметку"; "r" "Напомнить…" (a date; empty removes it);
void AddNoteKartochka(App& app);
void RemindKartochka(App& app);
// "m", "x", "a": the outcome of introduction `index` with the person of row
// `row`, given as row * kIntroductionsPerRow + index; "пара" offers to set
// both people's status to "нашёл пару";
inline constexpr int kIntroductionsPerRow = 1000;
void SetOutcomeKartochka(App& app, int rowAndIndex, QChar code);
// "v" "Больше не предлагать" for the person of row `row`.
void NeverOfferKartochka(App& app, int row);
