#pragma once

class App;
struct UiEvent;

// The agency's consent text beside the test, for its author.

// "Картотека" > "Текст согласия…": behind the test's password (unless the
// editor is open already), the text's HTML in a dialog; "ОК" saves it, an
// empty text removes it.
void KartotekaSoglasie_Click(App& app);

// After a save of the test: a new test gets the default text beside it the
// first time it is saved.
void AfterTestSaved(App& app);

// Opening the test for editing: a test without a consent text has its author
// offered the default one, once per test in a run.
void OfferDefaultConsent(App& app);

// Dialog handlers.
void frmSoglasieText_OK_Click(App& app);
void frmSoglasieText_NO_Click(App& app);
bool frmSoglasieText_Event(App& app, const UiEvent& event);
