// Every click a person makes on a page turns it: on a real X11 desktop with
// the pointer moved and pressed through the X server (xdotool), and each
// turn seen on the X server's own picture, not only in the program's report.
// Between the attempts the list window shows lists and cards and is closed
// with Alt+F4, as an operator does; the start page must still answer.
#include "Fixtures.h"
#include "../gui/WebTestSupport.h"

#include "engines/PersonFile.h"
#include "ground/App.h"
#include "views/HtmlWindow.h"
#include "screens/people/FrmKartochka.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineScript>

using webtest::runJs;
using webtest::waitForText;

namespace {

constexpr int kQuestions = 12;
constexpr int kAnswers = 5;

// A click through the X server, as a person's: the pointer moves there (or
// stays), the button goes down and up. xdotool runs beside the program, so
// the program's event loop keeps going while it does.
void xdotool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    QVERIFY(tool.waitForStarted());
    while (tool.state() != QProcess::NotRunning)
        QTest::qWait(2);
    QCOMPARE(tool.exitCode(), 0);
}

// The X server's picture of a part of the screen.
QImage screenPicture(const QRect& area)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

// The program with a test of twelve questions of five answers open; the card
// dialog is filled in by the model.
struct Program {
    QTemporaryDir tmp;
    QString program;
    QString folder;
    QtPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;
    int person = 0;

