#include "shell/AboutDialog.h"

#include "ground/App.h"
#include "screens/views/FrmOprog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmOprog, [&app](const UiEvent& e) { frmOprog_Event(app, e); return true; }, parent)
{
    FrmOprog& m = app.frmOprog;
    auto* name = new QLabel(this);
    QFont big = name->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(this);
    auto* about = new QLabel(this);
    about->setWordWrap(true);
    about->setMinimumWidth(380);
    auto* ok = new QPushButton(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(about);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);

    binder().bind(m.lblName, name, false);
    binder().bind(m.lblVersion, version, false);
    binder().bind(m.lblAbout, about, false);
    binder().bind(m.OK, ok, false);
    binder().sync();
}
