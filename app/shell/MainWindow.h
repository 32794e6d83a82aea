#pragma once

#include <QMainWindow>

#include <vector>

class App;
class WebView;
class ModelBinder;
class QAction;
class PictureBoxWidget;
class QtPlatform;

// The main window's widgets, kept in step with the frmForma model; every
// user event goes to the core.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(App& app, QtPlatform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Pushes the models' state onto the widgets.
    void syncFromModel();
    // The desktop asks the program to end (SIGTERM): the window closes
    // without a question and without a message box.
    void closeForDesktop();

    QAction* action(const QString& name) const;
    QWidget* widget(const QString& name) const;
    WebView* view() const { return view_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    void afterSync();

    App& app_;
    bool endedByDesktop_ = false;
    ModelBinder* binder_ = nullptr;
    WebView* view_ = nullptr;
    // picVopros first, then the ten answer boxes.
    std::vector<PictureBoxWidget*> pictures_;
};
