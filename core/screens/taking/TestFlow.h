#pragma once

class App;

// Puts the main window into the start state and shows the start page of the
// loaded test; notReady non-zero says the test is incomplete.
void ReStart(App& app, int notReady);

// Asks for the consent when the test has a consent text, then for the
// personal card; once it is confirmed, clears every answer and
// shows question 1.
void StartTest(App& app);

// After an answer: on to the next unanswered question, or the finished page.
void NewHod(App& app);

// "Дальше" and "Назад" of the main window, by phase.
void Dalee(App& app);
void Nazad_Click(App& app);

// "Начать сначала": back to the start page for the next person, after asking.
void FileSnachala_Click(App& app);
