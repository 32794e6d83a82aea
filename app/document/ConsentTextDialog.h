#pragma once

#include "shell/ModelDialog.h"

class App;

// frmSoglasieText: the HTML of the test's consent text, edited as plain text.
class ConsentTextDialog : public ModelDialog {
    Q_OBJECT
public:
    ConsentTextDialog(App& app, QWidget* parent = nullptr);
};
