#include "views/WebView.h"

#include "ground/windows/Model.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include <map>
#include <set>

#include <unistd.h>

namespace {

// A plain array: the scheme may be registered from another file's static
// initialiser, before this file's objects exist.
constexpr char kScheme[] = "tandemo";
const QString kPageHost = QStringLiteral("page");
// The header that names the page a request comes from (set by PageRequests;
// a page cannot set it, since its scripts never run).
const QByteArray kPageHeader = QByteArrayLiteral("X-Tandemo-Page");
// How long a drawn frame may take to reach the window when no paint of the
// view says so: one frame at 60 Hz.
constexpr int kFrameMs = 16;

// Known only to the view's own script: a link or a refresh written into a
// page cannot pass itself off as a click on a command.
const QString& token()
{
    static const QString value = [] {
        QString t;
        for (int i = 0; i < 4; ++i)
            t += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, QLatin1Char('0'));
        return t;
    }();
    return value;
}

// Runs in every page, apart from the page's own scripts (which never run):
// the page may not act on keys (arrows only), show a menu, select text or
// open windows; a click on an "http" link is handed to the program instead of
// navigating, and a mailto: link to the desktop's mail program. The click
// travels as a message, not as a navigation: a navigation could cancel the
// next page the program is loading, or be cancelled by it, and the click
// would be lost.
const char* kGuardScript = R"JS(
(function () {
  var token = '%TOKEN%';
  function refuse(e) { e.preventDefault(); e.stopImmediatePropagation(); }
  ['keydown', 'keypress', 'keyup'].forEach(function (type) {
    window.addEventListener(type, function (e) {
      if (e.keyCode !== 38 && e.keyCode !== 40) refuse(e);
    }, true);
  });
  window.addEventListener('contextmenu', refuse, true);
  window.addEventListener('selectstart', refuse, true);
  window.addEventListener('dragstart', refuse, true);
  window.addEventListener('drop', refuse, true);
  function send(kind, raw, href) {
    console.debug('tandemo-command:' + token + ':' + kind + ':' + encodeURIComponent(location.pathname) + ':' +
      encodeURIComponent(raw) + ':' + encodeURIComponent(href));
  }
  function command(e) {
    var a = e.target && e.target.closest ? e.target.closest('a[href]') : null;
    if (!a) return;
    var raw = a.getAttribute('href') || '';
    var mail = raw.substring(0, 7).toLowerCase() === 'mailto:';
    if (raw.substring(0, 4) !== 'http' && !mail) return;
    refuse(e);
    if (e.type !== 'click' || e.button !== 0) return;
    send(mail ? 'mail' : 'command', raw, mail ? raw : a.href);
  }
  window.addEventListener('click', command, true);
  window.addEventListener('auxclick', command, true);
  window.open = function () { return null; };
  // Tells the view once the page's first frame has been drawn.
  if (window.top === window) {
    window.addEventListener('load', function () {
      // (Timers do not run in a page without script; a second frame
      // request does, once the first frame is out.)
      requestAnimationFrame(function () {
        requestAnimationFrame(function () {
          console.debug('tandemo-painted:' + token + ':' + (location.pathname.split('/')[1] || ''));
        });
      });
    });
  }
})();
)JS";

// The pages the views show, by serial number, with what each may show from
// the disk. Only the last few are kept.
class PageStore : public QWebEngineUrlSchemeHandler {
public:
    struct Page {
        QByteArray html;
        QString file;  // a file the view was told to show instead of a text
        PageFiles files;
        int modelPage = -1;
        const WebView* view = nullptr;
    };

    int add(Page page)
    {
        const int serial = ++serial_;
        latest_[page.view] = serial;
        pages_[serial] = std::move(page);
        // The oldest go first, but never the page a view shows: the main
        // window's start page must answer its links however many pages the
        // list window has shown since.
        for (auto it = pages_.begin(); pages_.size() > kKeptPages && it != pages_.end();) {
            if (isLatest(it->first))
                ++it;
            else
                it = pages_.erase(it);
        }
        return serial;
    }

    void forget(const WebView* view)
    {
        latest_.erase(view);
        for (auto it = pages_.begin(); it != pages_.end();)
            it = it->second.view == view ? pages_.erase(it) : std::next(it);
    }

    // The page the view was given last.
    int latest(const WebView* view) const
    {
        auto it = latest_.find(view);
        return it == latest_.end() ? 0 : it->second;
    }

