#include "views/WebView.h"

#include "shell/Model.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutex>
#include <QTimer>
#include <QUrlQuery>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include <map>

namespace {

// A plain array: the scheme may be registered from another file's static
// initialiser, before this file's objects exist.
constexpr char kScheme[] = "tandemo";
const QString kPageHost = QStringLiteral("page");
const QString kCommandHost = QStringLiteral("command");

// Runs in every page before its own scripts: the page may not act on keys
// (arrows only), show a menu, select text or open windows; a click on an
// "http" link is handed to the program instead of navigating.
const char* kGuardScript = R"JS(
(function () {
  function refuse(e) { e.preventDefault(); e.stopImmediatePropagation(); }
  ['keydown', 'keypress', 'keyup'].forEach(function (type) {
    window.addEventListener(type, function (e) {
      if (e.keyCode !== 38 && e.keyCode !== 40) refuse(e);
    }, true);
  });
  window.addEventListener('contextmenu', refuse, true);
  window.addEventListener('selectstart', refuse, true);
  window.addEventListener('dragstart', refuse, true);
  function command(e) {
    var a = e.target && e.target.closest ? e.target.closest('a[href]') : null;
    if (!a) return;
    var raw = a.getAttribute('href') || '';
    if (raw.substring(0, 4) !== 'http') return;
    refuse(e);
    if (e.type !== 'click' || e.button !== 0) return;
    location.href = 'tandemo://command/?raw=' + encodeURIComponent(raw) + '&href=' + encodeURIComponent(a.href);
  }
  window.addEventListener('click', command, true);
  window.addEventListener('auxclick', command, true);
  window.open = function () { return null; };
})();
)JS";

// The pages the views show, by serial number, with the folder their bare
// file names resolve against. Only the last few are kept.
class PageStore : public QWebEngineUrlSchemeHandler {
public:
    struct Page {
        QByteArray html;
        QString folder;
    };

    int add(const QString& html, const QString& folder)
    {
        const int serial = ++serial_;
        pages_[serial] = {html.toUtf8(), folder};
        while (pages_.size() > 16)
            pages_.erase(pages_.begin());
        return serial;
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
        bool isSerial = false;
        const int serial = parts.isEmpty() ? 0 : parts.first().toInt(&isSerial);
        auto page = isSerial ? pages_.find(serial) : pages_.end();
        if (page != pages_.end() && parts.size() == 2 && parts[1] == QLatin1String("index.html")) {
            reply(job, QByteArrayLiteral("text/html;charset=utf-8"), page->second.html);
            return;
        }
        // A file the page refers to: first relative to the page's folder,
        // then as the full path it was written with.
        QStringList candidates;
        if (page != pages_.end())
            candidates << page->second.folder + parts.mid(1).join(QLatin1Char('/'));
        candidates << path;
        for (const QString& candidate : candidates) {
            QFile file(candidate);
            if (QFileInfo(candidate).isFile() && file.open(QIODevice::ReadOnly)) {
                const QByteArray mime = QMimeDatabase().mimeTypeForFile(candidate).name().toUtf8();
                reply(job, mime, file.readAll());
                return;
            }
        }
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
    }

private:
    static void reply(QWebEngineUrlRequestJob* job, const QByteArray& mime, const QByteArray& bytes)
    {
        auto* buffer = new QBuffer(job);
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        job->reply(mime, buffer);
    }

    int serial_ = 0;
    std::map<int, Page> pages_;
};

PageStore& store()
{
    static PageStore* instance = [] {
        auto* handler = new PageStore;
        QWebEngineProfile::defaultProfile()->installUrlSchemeHandler(QByteArray(kScheme), handler);
        return handler;
    }();
    return *instance;
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

}  // namespace

class HtmlPage : public QWebEnginePage {
public:
    HtmlPage(WebView* view) : QWebEnginePage(view), view_(view) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (url.scheme() == QLatin1String(kScheme) && url.host() == kCommandHost) {
            const QUrlQuery query(url);
            const QString text = canonicalTarget(query.queryItemValue(QStringLiteral("raw"), QUrl::FullyDecoded),
                                                 query.queryItemValue(QStringLiteral("href"), QUrl::FullyDecoded));
            QTimer::singleShot(0, view_, [view = view_, text] { view->deliver(text); });
            return false;
        }
        // A click that escaped the page's own guard (a frame, a plugin) still
        // never navigates to an "http" target.
        if (type == NavigationTypeLinkClicked && url.scheme().startsWith(QLatin1String("http"))) {
            const QString text = url.toString();
            QTimer::singleShot(0, view_, [view = view_, text] { view->deliver(text); });
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    void javaScriptAlert(const QUrl&, const QString&) override {}
    bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
    bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override { return false; }

private:
    WebView* view_;
};

void WebView::registerScheme()
{
    QWebEngineUrlScheme scheme{QByteArray(kScheme)};
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                    QWebEngineUrlScheme::ContentSecurityPolicyIgnored);
    QWebEngineUrlScheme::registerScheme(scheme);
}

WebView::WebView(QWidget* parent) : QWebEngineView(parent)
{
    store();
    auto* page = new HtmlPage(this);
    QWebEngineScript guard;
    guard.setName(QStringLiteral("tandemo-guard"));
    guard.setSourceCode(QString::fromLatin1(kGuardScript));
    guard.setInjectionPoint(QWebEngineScript::DocumentCreation);
    guard.setWorldId(QWebEngineScript::MainWorld);
    guard.setRunsOnSubFrames(true);
    page->scripts().insert(guard);
    // Clips in questions start by themselves, as the author asked.
    page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    setPage(page);
    setContextMenuPolicy(Qt::NoContextMenu);
    loadHtml(QStringLiteral("<html><body></body></html>"), QString());
}

void WebView::loadHtml(const QString& html, const QString& folder)
{
    const int serial = store().add(html, folder);
    setUrl(QUrl(QStringLiteral("tandemo://page/%1/index.html").arg(serial)));
}

void WebView::loadFile(const QString& pathOrUrl)
{
    setUrl(QFileInfo(pathOrUrl).isAbsolute() ? QUrl::fromLocalFile(pathOrUrl) : QUrl::fromUserInput(pathOrUrl));
}

void WebView::showModel(const Control& view, const QString& folder)
{
    if (view.loads == shownLoads_)
        return;
    shownLoads_ = view.loads;
    if (!view.url.isEmpty())
        loadFile(view.url);
    else
        loadHtml(view.text, folder);
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

void WebView::deliver(const QString& text)
{
    lastCommand_ = text;
    Q_EMIT commandReceived(text);
    if (receiver_)
        receiver_(text);
}
