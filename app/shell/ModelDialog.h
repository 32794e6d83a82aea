#pragma once

#include "shell/ModelBinder.h"

#include <QDialog>

// A modal dialog that mirrors a window model. The core closes it by setting
// the model's closeRequested (or visible = false); Escape and the close box act
// as the model's cancel button, or simply close when it has none.
class ModelDialog : public QDialog {
    Q_OBJECT
public:
    ModelDialog(WindowModel& model, ModelBinder::Handler handler, QWidget* parent = nullptr);
    ~ModelDialog() override;

    // Brings every open dialog in step with its model: the core may change a
    // dialog's page and then let the screen paint before long work.
    static void syncAll();

    ModelBinder& binder() { return binder_; }
    // Shows the dialog modally until the core closes it.
    void run();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void checkClose();

    WindowModel& model_;
    ModelBinder binder_;
};