    const Page* find(int serial) const
    {
        auto it = pages_.find(serial);
        return it == pages_.end() ? nullptr : &it->second;
    }

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        const QUrl url = job->requestUrl();
        if (url.host() != kPageHost) {
            job->fail(QWebEngineUrlRequestJob::UrlInvalid);
            return;
        }
        const QString path = url.path(QUrl::FullyDecoded);
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const int serial = parts.isEmpty() ? 0 : parts.first().toInt();
        // The page that asks, which may not be the one the path names.
        const int owner = job->requestHeaders().value(kPageHeader).toInt();
        const Page* page = find(owner);
        if (page && owner == serial && page->file.isEmpty() && parts.size() == 2 &&
            parts[1] == QLatin1String("index.html")) {
            auto* buffer = new QBuffer(job);
            buffer->setData(page->html);
            buffer->open(QIODevice::ReadOnly);
            job->reply(QByteArrayLiteral("text/html;charset=utf-8"), buffer);
            return;
        }
        // A file the page refers to: relative to the page's folder, or by
        // the full path it was written with. Only what the asking page may
        // show: never what a page of the other window may.
        if (!page) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        QStringList candidates;
        if (owner != serial) {
            candidates << path;
        } else {
            const QString base = !page->file.isEmpty() ? QFileInfo(page->file).absolutePath() + QLatin1Char('/')
                                                       : page->files.folders.value(0);
            if (!base.isEmpty())
                candidates << base + parts.mid(1).join(QLatin1Char('/'));
        }
        const PageFiles& allowed = page->files;
        for (const QString& candidate : candidates) {
            const int fd = OpenPageFile(allowed, candidate);
            if (fd < 0)
                continue;
            // Streamed: a large file costs no memory, only reading time.
            auto* file = new QFile(job);
            if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
                ::close(fd);
                delete file;
                continue;
            }
            const QByteArray mime =
                QMimeDatabase().mimeTypeForFile(candidate, QMimeDatabase::MatchExtension).name().toUtf8();
            job->reply(mime, file);
            return;
        }
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }

private:
    static constexpr size_t kKeptPages = 16;

    bool isLatest(int serial) const
    {
        for (const auto& [view, latest] : latest_) {
            if (latest == serial)
                return true;
        }
        return false;
    }

    int serial_ = 0;
    std::map<int, Page> pages_;
    std::map<const WebView*, int> latest_;
};

PageStore& store();
int serialOf(const QUrl& url);

// Names, for every request of the program's pages, the page that asks: a
// path written whole in a page ("/home/…/photo.jpg") reaches the program
// without the page's number, and without this it could only be looked up
// among the files of every page on screen — a question in the main window
// could then show a file that only the list window's card may show. One for
// the whole program, alive as long as it: the browser may still consult it
// for a request of a page just closed.
class PageRequests : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QUrl url = info.requestUrl();
        if (url.scheme() != QLatin1String(kScheme))
            return;
        if (url.host() != kPageHost) {
            info.block(true);
            return;
        }
        const bool mainFrame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
        info.setHttpHeader(kPageHeader, QByteArray::number(serialOf(mainFrame ? url : info.firstPartyUrl())));
    }
};

PageStore& store()
{
    static PageStore* instance = [] {
        auto* handler = new PageStore;
        QWebEngineProfile::defaultProfile()->installUrlSchemeHandler(QByteArray(kScheme), handler);
        QWebEngineProfile::defaultProfile()->setUrlRequestInterceptor(new PageRequests);
        return handler;
    }();
    return *instance;
}

std::set<const WebView*>& paintingViews()
{
    static std::set<const WebView*> views;
    return views;
}

// The browser reports a target in its canonical form, which ends in "/" when
// the target has no path. A host that Chromium cannot parse (a command code
// that is a digit) is passed on as written, with that "/" added.
QString canonicalTarget(const QString& raw, const QString& resolved)
{
    QString text = resolved.isEmpty() ? raw : resolved;
    const qsizetype hostStart = text.indexOf(QLatin1String("://"));
    if (hostStart >= 0 && text.indexOf(QLatin1Char('/'), hostStart + 3) < 0)
        text += QLatin1Char('/');
    return text;
}

// The serial of the page a URL of the scheme belongs to, or 0.
int serialOf(const QUrl& url)
{
    if (url.scheme() != QLatin1String(kScheme) || url.host() != kPageHost)
        return 0;
    const QStringList parts = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.isEmpty() ? 0 : parts.first().toInt();
}

bool historyKey(const QKeyEvent* key)
{
    const bool alt = key->modifiers() & Qt::AltModifier;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        return alt;
    case Qt::Key_Backspace:
    case Qt::Key_Back:
    case Qt::Key_Forward:
    case Qt::Key_Refresh:
    case Qt::Key_Reload:
    case Qt::Key_F5:
        return true;
    default:
        return false;
    }
}

}  // namespace

class HtmlPage : public QWebEnginePage {
public:
    HtmlPage(WebView* view) : QWebEnginePage(view), view_(view) {}

