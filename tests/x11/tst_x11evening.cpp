// An evening of 6 + 6 as the club runs it on a real X11 desktop: "Картотека →
// Вечер знакомств" opened with the keyboard, the guests ticked with the
// pointer, the schedule printed, the ticks entered in the grid, the results
// printed. The screen pictures and both PDFs stay in the folder
// TANDEMO_SHOTS names, for a person to look at.
#include "Fixtures.h"
#include "../gui/WebTestSupport.h"
#include "X11Person.h"

#include "engines/Evening.h"
#include "engines/FolderStore.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

using webtest::runJs;

namespace {

const QStringList kMen{QStringLiteral("Алексей Смирнов"), QStringLiteral("Борис Иванов"),  QStringLiteral("Владимир Кузнецов"),
                       QStringLiteral("Григорий Попов"), QStringLiteral("Дмитрий Соколов"), QStringLiteral("Евгений Лебедев")};
const QStringList kWomen{QStringLiteral("Анна Козлова"),  QStringLiteral("Вера Новикова"),   QStringLiteral("Галина Морозова"),
                         QStringLiteral("Дарья Петрова"), QStringLiteral("Елена Волкова"), QStringLiteral("Жанна Соловьёва")};

// Catches the program's "open the written PDF" instead of a viewer.
class Opened : public QObject {
    Q_OBJECT
public:
    QStringList urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url.toLocalFile(); }
};

struct Program {
    QTemporaryDir tmp;
    QString program, folder, shots;
    QtPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        program = tmp.path() + QStringLiteral("/program/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        shots = qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg"});
        for (int i = 0; i < 6; ++i) {
            person(QStringLiteral("m%1.tnm").arg(i), kMen[i], 1980 + i, QStringLiteral("тел. +7 900 000-0%1").arg(i), 0);
            person(QStringLiteral("w%1.tnw").arg(i), kWomen[i], 1985 + i, QStringLiteral("Москва, ул. Лесная, %1").arg(i + 1), 1);
        }
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({tmp.path() + QLatin1Char('/'), QString(),
                                                    folder + QStringLiteral("Знакомства.tnd")}));
        platform.setExecutableFolder(program);
        app = std::make_unique<App>(platform);
        window = std::make_unique<MainWindow>(*app, platform);
        webtest::startAndShow(*app, *window);
        window->action(QStringLiteral("FileNameTest"))->trigger();
    }

    void person(const QString& file, const QString& name, int year, const QString& address, int sex)
    {
        QStringList lines{QStringLiteral("[kartochka]"), name, QLatin1Char(' ') + QString::number(year), QStringLiteral(" 1"),
                          QStringLiteral("012")};
        lines << QStringLiteral("1,75") << QStringLiteral("70") << QString() << QString() << QString() << QString()
              << QString() << address << QString();
        lines << QLatin1Char(' ') + QString::number(sex) << QString() << QString();
        fixtures::writeBytes(folder + file, fixtures::cp1251Lines(lines));
    }

    void shoot(const QString& name)
    {
        QTest::qWait(400);
        QGuiApplication::primaryScreen()->grabWindow(0).save(shots + QLatin1Char('/') + name);
    }

    static HtmlWindow* htmlWindow()
    {
        auto* w = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
        return w && w->isVisible() ? w : nullptr;
    }

    // The centre of the link with `code` in its address whose text holds
    // `text`, scrolled into view, on the screen; nothing when there is none.
    static std::optional<QPoint> linkAt(const QString& code, const QString& text)
    {
        HtmlWindow* w = htmlWindow();
        if (!w)
            return std::nullopt;
        const QVariantList centre =
            runJs(*w->view(), QStringLiteral("(function(){var as=document.querySelectorAll('a');"
                                             "for(var i=0;i<as.length;i++){var a=as[i];"
                                             "if(a.href.indexOf('tnd.%1')>=0&&a.textContent.indexOf('%2')>=0){"
                                             "a.scrollIntoView({block:'center'});var r=a.getBoundingClientRect();"
                                             "return [r.left+r.width/2,r.top+r.height/2];}}return [];})()")
                                  .arg(code, text))
                .toList();
        if (centre.size() != 2)
            return std::nullopt;
        return w->view()->mapToGlobal(QPoint(qRound(centre[0].toDouble()), qRound(centre[1].toDouble())));
    }
};

QFileDialog* saveDialog()
{
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() ? dialog : nullptr;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

// Renders every page of a PDF as PNG beside the shots.
void render(const QString& pdf, const QString& prefix)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"), pdf, prefix});
    p.waitForFinished(60000);
}

}  // namespace

