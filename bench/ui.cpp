// How fast the real windows answer: start-up to the splash page painted, a
// click on an answer link to the next question painted, a click on a list row
// to the card page painted and back, and the memory of the program with its
// page processes after such a walk. On an X11 desktop with xdotool, also a
// click of the X server's pointer to the changed picture on the X server's
// screen, for answers and for "Поиск пары" on the demo's list of women.
//
//   build/tandemo-uibench [--questions N] [--people N] [--demo FOLDER]
#include "screens/people/FrmKartochka.h"
#include "ground/Kartochka.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "screens/taking/TestFlow.h"
#include "screens/document/FileCommands.h"
#include "screens/people/PeopleList.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"
#include "ground/TextFile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QEventLoop>
#include <QWebEngineScript>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

QElapsedTimer sinceStart;

QByteArray cp1251Lines(const QStringList& lines)
{
    QStringEncoder encoder("windows-1251");
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encoder.encode(line) + QByteArray("\r\n");
    return bytes;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QVariant runJs(WebView& view, const QString& script)
{
    QVariant result;
    bool done = false;
    view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return result;
}

// Waits for the view's next page to be painted; milliseconds since `from`.
double waitPainted(WebView& view, const QElapsedTimer& from)
{
    QEventLoop loop;
    QObject::connect(&view, &WebView::pagePainted, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (view.isPainting())
        loop.exec();
    return static_cast<double>(from.nsecsElapsed()) / 1e6;
}

// Position of the first element matching `selector`, in the view.
QPoint where(WebView& view, const QString& selector)
{
    QVariantList rect;
    QElapsedTimer waited;
    waited.start();
    while (rect.size() != 2 && waited.elapsed() < 10000) {
        rect = runJs(view, QStringLiteral("(function(){var e=document.querySelector(\"%1\"); if(!e) return [];"
                                   "e.scrollIntoView({block:'center'}); var r=e.getBoundingClientRect();"
                                   "return [r.left + r.width/2, r.top + r.height/2];})()")
                        .arg(selector))
                   .toList();
        if (rect.size() != 2)
            QTest::qWait(10);
    }
    if (rect.size() != 2)
        qFatal("no element %s", qPrintable(selector));
    return {qRound(rect[0].toDouble()), qRound(rect[1].toDouble())};
}

std::vector<double> toCommand, toLoaded;

// Clicks the element and returns the time to the next page painted.
double clickToPainted(WebView& view, const QString& selector)
{
    double commandAt = 0, loadedAt = 0;
    QElapsedTimer clicked;
    auto c1 = QObject::connect(&view, &WebView::commandReceived, [&] { commandAt = clicked.nsecsElapsed() / 1e6; });
    auto c2 = QObject::connect(&view, &QWebEngineView::loadFinished, [&] { loadedAt = clicked.nsecsElapsed() / 1e6; });
    struct Done {
        QMetaObject::Connection a, b;
        double *command, *loaded;
        ~Done()
        {
            QObject::disconnect(a);
            QObject::disconnect(b);
            toCommand.push_back(*command);
            toLoaded.push_back(*loaded);
        }
    } done{c1, c2, &commandAt, &loadedAt};
    const QPoint at = where(view, selector);
    QWidget* target = view.focusProxy() ? view.focusProxy() : &view;
    QTest::mouseMove(target, at);
    QTest::qWait(20);
    clicked.start();
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
    // The command comes back from the page process; then the page goes there.
    while (!view.isPainting() && clicked.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
    return waitPainted(view, clicked);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())))];
}

// Proportional memory of this process and every process it started, in MB.
double pssMb()
{
    std::vector<long> pids{static_cast<long>(getpid())};
    for (size_t i = 0; i < pids.size(); ++i) {
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& entry : entries) {
            bool isPid = false;
            const long pid = entry.toLong(&isPid);
            if (!isPid)
                continue;
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1].toLong() == pids[i])
                pids.push_back(pid);
        }
    }
    long kb = 0;
    for (long pid : pids) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            continue;
        long own = 0;
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:"))
                own = line.mid(4).trimmed().split(' ').value(0).toLong();
        }
        kb += own;
        // Which process it is: the program, or Chromium's kind of page process
        // (a renderer forked by the zygote keeps the zygote's command line).
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        QByteArray kind = "program";
        if (cmdline.open(QIODevice::ReadOnly)) {
            for (const QByteArray& arg : cmdline.readAll().split('\0')) {
                if (arg.startsWith("--type="))
                    kind = arg.mid(7);
            }
        }
        std::printf("  %-32s %6.1f MB (pid %ld)\n", kind.constData(), static_cast<double>(own) / 1024.0, pid);
    }
    return static_cast<double>(kb) / 1024.0;
}

