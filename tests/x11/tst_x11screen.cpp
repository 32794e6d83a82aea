#include "../gui/WebTestSupport.h"

#include "ground/App.h"
#include "ground/windows/HtmlView.h"
#include "screens/people/PeopleList.h"
#include "people/KartochkaDialog.h"
#include "screens/people/FrmKartochka.h"
#include "screens/taking/QuestionPage.h"
#include "screens/views/FrmHTML.h"
#include "shell/ListCommands.h"
#include "shell/MainCommands.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// What a person sees and does with the keyboard on a real X11 desktop
// (Xvfb with openbox, 1280 × 900), with keys and clicks from the X server
// (xdotool). The screen pictures are kept in the folder TANDEMO_SHOTS names,
// for a person to look at.
namespace {

// Runs xdotool with the given commands; the keys reach the window that has
// the X server's focus, as a person's would.
bool xdotool(const QStringList& args)
{
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

QString shotsFolder(const QTemporaryDir& tmp)
{
    return qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
}

// The whole X screen, as the server holds it.
void saveScreen(const QString& path)
{
    QTest::qWait(300);
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(path));
}

// A card with its details filled in.
QByteArray personFile(const QString& name, int sex, const QString& answers)
{
    return fixtures::cp1251Lines({QStringLiteral("[kartochka]"), name, QStringLiteral(" 1985"), QStringLiteral(" 1"),
                                  answers, QStringLiteral("1,70"), QStringLiteral("60"), QStringLiteral("Русый"),
                                  QStringLiteral("Карие"), QStringLiteral("Рак"), QStringLiteral("Люблю читать"),
                                  QStringLiteral("Друга"), QStringLiteral("Тверь"), QString(),
                                  QStringLiteral(" %1").arg(sex), QString(), QString()});
}

// The heights of the rows of the page's table, header row left out; a row
// holding `leaveOut` in its text is left out too.
QList<int> rowHeights(QWebEngineView& view, const QString& leaveOut = QStringLiteral("\u0001"))
{
    QList<int> heights;
    const QVariantList rows = webtest::runJs(view, QStringLiteral(
        "Array.prototype.slice.call(document.querySelectorAll('table tr'), 1)"
        ".filter(function (r) { return r.textContent.indexOf('%1') < 0; })"
        ".map(function (r) { return Math.round(r.getBoundingClientRect().height); })").arg(leaveOut)).toList();
    for (const QVariant& row : rows)
        heights << row.toInt();
    return heights;
}

// Whether the page is no wider than the view: nothing to scroll sideways.
bool fitsSideways(QWebEngineView& view)
{
    return webtest::runJs(view, QStringLiteral("document.scrollingElement.scrollWidth <= "
                                               "document.scrollingElement.clientWidth")).toBool();
}

}  // namespace

