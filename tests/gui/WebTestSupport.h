#pragma once

#include "Fixtures.h"
#include "views/WebView.h"

#include "ground/App.h"
#include "shell/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>

// Helpers for driving the real web view in tests.
namespace webtest {

// Runs a script in the page and waits for its result. Scripts of the page
// itself never run, so the test's run apart from them, as the view's own do.
inline QVariant runJs(QWebEngineView& view, const QString& script)
{
    QVariant result;
    bool done = false;
    view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
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
// The page answers yes or no, so a large page is not copied at every look.
inline bool waitForText(QWebEngineView& view, const QString& marker, int timeoutMs = 30000)
{
    QString quoted = marker;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    const QString script = QStringLiteral("!!document.body && document.body.textContent.indexOf('%1') >= 0").arg(quoted);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (runJs(view, script).toBool())
            return true;
        QTest::qWait(50);
    }
    return false;
}

// The centre on the screen of the first command link of `view` whose address
// ends with `code` + ".ru", when it is within the view; else a null point.
inline QPoint linkOnScreen(QWebEngineView& view, const QString& code)
{
    const QVariantList centre =
        runJs(view, QStringLiteral("(function(){var e=document.querySelector(\"a[href$='.%1.ru']\");if(!e)return[];"
                                   "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()")
                        .arg(code))
            .toList();
    if (centre.size() != 2)
        return {};
    const QPoint inView(qRound(centre[0].toDouble()), qRound(centre[1].toDouble()));
    return view.rect().contains(inView) ? view.mapToGlobal(inView) : QPoint();
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

// The program's folder with the given pictures of the build, and beside it
// the test "Знакомства" in a folder of its own: three questions of three
// answers each, complete.
inline void writeProgramAndTest(const QString& program, const QString& folder,
                                std::initializer_list<const char*> pictures)
{
    QDir().mkpath(program);
    QDir().mkpath(folder);
    for (const char* picture : pictures)
        QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/../") + QLatin1String(picture),
                    program + QLatin1String(picture));
    QStringList test{QStringLiteral("[tandemo]"), QStringLiteral("Знакомства"), QStringLiteral(" 5"), QString(),
                     QStringLiteral(" 3")};
    for (int q = 1; q <= 3; ++q)
        test << QStringLiteral("Вопрос %1?").arg(q) << QStringLiteral(" 2") << QStringLiteral("Да")
             << QStringLiteral("Нет") << QStringLiteral("Не знаю");
    test << QStringLiteral(" 0") << QString();
    fixtures::writeBytes(folder + QStringLiteral("Знакомства.tnd"), fixtures::cp1251Lines(test));
}

// Starts the program in `window` (its model already made) and puts it at
// the screen's corner, 900 by 700, shown and active, so that real input
// knows where everything is.
template <typename Window>
inline void startAndShow(App& app, Window& window)
{
    Main(app);
    window.syncFromModel();
    window.move(0, 0);
    window.resize(900, 700);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("window not exposed");
}

}  // namespace webtest
