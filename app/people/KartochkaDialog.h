#pragma once

#include "shell/ModelDialog.h"

class App;

// "Личная карточная": the widgets of the personal card dialog.
class KartochkaDialog : public ModelDialog {
    Q_OBJECT
public:
    explicit KartochkaDialog(App& app, QWidget* parent = nullptr);
};
