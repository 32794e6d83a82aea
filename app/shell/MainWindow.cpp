#include "shell/MainWindow.h"

#include "shell/App.h"
#include "shell/MainCommands.h"
#include "shell/Startup.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QWebEngineView>

MainWindow::MainWindow(App& app, QWidget* parent) : QMainWindow(parent), app_(app)
{
    setCentralWidget(new QWidget(this));
    buildMenus();
    buildControls();
    const FrmForma& f = app_.frmForma;
    resize(f.clientWidth, f.clientHeight + menuBar()->sizeHint().height());
}

void MainWindow::buildMenus()
{
    for (const auto& items : app_.frmForma.menus()) {
        Control* head = items.front();
        QMenu* menu = menuBar()->addMenu(head->text);
        menus_[head->name] = menu;
        actions_[head->name] = menu->menuAction();
        for (size_t i = 1; i < items.size(); ++i) {
            Control* item = items[i];
            QAction* action = item->text == QLatin1String("-") ? menu->addSeparator() : menu->addAction(item->text);
            if (!item->shortcut.isEmpty())
                action->setShortcut(QKeySequence(item->shortcut));
            const QString name = item->name;
            connect(action, &QAction::triggered, this, [this, name] {
                frmForma_MenuClick(app_, name);
                syncFromModel();
            });
            actions_[name] = action;
        }
    }
}

void MainWindow::buildControls()
{
    FrmForma& f = app_.frmForma;
    QWidget* area = centralWidget();
    for (Control* c : {&f.Nazad, &f.kDalee, &f.kRezultat})
        widgets_[c->name] = new QPushButton(c->text, area);
    for (Control* c : {&f.NmWpr, &f.WrOt, &f.INF})
        widgets_[c->name] = new QLabel(c->text, area);
    auto* count = new QComboBox(area);
    count->addItems(f.SelKolOtvetov.items);
    widgets_[f.SelKolOtvetov.name] = count;
    widgets_[f.picVopros.name] = new QLabel(area);
    for (Control& c : f.picOtvety)
        widgets_[c.name] = new QLabel(area);
    widgets_[f.Txt.name] = new QLineEdit(area);
    view_ = new QWebEngineView(area);
    widgets_[f.usrWeb1.name] = view_;
}

QAction* MainWindow::action(const QString& name) const
{
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainWindow::widget(const QString& name) const
{
    auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

void MainWindow::syncFromModel()
{
    if (syncing_)
        return;
    syncing_ = true;
    FrmForma& f = app_.frmForma;
    setWindowTitle(f.caption);
    for (Control* c : f.controls()) {
        if (QAction* a = action(c->name)) {
            if (c->text != QLatin1String("-"))
                a->setText(c->text);
            a->setEnabled(c->enabled);
            a->setVisible(c->visible);
            a->setCheckable(c->checked || a->isCheckable());
            a->setChecked(c->checked);
        }
        if (QWidget* w = widget(c->name)) {
            w->setGeometry(c->left, c->top, std::max(0, c->width), std::max(0, c->height));
            w->setVisible(c->visible);
            w->setEnabled(c->enabled);
            if (auto* button = qobject_cast<QPushButton*>(w))
                button->setText(c->text);
            else if (auto* label = qobject_cast<QLabel*>(w))
                label->setText(c->text);
        }
    }
    if (f.usrWeb1.loads != shownLoads_) {
        shownLoads_ = f.usrWeb1.loads;
        if (!f.usrWeb1.url.isEmpty())
            view_->load(QUrl::fromUserInput(f.usrWeb1.url));
        else
            view_->setHtml(f.usrWeb1.text, QUrl::fromLocalFile(app_.st.WorkFolder));
    }
    syncing_ = false;
    if (f.closeRequested) {
        f.closeRequested = false;
        close();
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (UnloadProga(app_) != 0) {
        event->ignore();
        syncFromModel();
        return;
    }
    event->accept();
}