    void triggerAction(WebAction action, bool checked = false) override
    {
        // No going back or forth, no reload, no other window, nothing saved:
        // the program alone decides what the view shows.
        switch (action) {
        case Stop:
        case Copy:
        case Unselect:
        case ToggleMediaControls:
        case ToggleMediaLoop:
        case ToggleMediaPlayPause:
        case ToggleMediaMute:
        case ExitFullScreen:
            QWebEnginePage::triggerAction(action, checked);
            break;
        default:
            break;
        }
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        const QString scheme = url.scheme();
        if (type == NavigationTypeBackForward || type == NavigationTypeReload)
            return false;
        // A click that escaped the view's own script still never navigates
        // to an "http" target.
        if (type == NavigationTypeLinkClicked && scheme.startsWith(QLatin1String("http"))) {
            const QString text = url.toString();
            const QUrl from = this->url();
            QTimer::singleShot(0, view_, [view = view_, from, text] {
                view->deliver(serialOf(from), from.path(QUrl::FullyDecoded), text);
            });
            return false;
        }
        // Only the program's own pages and the files they may show; never a
        // local file by its own address, never another program's scheme.
        if (scheme == QLatin1String(kScheme) && url.host() == kPageHost) {
            // A view goes only to its own pages, never to one of the other window.
            const PageStore::Page* page = isMainFrame ? store().find(serialOf(url)) : nullptr;
            if (isMainFrame && (!page || page->view != view_))
                return false;
            return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
        }
        if (!isMainFrame && url.toString() == QLatin1String("about:blank"))
            return true;
        return false;
    }

    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override
    {
        const QString painted = QStringLiteral("tandemo-painted:") + token() + QLatin1Char(':');
        const QString command = QStringLiteral("tandemo-command:") + token() + QLatin1Char(':');
        if (message.startsWith(painted)) {
            if (message.mid(painted.size()).toInt() == serialOf(url()))
                view_->framePainted();
            return;
        }
        if (!message.startsWith(command))
            return;
        // kind:path:raw:href, each but the kind percent-encoded.
        const QStringList fields = message.mid(command.size()).split(QLatin1Char(':'));
        if (fields.size() != 4)
            return;
        const auto decoded = [](const QString& field) { return QUrl::fromPercentEncoding(field.toLatin1()); };
        // The page's own path comes percent-encoded as the browser keeps it.
        const QString path = QUrl::fromPercentEncoding(decoded(fields[1]).toUtf8());
        const QString raw = decoded(fields[2]);
        const bool mail = fields[0] == QLatin1String("mail");
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        const int serial = parts.isEmpty() ? 0 : parts.first().toInt();
        const QString text = mail ? raw : canonicalTarget(raw, decoded(fields[3]));
        // The command may open a modal window: never inside the browser's
        // own call.
        QTimer::singleShot(0, view_, [view = view_, serial, path, text, mail] {
            if (mail)
                view->deliverExternal(serial, text);
            else
                view->deliver(serial, path, text);
        });
    }

private:
    WebView* view_;
};

void WebView::registerScheme()
{
    QWebEngineUrlScheme scheme{QByteArray(kScheme)};
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    // Neither local nor allowed local access: a page may not reach file:
    // addresses, only what the program serves under its own scheme.
    scheme.setFlags(QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(scheme);
}

WebView::WebView(QWidget* parent) : QWebEngineView(parent)
{
    store();
    auto* page = new HtmlPage(this);
    QWebEngineSettings* settings = page->settings();
    // Test files travel between agencies and person files come from a kiosk:
    // nothing written into them may run.
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    // Clips in questions start by themselves, as the author asked.
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);

    QWebEngineScript guard;
    guard.setName(QStringLiteral("tandemo-guard"));
    guard.setSourceCode(QString::fromLatin1(kGuardScript).replace(QStringLiteral("%TOKEN%"), token()));
    guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
    guard.setWorldId(QWebEngineScript::ApplicationWorld);
    guard.setRunsOnSubFrames(true);
    page->scripts().insert(guard);
    setPage(page);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);

    // Whatever still got into the history is gone once a page has loaded.
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        this->page()->history()->clear();
        // Only the load of the page this view was given last counts; an
        // earlier one that a newer page cut short says nothing of it.
        const int serial = store().latest(this);
        if (serialOf(url()) != serial)
            return;
        // A page that did not load draws no frame of its own.
        if (!ok) {
            finishPainting();
            return;
        }
        // The page's own report of its first frame may never come (a window
        // the compositor does not draw for); once loaded, the page is on
        // screen a frame or two later or not at all, and nothing waits longer.
        QTimer::singleShot(2 * kFrameMs, this, [this, serial] {
            if (store().latest(this) == serial)
                finishPainting();
        });
    });
    qApp->installEventFilter(this);
    loadHtml(QStringLiteral("<html><body></body></html>"), PageFiles{});
}

