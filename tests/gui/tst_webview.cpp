#include "WebTestSupport.h"

#include "ground/windows/HtmlView.h"
#include "views/WebView.h"

#include <QDir>
#include <QImage>
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

    static std::unique_ptr<WebView> shownView(int width, int height)
    {
        auto view = std::make_unique<WebView>();
        view->resize(width, height);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get()))
            qWarning("view not exposed");
        return view;
    }

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
        auto shown = shownView(600, 400);
        WebView& view = *shown;
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
        auto shown = shownView(600, 400);
        WebView& view = *shown;
        QStringList got;
        view.setReceiver([&got](const QString& text) { got << text; });
        show(view, QStringLiteral("<a id='l' href='other.htm' style='font-size:40px'>дальше</a>"), folder);
        clickElement(view, QStringLiteral("#l"));
        QVERIFY(waitForText(view, QStringLiteral("another page")));
        QVERIFY(got.isEmpty());
    }

    void picturesByBareNameComeFromTheTestFolder()
    {
        const QString folder = tmp.path() + QStringLiteral("/картинки/");
        QDir().mkpath(folder);
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(folder + QStringLiteral("кот 1.png")));
        auto shown = shownView(400, 200);
        WebView& view = *shown;
        show(view, QStringLiteral("<img id='bare' src='кот 1.png'><img id='full' src='%1'>")
                       .arg(folder + QStringLiteral("кот 1.png")),
             folder);
        QTRY_COMPARE_WITH_TIMEOUT(runJs(view, QStringLiteral("document.getElementById('bare').naturalWidth")).toInt(), 30, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(runJs(view, QStringLiteral("document.getElementById('full').naturalWidth")).toInt(), 30, 5000);
    }

    void keysOtherThanArrowsDoNothing()
    {
        auto shown = shownView(400, 200);
        WebView& view = *shown;
        QString tall;
        for (int i = 0; i < 200; ++i)
            tall += QStringLiteral("<div>строка %1</div>").arg(i);
        show(view, tall);
        // Page scripts never run, so the listener comes from the program's
        // side; it stands for any handler a page could hold.
        runJs(view, QStringLiteral("window.seen = 0; document.addEventListener('keydown', "
                                   "function(){ window.seen++; }); true"));
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
        // The arrows do reach the page: the listener above was live.
        QCOMPARE(runJs(view, QStringLiteral("window.seen")).toInt(), 5);
        const int down = runJs(view, QStringLiteral("window.scrollY")).toInt();
        QTest::keyClick(target, Qt::Key_Up);
        QTRY_VERIFY_WITH_TIMEOUT(runJs(view, QStringLiteral("window.scrollY")).toInt() < down, 5000);
    }

    void noMenuNoSelectionNoWindows()
    {
        auto shown = shownView(400, 200);
        WebView& view = *shown;
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
        auto shown = shownView(400, 200);
        WebView& view = *shown;
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
