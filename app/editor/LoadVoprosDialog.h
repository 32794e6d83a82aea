#pragma once

#include "shell/ModelDialog.h"

class App;
class QPlainTextEdit;

// frmLoadVopros: a multi-line box where Enter starts a new line, the start
// question list, ОК / Отмена and its own "Правка" menu.
class LoadVoprosDialog : public ModelDialog {
    Q_OBJECT
public:
    LoadVoprosDialog(App& app, QWidget* parent = nullptr);

    QPlainTextEdit* text() const { return text_; }

private:
    QPlainTextEdit* text_ = nullptr;
};