WebView::~WebView()
{
    store().forget(this);
    paintingViews().erase(this);
}

void WebView::loadHtml(const QString& html, const PageFiles& files, int page)
{
    const int serial = store().add({html.toUtf8(), QString(), files, page, this});
    startPainting();
    setUrl(QUrl(QStringLiteral("tandemo://page/%1/index.html").arg(serial)));
}

void WebView::loadFile(const QString& path, const PageFiles& files, int page)
{
    PageFiles allowed = files;
    allowed.documents << path;
    const int serial = store().add({QByteArray(), path, allowed, page, this});
    startPainting();
    QUrl url(QStringLiteral("tandemo://page/%1/").arg(serial));
    url.setPath(url.path() + QFileInfo(path).fileName());
    setUrl(url);
}

void WebView::showModel(const Control& view, const PageFiles& files)
{
    if (view.loads == shownLoads_)
        return;
    shownLoads_ = view.loads;
    if (!view.url.isEmpty())
        loadFile(view.url, files, view.loads);
    else
        loadHtml(view.text, files, view.loads);
}

QWebEngineView* WebView::createWindow(QWebEnginePage::WebWindowType)
{
    return nullptr;
}

void WebView::hideEvent(QHideEvent* event)
{
    // A page the person no longer sees plays no sound (the editor hides the
    // preview, a test leaves its question page).
    page()->runJavaScript(
        QStringLiteral("document.querySelectorAll('video, audio').forEach(function (m) { m.pause(); });"),
        QWebEngineScript::ApplicationWorld);
    QWebEngineView::hideEvent(event);
}

bool WebView::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // The mouse's Back and Forward buttons would walk the browser's history.
        return mouse->button() == Qt::BackButton || mouse->button() == Qt::ForwardButton;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return historyKey(static_cast<QKeyEvent*>(event));
    case QEvent::NativeGesture:
    case QEvent::Gesture:
        return true;
    case QEvent::Paint:
        if (loaded_ && widget == focusProxy())
            QTimer::singleShot(0, this, [this] { finishPainting(); });
        return false;
    default:
        return false;
    }
}

void WebView::framePainted()
{
    if (!painting_)
        return;
    // The frame is drawn; it reaches the window with the view's next paint.
    loaded_ = true;
    QTimer::singleShot(kFrameMs, this, [this] {
        if (loaded_)
            finishPainting();
    });
}

void WebView::startPainting()
{
    painting_ = true;
    loaded_ = false;
    paintingViews().insert(this);
}

void WebView::finishPainting()
{
    if (!painting_)
        return;
    painting_ = false;
    loaded_ = false;
    paintingViews().erase(this);
    Q_EMIT pagePainted();
    refreshPointer();
}

void WebView::refreshPointer()
{
    // A new page under a pointer that has not moved knows nothing of it: the
    // link there shows no hover colour until the pointer moves. Tell the page
    // where the pointer is, unless a button is down (that press belongs to
    // the page before).
    QWidget* target = focusProxy();
    if (!target || !target->isVisible() || QApplication::mouseButtons() != Qt::NoButton)
        return;
    const QPoint global = QCursor::pos();
    if (QApplication::widgetAt(global) != target)
        return;
    const QPointF local = target->mapFromGlobal(QPointF(global));
    QMouseEvent move(QEvent::MouseMove, local, local, QPointF(global), Qt::NoButton, Qt::NoButton,
                     QApplication::keyboardModifiers());
    QCoreApplication::sendEvent(target, &move);
}

bool WebView::anyPainting()
{
    for (const WebView* view : paintingViews()) {
        if (view->isVisible())
            return true;
    }
    return false;
}

void WebView::deliver(int serial, const QString& path, const QString& text)
{
    const PageStore::Page* page = store().find(serial);
    // Only from the page this view was given last, which is the page on
    // screen or the one about to replace it; a file of the test's folder
    // that a link led to is not a page of the program.
    const bool ownDocument =
        page && path == QStringLiteral("/%1/%2").arg(serial).arg(page->file.isEmpty() ? QStringLiteral("index.html")
                                                                                      : QFileInfo(page->file).fileName());
    const int modelPage = ownDocument && page->view == this && store().latest(this) == serial ? page->modelPage : -1;
    lastCommand_ = text;
    Q_EMIT commandReceived(text);
    if (receiver_)
        receiver_(modelPage, text);
}

void WebView::deliverExternal(int serial, const QString& text)
{
    const PageStore::Page* page = store().find(serial);
    if (external_)
        external_(page && page->view == this ? page->modelPage : -1, text);
}
