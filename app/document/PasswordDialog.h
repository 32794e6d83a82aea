#pragma once

#include "shell/ModelDialog.h"

class App;

// frmPassW: the password, typed as asterisks.
class PasswordDialog : public ModelDialog {
    Q_OBJECT
public:
    PasswordDialog(App& app, QWidget* parent = nullptr);
};
