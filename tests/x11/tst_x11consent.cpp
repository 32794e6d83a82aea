// The consent before the card, as a person gives it on a real X11 desktop:
// the start link clicked, the choices ticked and unticked with Tab, space and
// the pointer, "Продолжить" clicked; then the card dialog keeps the photo
// closed. Refusing with Escape ends the attempt with nothing saved. The screen
// pictures (taken with ImageMagick's import) and the consent form's PDF are
// kept in the folder TANDEMO_SHOTS names, for a person to look at.
#include "Fixtures.h"
#include "../gui/WebTestSupport.h"
#include "X11Person.h"

#include "engines/Consent.h"
#include "engines/FolderStore.h"
#include "engines/PersonData.h"
#include "ground/App.h"
#include "people/KartochkaDialog.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/VyborOtveta.h"
#include "taking/ConsentDialog.h"
#include "views/WebView.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using webtest::runJs;
using webtest::waitForText;

namespace {

// What is up instead of the window awaited, for a failure's message.
QString upInstead()
{
    QWidget* up = QApplication::activeModalWidget();
    if (!up)
        return QStringLiteral("nothing modal");
    if (auto* box = qobject_cast<QMessageBox*>(up))
        return QStringLiteral("message: ") + box->text();
    return QString::fromLatin1(up->metaObject()->className());
}

template <typename Dialog>
Dialog* openDialog()
{
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// A step that never comes would leave the person's window up for good, the
// test held inside its loop: after `ms`, every window that is up is closed,
// so that the test ends and says which step it waited for.
struct GiveUpAfter {
    QTimer timer;
    explicit GiveUpAfter(int ms)
    {
        timer.setInterval(500);
        QTimer::singleShot(ms, &timer, [this] { timer.start(); });
        QObject::connect(&timer, &QTimer::timeout, [] {
            if (QWidget* up = QApplication::activeModalWidget())
                up->close();
        });
    }
};

// The program with a three-question test open whose folder holds the
// default consent text.
struct Program {
    QTemporaryDir tmp;
    QString program;
    QString folder;
    QString shots;
    QtPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        program = tmp.path() + QStringLiteral("/program/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        shots = qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg", "sunbird.jpg"});
        const QString test = folder + QStringLiteral("Знакомства.tnd");
        if (!consent::WriteText(test, consent::DefaultText()))
            qFatal("no consent text");
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({tmp.path() + QLatin1Char('/'), QString(), test}));
        platform.setExecutableFolder(program);
        app = std::make_unique<App>(platform);
        window = std::make_unique<MainWindow>(*app, platform);
        webtest::startAndShow(*app, *window);
        window->action(QStringLiteral("FileNameTest"))->trigger();
    }

    WebView& view() { return *window->view(); }

    // The whole X server's screen, as ImageMagick's import takes it.
    void shoot(const QString& name)
    {
        QTest::qWait(300);
        QProcess import;
        import.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shots + QLatin1Char('/') + name});
        if (!import.waitForFinished(20000) || import.exitCode() != 0)
            qWarning("import failed for %s", qPrintable(name));
    }

    QPoint startLink()
    {
        const QVariantList centre =
            runJs(view(), QStringLiteral("(function(){var e=document.querySelector(\"a[href$='s.ru']\");if(!e)return[];"
                                         "var r=e.getBoundingClientRect();return [r.left+r.width/2,r.top+r.height/2];})()"))
                .toList();
        if (centre.size() != 2)
            return {};
        return view().mapToGlobal(QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
    }

    QStringList personFiles() const
    {
        return QDir(folder).entryList({QStringLiteral("*.tnm"), QStringLiteral("*.tnw")}, QDir::Files);
    }
};

}  // namespace

