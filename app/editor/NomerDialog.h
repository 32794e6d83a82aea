#pragma once

#include "shell/ModelDialog.h"

class App;
class QListWidget;

// frmNomer: the list of questions; a double click or Enter picks one.
class NomerDialog : public ModelDialog {
    Q_OBJECT
public:
    NomerDialog(App& app, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }

private:
    QListWidget* list_ = nullptr;
};
