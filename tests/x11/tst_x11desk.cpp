// The operator's desk walked on a real X11 desktop: the ranking switched to
// those who fit both ways, two people introduced behind the card's password,
// the outcome "пара" set on the card page with both statuses, then
// "Картотека → Напоминания" and "Статистика" chosen from the menu with the
// keyboard. Links are clicked with the X server's pointer, the password
// typed with its keys, and each step is checked on the X server's picture as
// well as in the program. The pictures are kept in the folder TANDEMO_SHOTS
// names, for a person to look at.
#include "Fixtures.h"
#include "../gui/WebTestSupport.h"
#include "X11Person.h"

#include "document/PasswordDialog.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/Kartochka.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using webtest::runJs;

namespace {

const QString kPassword = QStringLiteral("tajna7");

// The X server's picture of a widget's place on the screen.
QImage pictureOf(const QWidget* widget)
{
    const QPoint at = widget->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), widget->width(), widget->height()).toImage();
}

// How many pixels of `picture` satisfy `test`.
template <typename Test>
int pixelsWhere(const QImage& picture, Test test)
{
    int found = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            found += test(QColor(picture.pixel(x, y))) ? 1 : 0;
    }
    return found;
}
int darkPixels(const QImage& picture)
{
    return pixelsWhere(picture, [](const QColor& c) { return qGray(c.rgb()) < 100; });
}
// The statistics' bars are drawn in blue.
int barPixels(const QImage& picture)
{
    return pixelsWhere(picture, [](const QColor& c) { return c.blue() > 150 && c.red() < 120 && c.green() < 160; });
}
int differingPixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int differ = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            differ += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    }
    return differ;
}

// A test folder of one man and four women. Иван (46) accepts women of 30 to
// 45; Ольга (23) is too young for him, Мария accepts men up to 40 only, so
// the switch leaves out two of four. Анна's reminder is due since
// yesterday, Елена's is a month ahead.
struct Desk {
    QTemporaryDir tmp;
    QString program;
    QString folder;
    QString shots;
    QtPlatform platform;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;

