#include "Fixtures.h"

#include "screens/people/PeopleList.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"
#include "screens/views/FrmHTML.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestHtmlWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The women's list opens in the secondary window, fills itself from its
    // one-shot start and closes through "Выход", releasing the list.
    void womenListOpensFillsAndCloses()
    {
        QTemporaryDir tmp;
        QtPlatform platform;
        App app(platform);
        MainWindow window(app, platform);
        app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
        fixtures::writeBytes(app.st.folders.WorkFolder + QStringLiteral("a.tnw"),
                             fixtures::cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Анна <b>"),
                                                    QStringLiteral(" 1985"), QStringLiteral(" 0"), QStringLiteral("01"),
                                                    QStringLiteral(" 1"), QString(), QString()}));
        QString title;
        QString page;
        QTimer::singleShot(0, this, [&] {
            HtmlWindow* shown = nullptr;
            QTRY_VERIFY((shown = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget())) != nullptr);
            QTRY_VERIFY(app.st.people.PeopleLast == 0);
            title = shown->windowTitle();
            page = app.frmHTML.usrWebHtml1.text;
            QVERIFY(shown->view());
            app.frmHTML.closeRequested = false;
            frmHTML_MenuClick(app, QStringLiteral("FileExit"));
            shown->binder().sync();
        });
        FileListLudey_Click(app, 1);
        QCOMPARE(title, QStringLiteral("Список женщин"));
        QVERIFY(page.contains(QStringLiteral("Список женщин (всего: 1)")));
        QVERIFY(page.contains(QStringLiteral("Анна &lt;b&gt;")));
        QCOMPARE(app.st.people.PeopleLast, -1);
        QVERIFY(!app.frmHTML.visible);
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestHtmlWindow)
#include "tst_htmlwindow.moc"
