#include "TakingFixture.h"

#include "screens/taking/QuestionPage.h"
#include "screens/taking/TestFlow.h"
#include "screens/taking/WholeTest.h"
#include "engines/MediaHtml.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString Video(const QString& name)
{
    return media::kHead + name + media::kCommon + media::kVideoTail;
}
QString Audio(const QString& name)
{
    return media::kHead + name + media::kCommon + media::kAudioTail;
}
const QString kGray = QStringLiteral("<font size='3' color='gray'>");
}  // namespace

class TestShownMedia : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString folder;

    void touch(const QString& path)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("clip");
    }

private Q_SLOTS:
    void initTestCase()
    {
        folder = tmp.path() + QStringLiteral("/тест/");
        QVERIFY(QDir().mkpath(folder + QStringLiteral("clips")));
        for (const char* name : {"клип 1.webm", "tone.wav", "old.avi", "tune.mid", "BIG.WEBM", "a#b?c%20.mp4",
                                 "clips/in sub.ogg", "Ну \"да\".mp3", "<b>.webm"})
            touch(folder + QString::fromUtf8(name));
        touch(tmp.path() + QStringLiteral("/outside.webm"));
    }

    // The text as the pages show it: exactly the stored fragments become the
    // browser's players or a line naming the file; all else stays as written.
    void playable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString video = QStringLiteral("<video width=360 height=270 controls autoplay src=\"%1\"></video>");
        const QString audio = QStringLiteral("<audio controls autoplay src=\"%1\"></audio>");
        QTest::newRow("video in text, name percent-encoded")
            << "Смотрите: " + Video("клип 1.webm") + "<br>Нравится?"
            << "Смотрите: " + video.arg("%D0%BA%D0%BB%D0%B8%D0%BF%201.webm") + "<br>Нравится?";
        QTest::newRow("audio") << Audio("tone.wav") << audio.arg("tone.wav");
        QTest::newRow("extension in capitals") << Video("BIG.WEBM") << video.arg("BIG.WEBM");
        QTest::newRow("two clips, the audio fragment names a video") << Audio("BIG.WEBM") + "x" + Video("tone.wav")
                                                                      << audio.arg("BIG.WEBM") + "x" + video.arg("tone.wav");
        QTest::newRow("# ? % stay part of the name") << Video("a#b?c%20.mp4") << video.arg("a%23b%3Fc%2520.mp4");
        QTest::newRow("in a subfolder") << Audio("clips/in sub.ogg") << audio.arg("clips/in%20sub.ogg");
        QTest::newRow("quote written as a reference")
            << Audio("Ну &quot;да&quot;.mp3") << audio.arg("%D0%9D%D1%83%20%22%D0%B4%D0%B0%22.mp3");
        QTest::newRow("avi cannot play")
            << "a" + Video("old.avi") + "b"
            << "a" + kGray + "Видео ролик \"old.avi\" здесь не воспроизводится: формат не поддерживается.</font>b";
        QTest::newRow("midi cannot play")
            << Audio("tune.mid")
            << kGray + "Аудио ролик \"tune.mid\" здесь не воспроизводится: формат не поддерживается.</font>";
        QTest::newRow("missing file") << Video("нет.webm") << kGray + "Видео ролик \"нет.webm\" не найден.</font>";
        QTest::newRow("empty name") << Audio("") << kGray + "Аудио ролик \"\" не найден.</font>";
        QTest::newRow("outside the test's folder") << Video("../outside.webm")
                                                   << kGray + "Видео ролик \"../outside.webm\" не найден.</font>";
        QTest::newRow("full path") << Video(tmp.path() + "/outside.webm")
                                   << kGray + "Видео ролик \"" + tmp.path() + "/outside.webm\" не найден.</font>";
        QTest::newRow("a name is text in the line, never markup")
            << Video("&lt;b&gt;.avi") << kGray + "Видео ролик \"&lt;b&gt;.avi\" здесь не воспроизводится: формат не поддерживается.</font>";
        QTest::newRow("markup name that is there plays") << Video("&lt;b&gt;.webm") << video.arg("%3Cb%3E.webm");
        // Anything not exactly of the stored form is the author's own HTML.
        const QString changed = Video("tone.wav").replace("width=\"360\"", "width=\"320\"");
        QTest::newRow("other size untouched") << changed << changed;
        const QString lower = Audio("tone.wav").replace("<OBJECT", "<object");
        QTest::newRow("other letter case untouched") << lower << lower;
        const QString cut = "x" + media::kHead + "tone.wav\" Type=";
        QTest::newRow("cut short untouched") << cut << cut;
        QTest::newRow("unclosed name untouched") << "y" + media::kHead + "tone.wav" << "y" + media::kHead + "tone.wav";
        QTest::newRow("untouched head, then a real fragment")
            << lower + media::kHead + "z\">" + Audio("tone.wav") << lower + media::kHead + "z\">" + audio.arg("tone.wav");
        QTest::newRow("picture and plain HTML untouched")
            << "<img border=\"0\" src=\"a.jpg\"><EMBED src=\"tone.wav\">" << "<img border=\"0\" src=\"a.jpg\"><EMBED src=\"tone.wav\">";
    }
    void playable()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(media::Playable(text, folder), shown);
    }

    // Every page that shows question or answer texts shows the players, and
    // the test in memory keeps the stored fragments.
    void everyPageShowsPlayers()
    {
        TakingSession s(folder, 2);
        AppState& st = s.app.st;
        const QString question = "Вопрос " + Video("клип 1.webm");
        const QString answer = Audio("tone.wav") + " да";
        st.test.Questions[1].Vopros = question;
        st.test.Questions[1].AddOtvety(0, answer);
        st.test.Questions[2].AddOtvety(1, Video("old.avi"));
        const QString videoTag = QStringLiteral("<video width=360 height=270 controls autoplay src=\"");
        const QString audioTag = QStringLiteral("<audio controls autoplay src=\"tone.wav\"></audio> да");
        const QString aviLine = QStringLiteral("Видео ролик \"old.avi\" здесь не воспроизводится");

        st.main.Phase = TestPhase::Attempt;
        st.main.CurrentQuestion = 1;
        Wopros(s.app);
        QVERIFY(st.main.MainHtml.contains(videoTag));
        QVERIFY(st.main.MainHtml.contains(audioTag));
        QVERIFY(!st.main.MainHtml.contains(media::kHead));
        QCOMPARE(s.app.frmForma.usrWeb1.text, st.main.MainHtml);

        st.main.Phase = TestPhase::Editor;
        Show1Wopros(s.app, 1);
        QVERIFY(st.main.MainHtml.contains(videoTag));
        QVERIFY(st.main.MainHtml.contains(audioTag));
        Show1Wopros(s.app, 2);
        QVERIFY(st.main.MainHtml.contains(aviLine));

        ShowAllTest(s.app);
        QVERIFY(st.list.ListHtml.contains(videoTag));
        QVERIFY(st.list.ListHtml.contains(audioTag));
        QVERIFY(st.list.ListHtml.contains(aviLine));
        QVERIFY(!st.list.ListHtml.contains(media::kHead));

        QCOMPARE(st.test.Questions[1].Vopros, question);
        QCOMPARE(st.test.Questions[1].ListOtvety(0), answer);
    }
};

QTEST_GUILESS_MAIN(TestShownMedia)
#include "tst_shownmedia.moc"
