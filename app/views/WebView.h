#pragma once

#include "engines/PageFiles.h"

#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>

struct Control;

// The program's HTML view: a browser that only displays. Links whose target
// begins with "http" become commands handed to the receiver and never
// navigate; other links navigate within the page's folder; no new windows, no
// context menu, no text selection, only arrow up and down act as keys, and no
// history: nothing the user does goes back to an earlier page. Scripts written
// into a page never run; the view's own click handling runs apart from them.
//
// Pages are served from memory through the program's own URL scheme, so a
// page of any size shows whole. Files a page refers to (pictures, clips) are
// served from disk, streamed, and only those the page may show (PageFiles);
// a bare file name resolves in the page's first folder.
class WebView : public QWebEngineView {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);
    ~WebView() override;

    // Must run before the QApplication is created.
    static void registerScheme();

    // Receives every command link clicked, with the page it was clicked on
    // (the number given to loadHtml; -1 for a page the view reached by
    // itself).
    void setReceiver(std::function<void(int page, const QString&)> receiver) { receiver_ = std::move(receiver); }
    void setReceiver(std::function<void(const QString&)> receiver)
    {
        receiver_ = [r = std::move(receiver)](int, const QString& text) { r(text); };
    }
    // Receives a clicked mailto: link (the only other link that leaves the page).
    void setExternalReceiver(std::function<void(int page, const QString&)> receiver)
    {
        external_ = std::move(receiver);
    }

    // Carries out the requests recorded in the view's model since the last
    // call (LoadHtml, LoadFile); `files` says what the page may show.
    void showModel(const Control& view, const PageFiles& files);

    void loadHtml(const QString& html, const PageFiles& files, int page = -1);
    void loadHtml(const QString& html, const QString& folder) { loadHtml(html, PageFiles{{folder}, {}}); }
    void loadFile(const QString& path, const PageFiles& files, int page = -1);

    // The text of the last command handed to the receiver (for diagnostics).
    QString lastCommand() const { return lastCommand_; }

    // Whether a page given to the view is still on its way to the screen.
    bool isPainting() const { return painting_; }
    static bool anyPainting();

Q_SIGNALS:
    void commandReceived(const QString& text);
    // The page last given to the view has been loaded and painted.
    void pagePainted();

protected:
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class HtmlPage;
    void deliver(int serial, const QString& path, const QString& text);
    void deliverExternal(int serial, const QString& text);
    void framePainted();
    void startPainting();
    void finishPainting();
    void refreshPointer();

    std::function<void(int, const QString&)> receiver_;
    std::function<void(int, const QString&)> external_;
    QString lastCommand_;
    int shownLoads_ = -1;
    bool painting_ = false;
    bool loaded_ = false;
};
