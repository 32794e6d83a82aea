#include "WebTestSupport.h"

#include "screens/editor/NewTest.h"
#include "engines/TestFile.h"
#include "screens/editor/Media.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "screens/taking/QuestionPage.h"
#include "screens/document/FileCommands.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {
class RecordingPlatform : public QtPlatform {
public:
    QStringList messages;
    QString fileAnswer;
    QString fileDialog(bool, const QString&, const QList<FileFilter>&, const QString&) override
    {
        return std::exchange(fileAnswer, QString());
    }
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon, MsgAnswer) override
    {
        messages << text;
        return MsgAnswer::Ok;
    }
};

// The stored fragments, written out here as an installation elsewhere expects them.
const QString kVideo = QStringLiteral(
    "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"clip.webm\" Type=\"video/x-ms-asf-plugin\" "
    "name=\"videonn\" AutoStart=1 quality=high ShowControls=1 ControlType=1 width=\"360\" "
    "height=\"270\"></EMBED></OBJECT>");
const QString kAudio = QStringLiteral(
    "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"tone.wav\" Type=\"video/x-ms-asf-plugin\" "
    "name=\"videonn\" AutoStart=1></EMBED></OBJECT>");
const QString kAvi = QStringLiteral(
    "<OBJECT type=\"application/x-oleobject\"><EMBED src=\"old.avi\" Type=\"video/x-ms-asf-plugin\" "
    "name=\"videonn\" AutoStart=1 quality=high ShowControls=1 ControlType=1 width=\"360\" "
    "height=\"270\"></EMBED></OBJECT>");

// State of the first element matching `selector`, as the page reports it.
const char* kMediaState = R"JS(
(function () {
  var m = document.querySelector("%1");
  if (!m) return null;
  var r = m.getBoundingClientRect();
  return { ready: m.readyState, paused: m.paused, ended: m.ended, time: m.currentTime, error: m.error ? m.error.code : 0,
           width: Math.round(r.width), height: Math.round(r.height), frameWidth: m.videoWidth || 0 };
})()
)JS";
}  // namespace

class TestMediaPlayback : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString folder;

    struct Running {
        RecordingPlatform platform;
        App app{platform};
        MainWindow window{app, platform};
    };

    QVariantMap state(QWebEngineView& view, const char* selector)
    {
        return webtest::runJs(view, QString::fromLatin1(kMediaState).arg(QLatin1String(selector))).toMap();
    }

    // Ready to play and playing: data for the current position, not paused,
    // and the position has moved.
    bool playing(QWebEngineView& view, const char* selector)
    {
        const QVariantMap s = state(view, selector);
        return s.value(QStringLiteral("ready")).toInt() >= 2 && !s.value(QStringLiteral("paused")).toBool() &&
               s.value(QStringLiteral("time")).toDouble() > 0;
    }

    // The editor on question 1 of a two-question test.
    void startEditor(Running& r)
    {
        r.platform.setExecutableFolder(tmp.path());
        Main(r.app);
        r.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&r.window));
        AppState& st = r.app.st;
        st.test.TestName = QStringLiteral("Ролики");
        st.test.QuestionCount = 2;
        st.test.Questions.resizeFresh(2);
        for (int q = 1; q <= 2; ++q) {
            st.test.Questions[q].Vopros = QStringLiteral("Вопрос %1").arg(q);
            st.test.Questions[q].CountOtvetov = 1;
            st.test.Questions[q].AddOtvety(0, QStringLiteral("да"));
            st.test.Questions[q].AddOtvety(1, QStringLiteral("нет"));
        }
        NewTest(r.app, 0);
        r.window.syncFromModel();
        r.window.activateWindow();
    }

