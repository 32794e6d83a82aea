#include "document/ConsentTextDialog.h"

#include "ground/App.h"
#include "screens/document/ConsentText.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ConsentTextDialog::ConsentTextDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmSoglasieText, [&app](const UiEvent& e) { return frmSoglasieText_Event(app, e); }, parent)
{
    FrmSoglasieText& m = app.frmSoglasieText;
    auto* label = new QLabel(this);
    label->setWordWrap(true);
    auto* text = new QPlainTextEdit(this);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumSize(720, 460);
    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    binder().bind(m.lblText, label, false);
    binder().bind(m.txtText, text, false);
    binder().bind(m.OK, ok, false);
    binder().bind(m.NO, cancel, false);
    binder().sync();
}
