#include "shell/ModelDialog.h"

#include <QCloseEvent>

ModelDialog::ModelDialog(WindowModel& model, ModelBinder::Handler handler, QWidget* parent)
    : QDialog(parent), model_(model), binder_(model, this, std::move(handler), this)
{
    binder_.setExtraSync([this] { checkClose(); });
}

void ModelDialog::run()
{
    model_.closeRequested = false;
    model_.visible = true;
    binder_.sync();
    exec();
    model_.visible = false;
    model_.closeRequested = false;
}

void ModelDialog::checkClose()
{
    if (isVisible() && (model_.closeRequested || !model_.visible))
        done(QDialog::Accepted);
}

void ModelDialog::reject()
{
    if (!model_.cancelButton.isEmpty())
        binder_.dispatch({UiEvent::Click, model_.cancelButton});
    else
        model_.closeRequested = true;
    checkClose();
}

void ModelDialog::closeEvent(QCloseEvent* event)
{
    // The close box answers like Escape; the dialog stays if the core keeps it.
    event->ignore();
    reject();
}
