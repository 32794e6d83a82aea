#pragma once

#include "shell/ModelDialog.h"

class App;

// frmFound: the name search dialog.
class FoundDialog : public ModelDialog {
    Q_OBJECT
public:
    FoundDialog(App& app, QWidget* parent = nullptr);
};
