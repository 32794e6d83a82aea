#pragma once

#include <QString>

class App;

// Closes the attempt: the answers go into the own card, the card is written as
// a new person file in the test's folder and the end page is shown.
void EndTest(App& app);
