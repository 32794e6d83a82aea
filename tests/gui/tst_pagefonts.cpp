#include "WebTestSupport.h"

#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTest>

// Pages name Windows fonts ("Times New Roman", "Arial") or none; both views
// lay such text out with the metrics of those fonts, which Liberation's share.
class TestPageFonts : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    // The width of the same text in each family the page names, in the view.
    QVariantMap widths(QWebEngineView& view)
    {
        const QString text = QStringLiteral("Где вы хотели бы провести отпуск? Wide text, 0123456789");
        QString html = QStringLiteral("<html><body>");
        // Each as a page writes it: none, a generic family or a named one.
        const QStringList families{QString(), QStringLiteral("serif"), QStringLiteral("sans-serif"),
                                   QStringLiteral("'Times New Roman'"), QStringLiteral("Arial"),
                                   QStringLiteral("'Liberation Serif'"), QStringLiteral("'Liberation Sans'"),
                                   QStringLiteral("'DejaVu Serif'")};
        for (const QString& family : families) {
            const QString style = family.isEmpty() ? QString() : QStringLiteral(" style=\"font-family:%1\"").arg(family);
            html += QStringLiteral("<p><span id=\"f%1\"%2>%3</span></p>").arg(families.indexOf(family)).arg(style, text);
        }
        html += QStringLiteral("<p>ready</p></body></html>");
        auto* web = qobject_cast<WebView*>(&view);
        web->loadHtml(html, tmp.path());
        if (!webtest::waitForText(view, QStringLiteral("ready")))
            return {};
        QVariantMap result;
        for (const QString& family : families) {
            result[family] = webtest::runJs(view, QStringLiteral("document.getElementById('f%1').getBoundingClientRect().width")
                                                      .arg(families.indexOf(family)))
                                 .toDouble();
        }
        return result;
    }

    void checkView(QWebEngineView& view)
    {
        const QVariantMap w = widths(view);
        QVERIFY(!w.isEmpty());
        const double serif = w[QStringLiteral("'Liberation Serif'")].toDouble();
        const double sans = w[QStringLiteral("'Liberation Sans'")].toDouble();
        // Liberation is there, and its letters are not DejaVu's.
        QVERIFY(serif > 0);
        QVERIFY(std::abs(serif - w[QStringLiteral("'DejaVu Serif'")].toDouble()) > 20);
        QVERIFY(std::abs(serif - sans) > 5);
        QCOMPARE(w[QString()].toDouble(), serif);
        QCOMPARE(w[QStringLiteral("serif")].toDouble(), serif);
        QCOMPARE(w[QStringLiteral("sans-serif")].toDouble(), sans);
        QCOMPARE(w[QStringLiteral("'Times New Roman'")].toDouble(), serif);
        QCOMPARE(w[QStringLiteral("Arial")].toDouble(), sans);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QStringList families = QFontDatabase::families();
        QVERIFY2(families.contains(QStringLiteral("Liberation Serif")) && families.contains(QStringLiteral("Liberation Sans")),
                 "fonts-liberation2 is needed");
    }

    void mainViewUsesTheAuthorsFonts()
    {
        QtPlatform platform;
        App app(platform);
        MainWindow window(app, platform);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        checkView(*window.view());
    }

    void listViewUsesTheAuthorsFonts()
    {
        QtPlatform platform;
        App app(platform);
        HtmlWindow window(app);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        checkView(*window.view());
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestPageFonts)
#include "tst_pagefonts.moc"
