#include "taking/ConsentDialog.h"

#include "ground/App.h"
#include "screens/taking/ConsentStep.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

ConsentDialog::ConsentDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmSoglasie, [&app](const UiEvent& e) { return frmSoglasie_Event(app, e); }, parent)
{
    FrmSoglasie& m = app.frmSoglasie;
    // The text is a fragment the core made safe; links in it lead nowhere.
    auto* text = new QTextBrowser(this);
    text->setOpenLinks(false);
    text->setTabChangesFocus(true);
    text->setHtml(m.txtSoglasie.text);
    text->setMinimumSize(620, 380);
    auto* data = new QCheckBox(this);
    auto* photo = new QCheckBox(this);
    auto* go = new QPushButton(this);
    auto* refuse = new QPushButton(this);
    go->setAutoDefault(false);
    refuse->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text, 1);
    layout->addWidget(data);
    layout->addWidget(photo);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(go);
    buttons->addWidget(refuse);
    layout->addLayout(buttons);
    binder().bind(m.chDannye, data, false);
    binder().bind(m.chFoto, photo, false);
    binder().bind(m.kDalee, go, false);
    binder().bind(m.kOtkaz, refuse, false);
    // Tab: the text, the two choices, then the buttons.
    setTabOrder(text, data);
    setTabOrder(data, photo);
    setTabOrder(photo, go);
    setTabOrder(go, refuse);
    binder().sync();
    // The window opens on the choice the model names, not on the text,
    // which comes first in the Tab order (Shift+Tab reaches it).
    if (QWidget* first = binder().widget(m.focus))
        first->setFocus();
}
