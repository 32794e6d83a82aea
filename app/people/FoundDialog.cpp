#include "people/FoundDialog.h"

#include "ground/App.h"
#include "screens/people/FrmFound.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FoundDialog::FoundDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmFound, [&app](const UiEvent& e) { return frmFound_Event(app, e); }, parent)
{
    FrmFound& m = app.frmFound;
    auto* label = new QLabel(this);
    auto* text = new QLineEdit(this);
    text->setMinimumWidth(300);
    auto* men = new QRadioButton(this);
    auto* women = new QRadioButton(this);
    auto* find = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(text);
    auto* sex = new QHBoxLayout;
    sex->addWidget(men);
    sex->addWidget(women);
    layout->addLayout(sex);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(find);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    binder().bind(m.Label1, label, false);
    binder().bind(m.txtNameFamiliya, text, false);
    binder().bind(m.selPol[0], men, false);
    binder().bind(m.selPol[1], women, false);
    binder().bind(m.kFound, find, false);
    binder().bind(m.NO, cancel, false);
    binder().sync();
}
