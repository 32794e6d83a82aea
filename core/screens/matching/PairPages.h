#pragma once

#include <QString>

class App;

// Ranks the other sex for card slot 1 and shows the first ranking page.
void PoiskPary(App& app);
// "Поиск пары" on the end page: the person who just finished becomes the
// reference and the secondary window opens on the ranking.
void PoiskParyEndTest(App& app);
// Page PairsPage of the last ranking.
void ShowStranicyP(App& app);
// The candidate in card slot 2.
void ShowKartochka2(App& app);
// Links of the ranking pages: code letter and its number.
void VyborPary(App& app, const QString& code, int number);
