#pragma once

#include "shell/ModelDialog.h"

class App;

// frmParam: name, password, number of questions and, for a new test, the
// common number of answers.
class ParamDialog : public ModelDialog {
    Q_OBJECT
public:
    ParamDialog(App& app, QWidget* parent = nullptr);
};