    Program()
    {
        program = tmp.path() + QStringLiteral("/программа/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg", "sunbird.jpg"});
        QStringList test{QStringLiteral("[tandemo]"), QStringLiteral("Знакомства"), QStringLiteral(" 5"), QString(),
                         QStringLiteral(" %1").arg(kQuestions)};
        for (int q = 1; q <= kQuestions; ++q) {
            test << QStringLiteral("Вопрос номер %1?").arg(q) << QStringLiteral(" %1").arg(kAnswers - 1);
            for (int a = 1; a <= kAnswers; ++a)
                test << QStringLiteral("Ответ %1 на вопрос %2").arg(a).arg(q);
        }
        test << QStringLiteral(" 0") << QString();
        fixtures::writeBytes(folder + QStringLiteral("Знакомства.tnd"), fixtures::cp1251Lines(test));
        for (int i = 0; i < 6; ++i) {
            Kartochka woman;
            woman.NameFamiliya = QStringLiteral("Анна %1").arg(i);
            woman.DataRogdeniya = 1980 + i;
            woman.Pol = 1;
            woman.Otvety = QString(kQuestions, QLatin1Char('0' + i % kAnswers));
            fixtures::writeBytes(folder + QStringLiteral("w%1.tnw").arg(i), PersonFileContent(woman));
        }
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({program, QString(), folder + QStringLiteral("Знакомства.tnd")}));
        platform.setExecutableFolder(program);
        app = std::make_unique<App>(platform);
        window = std::make_unique<MainWindow>(*app, platform);
        platform.setModalRunner(WindowId::Kartochka, [this] {
            frmKartochka_Load(*app);
            app->frmKartochka.txtNameFamiliya.text = QStringLiteral("Человек %1").arg(++person);
            app->frmKartochka.txtDataRogdeniya.text = QStringLiteral("1990");
            frmKartochka_selPol_Click(*app, person % 2);
            frmKartochka_OK_Click(*app);
        });
        webtest::startAndShow(*app, *window);
    }

    WebView& view() { return *window->view(); }

    // The view's place on the screen.
    QRect viewArea() { return QRect(view().mapToGlobal(QPoint(0, 0)), view().size()); }

    // The centre of a link on the screen.
    QPoint linkCentre(const QString& selector)
    {
        const QVariantList centre =
            runJs(view(), QStringLiteral("(function(){var e=document.querySelector(\"%1\");if(!e)return[];"
                                         "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()")
                              .arg(selector))
                .toList();
        if (centre.size() != 2)
            return {};
        return view().mapToGlobal(QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
    }

    // Clicks with the X server's pointer on the link `selector` of `view`.
    void clickLink(WebView& on, const QString& selector)
    {
        const QVariantList centre =
            runJs(on, QStringLiteral("(function(){var e=document.querySelector(\"%1\");if(!e)return[];"
                                     "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()")
                          .arg(selector))
                .toList();
        QVERIFY2(centre.size() == 2, qPrintable(selector));
        const QPoint at = on.mapToGlobal(QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                 QStringLiteral("1")});
    }

    // The operator's round in the list window: the list of women, each card
    // and back to the list, twice (more pages than the program keeps), then
    // Alt+F4. The window runs its own modal loop, and the program's own waits
    // run inside it: the round goes a step at a time from a timer and never
    // waits inside it. Returns once the window is gone.
    void listWindowRound()
    {
        constexpr int kSteps = 24;  // a card and back, six women, twice
        int step = 0;
        bool busy = false;
        bool closed = false;
        const auto run = [&busy](const QStringList& args, std::function<void()> then = {}) {
            busy = true;
            auto* tool = new QProcess;
            QObject::connect(tool, &QProcess::finished, tool, [tool, &busy, then] {
                busy = false;
                if (then)
                    then();
                tool->deleteLater();
            });
            tool->start(QStringLiteral("xdotool"), args);
        };
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
            if (busy || closed || !html || !html->isVisible() || html->view()->isPainting())
                return;
            const QString& shown = app->frmHTML.usrWebHtml1.text;
            if (step == kSteps) {
                if (shown.contains(QStringLiteral("всего"))) {
                    html->activateWindow();
                    run({QStringLiteral("key"), QStringLiteral("alt+F4")}, [&closed] { closed = true; });
                }
                return;
            }
            const bool wantList = step % 2 == 0;
            if (!shown.contains(wantList ? QStringLiteral("всего") : QStringLiteral("Вернуться к списку")))
                return;
            const QString selector = wantList ? QStringLiteral("a[href$='l%1.ru']").arg(step / 2 % 6)
                                              : QStringLiteral("a[href$='n.ru']");
            busy = true;
            WebView* list = html->view();
            list->page()->runJavaScript(
                QStringLiteral("(function(){var e=document.querySelector(\"%1\");if(!e)return[];"
                               "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()")
                    .arg(selector),
                QWebEngineScript::ApplicationWorld, [&, list](const QVariant& value) {
                    const QVariantList centre = value.toList();
                    if (centre.size() != 2) {
                        busy = false;
                        return;
                    }
                    const QPoint at =
                        list->mapToGlobal(QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
                    ++step;
                    run({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                         QStringLiteral("click"), QStringLiteral("1")});
                });
        });
        tick.start(50);
        clickLink(view(), QStringLiteral("a[href$='w.ru']"));
        QTRY_VERIFY_WITH_TIMEOUT(closed, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 5000);
        QCOMPARE(step, kSteps);
    }

    // Whether the link under the pointer, which has not moved since the page
    // came, shows its hover colour (red) on the X server's screen.
    bool hoverShownAt(const QPoint& pointer)
    {
        const QImage around = screenPicture(QRect(pointer - QPoint(30, 8), QSize(60, 16)));
        int red = 0;
        for (int y = 0; y < around.height(); ++y) {
            for (int x = 0; x < around.width(); ++x) {
                const QColor c = around.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
            }
        }
        return red > 10;
    }

    // Waits until the X server's picture of the view differs from `before`;
    // false after `timeoutMs`.
    bool waitForNewPicture(const QImage& before, int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs) {
            QTest::qWait(5);
            if (screenPicture(viewArea()) != before)
                return true;
        }
        return false;
    }

    // The picture of the view once two looks a frame apart agree.
    QImage settledPicture()
    {
        QImage last = screenPicture(viewArea());
        for (int i = 0; i < 100; ++i) {
            QTest::qWait(16);
            QImage now = screenPicture(viewArea());
            if (now == last)
                break;
            last = std::move(now);
        }
        return last;
    }
};

// Processes that keep both cores busy while they live.
struct BusyMachine {
    std::vector<std::unique_ptr<QProcess>> burners;
    explicit BusyMachine(int count)
    {
        for (int i = 0; i < count; ++i) {
            auto burner = std::make_unique<QProcess>();
            burner->start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            burner->waitForStarted();
            burners.push_back(std::move(burner));
        }
    }
    ~BusyMachine()
    {
        for (auto& burner : burners) {
            burner->kill();
            burner->waitForFinished();
        }
    }
};

}  // namespace

