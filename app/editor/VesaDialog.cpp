#include "editor/VesaDialog.h"

#include "ground/App.h"
#include "screens/editor/FrmVesa.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VesaDialog::VesaDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmVesa, [&app](const UiEvent& e) { return frmVesa_Event(app, e); }, parent)
{
    FrmVesa& m = app.frmVesa;
    auto* importanceLabel = new QLabel(this);
    auto* importance = new QComboBox(this);
    auto* top = new QHBoxLayout;
    top->addWidget(importanceLabel);
    top->addWidget(importance);
    top->addStretch();
    binder().bind(m.Label1, importanceLabel, false);
    binder().bind(m.SelVes, importance, false);

    auto* gridLabel = new QLabel(this);
    binder().bind(m.Label2, gridLabel, false);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    auto* corner = new QLabel(this);
    binder().bind(m.Corner, corner, false);
    grid->addWidget(corner, 0, 0);
    for (int b = 0; b < FrmVesa::kAnswers; ++b) {
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 0, b + 1, Qt::AlignCenter);
        binder().bind(m.Column[static_cast<size_t>(b)], label, false);
    }
    for (int a = 0; a < FrmVesa::kAnswers; ++a) {
        auto* label = new QLabel(this);
        grid->addWidget(label, a + 1, 0);
        binder().bind(m.Row[static_cast<size_t>(a)], label, false);
        for (int b = 0; b < FrmVesa::kAnswers; ++b) {
            auto* box = new QCheckBox(this);
            grid->addWidget(box, a + 1, b + 1, Qt::AlignCenter);
            binder().bind(m.cell(a, b), box, false);
        }
    }
    grid->setColumnStretch(FrmVesa::kAnswers + 1, 1);

    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    binder().bind(m.OK, ok, false);
    binder().bind(m.NO, cancel, false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(gridLabel);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    binder().sync();
}
