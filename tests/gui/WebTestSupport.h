#pragma once

#include "views/WebView.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

// Helpers for driving the real web view in tests.
namespace webtest {

// Runs a script in the page and waits for its result.
inline QVariant runJs(QWebEngineView& view, const QString& script)
{
    QVariant result;
    bool done = false;
    view.page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000)
        QTest::qWait(10);
    if (!done)
        qWarning("script did not answer: %s", qPrintable(script));
    return result;
}

// Waits until the view shows a page whose body carries `marker` in its text.
inline bool waitForText(QWebEngineView& view, const QString& marker, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const QVariant text = runJs(view, QStringLiteral("document.body ? document.body.innerText : ''"));
        if (text.toString().contains(marker))
            return true;
        QTest::qWait(50);
    }
    return false;
}

// Clicks the element matching `selector` with the real mouse, at its centre.
inline void clickElement(QWebEngineView& view, const QString& selector, Qt::KeyboardModifiers mods = {},
                         Qt::MouseButton button = Qt::LeftButton)
{
    const QVariantList rect =
        runJs(view, QStringLiteral("(function(){var r=document.querySelector(\"%1\").getBoundingClientRect();"
                                   "return [r.left + r.width/2, r.top + r.height/2];})()")
                        .arg(selector))
            .toList();
    QVERIFY2(rect.size() == 2, qPrintable(selector));
    const QPoint at(qRound(rect[0].toDouble()), qRound(rect[1].toDouble()));
    QWidget* target = view.focusProxy() ? view.focusProxy() : &view;
    QTest::mouseMove(target, at);
    QTest::qWait(30);
    QTest::mouseClick(target, button, mods, at);
}

}  // namespace webtest