// The X server's picture of the top of a view, where every page of the
// program says what it is (the question's number, the list's title, the
// waiting page's text). A strip, not the whole view: each look is a round
// trip to the X server, and a large one would slow the program it measures.
QImage screenPicture(QWidget& widget)
{
    const QPoint at = widget.mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x(), at.y(), widget.width(), std::min(widget.height(), 80))
        .toImage();
}

bool canClickThroughX()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

// Clicks with the X server's pointer, one step after another, and times the
// X server's picture of the view: the first change after the click and the
// last one before it held still for 200 ms once the program reached the page
// the click leads to. Nothing here waits inside the event loop: the program's
// own waits (a modal window, the waiting page) run as they do for a person,
// and each look at the screen is one step of a timer. The times include
// starting xdotool, a few ms.
class XClicker {
public:
    struct Step {
        std::function<WebView*()> view;  // the view to click in, once it is up
        QString selector;
        std::function<bool()> ready;     // the page to click on is shown
        std::function<bool()> done;      // the program reached the next page
        std::vector<double>* first = nullptr;
        std::vector<double>* last = nullptr;
    };

    void add(Step step) { steps_.push_back(std::move(step)); }

    // Runs every step; returns when all are done (or one cannot go on).
    void run()
    {
        QEventLoop loop;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (!advance())
                loop.quit();
        });
        tick.start(5);
        loop.exec();
    }

