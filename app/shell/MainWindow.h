#pragma once

#include <QMainWindow>

#include <map>

class App;
struct Control;
class QAction;
class QMenu;
class QWebEngineView;

// The main window's widgets, kept in step with the frmForma model; every
// user event goes to the core.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(App& app, QWidget* parent = nullptr);

    // Pushes the models' state onto the widgets.
    void syncFromModel();

    QAction* action(const QString& name) const;
    QWidget* widget(const QString& name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildControls();

    App& app_;
    std::map<QString, QAction*> actions_;
    std::map<QString, QMenu*> menus_;
    std::map<QString, QWidget*> widgets_;
    QWebEngineView* view_ = nullptr;
    int shownLoads_ = -1;
    bool syncing_ = false;
};
