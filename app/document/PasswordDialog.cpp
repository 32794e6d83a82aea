#include "document/PasswordDialog.h"

#include "ground/App.h"
#include "screens/document/FrmPassW.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

PasswordDialog::PasswordDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmPassW, [&app](const UiEvent& e) { return frmPassW_Event(app, e); }, parent)
{
    FrmPassW& m = app.frmPassW;
    auto* password = new QLineEdit(this);
    password->setEchoMode(QLineEdit::Password);
    // Each typed character shows as "*", whatever the desktop's style prefers.
    password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    password->setMinimumWidth(260);
    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    binder().bind(m.TPW, password, false);
    binder().bind(m.OK, ok, false);
    binder().bind(m.NO, cancel, false);
    binder().sync();
}
