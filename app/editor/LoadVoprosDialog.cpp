#include "editor/LoadVoprosDialog.h"

#include "ground/App.h"
#include "screens/editor/FrmLoadVopros.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

LoadVoprosDialog::LoadVoprosDialog(App& app, QWidget* parent)
    : ModelDialog(app.frmLoadVopros, [&app](const UiEvent& e) { return frmLoadVopros_Event(app, e); }, parent)
{
    FrmLoadVopros& m = app.frmLoadVopros;
    auto* menuBar = new QMenuBar(this);
    const std::vector<Control*> items = m.menu();
    QMenu* menu = menuBar->addMenu(items.front()->text);
    for (size_t i = 1; i < items.size(); ++i) {
        Control* item = items[i];
        QAction* action = item->text == QLatin1String("-") ? menu->addSeparator() : menu->addAction(item->text);
        if (!item->shortcut.isEmpty())
            action->setShortcut(QKeySequence(item->shortcut));
        binder().bindAction(*item, action);
    }

    auto* textLabel = new QLabel(this);
    text_ = new QPlainTextEdit(this);
    text_->setTabChangesFocus(true);
    text_->setMinimumSize(520, 320);
    auto* startLabel = new QLabel(this);
    auto* start = new QComboBox(this);
    auto* ok = new QPushButton(this);
    auto* cancel = new QPushButton(this);
    textLabel->setBuddy(text_);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(startLabel);
    bottom->addWidget(start);
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(textLabel);
    layout->addWidget(text_, 1);
    layout->addLayout(bottom);

    binder().bind(m.Label1, textLabel, false);
    binder().bind(m.Text, text_, false);
    binder().bind(m.Label2, startLabel, false);
    binder().bind(m.SelNomer, start, false);
    binder().bind(m.OK, ok, false);
    binder().bind(m.NO, cancel, false);
    binder().sync();
}
