#pragma once

#include "shell/ModelDialog.h"

class App;

// frmVesa: the importance of the current question and the grid of the
// answers that go together.
class VesaDialog : public ModelDialog {
    Q_OBJECT
public:
    VesaDialog(App& app, QWidget* parent = nullptr);
};
