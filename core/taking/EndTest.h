#pragma once

#include <QString>

class App;

// Closes the attempt: the answers go into the own card, the card is written as
// a new person file in the test's folder and the end page is shown.
void EndTest(App& app);

// fileName when WorkFolder holds no such file yet, else the first of
// "<stem>_2<ext>", "<stem>_3<ext>"... that is free: a result never replaces
// another one, and the extension that tells the sex stays.
QString FreePersonFileName(const App& app, const QString& fileName);