private Q_SLOTS:
    void initTestCase()
    {
        folder = tmp.path() + QStringLiteral("/тест с роликами/");
        QVERIFY(QDir().mkpath(folder));
        const QString clips = qEnvironmentVariable("TANDEMO_SOURCE") + QStringLiteral("/tests/clips/");
        for (const char* name : {"clip.webm", "tone.wav", "old.avi"})
            QVERIFY(QFile::copy(clips + QLatin1String(name), folder + QLatin1String(name)));
    }

    void clipsInsertedStoredAndPlayed()
    {
        Running r;
        startEditor(r);
        AppState& st = r.app.st;

        // The author types the question and puts both clips in from the menu.
        auto* txt = qobject_cast<QLineEdit*>(r.window.widget(QStringLiteral("Txt")));
        txt->setFocus();
        QTRY_VERIFY(txt->hasFocus());
        txt->selectAll();
        QTest::keyClicks(txt, QStringLiteral("Watch "));
        r.platform.fileAnswer = folder + QStringLiteral("clip.webm");
        r.window.action(QStringLiteral("EditAddFile(1)"))->trigger();
        r.platform.fileAnswer = folder + QStringLiteral("tone.wav");
        r.window.action(QStringLiteral("EditAddFile(2)"))->trigger();
        QCOMPARE(st.test.Questions[1].Vopros, QStringLiteral("Watch ") + kVideo + kAudio);
        QVERIFY(r.platform.messages.isEmpty());
        // The same sound inside an answer, and a clip that cannot play.
        r.platform.fileAnswer = folder + QStringLiteral("tone.wav");
        st.test.Questions[1].AddOtvety(0, OpenVideoDialog(r.app, 2) + QStringLiteral(" да"));
        r.platform.fileAnswer = folder + QStringLiteral("old.avi");
        st.test.Questions[2].Vopros = QStringLiteral("Старый ") + OpenVideoDialog(r.app, 1);
        QCOMPARE(r.platform.messages.size(), 1);

        // The test file holds the fragments byte for byte.
        SaveTest(r.app, folder + QStringLiteral("тест.tnd"));
        QCOMPARE(r.platform.messages.size(), 1);
        QFile saved(folder + QStringLiteral("тест.tnd"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QStringEncoder cp1251("windows-1251");
        for (const QString& line : {QStringLiteral("Watch ") + kVideo + kAudio, kAudio + QStringLiteral(" да"),
                                    QStringLiteral("Старый ") + kAvi}) {
            const QByteArray expected = QByteArray("\r\n") + QByteArray(cp1251.encode(line)) + "\r\n";
            QVERIFY2(bytes.contains(expected), qPrintable(line));
        }

        // A person takes the reopened test: the question page plays both clips.
        OpenTest(r.app, folder + QStringLiteral("тест.tnd"));
        st.main.Phase = TestPhase::Attempt;
        st.main.CurrentQuestion = 1;
        for (int q = 1; q <= 2; ++q)
            st.test.Questions[q].NomerOtveta = -1;
        Wopros(r.app);
        r.window.syncFromModel();
        WebView& view = *r.window.view();
        QVERIFY(webtest::waitForText(view, QStringLiteral("Watch")));
        QTRY_VERIFY2_WITH_TIMEOUT(playing(view, "body > font video"),
                                  QJsonDocument::fromVariant(state(view, "body > font video")).toJson().constData(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(playing(view, "body > font audio"), 20000);
        const QVariantMap video = state(view, "video");
        QCOMPARE(video.value(QStringLiteral("width")).toInt(), 360);
        QCOMPARE(video.value(QStringLiteral("height")).toInt(), 270);
        QCOMPARE(video.value(QStringLiteral("frameWidth")).toInt(), 160);

        // Using the player inside an answer (its timeline, its play button)
        // does not choose that answer; a click on another answer does.
        const char* answerAudio = "a[href='http://tnd.0'] audio";
        QTRY_VERIFY2_WITH_TIMEOUT(playing(view, answerAudio),
                                  QJsonDocument::fromVariant(state(view, answerAudio)).toJson().constData(), 20000);
        webtest::runJs(view, QStringLiteral("document.querySelector(\"%1\").scrollIntoView()").arg(QLatin1String(answerAudio)));
        webtest::clickElement(view, QString::fromLatin1(answerAudio));
        QTest::qWait(500);
        QCOMPARE(st.test.Questions[1].NomerOtveta, -1);
        // The play button, at the left end of the player, pauses it.
        const QVariantList rect =
            webtest::runJs(view, QStringLiteral("(function(){var r=document.querySelector(\"%1\").getBoundingClientRect();"
                                                "return [r.left + 16, r.top + r.height/2];})()")
                                     .arg(QLatin1String(answerAudio)))
                .toList();
        QCOMPARE(rect.size(), 2);
        QWidget* surface = view.focusProxy() ? view.focusProxy() : &view;
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(qRound(rect[0].toDouble()), qRound(rect[1].toDouble())));
        QTRY_VERIFY_WITH_TIMEOUT(state(view, answerAudio).value(QStringLiteral("paused")).toBool(), 5000);
        QTest::qWait(500);
        QCOMPARE(st.test.Questions[1].NomerOtveta, -1);
        QCOMPARE(view.lastCommand(), QString());
        webtest::clickElement(view, QStringLiteral("a[href='http://tnd.1']"));
        QTRY_COMPARE_WITH_TIMEOUT(st.test.Questions[1].NomerOtveta, 1, 10000);

        // The clip that cannot play is named where its player would be.
        st.main.Phase = TestPhase::Editor;
        Show1Wopros(r.app, 2);
        r.window.syncFromModel();
        QVERIFY(webtest::waitForText(view,
                                     QStringLiteral("Видео ролик \"old.avi\" здесь не воспроизводится: формат не поддерживается.")));
        QCOMPARE(webtest::runJs(view, QStringLiteral("document.querySelectorAll('video, audio, embed, object').length")).toInt(), 0);
    }
    // The preview plays the question's clips; switched off, the hidden view
    // falls silent.
    void hiddenPreviewStopsItsClips()
    {
        Running r;
        startEditor(r);
        r.app.st.folders.WorkFolder = folder;
        r.app.st.test.Questions[1].Vopros = kVideo + kAudio;
        r.window.action(QStringLiteral("FileProsmotr"))->trigger();
        WebView& view = *r.window.view();
        QTRY_VERIFY_WITH_TIMEOUT(playing(view, "video"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(playing(view, "audio"), 20000);
        r.window.action(QStringLiteral("FileProsmotr"))->trigger();
        QVERIFY(!view.isVisible());
        // Paused, not played to their end (the sound lasts three seconds).
        for (const char* clip : {"video", "audio"}) {
            QTRY_VERIFY_WITH_TIMEOUT(state(view, clip).value(QStringLiteral("paused")).toBool(), 1000);
            QVERIFY2(!state(view, clip).value(QStringLiteral("ended")).toBool(), clip);
        }
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestMediaPlayback)
#include "tst_mediaplayback.moc"
