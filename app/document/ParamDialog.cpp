#include "document/ParamDialog.h"

#include "ground/App.h"
#include "screens/editor/FrmParam.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ParamDialog::ParamDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmParam, [&app](const UiEvent& e) { return frmParam_Event(app, e); }, parent)
{
    FrmParam& m = app.frmParam;
    auto* grid = new QGridLayout;
    QLineEdit* edits[3] = {new QLineEdit(this), new QLineEdit(this), new QLineEdit(this)};
    Control* models[3] = {&m.NameT, &m.TPW, &m.txtVsegoVoprosov};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        grid->addWidget(label, i, 0);
        grid->addWidget(edits[i], i, 1);
        binder().bind(m.Label1[static_cast<size_t>(i)], label, false);
        binder().bind(*models[i], edits[i], false);
    }
    edits[0]->setMinimumWidth(260);
    auto* answersLabel = new QLabel(this);
    auto* answers = new QComboBox(this);
    grid->addWidget(answersLabel, 3, 0);
    grid->addWidget(answers, 3, 1, Qt::AlignLeft);
    binder().bind(m.Label1[3], answersLabel, false);
    binder().bind(m.SelKolOtvetov, answers, false);
    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    binder().bind(m.OK, ok, false);
    binder().bind(m.NO, cancel, false);
    setTabOrder(edits[0], edits[1]);
    setTabOrder(edits[1], edits[2]);
    binder().sync();
}
