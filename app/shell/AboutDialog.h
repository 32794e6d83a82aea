#pragma once

#include "shell/ModelDialog.h"

class App;

// "О программе".
class AboutDialog : public ModelDialog {
    Q_OBJECT
public:
    AboutDialog(App& app, QWidget* parent = nullptr);
};