    // `kept`: the desk's fixture above; without it the folder keeps nothing of the desk.
    explicit Desk(bool kept = true)
    {
        program = tmp.path() + QStringLiteral("/программа/");
        folder = tmp.path() + QStringLiteral("/Знакомства/");
        shots = qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg", "sunbird.jpg"});
        const int year = QDate::currentDate().year();
        person(QStringLiteral("m0.tnm"), QStringLiteral("Иван Петров"), year - 46, 0, QStringLiteral("000"), kPassword);
        person(QStringLiteral("w0.tnw"), QStringLiteral("Анна Смирнова"), year - 38, 1, QStringLiteral("000"));
        person(QStringLiteral("w1.tnw"), QStringLiteral("Ольга Белова"), year - 23, 1, QStringLiteral("011"));
        person(QStringLiteral("w2.tnw"), QStringLiteral("Мария Козлова"), year - 40, 1, QStringLiteral("111"));
        person(QStringLiteral("w3.tnw"), QStringLiteral("Елена Орлова"), year - 33, 1, QStringLiteral("001"));
        if (kept)
            keepDesk();
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({program, QString(), folder + QStringLiteral("Знакомства.tnd")}));
        platform.setExecutableFolder(program);
        app = std::make_unique<App>(platform);
        window = std::make_unique<MainWindow>(*app, platform);
        webtest::startAndShow(*app, *window);
    }

    void keepDesk()
    {
        const auto kept = store();
        desk::Seeking ivan;
        ivan.ageFrom = 30;
        ivan.ageTo = 45;
        desk::Seeking maria;
        maria.ageTo = 40;
        desk::Seeking elena;
        elena.ageFrom = 40;
        elena.ageTo = 50;
        const QDateTime now = QDateTime::currentDateTime();
        const bool written =
            desk::WriteSeeking(*kept, QStringLiteral("m0.tnm"), ivan) == store::Result::Ok &&
            desk::WriteSeeking(*kept, QStringLiteral("w2.tnw"), maria) == store::Result::Ok &&
            desk::WriteSeeking(*kept, QStringLiteral("w3.tnw"), elena) == store::Result::Ok &&
            desk::AddNote(*kept, QStringLiteral("w0.tnw"), {now, QStringLiteral("оператор"), QStringLiteral("Позвонить после встречи")}) ==
                store::Result::Ok &&
            desk::SetReminder(*kept, QStringLiteral("w0.tnw"), now.date().addDays(-1)) == store::Result::Ok &&
            desk::AddNote(*kept, QStringLiteral("w3.tnw"), {now, QStringLiteral("оператор"), QStringLiteral("Уехала в отпуск")}) ==
                store::Result::Ok &&
            desk::SetReminder(*kept, QStringLiteral("w3.tnw"), now.date().addDays(30)) == store::Result::Ok;
        if (!written)
            qWarning("the desk's fixture was not written");
    }

    void person(const QString& file, const QString& name, int year, int sex, const QString& answers,
                const QString& password = {})
    {
        Kartochka card;
        card.NameFamiliya = name;
        card.DataRogdeniya = year;
        card.Pol = sex;
        card.Otvety = answers;
        card.Parol = password;
        fixtures::writeBytes(folder + file, PersonFileContent(card));
    }

    std::unique_ptr<store::FolderStore> store() const { return store::Open(folder); }
    desk::Status status(const QString& file) const { return desk::ReadStatus(*store(), file); }

    void shoot(const QString& name)
    {
        QGuiApplication::primaryScreen()->grabWindow(0).save(shots + QLatin1Char('/') + name);
    }

    // The list window, on screen with its page painted.
    HtmlWindow* listWindow() const
    {
        auto* html = qobject_cast<HtmlWindow*>(QApplication::activeModalWidget());
        return html && html->isVisible() && !html->view()->isPainting() ? html : nullptr;
    }
    const QString& listPage() const { return app->frmHTML.usrWebHtml1.text; }

    // Whether the page on screen in `view` reads `text`.
    static bool reads(WebView& view, const QString& text)
    {
        return runJs(view, QStringLiteral("!!document.body && document.body.textContent.indexOf('%1') >= 0").arg(text))
            .toBool();
    }


    // Once the list window shows a page that reads `marker`: its picture is
    // kept as `shot`, `look` sees it, and the pointer clicks the link `code`.
    // `onScreen` is the text the page shows for it, when that differs.
    void clickWhenShown(Person& person, const QString& marker, const QString& code, const QString& shot,
                        std::function<void(HtmlWindow&)> look = {}, const QString& onScreen = {})
    {
        person.then(QStringLiteral("click ") + code + QStringLiteral(" on ") + marker, [=, this, &person] {
            HtmlWindow* html = listWindow();
            if (!html || !listPage().contains(marker) || !reads(*html->view(), onScreen.isEmpty() ? marker : onScreen))
                return false;
            QTest::qWait(300);
            shoot(shot);
            if (look)
                look(*html);
            const QPoint at = webtest::linkOnScreen(*html->view(), code);
            if (at.isNull()) {
                person.failed = QStringLiteral("no link ") + code + QStringLiteral(" on the screen: ") + marker;
                person.steps.clear();
                return false;
            }
            person.click(at);
            return true;
        });
    }

    // The card's password typed into its dialog with the keys, then Enter.
    void typePassword(Person& person, const QString& shot)
    {
        person.then(QStringLiteral("password"), [=, this, &person] {
            auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return false;
            QTest::qWait(300);
            shoot(shot);
            person.typeInto(dialog->findChild<QLineEdit*>(), kPassword);
            return true;
        });
    }

    // Answers the message that reads `part` with a click on `button`.
    void answer(Person& person, const QString& part, QMessageBox::StandardButton button, const QString& shot,
                QString* text = nullptr)
    {
        person.then(QStringLiteral("answer ") + part, [=, this, &person] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || !box->text().contains(part))
                return false;
            QTest::qWait(300);
            shoot(shot);
            if (text)
                *text = box->text();
            person.click(centreOf(box->button(button)));
            return true;
        });
    }

    // Closes the list window with Alt+F4 once it reads `marker`; `look`
    // sees the page on the screen first.
    void closeWhenShown(Person& person, const QString& marker, const QString& shot,
                        std::function<void(HtmlWindow&)> look = {})
    {
        person.then(QStringLiteral("close ") + marker, [=, this, &person] {
            HtmlWindow* html = listWindow();
            if (!html || !listPage().contains(marker) || !reads(*html->view(), marker))
                return false;
            QTest::qWait(300);
            shoot(shot);
            if (look)
                look(*html);
            html->activateWindow();
            person.xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
            return true;
        });
        person.then(QStringLiteral("closed"), [] { return QApplication::activeModalWidget() == nullptr; });
    }

    // "Картотека" opened with the pointer, its item `item` reached with the
    // arrow keys (separators are passed by) and chosen with Enter. (Alt
    // alone does not reach the menu bar in the desktop's style here.)
    void chooseByKeys(Person& person, const QString& item)
    {
        QAction* top = window->action(QStringLiteral("Kartoteka"));
        person.then(QStringLiteral("open the menu for ") + item, [=, this, &person] {
            window->activateWindow();
            QMenuBar* bar = window->menuBar();
            person.click(bar->mapToGlobal(bar->actionGeometry(top).center()));
            return true;
        });
        person.then(QStringLiteral("keys to ") + item, [=, this, &person] {
            QMenu* menu = top->menu();
            if (!menu->isVisible())
                return false;
            QList<QStringList> keys;
            for (QAction* a : menu->actions()) {
                if (!a->isSeparator())
                    keys.append({QStringLiteral("key"), QStringLiteral("Down")});
                if (a == window->action(item))
                    break;
            }
            keys.append({QStringLiteral("sleep"), QStringLiteral("0.3")});
            person.xdotools(keys);
            return true;
        });
        person.then(QStringLiteral("menu at ") + item, [=, this, &person] {
            QMenu* menu = window->action(QStringLiteral("Kartoteka"))->menu();
            if (!menu->isVisible())
                return false;
            if (menu->activeAction() != window->action(item)) {
                person.failed = QStringLiteral("the keys did not reach ") + item;
                person.steps.clear();
                return false;
            }
            shoot(QStringLiteral("menu-") + item + QStringLiteral(".png"));
            person.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            return true;
        });
    }
};

}  // namespace

