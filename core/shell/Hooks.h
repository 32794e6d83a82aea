#pragma once

#include <functional>

class App;

// Routines that other parts of the program provide: the editor's question
// view. Commands that lead there call them
// through these slots; an empty slot means that part is not in this build yet.
struct Hooks {
    std::function<void(App&)> AddVopros;      // show CurrentQuestion in the editor

    static void run(const std::function<void(App&)>& routine, App& app)
    {
        if (routine)
            routine(app);
    }
};