class TestX11Evening : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(), "needs poppler-utils");
    }

    void anEveningOfSixAndSix()
    {
        Program p;
        Opened opened;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        QVERIFY(!p.app->st.test.TestFilePath.isEmpty());
        Person person;
        const auto press = [&](const QString& key) { person.xdotool({QStringLiteral("key"), key}); };
        const auto step = [&](const QString& what, const std::function<bool()>& s) { person.then(what, s); };
        const auto clickLink = [&](const QString& code, const QString& text) {
            step(QStringLiteral("click ") + code + QLatin1Char(' ') + text, [&person, code, text] {
                const std::optional<QPoint> at = Program::linkAt(code, text);
                if (!at)
                    return false;
                QTest::qWait(150);  // the scroll is painted
                person.click(*at);
                return true;
            });
        };
        const auto pageHas = [&](const QString& what) {
            step(QStringLiteral("page shows ") + what,
                 [&p, what] { return Program::htmlWindow() && p.app->st.list.ListHtml.contains(what); });
        };

        // "Картотека → Вечер знакомств" with the keyboard: Alt to the menu
        // bar, across to "Картотека" ("Правка" is off outside the editor and
        // skipped), down to its seventh item.
        QAction* records = p.window->action(QStringLiteral("Kartoteka"));
        QAction* item = p.window->action(QStringLiteral("KartotekaVecher"));
        // The keys go again while the menu has not opened (the window may
        // not have had the keyboard yet).
        int waited = 0;
        const QList<QStringList> openKeys{{QStringLiteral("key"), QStringLiteral("Escape")},
                                          {QStringLiteral("key"), QStringLiteral("alt")},
                                          {QStringLiteral("key"), QStringLiteral("Right")},
                                          {QStringLiteral("key"), QStringLiteral("Down")}};
        step(QStringLiteral("menu by keys"), [&] {
            p.window->activateWindow();
            QTest::qWait(500);
            person.xdotools(openKeys);
            return true;
        });
        step(QStringLiteral("down to the item"), [&] {
            if (!records->menu()->isVisible()) {
                if (++waited % 40 == 0)
                    person.xdotools(openKeys);
                return false;
            }
            QTest::qWait(200);
            person.xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
                            QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down")});
            return true;
        });
        step(QStringLiteral("menu shot"), [&] {
            if (records->menu()->activeAction() != item)
                return false;
            p.shoot(QStringLiteral("evening-menu.png"));
            press(QStringLiteral("Return"));
            return true;
        });
        pageHas(QStringLiteral("Участников: 0"));
        step(QStringLiteral("window placed"), [&] {
            HtmlWindow* w = Program::htmlWindow();
            QTest::qWait(500);
            return true;
        });
        for (int i = 0; i < 6; ++i) {
            clickLink(QStringLiteral("u"), kMen[i]);
            pageHas(QStringLiteral("Участников: ") + QString::number(2 * i + 1));
            clickLink(QStringLiteral("u"), kWomen[i]);
            pageHas(QStringLiteral("Участников: ") + QString::number(2 * i + 2));
        }
        step(QStringLiteral("guests shot"), [&] {
            p.shoot(QStringLiteral("evening-guests.png"));
            return true;
        });

        // The schedule, and its PDF through the file dialog.
        clickLink(QStringLiteral("g"), QStringLiteral("Расписание"));
        pageHas(QStringLiteral("Раундов: 6, столов: 6."));
        step(QStringLiteral("schedule shot"), [&] {
            p.shoot(QStringLiteral("evening-schedule.png"));
            return true;
        });
        const QString schedulePdf = p.shots + QStringLiteral("/evening-schedule.pdf");
        const QString resultsPdf = p.shots + QStringLiteral("/evening-results.pdf");
        QFile::remove(schedulePdf);
        QFile::remove(resultsPdf);
        const auto savePdf = [&](const QString& path) {
            step(QStringLiteral("save ") + path, [&person, path] {
                QFileDialog* dialog = saveDialog();
                if (!dialog)
                    return false;
                QTest::qWait(300);
                person.typeInto(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), path);
                return true;
            });
            step(QStringLiteral("written ") + path, [&opened, path] { return opened.urls.contains(path); });
        };
        clickLink(QStringLiteral("p"), QStringLiteral("Печать расписания"));
        savePdf(schedulePdf);

        // Ticks: every man ticks Анна and Вера; Анна ticks Алексей and Борис,
        // Вера ticks nobody; Галина ticks Алексей, who did not tick her.
        clickLink(QStringLiteral("g"), QStringLiteral("Отметки"));
        pageHas(QStringLiteral("Мужчины отмечают женщин"));
        const auto tickLink = [&](const QString& from, const QString& to) {
            step(QStringLiteral("tick ") + from + QStringLiteral(" → ") + to, [&p, &person, from, to] {
                const QStringList guests = p.app->st.evening.ShownGuests;
                const int number = static_cast<int>(guests.indexOf(from)) * evening::kMaxGuests + static_cast<int>(guests.indexOf(to));
                const std::optional<QPoint> at = Program::linkAt(QStringLiteral("k") + QString::number(number) + QStringLiteral(".ru"), QString());
                if (!at)
                    return false;
                QTest::qWait(150);
                person.click(*at);
                return true;
            });
        };
        int ticks = 0;
        for (int m = 0; m < 6; ++m)
            for (const QString& w : {QStringLiteral("w0.tnw"), QStringLiteral("w1.tnw")}) {
                tickLink(QStringLiteral("m%1.tnm").arg(m), w);
                ++ticks;
                step(QStringLiteral("tick kept"), [&p, ticks] {
                    return p.app->st.list.ListHtml.count(QStringLiteral("&#10004;")) == ticks;
                });
            }
        for (const auto& [from, to] : {std::pair{QStringLiteral("w0.tnw"), QStringLiteral("m0.tnm")},
                                       std::pair{QStringLiteral("w0.tnw"), QStringLiteral("m1.tnm")},
                                       std::pair{QStringLiteral("w2.tnw"), QStringLiteral("m0.tnm")}}) {
            tickLink(from, to);
            ++ticks;
            step(QStringLiteral("tick kept"), [&p, ticks] {
                return p.app->st.list.ListHtml.count(QStringLiteral("&#10004;")) == ticks;
            });
        }
        step(QStringLiteral("ticks shot"), [&] {
            p.shoot(QStringLiteral("evening-ticks.png"));
            return true;
        });

        clickLink(QStringLiteral("g"), QStringLiteral("Итоги"));
        pageHas(QStringLiteral("Печать итогов"));
        step(QStringLiteral("results shot"), [&] {
            p.shoot(QStringLiteral("evening-results.png"));
            return true;
        });
        clickLink(QStringLiteral("i"), QStringLiteral("Печать итогов"));
        savePdf(resultsPdf);
        // Everyone paired at once, and on paper.
        const QString pairsPdf = p.shots + QStringLiteral("/evening-pairs.pdf");
        QFile::remove(pairsPdf);
        clickLink(QStringLiteral("g"), QStringLiteral("Составить пары"));
        pageHas(QStringLiteral("Печать пар"));
        step(QStringLiteral("pairs shot"), [&] {
            p.shoot(QStringLiteral("evening-pairs.png"));
            return true;
        });
        clickLink(QStringLiteral("a"), QStringLiteral("Печать пар"));
        savePdf(pairsPdf);
        step(QStringLiteral("close"), [&] {
            press(QStringLiteral("alt+F4"));
            return true;
        });
        step(QStringLiteral("closed"), [] { return Program::htmlWindow() == nullptr; });
        // A step that never comes would hold the test inside the window's
        // loop: after a while every window up is closed, and the step named.
        QTimer giveUp;
        giveUp.setInterval(1000);
        QTimer::singleShot(150000, &giveUp, [&giveUp] { giveUp.start(); });
        QObject::connect(&giveUp, &QTimer::timeout, [&person] {
            qWarning("given up at: %s", qPrintable(person.lastStep));
            if (QWidget* up = QApplication::activeModalWidget())
                up->close();
        });
        QVERIFY2(person.run(180000), qPrintable(person.lastStep));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

        const auto kept = store::Open(p.folder);
        const evening::Evening e = *evening::Read(*kept, p.app->st.evening.Name);
        QCOMPARE(e.men().size(), 6);
        QCOMPARE(e.women().size(), 6);
        QCOMPARE(e.ticks.size(), 15);
        QCOMPARE(evening::Mutual(e, QStringLiteral("w0.tnw")), (QStringList{QStringLiteral("m0.tnm"), QStringLiteral("m1.tnm")}));
        QCOMPARE(evening::Mutual(e, QStringLiteral("w2.tnw")), QStringList{});

        const QString schedule = pdfText(schedulePdf);
        QVERIFY2(schedule.contains(QStringLiteral("Раунд 6")) && schedule.contains(kMen[0]) && schedule.contains(kWomen[5]),
                 qPrintable(schedule));
        const QString results = pdfText(resultsPdf);
        QVERIFY2(results.contains(QStringLiteral("Москва, ул. Лесная, 1")), qPrintable(results));
        QVERIFY2(results.contains(QStringLiteral("тел. +7 900 000-01")), qPrintable(results));
        QVERIFY2(!results.contains(QStringLiteral("Лесная, 3")), "Галина's tick was not mutual");
        const QString pairs = pdfText(pairsPdf);
        QVERIFY2(pairs.contains(QStringLiteral("Алексей Смирнов Анна Козлова 100% 3")) && pairs.count(QStringLiteral("100%")) == 6, qPrintable(pairs));
        render(pairsPdf, p.shots + QStringLiteral("/evening-pairs"));
        render(schedulePdf, p.shots + QStringLiteral("/evening-schedule"));
        render(resultsPdf, p.shots + QStringLiteral("/evening-results"));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Evening)
#include "tst_x11evening.moc"
