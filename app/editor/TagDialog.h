#pragma once

#include "shell/ModelDialog.h"

class App;
class QLineEdit;

// frmTag: one line of text to turn into character references.
class TagDialog : public ModelDialog {
    Q_OBJECT
public:
    TagDialog(App& app, QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit_; }

private:
    QLineEdit* edit_ = nullptr;
};