class TestX11Screen : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("version")}) == 0, "xdotool is needed");
    }

    // Text typed top to bottom with Tab between the fields lands in each
    // field in turn: name, year, "Подробнее:", height, weight, the three
    // lists (chosen with the arrow key), about, seeking, address, photo.
    void cardFilledWithTheKeyboardAlone()
    {
        QtPlatform platform;
        App app(platform);
        app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(app);
        KartochkaDialog dialog(app);
        dialog.move(40, 40);
        dialog.show();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* name = qobject_cast<QLineEdit*>(dialog.binder().widget(QStringLiteral("txtNameFamiliya")));
        QTRY_VERIFY(name->hasFocus());

        // One xdotool run a step: its "type" takes the rest of the line as text.
        const QStringList tab{QStringLiteral("key"), QStringLiteral("Tab")};
        const QStringList down{QStringLiteral("key"), QStringLiteral("Down")};
        auto type = [](const char* text) {
            return QStringList{QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                               QLatin1String(text)};
        };
        const QList<QStringList> steps{type("Ivan Petrov"), tab, type("85"), tab,
                                       {QStringLiteral("key"), QStringLiteral("space")}, tab, type("1.80"), tab,
                                       type("75"), tab, down, tab, down, down, tab, down, down, down, tab,
                                       type("Quiet evenings"), tab,
                                       type("A kind heart"), tab, type("Tver, Lenina 1"), tab,
                                       type("/home/ivan/me.jpg")};
        for (const QStringList& step : steps)
            QVERIFY(xdotool(step));

        const FrmKartochka& m = app.frmKartochka;
        auto typed = [&m] {
            QStringList texts{m.txtNameFamiliya.text, m.txtDataRogdeniya.text};
            for (const Control& c : m.txtInfo)
                texts << c.text;
            for (size_t i : {0, 2, 3})
                texts << m.lstRaznoe[i].text;
            return texts;
        };
        // Every key has arrived once the last text has, wherever it went.
        (void)QTest::qWaitFor([&] { return typed().join(QLatin1Char('|')).contains(QStringLiteral("me.jpg")); }, 5000);
        QCOMPARE(typed(), (QStringList{QStringLiteral("Ivan Petrov"), QStringLiteral("1985"), QStringLiteral("1.80"),
                                       QStringLiteral("75"), QStringLiteral("Quiet evenings"),
                                       QStringLiteral("A kind heart"), QStringLiteral("Tver, Lenina 1"),
                                       QStringLiteral("/home/ivan/me.jpg"), QStringLiteral("Брюнет"),
                                       QStringLiteral("Карие"), QStringLiteral("Рак")}));
        QVERIFY(m.chPodrobnee.checked);
        saveScreen(shotsFolder(tmp) + QStringLiteral("/card-keyboard.png"));
    }

    // Esc closes the secondary window as its close box does: the window
    // goes and the people and pair lists are released.
    void escapeClosesTheListWindow()
    {
        QtPlatform platform;
        App app(platform);
        MainWindow window(app, platform);
        AppState& st = app.st;
        st.people.People.resize(3);
        st.people.PeopleLast = 2;
        st.pairs.Pairs.resize(3);
        st.pairs.PairsLast = 2;
        st.list.Mode = HtmlWindowMode::WholeTest;
        st.list.ListHtml = QStringLiteral("<html><body><p>Весь тест</p></body></html>");
        bool pressed = false;
        bool forced = false;
        QTimer::singleShot(0, this, [&] {
            HtmlWindow* shown = nullptr;
            QTRY_VERIFY((shown = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget())) != nullptr);
            QVERIFY(QTest::qWaitForWindowActive(shown));
            QVERIFY(webtest::waitForText(*shown->view(), QStringLiteral("Весь тест")));
            // The person clicks into the page first: the key goes to the view.
            const QPoint inside = shown->view()->mapToGlobal(shown->view()->rect().center());
            QVERIFY(xdotool({QStringLiteral("mousemove"), QString::number(inside.x()), QString::number(inside.y()),
                             QStringLiteral("click"), QStringLiteral("1")}));
            QTRY_VERIFY(shown->view()->focusProxy() && shown->view()->focusProxy()->hasFocus());
            pressed = xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            QPointer<HtmlWindow> guard(shown);
            QTimer::singleShot(5000, this, [&forced, guard] {
                if (guard) {
                    forced = true;
                    guard->close();
                }
            });
        });
        ShowHtmlWindow(app);
        QVERIFY(pressed);
        QVERIFY2(!forced, "Esc left the window open");
        QCOMPARE(st.people.PeopleLast, -1);
        QCOMPARE(st.people.People.size(), 1);
        QCOMPARE(st.pairs.PairsLast, -1);
        QCOMPARE(st.pairs.Pairs.size(), 1);
    }

    // One very long name leaves every other row of the list and of the
    // ranking as high as a row of short names: no link cell wraps.
    void longNameWrapsNoRow()
    {
        const QString folder = tmp.path() + QStringLiteral("/names/");
        QVERIFY(QDir().mkpath(folder));
        QString longName = QStringLiteral("Анна-Мария");
        while (longName.size() < 300)
            longName += QStringLiteral(" Константинопольская");
        const QStringList women{QStringLiteral("Ольга Соколова"), longName, QStringLiteral("Вера Иванова")};
        for (int i = 0; i < women.size(); ++i)
            fixtures::writeBytes(folder + QStringLiteral("w%1.tnw").arg(i), personFile(women[i], 1, QStringLiteral("012")));
        const QStringList men{QStringLiteral("Пётр Орлов"), QStringLiteral("Иван Ким")};
        for (int i = 0; i < men.size(); ++i)
            fixtures::writeBytes(folder + QStringLiteral("m%1.tnm").arg(i), personFile(men[i], 0, QStringLiteral("011")));

        QtPlatform platform;
        App app(platform);
        MainWindow window(app, platform);
        app.st.folders.WorkFolder = folder;
        QList<int> list;
        QList<int> ranking;
        QTimer::singleShot(0, this, [&] {
            HtmlWindow* shown = nullptr;
            QTRY_VERIFY((shown = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget())) != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(shown));
            QVERIFY(webtest::waitForText(*shown->view(), QStringLiteral("всего: 3")));
            QTRY_VERIFY(!shown->view()->isPainting());
            list = rowHeights(*shown->view());
            QVERIFY(fitsSideways(*shown->view()));
            saveScreen(shotsFolder(tmp) + QStringLiteral("/list-long-name.png"));
            app.frmHTML.closeRequested = true;
            shown->binder().sync();
        });
        FileListLudey_Click(app, 1);
        QCOMPARE(list.size(), 3);
        for (int height : list)
            QCOMPARE(height, list.first());

        QTimer::singleShot(0, this, [&] {
            HtmlWindow* shown = nullptr;
            QTRY_VERIFY((shown = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget())) != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(shown));
            QVERIFY(webtest::waitForText(*shown->view(), QStringLiteral("всего: 2")));
            // "Поиск пары" for a man: the ranking lists the women.
            VyborKartochki(app, Command(QStringLiteral("p0")));
            shown->binder().sync();
            QVERIFY(webtest::waitForText(*shown->view(), QStringLiteral("Константинопольская")));
            QTRY_VERIFY(!shown->view()->isPainting());
            // The ranking shows the name as text, wrapped in its own row;
            // the other rows stay one line high.
            ranking = rowHeights(*shown->view(), QStringLiteral("Константинопольская"));
            QVERIFY(fitsSideways(*shown->view()));
            saveScreen(shotsFolder(tmp) + QStringLiteral("/ranking-long-name.png"));
            app.frmHTML.closeRequested = true;
            shown->binder().sync();
        });
        FileListLudey_Click(app, 0);
        QCOMPARE(ranking.size(), 2);
        QCOMPARE(ranking.first(), list.first());
        QCOMPARE(ranking.last(), list.first());
    }

    // At its opening size on this 1280 × 900 screen the main window shows a
    // question with a picture, a 360 × 270 video and five answers whole: the
    // page needs no scrolling and the window fits the screen.
    void mediaQuestionAtOpeningSize()
    {
        const QString program = tmp.path() + QStringLiteral("/program/");
        const QString folder = tmp.path() + QStringLiteral("/media/");
        QVERIFY(QDir().mkpath(program));
        QVERIFY(QDir().mkpath(folder));
        const QString build = qEnvironmentVariable("TANDEMO_BUILD") + QLatin1Char('/');
        for (const char* file : {"Help.htm", "znak0.jpg", "znak1.jpg"})
            QVERIFY(QFile::copy(build + QLatin1String(file), program + QLatin1String(file)));
        QVERIFY(QFile::copy(qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/tests/clips/clip.webm"),
                            folder + QStringLiteral("clip.webm")));
        QImage picture(200, 150, QImage::Format_RGB32);
        picture.fill(QColor(70, 130, 180));
        QVERIFY(picture.save(folder + QStringLiteral("sea.jpg")));

        QtPlatform platform;
        platform.setExecutableFolder(program);
        App app(platform);
        MainWindow window(app, platform);
        Main(app);
        AppState& st = app.st;
        st.folders.WorkFolder = folder;
        st.test.QuestionCount = 1;
        st.test.Questions.resizeFresh(1);
        clsTest& q = st.test.Questions[1];
        q.Vopros = QStringLiteral("Где вы хотели бы провести отпуск?<br><img border=\"0\" src=\"sea.jpg\"><br>"
                                  "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"clip.webm\" "
                                  "Type=\"video/x-ms-asf-plugin\" name=\"videonn\" AutoStart=1 quality=high "
                                  "ShowControls=1 ControlType=1 width=\"360\" height=\"270\"></EMBED></OBJECT>");
        q.CountOtvetov = 4;
        const QStringList answers{QStringLiteral("На море, у тёплой воды"), QStringLiteral("В горах, в походе с палаткой"),
                                  QStringLiteral("В большом городе с музеями"), QStringLiteral("На даче с друзьями"),
                                  QStringLiteral("Дома, с книгой")};
        for (int i = 0; i < answers.size(); ++i)
            q.AddOtvety(i, answers[i]);
        q.NomerOtveta = -1;
        st.main.Phase = TestPhase::Attempt;
        st.main.CurrentQuestion = 1;
        Wopros(app);
        window.syncFromModel();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        WebView& view = *window.view();
        QVERIFY(webtest::waitForText(view, QStringLiteral("Дома, с книгой")));
        QTRY_VERIFY_WITH_TIMEOUT(webtest::runJs(view, QStringLiteral("document.querySelector('video').readyState"))
                                         .toInt() >= 1 &&
                                     webtest::runJs(view, QStringLiteral("document.querySelector('img[src$=\"sea.jpg\"]')"
                                                                         ".naturalWidth")).toInt() == 200,
                                 20000);
        QTRY_VERIFY(!view.isPainting());

        const QRect free = window.screen()->availableGeometry();
        QCOMPARE(free.size(), QSize(1280, 900));
        QTRY_VERIFY(window.frameGeometry().height() > window.height());
        QVERIFY2(free.contains(window.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                      .arg(window.frameGeometry().x())
                                                                      .arg(window.frameGeometry().y())
                                                                      .arg(window.frameGeometry().width())
                                                                      .arg(window.frameGeometry().height())));
        const QVariantList fit = webtest::runJs(view, QStringLiteral(
            "(function () { var e = document.scrollingElement;"
            " var links = document.querySelectorAll('a');"
            " var last = links[links.length - 1].getBoundingClientRect();"
            " var v = document.querySelector('video').getBoundingClientRect();"
            " return [e.scrollHeight, e.clientHeight, e.scrollWidth, e.clientWidth, Math.ceil(last.bottom),"
            " Math.round(v.width), Math.round(v.height)]; })()")).toList();
        QCOMPARE(fit.size(), 7);
        const QString figures = QStringLiteral("page %1x%2 in %3x%4, last answer ends at %5")
                                    .arg(fit[2].toInt()).arg(fit[0].toInt()).arg(fit[3].toInt())
                                    .arg(fit[1].toInt()).arg(fit[4].toInt());
        qInfo("%s", qPrintable(figures));
        QCOMPARE(fit[5].toInt(), 360);
        QCOMPARE(fit[6].toInt(), 270);
        QVERIFY2(fit[0].toInt() <= fit[1].toInt(), qPrintable(figures));
        QVERIFY2(fit[2].toInt() <= fit[3].toInt(), qPrintable(figures));
        QVERIFY2(fit[4].toInt() <= fit[1].toInt(), qPrintable(figures));
        saveScreen(shotsFolder(tmp) + QStringLiteral("/media-question.png"));
        st.main.Phase = TestPhase::StartPage;
    }

    // The "Файл удален." box on this desktop, for a person to look at; its
    // width is checked where the title's room is measured.
    void fileDeletedBoxOnScreen()
    {
        QtPlatform platform;
        bool shown = false;
        QTimer::singleShot(0, this, [&] {
            QMessageBox* box = nullptr;
            QTRY_VERIFY((box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(box));
            box->move(60, 60);
            saveScreen(shotsFolder(tmp) + QStringLiteral("/file-deleted.png"));
            shown = true;
            box->button(QMessageBox::Ok)->click();
        });
        platform.messageBox(QStringLiteral("Файл удален."), QStringLiteral("Тандемо"), MsgButtons::Ok,
                            MsgIcon::Information, MsgAnswer::Ok);
        QVERIFY(shown);
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Screen)
#include "tst_x11screen.moc"
