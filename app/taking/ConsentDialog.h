#pragma once

#include "shell/ModelDialog.h"

class App;

// frmSoglasie: the consent text, read-only, and the two choices.
class ConsentDialog : public ModelDialog {
    Q_OBJECT
public:
    ConsentDialog(App& app, QWidget* parent = nullptr);
};
