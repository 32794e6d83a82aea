// The author weighs a question on a real X11 desktop: the test opened for
// changing with its password, the weights dialog opened with its key, the
// importance chosen with the arrow keys, a cell of the grid ticked with the
// pointer, "ОК" clicked, the test saved with Ctrl+S; the file then holds the
// weights, and the ranking opened with the pointer orders by them. The screen pictures are kept in the folder TANDEMO_SHOTS names,
// for a person to look at.
#include "Fixtures.h"
#include "ScriptedPlatform.h"
#include "../gui/WebTestSupport.h"
#include "X11Person.h"

#include "document/PasswordDialog.h"
#include "editor/VesaDialog.h"
#include "engines/Consent.h"
#include "engines/PairSearch.h"
#include "engines/PersonFile.h"
#include "engines/TestFile.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kPassword = QStringLiteral("key27");

template <typename Dialog>
Dialog* openDialog()
{
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

// The program with a three-question test of three answers open.
struct Program {
    QTemporaryDir tmp;
    QString program;
    QString folder;
    QString test;
    QString shots;
    QtPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        program = tmp.path() + QStringLiteral("/program/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        test = folder + QStringLiteral("Знакомства.tnd");
        shots = qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg", "sunbird.jpg"});
        {
            // The same test, written by the program with a password.
            ScriptedPlatform pf;
            App writer(pf);
            writer.st.folders.PathSep = QStringLiteral("/");
            writer.st.test.TestFilePath = test;
            writer.st.test.TestName = QStringLiteral("Знакомства");
            writer.st.test.TestPassword = kPassword;
            writer.st.test.QuestionCount = 3;
            writer.st.test.Questions.resizeFresh(3);
            for (int q = 1; q <= 3; ++q) {
                clsTest& question = writer.st.test.Questions[q];
                question.Vopros = QStringLiteral("Как вы относитесь к курению? (%1)").arg(q);
                question.CountOtvetov = 2;
                question.AddOtvety(0, QStringLiteral("Курю"));
                question.AddOtvety(1, QStringLiteral("Не курю, но <b>не против</b>"));
                question.AddOtvety(2, QStringLiteral("Против"));
            }
            SaveTest(writer, test);
        }
        // Иван answers 0 everywhere. Анна agrees with him on questions 2 and 3,
        // Вера on question 1 only: plain, Анна ranks first; once question 1
        // weighs 250 (his "Курю" going with her "Не курю, но не против", not
        // the other way round), Вера does.
        person(QStringLiteral("m0.tnm"), QStringLiteral("Иван"), 0, QStringLiteral("000"));
        person(QStringLiteral("w0.tnw"), QStringLiteral("Анна"), 1, QStringLiteral("100"));
        person(QStringLiteral("w1.tnw"), QStringLiteral("Вера"), 1, QStringLiteral("022"));
        // With its consent text beside it, the test is not offered the default one.
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

    void person(const QString& file, const QString& name, int sex, const QString& answers)
    {
        Kartochka card;
        card.NameFamiliya = name;
        card.DataRogdeniya = 1980;
        card.Pol = sex;
        card.Otvety = answers;
        fixtures::writeBytes(folder + file, PersonFileContent(card));
    }

    static QString shownText(WebView& view)
    {
        return webtest::runJs(view, QStringLiteral("document.body ? document.body.innerText : ''")).toString();
    }

    void shoot(const QString& name)
    {
        QTest::qWait(300);
        if (!QGuiApplication::primaryScreen()->grabWindow(0).save(shots + QLatin1Char('/') + name))
            qWarning("no picture %s", qPrintable(name));
    }
};

}  // namespace

class TestX11Weights : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
    }

    void weighAQuestionAndSave()
    {
        Program p;
        QVERIFY(!fixtures::readBytes(p.test).contains("[vesa]"));
        Person person;
        // A stuck step closes what is up, so that the test ends and tells.
        QTimer giveUp;
        QObject::connect(&giveUp, &QTimer::timeout, [] {
            if (QWidget* up = QApplication::activeModalWidget())
                up->close();
        });
        QTimer::singleShot(0, [&] { p.window->action(QStringLiteral("FileChange"))->trigger(); });
        person.then(QStringLiteral("the password typed"), [&] {
            auto* dialog = openDialog<PasswordDialog>();
            if (!dialog)
                return false;
            person.typeInto(dialog->findChild<QLineEdit*>(), kPassword);
            return true;
        });
        person.then(QStringLiteral("F6 in the editor"), [&] {
            if (QApplication::activeModalWidget() || p.app->st.main.Phase != TestPhase::Editor ||
                !p.app->frmForma.Edit.enabled)
                return false;
            person.xdotool({QStringLiteral("key"), QStringLiteral("F6")});
            return true;
        });
        VesaDialog* dialog = nullptr;
        person.then(QStringLiteral("three times down in the importance"), [&] {
            dialog = openDialog<VesaDialog>();
            if (!dialog)
                return false;
            p.shoot(QStringLiteral("weights-open.png"));
            person.xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("Down"),
                            QStringLiteral("Down"), QStringLiteral("Down")});
            return true;
        });
        person.then(QStringLiteral("a cell ticked with the pointer"), [&] {
            if (p.app->frmVesa.SelVes.listIndex != 4)
                return false;
            person.click(centreOf(dialog->binder().widget(p.app->frmVesa.cell(0, 1).name)));
            return true;
        });
        person.then(QStringLiteral("ОК clicked"), [&] {
            if (!p.app->frmVesa.cell(0, 1).checked)
                return false;
            p.shoot(QStringLiteral("weights-dialog.png"));
            person.click(centreOf(dialog->binder().widget(p.app->frmVesa.OK.name)));
            return true;
        });
        person.then(QStringLiteral("Ctrl+S"), [&] {
            if (QApplication::activeModalWidget() || p.app->st.test.Questions[1].Importance != 250)
                return false;
            person.xdotool({QStringLiteral("key"), QStringLiteral("ctrl+s")});
            return true;
        });
        person.then(QStringLiteral("the file saved"), [&] { return fixtures::readBytes(p.test).contains("[vesa]"); });
        // The saved test opened again from the File menu, with the pointer.
        QMenu* file = nullptr;
        person.then(QStringLiteral("the File menu"), [&] {
            QAction* top = p.window->action(QStringLiteral("File"));
            file = top ? top->menu() : nullptr;
            if (!file)
                return false;
            QMenuBar* bar = p.window->menuBar();
            person.click(bar->mapToGlobal(bar->actionGeometry(top).center()));
            return true;
        });
        person.then(QStringLiteral("the last test"), [&] {
            if (!file->isVisible())
                return false;
            QAction* last = p.window->action(QStringLiteral("FileNameTest"));
            person.click(file->mapToGlobal(file->actionGeometry(last).center()));
            return true;
        });
        const auto clickLink = [&](const QString& what, const std::function<WebView*()>& view, const QString& code) {
            person.then(what, [&, view, code] {
                WebView* v = view();
                if (!v || v->isPainting())
                    return false;
                const QPoint at = webtest::linkOnScreen(*v, code);
                if (at.isNull())
                    return false;
                person.click(at);
                return true;
            });
        };
        const auto listView = []() -> WebView* {
            auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
            return html && html->isVisible() ? html->view() : nullptr;
        };
        clickLink(QStringLiteral("the men"), [&]() -> WebView* {
            return p.app->st.main.Phase == TestPhase::Editor ? nullptr : p.window->view();
        }, QStringLiteral("m"));
        clickLink(QStringLiteral("Иван's ranking"), listView, QStringLiteral("p0"));
        QString ranking;
        person.then(QStringLiteral("the ranking on the screen"), [&] {
            WebView* v = listView();
            if (!v || v->isPainting())
                return false;
            ranking = Program::shownText(*v);
            if (!ranking.contains(QStringLiteral("Общих вопросов")))
                return false;
            p.shoot(QStringLiteral("weights-ranking.png"));
            QApplication::activeModalWidget()->close();
            return true;
        });
        giveUp.start(90000);
        const bool done = person.run(90000);
        QVERIFY2(done, qPrintable(QStringLiteral("stuck at: ") + person.lastStep));

        const QByteArray bytes = fixtures::readBytes(p.test);
        QVERIFY2(bytes.endsWith(" 0\r\n\r\n[vesa]\r\n 3\r\n 250 3 2 4\r\n 1 1 2 4\r\n 1 1 2 4\r\n[/vesa]\r\n"),
                 bytes.right(80).constData());

        // Without the weights Анна came first; now Вера does, as the screen shows.
        Kartochka ivan;
        ivan.Pol = 0;
        ivan.Otvety = QStringLiteral("000");
        const PairRanking plain = RankPairs(p.folder, ivan, 2026);
        QCOMPARE(plain.pairs[plain.order[0]].NameFamiliya, QStringLiteral("Анна"));
        const qsizetype vera = ranking.indexOf(QStringLiteral("Вера"));
        const qsizetype anna = ranking.indexOf(QStringLiteral("Анна"));
        QVERIFY2(vera >= 0 && anna > vera, qPrintable(ranking));
        QVERIFY2(ranking.contains(QStringLiteral("99%")), qPrintable(ranking));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Weights)
#include "tst_x11weights.moc"
