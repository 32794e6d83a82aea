// What a page may command and what it may show: a command acts only from the
// page on screen that offers it, outside links only for the desktop's browser
// and mail, files only those the page may show.
#include "../people/PeopleFolder.h"
#include "../taking/TakingFixture.h"

#include "screens/document/FrmPassW.h"
#include "screens/people/PeopleList.h"
#include "screens/taking/TestFlow.h"
#include "shell/VyborOtveta.h"
#include "screens/views/FrmHTML.h"
#include "ground/windows/HtmlView.h"
#include "engines/PageFiles.h"
#include "engines/Picture.h"
#include "screens/views/Splash.h"
#include "shell/ListCommands.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int shownPage(const App& app) { return app.frmForma.usrWeb1.loads; }

// A click in the main view on the page that is on screen now.
void clickMain(App& app, const QString& link) { MainViewLink(app, shownPage(app), link); }

QList<int> answers(const App& app)
{
    QList<int> chosen;
    for (int q = 1; q <= app.st.test.QuestionCount; ++q)
        chosen << app.st.test.Questions[q].NomerOtveta;
    return chosen;
}

bool readable(const PageFiles& allowed, const QString& path)
{
    const int fd = OpenPageFile(allowed, path);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

}  // namespace

class TestPageCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The question page the browser brought back (the mouse's Back button)
    // must not record an answer for the question the program is on.
    void anEarlierPageCommandsNothing()
    {
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 4);
        ReStart(s.app, 0);
        clickMain(s.app, Command(QStringLiteral("s")) + QLatin1Char('/'));
        clickMain(s.app, bareLink(QStringLiteral("1")));
        const int question2 = shownPage(s.app);
        clickMain(s.app, bareLink(QStringLiteral("2")));
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);

        MainViewLink(s.app, question2, bareLink(QStringLiteral("0")));
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        QCOMPARE(answers(s.app), (QList<int>{1, 2, -1, -1}));

        // The page on screen still answers.
        clickMain(s.app, bareLink(QStringLiteral("0")));
        QCOMPARE(answers(s.app), (QList<int>{1, 2, 0, -1}));
        QCOMPARE(s.app.st.main.CurrentQuestion, 4);
    }

    // "Поиск пары" of the end page searches for the person just saved, and
    // for nobody once the next person's start page is up.
    void pairSearchOnlyForTheAttemptJustSaved()
    {
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 2);
        ReStart(s.app, 0);
        clickMain(s.app, Command(QStringLiteral("s")) + QLatin1Char('/'));
        clickMain(s.app, bareLink(QStringLiteral("1")));
        clickMain(s.app, bareLink(QStringLiteral("0")));
        clickMain(s.app, bareLink(QStringLiteral("r")));
        QCOMPARE(s.app.st.main.Phase, TestPhase::Finished);
        const int endPage = shownPage(s.app);
        s.pf.modals.clear();
        const QString pairLink = Command(QStringLiteral("p")) + QLatin1Char('/');

        ReStart(s.app, 0);
        MainViewLink(s.app, endPage, pairLink);
        VyborOtveta(s.app, pairLink);
        QVERIFY(s.pf.modals.isEmpty());
        QVERIFY(s.app.st.CardFields[1].NameFamiliya.isEmpty());

        // Next person: the link shows up only on that person's end page.
        s.name = QStringLiteral("Ирина");
        clickMain(s.app, Command(QStringLiteral("s")) + QLatin1Char('/'));
        clickMain(s.app, bareLink(QStringLiteral("0")));
        clickMain(s.app, bareLink(QStringLiteral("0")));
        clickMain(s.app, bareLink(QStringLiteral("r")));
        s.pf.modals.clear();
        clickMain(s.app, pairLink);
        QCOMPARE(s.pf.modals, QList<WindowId>{WindowId::Html});
        QCOMPARE(s.app.st.CardFields[1].NameFamiliya, QStringLiteral("Ирина"));
    }

    // Links a page does not offer, or offers in another state: made up in a
    // question, on a test that is not ready, a splash command elsewhere.
    void commandsOnlyFromThePageThatOffersThem_data()
    {
        QTest::addColumn<int>("notReady");
        QTest::addColumn<bool>("attempt");
        QTest::addColumn<QString>("code");
        QTest::newRow("start on a test not ready") << 1 << false << QStringLiteral("s");
        QTest::newRow("list from a test not ready") << 1 << false << QStringLiteral("m");
        QTest::newRow("new test from the start page") << 0 << false << QStringLiteral("n");
        QTest::newRow("open from the start page") << 0 << false << QStringLiteral("o");
        QTest::newRow("splash from the start page") << 0 << false << QStringLiteral("b");
        QTest::newRow("start written into a question") << 0 << true << QStringLiteral("s");
        QTest::newRow("list written into a question") << 0 << true << QStringLiteral("w");
        QTest::newRow("search written into a question") << 0 << true << QStringLiteral("i");
        QTest::newRow("pair search written into a question") << 0 << true << QStringLiteral("p");
        QTest::newRow("open written into a question") << 0 << true << QStringLiteral("o");
    }
    void commandsOnlyFromThePageThatOffersThem()
    {
        QFETCH(int, notReady);
        QFETCH(bool, attempt);
        QFETCH(QString, code);
        QTemporaryDir tmp;
        TakingSession s(tmp.path() + QLatin1Char('/'), 2);
        const QString link = Command(code);
        s.app.st.test.Questions[1].Vopros = QStringLiteral("Вопрос <a href='") + link + QStringLiteral("'>тут</a>");
        ReStart(s.app, notReady);
        if (attempt) {
            clickMain(s.app, Command(QStringLiteral("s")) + QLatin1Char('/'));
            QVERIFY(s.app.frmForma.usrWeb1.text.contains(link));
        }
        s.pf.modals.clear();
        const QString page = s.app.frmForma.usrWeb1.text;
        const TestPhase phase = s.app.st.main.Phase;

        clickMain(s.app, link + QLatin1Char('/'));
        QVERIFY(s.pf.modals.isEmpty());
        QVERIFY(s.pf.fileDialogs.isEmpty());
        QCOMPARE(s.app.frmForma.usrWeb1.text, page);
        QCOMPARE(s.app.st.main.Phase, phase);
        QCOMPARE(answers(s.app), attempt ? (QList<int>{-1, -1}) : answers(s.app));
    }

    // Only http, https and mailto leave the program; a file: address or
    // another program's scheme could start anything.
    void outsideLinks_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("opened");
        QTest::newRow("http") << QStringLiteral("http://example.org/знакомства") << true;
        QTest::newRow("https") << QStringLiteral("https://podari-zhizn.ru/") << true;
        QTest::newRow("mailto") << QStringLiteral("mailto:agency@example.org") << true;
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
        QTest::newRow("a scheme that begins with http") << QStringLiteral("httpfs://host/etc/passwd") << false;
        QTest::newRow("custom scheme") << QStringLiteral("steam://run/12345678") << false;
        QTest::newRow("script") << QStringLiteral("javascript:alert(document.cookie)") << false;
        QTest::newRow("http without a host") << QStringLiteral("http:/etc/passwd/aaaaaaa") << false;
        QTest::newRow("the page scheme") << QStringLiteral("tandemo://page/1/index.html") << false;
    }
    void outsideLinks()
    {
        QFETCH(QString, link);
        QFETCH(bool, opened);
        ScriptedPlatform pf;
        App app(pf);
        OpenExternalLink(app, link);
        QCOMPARE(pf.openedUrls, opened ? QStringList{link} : QStringList{});
        // The main view's receiver: anything longer than a command.
        if (link.size() > 16) {
            pf.openedUrls.clear();
            VyborOtveta(app, link);
            QCOMPARE(pf.openedUrls, opened ? QStringList{link} : QStringList{});
        }
    }

    // A card page of another person, still on screen for a moment or
    // brought back, must not delete the card now in slot 1.
    void secondaryViewCommandsOnlyFromThePageOnScreen()
    {
        PeopleFolder f;
        f.person(QStringLiteral("a.tnw"), QStringLiteral("Анна"), 1985, QStringLiteral("x"));
        f.person(QStringLiteral("b.tnw"), QStringLiteral("Ольга"), 1990, QStringLiteral("x"));
        f.app.st.people.ListWomen = true;
        f.app.st.list.Mode = HtmlWindowMode::PeopleList;
        ListLudeyLoad(f.app);
        Control& view = f.app.frmHTML.usrWebHtml1;

        ListViewLink(f.app, view.loads, Command(QStringLiteral("l0")) + QLatin1Char('/'));
        QCOMPARE(f.app.st.CardFields[1].NameFamiliya, QStringLiteral("Анна"));
        const int annaPage = view.loads;
        ListViewLink(f.app, view.loads, Command(QStringLiteral("n")) + QLatin1Char('/'));
        ListViewLink(f.app, view.loads, Command(QStringLiteral("l1")) + QLatin1Char('/'));
        QCOMPARE(f.app.st.CardFields[1].NameFamiliya, QStringLiteral("Ольга"));

        ListViewLink(f.app, annaPage, Command(QStringLiteral("d")) + QLatin1Char('/'));
        QVERIFY(!f.pf.modals.contains(WindowId::PassW));
        QVERIFY(QFile::exists(f.path(QStringLiteral("a.tnw"))));
        QVERIFY(QFile::exists(f.path(QStringLiteral("b.tnw"))));
        QCOMPARE(f.app.st.list.Mode, HtmlWindowMode::CardPage);
        QCOMPARE(f.app.st.CardFields[1].NameFamiliya, QStringLiteral("Ольга"));

        // The page on screen deletes the card it shows, behind its password.
        f.pf.onModal[WindowId::PassW] = [&f] {
            f.app.frmPassW.TPW.text = QStringLiteral("x");
            frmPassW_TPW_Change(f.app);
            frmPassW_OK_Click(f.app);
        };
        ListViewLink(f.app, view.loads, Command(QStringLiteral("d")) + QLatin1Char('/'));
        QVERIFY(QFile::exists(f.path(QStringLiteral("a.tnw"))));
        QVERIFY(!QFile::exists(f.path(QStringLiteral("b.tnw"))));
    }

    void filesAPageMayShow_data()
    {
        QTest::addColumn<QString>("name");  // under the test folder unless absolute
        QTest::addColumn<bool>("listed");   // named by the page one by one
        QTest::addColumn<bool>("served");
        QTest::newRow("picture in the test folder") << QStringLiteral("кот.jpg") << false << true;
        QTest::newRow("picture in a subfolder") << QStringLiteral("media/клип.mp4") << false << true;
        QTest::newRow("the photo of the card on screen") << QStringLiteral("OUTSIDE/фото.jpg") << true << true;
        QTest::newRow("another file outside") << QStringLiteral("OUTSIDE/фото.jpg") << false << false;
        QTest::newRow("system file") << QStringLiteral("/etc/passwd") << false << false;
        // A photo is named by whoever filled in the card: only a picture by
        // its content is shown, wherever it lies.
        QTest::newRow("system file named as a photo") << QStringLiteral("/etc/passwd") << true << false;
        QTest::newRow("text named as a photo outside") << QStringLiteral("OUTSIDE/текст.jpg") << true << false;
        QTest::newRow("text named as a photo in the test folder") << QStringLiteral("текст.jpg") << true << false;
        QTest::newRow("text in the test folder") << QStringLiteral("текст.jpg") << false << true;
        QTest::newRow("kernel file") << QStringLiteral("/proc/self/pagemap") << true << false;
        QTest::newRow("kernel status") << QStringLiteral("/proc/self/status") << true << false;
        QTest::newRow("sysfs") << QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled") << true << false;
        QTest::newRow("device") << QStringLiteral("/dev/zero") << true << false;
        QTest::newRow("pipe") << QStringLiteral("труба.jpg") << true << false;
        QTest::newRow("link leading out") << QStringLiteral("ссылка.jpg") << false << false;
        QTest::newRow("dots leading out") << QStringLiteral("media/../../OUTSIDE/фото.jpg") << false << false;
        QTest::newRow("folder") << QStringLiteral("media") << true << false;
        QTest::newRow("missing") << QStringLiteral("нет.jpg") << true << false;
    }
    void filesAPageMayShow()
    {
        QFETCH(QString, name);
        QFETCH(bool, listed);
        QFETCH(bool, served);
        QTemporaryDir tmp;
        const QString root = tmp.path() + QLatin1Char('/');
        const QString folder = root + QStringLiteral("тест/");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("media")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("OUTSIDE")));
        const QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);
        for (const auto& [file, bytes] :
             {std::pair{folder + QStringLiteral("кот.jpg"), jpeg}, {folder + QStringLiteral("media/клип.mp4"), QByteArray("clip")},
              {root + QStringLiteral("OUTSIDE/фото.jpg"), jpeg}, {root + QStringLiteral("OUTSIDE/текст.jpg"), QByteArray("text")},
              {folder + QStringLiteral("текст.jpg"), QByteArray("text")}}) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bytes);
        }
        QVERIFY(mkfifo(QFile::encodeName(folder + QStringLiteral("труба.jpg")).constData(), 0600) == 0);
        QVERIFY(QFile::link(QStringLiteral("/etc/passwd"), folder + QStringLiteral("ссылка.jpg")));

        const QString path = name.startsWith(QLatin1Char('/')) ? name
                             : name.startsWith(QLatin1String("OUTSIDE")) ? root + name
                                                                         : folder + name;
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.WorkFolder = folder;
        app.st.folders.AppFolder = root + QStringLiteral("программа/");
        Control view(QStringLiteral("usrWeb1"));
        LoadHtml(view, QStringLiteral("<html></html>"));
        if (listed)
            view.files = {path};
        // A pipe must be refused at once, not waited on.
        QCOMPARE(readable(ShownPageFiles(app, view), path), served);
    }

    void picturesByContent_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("picture");
        QTest::newRow("JPEG") << QByteArray("\xFF\xD8\xFF\xDB\x00\x43", 6) << true;
        QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n\x00\x00", 10) << true;
        QTest::newRow("GIF 87") << QByteArray("GIF87a\x01\x00") << true;
        QTest::newRow("GIF 89") << QByteArray("GIF89a\x01\x00") << true;
        QTest::newRow("BMP") << QByteArray("BM\x36\x00\x0C\x00\x00\x00\x00\x00\x36\x00", 12) << true;
        QTest::newRow("WebP") << QByteArray("RIFF\x24\x00\x00\x00WEBPVP8 ", 16) << true;
        QTest::newRow("text") << QByteArray("root:x:0:0:root") << false;
        QTest::newRow("text beginning BM") << QByteArray("BMW is a car maker") << false;
        QTest::newRow("WAV sound") << QByteArray("RIFF\x24\x00\x00\x00WAVEfmt ", 16) << false;
        QTest::newRow("JPEG cut short") << QByteArray("\xFF\xD8", 2) << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void picturesByContent()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, picture);
        QCOMPARE(IsPictureContent(head), picture);
    }

    void pageFilesFollowThePage()
    {
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.WorkFolder = QStringLiteral("/тест/");
        app.st.folders.AppFolder = QStringLiteral("/opt/tandemo/");
        app.st.folders.SplashPicture = QStringLiteral("/home/оператор/заставка.jpg");
        ShowZastavka(app);
        PageFiles files = ShownPageFiles(app, app.frmForma.usrWeb1);
        QCOMPARE(files.folders, (QStringList{QStringLiteral("/тест/"), QStringLiteral("/opt/tandemo/")}));
        QCOMPARE(files.files, QStringList{app.st.folders.SplashPicture});
        // The next page shows no splash picture, and a photo by bare name is
        // the test folder's.
        LoadHtml(app.frmForma.usrWeb1, QStringLiteral("<html></html>"));
        QVERIFY(ShownPageFiles(app, app.frmForma.usrWeb1).files.isEmpty());
        app.frmForma.usrWeb1.files = {QStringLiteral("фото.jpg")};
        QCOMPARE(ShownPageFiles(app, app.frmForma.usrWeb1).files, QStringList{QStringLiteral("/тест/фото.jpg")});
    }

    // The splash picture's path is text in an attribute: an apostrophe in a
    // file name neither breaks the picture nor adds anything to the page.
    void splashPictureNameStaysAName_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("src");
        QTest::newRow("apostrophe") << QStringLiteral("/картинки/it's.jpg") << QStringLiteral("/картинки/it&#39;s.jpg");
        QTest::newRow("crafted") << QStringLiteral("/x.jpg' onerror='alert(1)")
                                 << QStringLiteral("/x.jpg&#39; onerror=&#39;alert(1)");
        QTest::newRow("markup") << QStringLiteral("/a<b>&c.jpg") << QStringLiteral("/a&lt;b&gt;&amp;c.jpg");
    }
    void splashPictureNameStaysAName()
    {
        QFETCH(QString, picture);
        QFETCH(QString, src);
        ScriptedPlatform pf;
        App app(pf);
        app.st.folders.SplashPicture = picture;
        ShowZastavka(app);
        QVERIFY(app.st.main.MainHtml.endsWith(QStringLiteral("<img border='0' src='") + src +
                                         QStringLiteral("'></td></table></body></html>")));
    }

    // The waiting page is given to the view and the window allowed to paint
    // before the scan starts, and the scan lets it repaint as it goes.
    void waitingPageBeforeAndDuringTheScan()
    {
        PeopleFolder f;
        for (int i = 0; i < 300; ++i)
            f.person(QStringLiteral("p%1.tnm").arg(i), QStringLiteral("Иван %1").arg(i), 1980);
        f.app.st.people.ListWomen = false;
        f.app.st.list.Mode = HtmlWindowMode::PeopleList;
        QStringList paintedAtYield;
        f.pf.onProcessEvents = [&] { paintedAtYield << f.page(); };
        QStringList shownDuringScan;
        f.pf.onKeepPainting = [&] { shownDuringScan << f.page(); };
        f.app.frmHTML.Timer1.enabled = true;
        frmHTML_Timer(f.app);

        QCOMPARE(paintedAtYield.size(), 1);
        QVERIFY(paintedAtYield[0].contains(QStringLiteral("Загрузка данных...")));
        QVERIFY(shownDuringScan.size() >= 4);
        for (const QString& page : shownDuringScan)
            QVERIFY(page.contains(QStringLiteral("Загрузка данных...")));
        QVERIFY(f.page().contains(QStringLiteral("(всего: 300)")));
    }
};

QTEST_GUILESS_MAIN(TestPageCommands)
#include "tst_pagecommands.moc"
