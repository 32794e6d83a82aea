#pragma once

#include <functional>

class App;

// Routines that other parts of the program provide: the pair search with its
// pages. Commands that lead there call them
// through these slots; an empty slot means that part is not in this build yet.
struct Hooks {
    std::function<void(App&)> PoiskPary;      // rank the other sex for card slot 1
    std::function<void(App&)> ShowStranicyP;  // page PairsPage of the last ranking

    static void run(const std::function<void(App&)>& routine, App& app)
    {
        if (routine)
            routine(app);
    }
};
