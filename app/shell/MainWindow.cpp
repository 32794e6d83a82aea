#include "shell/MainWindow.h"

#include "people/KartochkaDialog.h"
#include "shell/AboutDialog.h"
#include "ground/App.h"
#include "shell/MainCommands.h"
#include "shell/ModelBinder.h"
#include "shell/ModelDialog.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "shell/VyborOtveta.h"
#include "ground/windows/HtmlView.h"
#include "views/HtmlWindow.h"
#include "views/PageLook.h"
#include "views/WebView.h"
#include "document/ConsentTextDialog.h"
#include "document/PasswordDialog.h"
#include "taking/ConsentDialog.h"
#include "people/FoundDialog.h"
#include "document/ParamDialog.h"
#include "editor/LoadVoprosDialog.h"
#include "editor/NomerDialog.h"
#include "editor/TagDialog.h"
#include "editor/VesaDialog.h"
#include "editor/PictureBoxWidget.h"
#include "screens/people/FrmKartochka.h"
#include "screens/editor/FrmLoadVopros.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

MainWindow::MainWindow(App& app, QtPlatform& platform, QWidget* parent) : QMainWindow(parent), app_(app)
{
    setCentralWidget(new QWidget(this));
    centralWidget()->installEventFilter(this);
    binder_ = new ModelBinder(app_.frmForma, this, [this](const UiEvent& e) { return frmForma_Event(app_, e); }, this);
    binder_->setExtraSync([this] { afterSync(); });
    buildMenus();
    buildControls();
    FrmForma& f = app_.frmForma;
    if (const QScreen* shown = screen())
        OpeningSize(f, shown->availableSize().width(), shown->availableSize().height());
    resize(f.clientWidth, f.clientHeight + menuBar()->sizeHint().height());

    platform.setOwner(this);
    platform.setSync([this] { syncFromModel(); });
    platform.setModalRunner(WindowId::Oprog, [this] {
        AboutDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Kartochka, [this] {
        // The dialog is made anew for every showing and fills itself on load.
        frmKartochka_Load(app_);
        KartochkaDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Html, [this] {
        HtmlWindow window(app_, this);
        window.run();
    });
    platform.setModalRunner(WindowId::PassW, [this] {
        PasswordDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Param, [this] {
        ParamDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Vesa, [this] {
        VesaDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Nomer, [this] {
        NomerDialog dialog(app_, this);
        dialog.run();
    });
    platform.setTextMeasure([this](const QString& text) { return pictures_.front()->textWidth(text); });
    platform.setModalRunner(WindowId::Found, [this] {
        FoundDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::LoadVopros, [this] {
        LoadVoprosDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Soglasie, [this] {
        ConsentDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::SoglasieText, [this] {
        ConsentTextDialog dialog(app_, this);
        dialog.run();
    });
    platform.setModalRunner(WindowId::Tag, [this] {
        // Over frmLoadVopros the dialog belongs to that window, which is modal.
        TagDialog dialog(app_, QApplication::activeModalWidget() ? QApplication::activeModalWidget() : this);
        dialog.run();
    });
}

MainWindow::~MainWindow()
{
    // Closing while being destroyed still moves the focus; the members that
    // the extra sync reaches are gone by then.
    binder_->setExtraSync({});
}

void MainWindow::buildMenus()
{
    for (const auto& items : app_.frmForma.menus()) {
        QMenu* menu = menuBar()->addMenu(items.front()->text);
        binder_->bindAction(*items.front(), menu->menuAction());
        // Opening a menu is its click: "Правка" sets its items then.
        Control* top = items.front();
        connect(menu, &QMenu::aboutToShow, this, [this, top] { binder_->dispatch({UiEvent::Click, top->name}); });
        for (size_t i = 1; i < items.size(); ++i) {
            Control* item = items[i];
            QAction* action = item->text == QLatin1String("-") ? menu->addSeparator() : menu->addAction(item->text);
            if (!item->shortcut.isEmpty())
                action->setShortcut(QKeySequence(item->shortcut));
            binder_->bindAction(*item, action);
        }
    }
}

void MainWindow::buildControls()
{
    FrmForma& f = app_.frmForma;
    QWidget* area = centralWidget();
    for (Control* c : {&f.Nazad, &f.kDalee, &f.kRezultat})
        binder_->bind(*c, new QPushButton(area));
    for (Control* c : {&f.NmWpr, &f.WrOt, &f.INF})
        binder_->bind(*c, new QLabel(area));
    binder_->bind(f.SelKolOtvetov, new QComboBox(area));
    auto bindPicture = [this, area](Control& box) {
        auto* picture = new PictureBoxWidget(box, area);
        pictures_.push_back(picture);
        binder_->bind(box, picture);
        Control* c = &box;
        connect(picture, &PictureBoxWidget::clicked, this, [this, c] { binder_->dispatch({UiEvent::Click, c->name}); });
    };
    bindPicture(f.picVopros);
    for (Control& box : f.picOtvety)
        bindPicture(box);
    binder_->bind(f.Txt, new QLineEdit(area));
    view_ = new WebView(area);
    UseAuthorsFonts(view_->page()->settings());
    view_->setReceiver([this](int page, const QString& text) {
        MainViewLink(app_, page, text);
        syncFromModel();
    });
    view_->setExternalReceiver([this](int page, const QString& text) {
        if (IsShownPage(app_.frmForma.usrWeb1, page))
            OpenExternalLink(app_, text);
    });
    binder_->bind(f.usrWeb1, view_);
}

QAction* MainWindow::action(const QString& name) const
{
    return binder_->action(name);
}

QWidget* MainWindow::widget(const QString& name) const
{
    return binder_->widget(name);
}

void MainWindow::syncFromModel()
{
    binder_->sync();
    ModelDialog::syncAll();
}

void MainWindow::afterSync()
{
    FrmForma& f = app_.frmForma;
    view_->showModel(f.usrWeb1, ShownPageFiles(app_, f.usrWeb1));
    for (PictureBoxWidget* picture : pictures_)
        picture->refresh();
    if (f.closeRequested) {
        f.closeRequested = false;
        close();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        FrmForma& f = app_.frmForma;
        f.clientWidth = centralWidget()->width();
        f.clientHeight = centralWidget()->height();
        Form_Resize(app_);
        syncFromModel();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        app_.frmForma.minimized = isMinimized();
        if (!isMinimized()) {
            Form_Resize(app_);
            syncFromModel();
        }
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::closeForDesktop()
{
    endedByDesktop_ = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (UnloadProga(app_, endedByDesktop_ ? Shutdown::ByDesktop : Shutdown::ByUser) != 0) {
        event->ignore();
        syncFromModel();
        return;
    }
    event->accept();
}
