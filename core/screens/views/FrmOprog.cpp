#include "screens/views/FrmOprog.h"

#include "ground/App.h"

void frmOprog_Event(App& app, const UiEvent& event)
{
    if (event.type == UiEvent::Click && event.control == app.frmOprog.OK.name)
        app.frmOprog.closeRequested = true;
}
