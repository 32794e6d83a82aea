#pragma once

#include <QString>

class App;

// Number of the first question with an empty text or an empty answer among
// its answers 0..CountOtvetov, or 0 when the test is complete. With announce 1
// a complete test is announced with "Тест готов!".
int Proverka(App& app, int announce);

// 1-based position of the extension dot in the file name part of a path, or 0.
int PoiskTochki(const App& app, const QString& path);
