#include "editor/TagDialog.h"

#include "ground/App.h"
#include "screens/editor/Markup.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TagDialog::TagDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmTag, [&app](const UiEvent& e) { return frmTag_Event(app, e); }, parent)
{
    FrmTag& m = app.frmTag;
    edit_ = new QLineEdit(this);
    edit_->setMinimumWidth(380);
    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addLayout(buttons);
    binder().bind(m.txtFIO, edit_, false);
    binder().bind(m.OK, ok, false);
    binder().bind(m.NO, cancel, false);
    binder().sync();
}
