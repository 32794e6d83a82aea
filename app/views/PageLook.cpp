#include "views/PageLook.h"

#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

void UseAuthorsFonts(QWebEngineSettings* settings)
{
    const QString serif = QStringLiteral("Liberation Serif");
    settings->setFontFamily(QWebEngineSettings::StandardFont, serif);
    settings->setFontFamily(QWebEngineSettings::SerifFont, serif);
    settings->setFontFamily(QWebEngineSettings::SansSerifFont, QStringLiteral("Liberation Sans"));
    settings->setFontFamily(QWebEngineSettings::FixedFont, QStringLiteral("Liberation Mono"));
}

void KeepCellLinksOnOneLine(QWebEnginePage* page)
{
    // A style of the view's own, added as the document is made: the page's
    // bytes stay as they were built, and its scripts (which never run) play
    // no part. A name longer than half the window ends in "…" on its row (the
    // card page shows it whole) rather than push the table out of the window.
    static const char* const kScript = R"JS(
(function () {
  function add() {
    var root = document.documentElement;
    if (!root) return false;
    var style = document.createElement('style');
    style.textContent = 'td a { white-space: nowrap; display: inline-block; vertical-align: top;'
      + ' max-width: 50vw; overflow: hidden; text-overflow: ellipsis; }';
    root.insertBefore(style, root.firstChild);
    return true;
  }
  if (add()) return;
  var watch = new MutationObserver(function () { if (add()) watch.disconnect(); });
  watch.observe(document, { childList: true });
})();
)JS";
    QWebEngineScript script;
    script.setName(QStringLiteral("tandemo-cell-links"));
    script.setSourceCode(QString::fromLatin1(kScript));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);
}
