#include "WebTestSupport.h"

#include "views/HtmlView.h"
#include "views/WebView.h"

#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineHistory>

using webtest::clickElement;
using webtest::runJs;
using webtest::waitForText;

class TestWebView : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QStringList received;

    void show(WebView& view, const QString& body, const QString& folder = QString())
    {
        view.loadHtml(QStringLiteral("<html><head><meta http-equiv='Content-Type' content='text/html; "
                                     "charset=windows-1251'></head><body>") +
                          body + QStringLiteral("<p>конец страницы</p></body></html>"),
                      folder);
        QVERIFY(waitForText(view, QStringLiteral("конец страницы")));
    }

private Q_SLOTS:
    void commandLinksAreHandedOverAndNeverNavigate_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("expected");
        QTest::newRow("command with suffix") << Command(QStringLiteral("s")) << QStringLiteral("http://tnd.s.ru/");
        QTest::newRow("answer with a digit host") << BareCommand(QStringLiteral("5")) << QStringLiteral("http://tnd.5/");
        QTest::newRow("list code with a number") << Command(QStringLiteral("k17")) << QStringLiteral("http://tnd.k17.ru/");
        QTest::newRow("external") << QStringLiteral("https://podari-zhizn.ru/")
                                  << QStringLiteral("https://podari-zhizn.ru/");
    }
    void commandLinksAreHandedOverAndNeverNavigate()
    {
        QFETCH(QString, href);
        QFETCH(QString, expected);
        WebView view;
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList got;
        view.setReceiver([&got](const QString& text) { got << text; });
        show(view, QStringLiteral("<a id='l' href='%1' style='font-size:40px'>Ссылка</a>").arg(href));
        const QUrl before = view.url();
        clickElement(view, QStringLiteral("#l"));
        QTRY_COMPARE_WITH_TIMEOUT(got, QStringList{expected}, 10000);
        QTest::qWait(200);
        QCOMPARE(view.url(), before);
        QVERIFY(waitForText(view, QStringLiteral("конец страницы")));

        // A middle click opens nothing and runs nothing; a shift-click opens
        // no window either, it is an ordinary click on the command.
        clickElement(view, QStringLiteral("#l"), {}, Qt::MiddleButton);
        QTest::qWait(300);
        QCOMPARE(got.size(), 1);
        clickElement(view, QStringLiteral("#l"), Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(got, (QStringList{expected, expected}), 10000);
        QCOMPARE(view.url(), before);
    }

    void otherLinksNavigateWithinTheTestFolder()
    {
        const QString folder = tmp.path() + QLatin1Char('/');
        QFile other(folder + QStringLiteral("other.htm"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("<html><body>another page</body></html>");
        other.close();
        WebView view;
        view.resize(600, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList got;
        view.setReceiver([&got](const QString& text) { got << text; });
        show(view, QStringLiteral("<a id='l' href='other.htm' style='font-size:40px'>дальше</a>"), folder);
        clickElement(view, QStringLiteral("#l"));
        QVERIFY(waitForText(view, QStringLiteral("another page")));
        QVERIFY(got.isEmpty());
    }

    void keysOtherThanArrowsDoNothing()
    {
        WebView view;
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QString tall;
        for (int i = 0; i < 200; ++i)
            tall += QStringLiteral("<div>строка %1</div>").arg(i);
        show(view, QStringLiteral("<script>window.seen = 0; document.addEventListener('keydown', "
                                  "function(){ window.seen++; });</script>") +
                       tall);
        QSignalSpy loads(&view, &QWebEngineView::loadStarted);
        QWidget* target = view.focusProxy();
        QVERIFY(target);
        target->setFocus();
        for (Qt::Key key : {Qt::Key_F5, Qt::Key_Backspace, Qt::Key_A, Qt::Key_Space, Qt::Key_PageDown, Qt::Key_End})
            QTest::keyClick(target, key);
        QTest::qWait(300);
        QCOMPARE(loads.count(), 0);
        QCOMPARE(runJs(view, QStringLiteral("window.seen")).toInt(), 0);
        QCOMPARE(runJs(view, QStringLiteral("window.scrollY")).toInt(), 0);

        for (int i = 0; i < 5; ++i)
            QTest::keyClick(target, Qt::Key_Down);
        QTRY_VERIFY_WITH_TIMEOUT(runJs(view, QStringLiteral("window.scrollY")).toInt() > 0, 5000);
        const int down = runJs(view, QStringLiteral("window.scrollY")).toInt();
        QTest::keyClick(target, Qt::Key_Up);
        QTRY_VERIFY_WITH_TIMEOUT(runJs(view, QStringLiteral("window.scrollY")).toInt() < down, 5000);
    }

    void noMenuNoSelectionNoWindows()
    {
        WebView view;
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        show(view, QStringLiteral("<p id='t'>Выделять нечего</p>"));
        QCOMPARE(view.contextMenuPolicy(), Qt::NoContextMenu);
        QCOMPARE(runJs(view, QStringLiteral("document.dispatchEvent(new MouseEvent('contextmenu', "
                                            "{bubbles:true, cancelable:true}))"))
                     .toBool(),
                 false);
        QCOMPARE(runJs(view, QStringLiteral("document.dispatchEvent(new Event('selectstart', "
                                            "{bubbles:true, cancelable:true}))"))
                     .toBool(),
                 false);
        QCOMPARE(runJs(view, QStringLiteral("window.open('about:blank') === null")).toBool(), true);
    }

    void largePagesShowWhole()
    {
        WebView view;
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QString body;
        body.reserve(3'200'000);
        while (body.size() < 3'000'000)
            body += QStringLiteral("<p>Вопрос с длинным текстом и ответами на него</p>");
        body += QStringLiteral("<p id='last'>последний вопрос</p>");
        show(view, body);
        QCOMPARE(runJs(view, QStringLiteral("document.getElementById('last').innerText")).toString(),
                 QStringLiteral("последний вопрос"));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestWebView)
#include "tst_webview.moc"
