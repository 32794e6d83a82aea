#pragma once

#include "shell/ModelDialog.h"

class App;
class QMenuBar;
class WebView;

// frmHTML: the modal secondary window with its own web view and "Файл" menu.
// Its first page comes from the core's one-shot start, fired 1 ms after the
// window is on screen.
class HtmlWindow : public ModelDialog {
    Q_OBJECT
public:
    HtmlWindow(App& app, QWidget* parent = nullptr);

    WebView* view() const { return view_; }

private:
    void afterSync();

    App& app_;
    WebView* view_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    bool timerStarted_ = false;
};
