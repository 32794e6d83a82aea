#pragma once

#include <QString>

class App;
struct Kartochka;

// Closes the attempt: the answers go into the own card, the card is written as
// a new person file in the test's folder and the end page is shown.
void EndTest(App& app);

// Keeps whom the saved `card` accepts (its Accepts) with the folder's desk;
// false, the user told, when it cannot be kept.
bool KeepAccepts(App& app, const Kartochka& card);
