#pragma once

class App;

// Puts the main window into the start state and shows the start page of the
// loaded test; notReady non-zero says the test is incomplete.
void ReStart(App& app, int notReady);
