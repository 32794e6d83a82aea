#pragma once

#include <QString>

class App;

// Receiver of the links clicked in the main view: page commands by their
// one-character code, an answer by its digit, anything longer than a command
// goes to the desktop's browser.
void VyborOtveta(App& app, const QString& link);

// "Сохранить результат": back to the first unanswered question with a
// message, or the end of the test when everything is answered.
void Rezultat(App& app);
