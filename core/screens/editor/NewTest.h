#pragma once

class App;

// Puts the main window into the editor: 0 for a test just defined in the
// parameters dialog, 1 for the loaded test after its password was accepted.
void NewTest(App& app, int fromPassword);