class TestX11Clicks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
    }

    // Three people take the test. Every answer is a click on another row than
    // the last; some come the moment the page is drawn, some after a pause,
    // and the second person's while two busy processes hold the cores. The
    // page must turn at every click, on the screen and in the program.
    void everyAnswerClickTurnsThePage()
    {
        Program p;
        p.window->action(QStringLiteral("FileNameTest"))->trigger();
        QVERIFY(waitForText(p.view(), QStringLiteral("Начать тестирование")));
        int lost = 0;
        QStringList misses;
        for (int attempt = 1; attempt <= 3; ++attempt) {
            std::unique_ptr<BusyMachine> busy;
            if (attempt == 2)
                busy = std::make_unique<BusyMachine>(2);
            QTest::qWait(300);
            const QPoint start = p.linkCentre(QStringLiteral("a[href$='s.ru']"));
            QVERIFY(!start.isNull());
            xdotool({QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y()),
                     QStringLiteral("click"), QStringLiteral("1")});
            QVERIFY(waitForText(p.view(), QStringLiteral("Вопрос номер 1?")));
            int lastRow = -1;
            // Every question page is laid out alike: the rows stay where the
            // first page shows them.
            QList<QPoint> rows;
            for (int a = 0; a < kAnswers; ++a)
                rows << p.linkCentre(QStringLiteral("a[href='http://tnd.%1']").arg(a));
            QImage before = p.settledPicture();
            for (int q = 1; q <= kQuestions; ++q) {
                QCOMPARE(p.app->st.main.CurrentQuestion, q);
                // Most clicks come the moment the new picture is on the
                // screen; every third after a pause, as a person reads.
                if (q % 3 == 0)
                    QTest::qWait(400);
                const int row = (lastRow + 1 + (q * 7 + attempt) % (kAnswers - 1)) % kAnswers;
                lastRow = row;
                const QPoint at = rows[row];
                xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                         QStringLiteral("click"), QStringLiteral("1")});
                const bool turned = p.waitForNewPicture(before, 3000);
                before = p.settledPicture();
                const bool recorded = p.app->st.test.Questions[q].NomerOtveta == row;
                // The pointer rests on the same row of the next question: its
                // link shows that it is under the pointer.
                if (turned && q < kQuestions) {
                    QElapsedTimer waited;
                    waited.start();
                    while (!p.hoverShownAt(at) && waited.elapsed() < 2000)
                        QTest::qWait(20);
                    if (!p.hoverShownAt(at))
                        misses << QStringLiteral("attempt %1 question %2: no hover colour under the pointer")
                                      .arg(attempt)
                                      .arg(q + 1);
                    before = p.settledPicture();
                }
                if (!turned || !recorded) {
                    ++lost;
                    misses << QStringLiteral("attempt %1 question %2 row %3 (%4)")
                                  .arg(attempt)
                                  .arg(q)
                                  .arg(row)
                                  .arg(turned ? QStringLiteral("answer not recorded")
                                              : QStringLiteral("screen did not change"));
                    // The person clicks once more, as a person would, so that
                    // the walk goes on and every loss is counted.
                    xdotool({QStringLiteral("click"), QStringLiteral("1")});
                    QTRY_COMPARE_WITH_TIMEOUT(p.app->st.test.Questions[q].NomerOtveta, row, 5000);
                    before = p.settledPicture();
                }
            }
            QVERIFY(waitForText(p.view(), QStringLiteral("Тест пройден.")));
            const QPoint save = p.linkCentre(QStringLiteral("a[href='http://tnd.r']"));
            xdotool({QStringLiteral("mousemove"), QString::number(save.x()), QString::number(save.y()),
                     QStringLiteral("click"), QStringLiteral("1")});
            QVERIFY(waitForText(p.view(), QStringLiteral("Поиск пары")));
            p.window->action(QStringLiteral("FileNameTest"))->trigger();
            QVERIFY(waitForText(p.view(), QStringLiteral("Начать тестирование")));
            p.listWindowRound();
        }
        QVERIFY2(lost == 0 && misses.isEmpty(), qPrintable(QStringLiteral("%1 of %2 clicks lost: %3")
                                           .arg(lost)
                                           .arg(3 * kQuestions)
                                           .arg(misses.join(QStringLiteral("; ")))));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Clicks)
#include "tst_x11clicks.moc"
