#pragma once

#include <QString>

class App;

// Receiver of the main view's command links: runs the command a link names.
void VyborOtveta(App& app, const QString& linkText);