class TestX11Consent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
    }

    // Data ticked with space, the photo ticked with Tab and space and
    // unticked with the pointer; the card dialog then has its photo closed
    // and empty even with "Подробнее:" ticked.
    void dataWithoutPhotoWithRealKeysAndClicks()
    {
        Program p;
        QVERIFY(waitForText(p.view(), QStringLiteral("Начать тестирование")));
        const QPoint start = p.startLink();
        QVERIFY(!start.isNull());
        Person person;
        GiveUpAfter giveUp(50000);
        bool photoEnabled = true;
        bool browseEnabled = true;
        bool heightEnabled = false;
        bool photoBoxTicked = false;
        QString photoText = QStringLiteral("unset");
        person.then(QStringLiteral("start"), [&] {
            QTest::qWait(500);
            person.xdotools({{QStringLiteral("mousemove"), QString::number(start.x()), QString::number(start.y())},
                             {QStringLiteral("sleep"), QStringLiteral("0.5"), QStringLiteral("click"), QStringLiteral("1")}});
            return true;
        });
        person.then(QStringLiteral("consent window"), [&] {
            ConsentDialog* dialog = openDialog<ConsentDialog>();
            if (!dialog)
                return false;
            p.shoot(QStringLiteral("consent-window.png"));
            // The window opens with the data's choice in focus.
            person.xdotools({{QStringLiteral("key"), QStringLiteral("space")},
                             {QStringLiteral("key"), QStringLiteral("Tab")},
                             {QStringLiteral("key"), QStringLiteral("space")}});
            return true;
        });
        person.then(QStringLiteral("both ticked"), [&] {
            ConsentDialog* dialog = openDialog<ConsentDialog>();
            if (!dialog)
                return false;
            QCheckBox* photo = qobject_cast<QCheckBox*>(dialog->binder().widget(QStringLiteral("chFoto")));
            if (!p.app->frmSoglasie.chDannye.checked || !p.app->frmSoglasie.chFoto.checked)
                return false;
            photoBoxTicked = photo->isChecked();
            person.click(centreOf(photo));
            return true;
        });
        person.then(QStringLiteral("photo unticked"), [&] {
            ConsentDialog* dialog = openDialog<ConsentDialog>();
            if (!dialog || p.app->frmSoglasie.chFoto.checked)
                return false;
            p.shoot(QStringLiteral("consent-data-only.png"));
            person.click(centreOf(dialog->binder().widget(QStringLiteral("kDalee"))));
            return true;
        });
        person.then(QStringLiteral("card dialog"), [&] {
            KartochkaDialog* card = openDialog<KartochkaDialog>();
            if (!card)
                return false;
            person.click(centreOf(card->binder().widget(QStringLiteral("chPodrobnee"))));
            return true;
        });
        person.then(QStringLiteral("details open"), [&] {
            KartochkaDialog* card = openDialog<KartochkaDialog>();
            if (!card || !p.app->frmKartochka.chPodrobnee.checked)
                return false;
            QWidget* photo = card->binder().widget(QStringLiteral("txtInfo(5)"));
            QWidget* height = card->binder().widget(QStringLiteral("txtInfo(0)"));
            photoEnabled = photo->isEnabled();
            browseEnabled = card->binder().widget(QStringLiteral("kObzorEmblema"))->isEnabled();
            photoText = qobject_cast<QLineEdit*>(photo)->text();
            heightEnabled = height->isEnabled();
            p.shoot(QStringLiteral("card-photo-closed.png"));
            // The name typed, the year completed ("19" is there), then Enter.
            const QPoint name = centreOf(card->binder().widget(QStringLiteral("txtNameFamiliya")));
            const QPoint year = centreOf(card->binder().widget(QStringLiteral("txtDataRogdeniya")));
            person.xdotools({{QStringLiteral("mousemove"), QString::number(name.x()), QString::number(name.y()),
                              QStringLiteral("click"), QStringLiteral("1")},
                             {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("Maria")},
                             {QStringLiteral("mousemove"), QString::number(year.x()), QString::number(year.y()),
                              QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("key"), QStringLiteral("End")},
                             {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("90")},
                             {QStringLiteral("key"), QStringLiteral("Return")}});
            return true;
        });
        person.then(QStringLiteral("card confirmed"), [&] { return QApplication::activeModalWidget() == nullptr; });
QVERIFY2(person.run(60000), qPrintable(person.lastStep + QStringLiteral(" – ") + upInstead()));
        QVERIFY2(photoBoxTicked, "the photo's box showed its tick");
        QVERIFY(heightEnabled);
        QVERIFY(!photoEnabled);
        QVERIFY(!browseEnabled);
        QCOMPARE(photoText, QString());
        QCOMPARE(p.app->st.main.Phase, TestPhase::Attempt);
        QCOMPARE(p.app->st.CardFields[0].NameFamiliya, QStringLiteral("Maria"));

        // The answers as the page's links give them, and the result.
        for (int q = 1; q <= 3; ++q)
            VyborOtveta(*p.app, QStringLiteral("http://tnd.0/"));
        VyborOtveta(*p.app, QStringLiteral("http://tnd.r/"));
        p.window->syncFromModel();
        QVERIFY2(waitForText(p.view(), QStringLiteral("Результаты тестирование сохранены.")),
                 qPrintable(p.app->st.main.MainHtml.right(400)));
        const QStringList files = p.personFiles();
        QCOMPARE(files.size(), 1);
        const auto kept = store::Open(p.folder);
        const std::optional<consent::Record> record = consent::Load(*kept, files.first());
        QVERIFY(record);
        QVERIFY(record->data);
        QVERIFY(!record->photo);

        // The paper form of this consent, through the desktop's PDF writer.
        const QString pdf = p.shots + QStringLiteral("/consent-form.pdf");
        QVERIFY(p.platform.writePdf(persondata::ConsentFormHtml(p.app->st.CardFields[0], *record,
                                                                *consent::TextShown(*kept, record->textSha256)),
                                    pdf));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        const QString shown = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(shown.contains(QStringLiteral("Maria")), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("1990")), qPrintable(shown));
    }

    // Escape is "Отказаться": a message, the start page, nothing saved.
    void escapeRefuses()
    {
        Program p;
        QVERIFY(waitForText(p.view(), QStringLiteral("Начать тестирование")));
        const QPoint start = p.startLink();
        const QStringList before = fixtures::folderEntries(p.folder);
        QString message;
        Person person;
        GiveUpAfter giveUp(50000);
        person.then(QStringLiteral("start"), [&] {
            QTest::qWait(500);
            person.click(start);
            return true;
        });
        person.then(QStringLiteral("consent window"), [&] {
            if (!openDialog<ConsentDialog>())
                return false;
            person.xdotools({{QStringLiteral("key"), QStringLiteral("space")},
                             {QStringLiteral("key"), QStringLiteral("Escape")}});
            return true;
        });
        person.then(QStringLiteral("message"), [&] {
            auto* box = openDialog<QMessageBox>();
            if (!box)
                return false;
            message = box->text();
            p.shoot(QStringLiteral("consent-refused.png"));
            person.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            return true;
        });
        person.then(QStringLiteral("message gone"), [] { return QApplication::activeModalWidget() == nullptr; });
QVERIFY2(person.run(60000), qPrintable(person.lastStep + QStringLiteral(" – ") + upInstead()));
        QVERIFY2(message.contains(QStringLiteral("не сохраняется")), qPrintable(message));
        QVERIFY(p.app->frmSoglasie.chDannye.checked);  // ticked, then refused all the same
        QCOMPARE(p.app->st.main.Phase, TestPhase::StartPage);
        QVERIFY(p.personFiles().isEmpty());
        QCOMPARE(fixtures::folderEntries(p.folder), before);
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Consent)
#include "tst_x11consent.moc"