private:
    enum class Phase { Wait, Locating, Clicking, Settling, Watching };

    bool advance()
    {
        if (next_ >= steps_.size()) {
            // The loop of run() ends only once a window opened by a click
            // and running its own loop is closed.
            if (auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget()))
                html->close();
            return false;
        }
        Step& step = steps_[next_];
        switch (phase_) {
        case Phase::Wait: {
            WebView* view = step.view();
            if (!view || view->isPainting() || !step.ready())
                return true;
            phase_ = Phase::Locating;
            view->page()->runJavaScript(
                QStringLiteral("(function(){var e=document.querySelector(\"%1\");if(!e)return[];"
                               "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()")
                    .arg(step.selector),
                QWebEngineScript::ApplicationWorld, [this, view](const QVariant& value) {
                    const QVariantList centre = value.toList();
                    if (centre.size() != 2) {
                        phase_ = Phase::Wait;
                        return;
                    }
                    view_ = view;
                    const QPoint at = view->mapToGlobal(QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
                    move_.start(QStringLiteral("xdotool"),
                                {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
                    phase_ = Phase::Clicking;
                });
            return true;
        }
        case Phase::Locating:
            return true;
        case Phase::Clicking:
            if (move_.state() != QProcess::NotRunning)
                return true;
            // The link under the pointer takes its hover colour first: the
            // click comes once the screen has held still for 100 ms.
            before_ = screenPicture(*view_);
            clicked_.start();
            phase_ = Phase::Settling;
            return true;
        case Phase::Settling: {
            QImage now = screenPicture(*view_);
            if (now != before_) {
                before_ = std::move(now);
                clicked_.restart();
                return true;
            }
            if (clicked_.elapsed() < 100)
                return true;
            clicked_.start();
            click_.start(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
            firstAt_ = lastAt_ = -1;
            phase_ = Phase::Watching;
            return true;
        }
        case Phase::Watching: {
            QImage now = screenPicture(*view_);
            const double at = static_cast<double>(clicked_.nsecsElapsed()) / 1e6;
            if (now != before_) {
                if (firstAt_ < 0)
                    firstAt_ = at;
                lastAt_ = at;
                before_ = std::move(now);
            } else if (lastAt_ >= 0 && step.done() && at - lastAt_ >= 200) {
                if (step.first)
                    step.first->push_back(firstAt_);
                if (step.last)
                    step.last->push_back(lastAt_);
                ++next_;
                phase_ = Phase::Wait;
            } else if (at > 10000) {
                std::printf("no change on the screen after a click on %s\n", qPrintable(step.selector));
                return false;
            }
            return true;
        }
        }
        return true;
    }

    std::vector<Step> steps_;
    size_t next_ = 0;
    Phase phase_ = Phase::Wait;
    WebView* view_ = nullptr;
    QProcess move_, click_;
    QImage before_;
    QElapsedTimer clicked_;
    double firstAt_ = -1, lastAt_ = -1;
};

void report(const char* what, const std::vector<double>& ms)
{
    std::printf("%-34s median %6.1f ms   p90 %6.1f ms   (%zu clicks)\n", what, median(ms), percentile(ms, 0.9),
                ms.size());
}

}  // namespace

int main(int argc, char* argv[])
{
    sinceStart.start();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebView::registerScheme();
    QApplication application(argc, argv);
    int questions = 40;
    int people = 300;
    QString demo = QCoreApplication::applicationDirPath() + QStringLiteral("/../examples");
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--questions"))
            questions = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--people"))
            people = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--demo"))
            demo = args[i + 1];
    }

    QTemporaryDir tmp;
    const QString program = tmp.path() + QStringLiteral("/program/");
    const QString folder = tmp.path() + QStringLiteral("/test/");
    QDir().mkpath(program);
    QDir().mkpath(folder);
    for (const char* picture : {"znak0.jpg", "znak1.jpg", "sunbird.jpg"})
        QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(picture),
                    program + QLatin1String(picture));
    QStringList test{QStringLiteral("[tandemo]"), QStringLiteral("Знакомства"), QStringLiteral(" 5"), QString(),
                     QLatin1Char(' ') + QString::number(questions)};
    for (int q = 1; q <= questions; ++q)
        test << QStringLiteral("Вопрос %1: как вы проводите выходные?").arg(q) << QStringLiteral(" 3")
             << QStringLiteral("Дома с книгой") << QStringLiteral("В походе") << QStringLiteral("С друзьями")
             << QStringLiteral("На работе");
    test << QStringLiteral(" 0") << QString();
    write(folder + QStringLiteral("test.tnd"), cp1251Lines(test));
    for (int i = 0; i < people; ++i) {
        Kartochka man;
        man.NameFamiliya = QStringLiteral("Иван Петров %1").arg(i);
        man.DataRogdeniya = 1970 + i % 30;
        man.Pol = 0;
        man.Otvety = QString(questions, QLatin1Char('1'));
        write(folder + QStringLiteral("m%1.tnm").arg(i), PersonFileContent(man));
    }
    write(program + QStringLiteral("Тандемо.ini"), cp1251Lines({program, QString(), folder + QStringLiteral("test.tnd")}));

    // Start-up: the program as main() makes it, to the splash page painted.
    QtPlatform platform;
    platform.setExecutableFolder(program);
    App app(platform);
    MainWindow window(app, platform);
    Main(app);
    window.syncFromModel();
    window.show();
    WebView& view = *window.view();
    const double startup = waitPainted(view, sinceStart);
    std::printf("%-34s %6.1f ms\n", "start-up to splash painted", startup);

    platform.setModalRunner(WindowId::Kartochka, [&app] {
        frmKartochka_Load(app);
        app.frmKartochka.txtNameFamiliya.text = QStringLiteral("Анна");
        app.frmKartochka.txtDataRogdeniya.text = QStringLiteral("1990");
        frmKartochka_selPol_Click(app, 1);
        frmKartochka_OK_Click(app);
    });
    window.action(QStringLiteral("FileNameTest"))->trigger();
    waitPainted(view, sinceStart);

    std::vector<double> answers;
    for (int round = 0; round < 2; ++round) {
        clickToPainted(view, QStringLiteral("a[href$='s.ru']"));
        for (int q = 1; q <= questions; ++q)
            answers.push_back(clickToPainted(view, QStringLiteral("a[href='http://tnd.%1']").arg(q % 4)));
        clickToPainted(view, QStringLiteral("a[href='http://tnd.r']"));
        ReStart(app, 0);
        window.syncFromModel();
        waitPainted(view, sinceStart);
    }
    report("answer click to next question", answers);
    report("  of which: click to command", toCommand);
    report("  of which: click to page loaded", toLoaded);

    if (canClickThroughX()) {
        // The same, as a person sees it: the X server's pointer clicks, the
        // X server's screen changes.
        window.activateWindow();
        std::vector<double> firstChange, settled;
        XClicker clicker;
        const auto mainView = [&view] { return &view; };
        clicker.add({mainView, QStringLiteral("a[href$='s.ru']"), [&app] { return app.st.main.Phase == TestPhase::StartPage; },
                     [&app] { return app.st.main.CurrentQuestion == 1; }});
        for (int q = 1; q <= questions; ++q) {
            clicker.add({mainView, QStringLiteral("a[href='http://tnd.%1']").arg(q % 4),
                         [&app, q] { return app.st.main.CurrentQuestion == q; },
                         [&app, q] { return app.st.main.CurrentQuestion == q + 1; }, &firstChange, &settled});
        }
        clicker.run();
        report("answer click to screen changed (X)", firstChange);
        report("  to its last change (X)", settled);
        ReStart(app, 0);
        window.syncFromModel();
        waitPainted(view, sinceStart);
    }

    // The list of men, a card from it and back, in the secondary window.
    std::vector<double> cards, lists;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
        // Only once the list is up: before, the program's own wait for the
        // waiting page may be running below this timer, and waiting here
        // would hold it.
        if (!html || !app.st.list.ListHtml.contains(QStringLiteral("всего")) || html->view()->isPainting())
            return;
        watcher.stop();
        WebView& list = *html->view();
        while (runJs(list, QStringLiteral("!!document.querySelector(\"a[href$='l0.ru']\")")).toBool() == false)
            QTest::qWait(20);
        for (int row = 0; row < 24; ++row) {
            cards.push_back(clickToPainted(list, QStringLiteral("a[href$='l%1.ru']").arg(row)));
            lists.push_back(clickToPainted(list, QStringLiteral("a[href$='n.ru']")));
        }
        html->close();
    });
    watcher.start(10);
    clickToPainted(view, QStringLiteral("a[href$='m.ru']"));
    report("list row click to card page", cards);
    report("card page back to the list", lists);
    std::printf("%-34s %6.1f MB (program and its page processes)\n", "memory after the walk (PSS)", pssMb());

    // "Поиск пары" from the demo's list of women: the ranking of its men.
    const QString demoTest = QDir(demo).absoluteFilePath(QStringLiteral("Знакомства.tnd"));
    if (canClickThroughX() && QFile::exists(demoTest)) {
        QTemporaryDir demoCopy;
        for (const QString& name : QDir(demo).entryList(QDir::Files))
            QFile::copy(QDir(demo).absoluteFilePath(name), demoCopy.path() + QLatin1Char('/') + name);
        app.st.test.TestFilePath.clear();
        OpenTest(app, demoCopy.path() + QStringLiteral("/Знакомства.tnd"));
        window.syncFromModel();
        waitPainted(view, sinceStart);
        std::vector<double> firstChange, rankings;
        XClicker clicker;
        const auto listView = []() -> WebView* {
            auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
            return html && html->isVisible() ? html->view() : nullptr;
        };
        // Each search from a freshly opened list, as the operator does after
        // closing the ranking's window.
        const auto mainView = [&view]() -> WebView* {
            if (auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget())) {
                html->close();
                return nullptr;
            }
            return &view;
        };
        for (int row = 0; row < 12; ++row) {
            clicker.add({mainView, QStringLiteral("a[href$='w.ru']"),
                         [&app] { return app.st.main.Phase == TestPhase::StartPage; },
                         [&app] { return app.st.list.Mode == HtmlWindowMode::PeopleList && app.st.people.PeopleLast >= 0; }});
            clicker.add({listView, QStringLiteral("a[href$='p%1.ru']").arg(row),
                         [&app] { return app.st.list.Mode == HtmlWindowMode::PeopleList && app.st.people.PeopleLast >= 0; },
                         [&app] { return app.st.list.Mode == HtmlWindowMode::PairSearch && app.st.pairs.PairsLast >= 0; },
                         &firstChange, &rankings});
        }
        clicker.run();
        report("\"Поиск пары\" first change (X)", firstChange);
        report("\"Поиск пары\" to the ranking (X)", rankings);
    }
    return 0;
}
