#pragma once

#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>

struct Control;

// The program's HTML view: a browser that only displays. Links whose target
// begins with "http" become commands handed to the receiver and never
// navigate; other links navigate as usual; no new windows, no context menu,
// no text selection, and only arrow up and down act as keys.
//
// Pages are served from memory through the program's own URL scheme, so a
// page of any size shows whole, and a bare file name inside it (a picture or
// a clip of the test) is looked up in the page's folder.
class WebView : public QWebEngineView {
    Q_OBJECT
public:
    explicit WebView(QWidget* parent = nullptr);

    // Must run before the QApplication is created.
    static void registerScheme();

    void setReceiver(std::function<void(const QString&)> receiver) { receiver_ = std::move(receiver); }

    // Carries out the requests recorded in the view's model since the last
    // call (LoadHtml, LoadFile); `folder` is where bare file names resolve.
    void showModel(const Control& view, const QString& folder);

    void loadHtml(const QString& html, const QString& folder);
    void loadFile(const QString& pathOrUrl);

    // The text of the last command handed to the receiver (for diagnostics).
    QString lastCommand() const { return lastCommand_; }

Q_SIGNALS:
    void commandReceived(const QString& text);

protected:
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class HtmlPage;
    void deliver(const QString& text);

    std::function<void(const QString&)> receiver_;
    QString lastCommand_;
    int shownLoads_ = -1;
};
