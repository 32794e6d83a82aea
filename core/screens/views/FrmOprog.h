#pragma once

class App;
struct UiEvent;

// The about box's one button closes it.
void frmOprog_Event(App& app, const UiEvent& event);
