#include "views/HtmlWindow.h"

#include "ground/App.h"
#include "shell/VyborOtveta.h"
#include "ground/windows/HtmlView.h"
#include "views/PageLook.h"
#include "views/WebView.h"
#include "shell/ListCommands.h"
#include "screens/views/FrmHTML.h"

#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

HtmlWindow::HtmlWindow(App& app, QWidget* parent)
    : ModelDialog(app.frmHTML, [&app](const UiEvent& e) { return frmHTML_Event(app, e); }, parent), app_(app)
{
    FrmHTML& m = app.frmHTML;
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    menuBar_ = new QMenuBar(this);
    layout->setMenuBar(menuBar_);
    QMenu* file = menuBar_->addMenu(m.File.text);
    binder().bindAction(m.File, file->menuAction());
    QAction* refresh = file->addAction(m.FileObnovit.text);
    refresh->setShortcut(QKeySequence(Qt::Key_F9));
    binder().bindAction(m.FileObnovit, refresh);
    binder().bindAction(m.FileSep2, file->addSeparator());
    binder().bindAction(m.FileExit, file->addAction(m.FileExit.text));

    view_ = new WebView(this);
    UseAuthorsFonts(view_->page()->settings());
    KeepCellLinksOnOneLine(view_->page());
    layout->addWidget(view_);
    view_->setReceiver([this](int page, const QString& text) {
        ListViewLink(app_, page, text);
        binder().sync();
    });
    view_->setExternalReceiver([this](int page, const QString& text) {
        if (IsShownPage(app_.frmHTML.usrWebHtml1, page))
            OpenExternalLink(app_, text);
    });
    // Esc closes the window as its close box does; the page view would keep
    // the key for itself.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { reject(); });
    resize(760, 560);

    binder().setExtraSync([this] { afterSync(); });
    binder().sync();
}

void HtmlWindow::afterSync()
{
    FrmHTML& m = app_.frmHTML;
    menuBar_->setVisible(m.File.visible);
    view_->showModel(m.usrWebHtml1, ShownPageFiles(app_, m.usrWebHtml1));
    if (m.Timer1.enabled && !timerStarted_) {
        // One shot: the long job starts once the window is painted.
        timerStarted_ = true;
        QTimer::singleShot(FrmHTML::TimerInterval, this, [this] {
            frmHTML_Timer(app_);
            binder().sync();
        });
    }
    if (isVisible() && (m.closeRequested || !m.visible))
        done(QDialog::Accepted);
}