class TestX11Desk : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
    }

    void rankingIntroductionOutcomeRemindersStatistics()
    {
        Desk d;
        // The test opened from the File menu's last test; the walk starts on its page.
        d.window->action(QStringLiteral("FileNameTest"))->trigger();
        QVERIFY(webtest::waitForText(*d.window->view(), QStringLiteral("Список мужчин")));

        // The ranking of Иван from the list of men, switched to mutual.
        QImage before, after;
        bool switchVisible = false;
        QString introduced, offer;
        Person walk;
        walk.then(QStringLiteral("open the men"), [&] {
            const QPoint at = webtest::linkOnScreen(*d.window->view(), QStringLiteral("m"));
            if (at.isNull())
                return false;
            walk.click(at);
            return true;
        });
        d.clickWhenShown(walk, QStringLiteral("Иван Петров"), QStringLiteral("p0"), QStringLiteral("01-men.png"));
        d.clickWhenShown(walk, QStringLiteral(": выключено"), QStringLiteral("m"),
                         QStringLiteral("02-ranking-all.png"), [&](HtmlWindow& html) {
                             before = pictureOf(html.view());
                             switchVisible = !webtest::linkOnScreen(*html.view(), QStringLiteral("m")).isNull();
                         });
        d.clickWhenShown(walk, QStringLiteral("Не подходят взаимно: 2"), QStringLiteral("z0"),
                         QStringLiteral("03-ranking-mutual.png"),
                         [&](HtmlWindow& html) { after = pictureOf(html.view()); });
        d.typePassword(walk, QStringLiteral("04-password.png"));
        d.answer(walk, QStringLiteral("Знакомство записано"), QMessageBox::Ok, QStringLiteral("05-introduced.png"),
                 &introduced);
        // Back to the list, Иван's card, the outcome "пара" and both statuses.
        d.clickWhenShown(walk, QStringLiteral("Не подходят взаимно: 2"), QStringLiteral("s"),
                         QStringLiteral("06-ranking-after.png"));
        d.clickWhenShown(walk, QStringLiteral("Иван Петров"), QStringLiteral("l0"), QStringLiteral("07-men-again.png"));
        d.clickWhenShown(walk, QStringLiteral("Знакомства:"), QStringLiteral("a0"), QStringLiteral("08-card-desk.png"));
        d.answer(walk, QStringLiteral("Поставить обоим статус"), QMessageBox::Yes, QStringLiteral("09-offer.png"), &offer);
        d.typePassword(walk, QStringLiteral("10-password.png"));
        d.clickWhenShown(walk, QStringLiteral("Статус:</b></td><td>нашёл пару"), QStringLiteral("n"),
                         QStringLiteral("11-card-pair.png"), {}, QStringLiteral("Смирнова: пара"));
        QString men;
        d.closeWhenShown(walk, QStringLiteral("Список мужчин"), QStringLiteral("12-men-after.png"),
                         [&](HtmlWindow& html) { men = runJs(*html.view(), QStringLiteral("document.body.textContent")).toString(); });
        const bool walked = walk.run(120000);
        QVERIFY2(walk.failed.isEmpty(), qPrintable(walk.failed));
        QVERIFY2(walked, qPrintable(walk.lastStep));

        // The switch was on the screen, and switching it changed the picture.
        QVERIFY(switchVisible);
        QVERIFY(!before.isNull() && !after.isNull());
        QVERIFY2(differingPixels(before, after) > 500, "the ranking on the screen did not change");
        QVERIFY(introduced.startsWith(QStringLiteral("Знакомство записано: Иван Петров и Анна Смирнова, ")));
        QCOMPARE(offer, QStringLiteral("Поставить обоим статус «нашёл пару»?"));
        const QHash<QString, desk::PairHistory> pairs = desk::ReadPairsOf(*d.store(), QStringLiteral("m0.tnm"));
        QCOMPARE(pairs.keys(), QStringList{QStringLiteral("w0.tnw")});
        QCOMPARE(pairs[QStringLiteral("w0.tnw")].introductions.size(), 1);
        QCOMPARE(pairs[QStringLiteral("w0.tnw")].introductions[0].outcome, desk::Outcome::Pair);
        QCOMPARE(d.status(QStringLiteral("m0.tnm")), desk::Status::Found);
        QCOMPARE(d.status(QStringLiteral("w0.tnw")), desk::Status::Found);
        // Back on the list, Иван's row shows his new status.
        QVERIFY2(men.contains(QStringLiteral("Иван Петров46Нетнашёл пару")), qPrintable(men));

        // Reminders, then statistics, each from the menu with the keys.
        QImage statistics;
        Person reader;
        d.chooseByKeys(reader, QStringLiteral("KartotekaNapominaniya"));
        d.clickWhenShown(reader, QStringLiteral("Напоминаний: 1."), QStringLiteral("r0"), QStringLiteral("13-reminders.png"));
        d.closeWhenShown(reader, QStringLiteral("Позвонить после встречи"), QStringLiteral("14-reminded-card.png"));
        d.chooseByKeys(reader, QStringLiteral("KartotekaStatistika"));
        reader.then(QStringLiteral("statistics"), [&] {
            HtmlWindow* html = d.listWindow();
            if (!html || !d.listPage().contains(QStringLiteral("Итоги знакомств")) ||
                !Desk::reads(*html->view(), QStringLiteral("Итоги знакомств")))
                return false;
            QTest::qWait(500);
            d.shoot(QStringLiteral("15-statistics.png"));
            statistics = pictureOf(html->view());
            return true;
        });
        d.closeWhenShown(reader, QStringLiteral("Итоги знакомств"), QStringLiteral("16-statistics-end.png"));
        const bool read = reader.run(90000);
        QVERIFY2(reader.failed.isEmpty(), qPrintable(reader.failed));
        QVERIFY2(read, qPrintable(reader.lastStep));
        QVERIFY(darkPixels(statistics) > 500);
        QVERIFY2(barPixels(statistics) > 1000, "no bars on the screen");
    }

    // In a folder that keeps nothing of the desk, "Рабочий стол оператора…"
    // chosen from the menu and agreed to puts the desk on the card page.
    void startedFromTheMenu()
    {
        Desk d(false);
        d.window->action(QStringLiteral("FileNameTest"))->trigger();
        QVERIFY(webtest::waitForText(*d.window->view(), QStringLiteral("Список мужчин")));
        QString asked;
        Person walk;
        d.chooseByKeys(walk, QStringLiteral("KartotekaStol"));
        d.answer(walk, QStringLiteral("Вести рабочий стол оператора"), QMessageBox::Yes, QStringLiteral("20-start.png"),
                 &asked);
        walk.then(QStringLiteral("open the men"), [&] {
            if (QApplication::activeModalWidget())
                return false;
            const QPoint at = webtest::linkOnScreen(*d.window->view(), QStringLiteral("m"));
            if (at.isNull())
                return false;
            walk.click(at);
            return true;
        });
        d.clickWhenShown(walk, QStringLiteral(">активен<"), QStringLiteral("l0"), QStringLiteral("21-men-started.png"),
                         {}, QStringLiteral("активен"));
        d.closeWhenShown(walk, QStringLiteral("Рабочий стол оператора"), QStringLiteral("22-card-started.png"));
        const bool walked = walk.run(90000);
        QVERIFY2(walk.failed.isEmpty(), qPrintable(walk.failed));
        QVERIFY2(walked, qPrintable(walk.lastStep));
        QVERIFY(asked.startsWith(QStringLiteral("Вести рабочий стол оператора для папки этого теста?")));
        QVERIFY(d.store()->read(desk::kDeskKind, desk::kDeskOnKey).has_value());
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11Desk)
#include "tst_x11desk.moc"
