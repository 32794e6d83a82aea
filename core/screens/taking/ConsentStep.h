#pragma once

class App;
struct UiEvent;

// The person's consent before the card of an attempt. A test without a
// consent text asks nothing. With one, the person reads it and chooses;
// without the consent to keep their data the attempt ends before it starts
// (a short message, the start page again, nothing saved). True when the
// attempt may go on; the choices are in the state's consent group.
bool AskConsent(App& app);

// Dialog handlers.
void frmSoglasie_Load(App& app);
void frmSoglasie_kDalee_Click(App& app);
void frmSoglasie_kOtkaz_Click(App& app);
// Every user action on the dialog.
bool frmSoglasie_Event(App& app, const UiEvent& event);
