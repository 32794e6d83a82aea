#pragma once

#include <QString>

class App;

// HTML for a picture, or for a video (kind 1) or audio clip (any other kind),
// chosen in the open-file dialog; the file is named by its bare name, which the
// views look up in the test's folder. Empty when the dialog was cancelled.
QString OpenPictureDialog(App& app);
QString OpenVideoDialog(App& app, int kind);
// The bare name of any chosen file that can be read; empty otherwise.
QString FoundFile(App& app);
