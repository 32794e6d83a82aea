#include "shell/ModelDialog.h"

#include <QCloseEvent>
#include <QPointer>

#include <vector>

namespace {
std::vector<ModelDialog*>& liveDialogs()
{
    static std::vector<ModelDialog*> dialogs;
    return dialogs;
}
}

ModelDialog::ModelDialog(WindowModel& model, ModelBinder::Handler handler, QWidget* parent)
    : QDialog(parent), model_(model), binder_(model, this, std::move(handler), this)
{
    binder_.setExtraSync([this] { checkClose(); });
    liveDialogs().push_back(this);
}

ModelDialog::~ModelDialog()
{
    std::erase(liveDialogs(), this);
}

void ModelDialog::syncAll()
{
    std::vector<QPointer<ModelDialog>> dialogs(liveDialogs().begin(), liveDialogs().end());
    for (const QPointer<ModelDialog>& dialog : dialogs) {
        if (dialog && dialog->isVisible())
            dialog->binder_.sync();
    }
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
