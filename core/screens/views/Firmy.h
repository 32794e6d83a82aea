#pragma once

class App;

// The page of agencies that use the program, with a link back to the splash page.
void ShowFirmy(App& app);
