#include "Fixtures.h"
#include "WebTestSupport.h"

#include "ground/TextFile.h"
#include "people/KartochkaDialog.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/HtmlWindow.h"
#include "views/WebView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using webtest::clickElement;
using webtest::waitForText;

namespace {
// Answers whatever modal window comes up, once, by running `act` on it.
class ModalAnswerer : public QObject {
public:
    template <typename W>
    void expect(std::function<void(W*)> act)
    {
        done_ = false;
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, this, [this, act] {
            if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
                timer_.stop();
                timer_.disconnect();
                act(w);
                done_ = true;
            }
        });
        timer_.start();
    }
    bool done() const { return done_; }

private:
    QTimer timer_;
    bool done_ = false;
};

void type(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
    }
}
}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void onePersonTakesTheTestAndSearchesAPair()
    {
        QTemporaryDir tmp;
        const QString program = tmp.path() + QStringLiteral("/программа/");
        const QString folder = tmp.path() + QStringLiteral("/Знакомства/");
        webtest::writeProgramAndTest(program, folder, {"znak0.jpg", "znak1.jpg"});
        Kartochka anna;
        anna.NameFamiliya = QStringLiteral("Анна");
        anna.DataRogdeniya = 1990;
        anna.Pol = 1;
        anna.Otvety = QStringLiteral("120");
        fixtures::writeBytes(folder + QStringLiteral("a.tnw"), PersonFileContent(anna));
        fixtures::writeBytes(program + QStringLiteral("Тандемо.ini"),
                             fixtures::cp1251Lines({program, QString(), folder + QStringLiteral("Знакомства.tnd")}));

        QtPlatform platform;
        platform.setExecutableFolder(program);
        App app(platform);
        MainWindow window(app, platform);
        Main(app);
        window.syncFromModel();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        WebView& view = *window.view();

        // The last test of the previous run is one click away.
        window.action(QStringLiteral("FileNameTest"))->trigger();
        QVERIFY(waitForText(view, QStringLiteral("Начать тестирование")));

        ModalAnswerer answerer;
        answerer.expect<KartochkaDialog>([](KartochkaDialog* dialog) {
            type(dialog->binder().widget(QStringLiteral("txtNameFamiliya")), QStringLiteral("Иван, \"Ваня\""));
            auto* year = qobject_cast<QLineEdit*>(dialog->binder().widget(QStringLiteral("txtDataRogdeniya")));
            year->setFocus();
            year->end(false);
            QTest::keyClicks(year, QStringLiteral("85"));
            qobject_cast<QPushButton*>(dialog->binder().widget(QStringLiteral("OK")))->click();
        });
        clickElement(view, QStringLiteral("a[href$='s.ru']"));
        QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), 10000);
        QVERIFY(waitForText(view, QStringLiteral("Вопрос 1?")));

        // Answers by clicking the links: 2) on the first, 3) on the second.
        clickElement(view, QStringLiteral("a[href='http://tnd.1']"));
        QVERIFY(waitForText(view, QStringLiteral("Вопрос 2?")));
        clickElement(view, QStringLiteral("a[href='http://tnd.2']"));
        QVERIFY(waitForText(view, QStringLiteral("Вопрос 3?")));
        // Back to the second, whose choice is marked, and another answer.
        qobject_cast<QPushButton*>(window.widget(QStringLiteral("Nazad")))->click();
        QVERIFY(waitForText(view, QStringLiteral("Вопрос 2?")));
        QCOMPARE(webtest::runJs(view, QStringLiteral("document.querySelector(\"a[href='http://tnd.2'] img\").src.endsWith('znak1.jpg')")).toBool(), true);
        QCOMPARE(webtest::runJs(view, QStringLiteral("document.querySelector(\"a[href='http://tnd.2'] img\").naturalWidth > 0")).toBool(), true);
        clickElement(view, QStringLiteral("a[href='http://tnd.0']"));
        QVERIFY(waitForText(view, QStringLiteral("Вопрос 3?")));
        clickElement(view, QStringLiteral("a[href='http://tnd.0']"));
        QVERIFY(waitForText(view, QStringLiteral("Тест пройден.")));
        clickElement(view, QStringLiteral("a[href='http://tnd.r']"));
        QVERIFY(waitForText(view, QStringLiteral("Поиск пары")));

        const QStringList results = QDir(folder).entryList({QStringLiteral("*.tnm")});
        QCOMPARE(results.size(), 1);
        QVERIFY(results[0].startsWith(QStringLiteral("Знакомства_")));
        QCOMPARE(fixtures::readBytes(folder + results[0]),
                 fixtures::cp1251Lines({QStringLiteral("[kartochka]"), QStringLiteral("Иван, \"Ваня\""),
                                        QStringLiteral(" 1985"), QStringLiteral(" 0"), QStringLiteral("100"),
                                        QStringLiteral(" 0"), QString(), QString()}));

        // "Поиск пары": the ranking of the women in the secondary window.
        QString ranking;
        answerer.expect<HtmlWindow>([&ranking](HtmlWindow* window) {
            if (waitForText(*window->view(), QStringLiteral("Совпадений")))
                ranking = webtest::runJs(*window->view(), QStringLiteral("document.body.innerText")).toString();
            window->close();
        });
        clickElement(view, QStringLiteral("a[href$='p.ru']"));
        QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), 20000);
        QVERIFY2(ranking.contains(QStringLiteral("Анна")), qPrintable(ranking));
        QVERIFY(ranking.contains(QStringLiteral("2 (66%)")));
        QVERIFY(!QApplication::activeModalWidget());

        // The next person starts afresh: nothing marked on the first question.
        answerer.expect<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        QVERIFY(window.action(QStringLiteral("FileSnachala"))->isEnabled());
        window.action(QStringLiteral("FileSnachala"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), 10000);
        QVERIFY(waitForText(view, QStringLiteral("Начать тестирование")));
        answerer.expect<KartochkaDialog>([](KartochkaDialog* dialog) {
            type(dialog->binder().widget(QStringLiteral("txtNameFamiliya")), QStringLiteral("Пётр"));
            auto* year = qobject_cast<QLineEdit*>(dialog->binder().widget(QStringLiteral("txtDataRogdeniya")));
            year->setFocus();
            year->end(false);
            QTest::keyClicks(year, QStringLiteral("90"));
            qobject_cast<QPushButton*>(dialog->binder().widget(QStringLiteral("OK")))->click();
        });
        clickElement(view, QStringLiteral("a[href$='s.ru']"));
        QTRY_VERIFY_WITH_TIMEOUT(answerer.done(), 10000);
        QVERIFY(waitForText(view, QStringLiteral("Вопрос 1?")));
        QCOMPARE(webtest::runJs(view, QStringLiteral("document.querySelectorAll(\"img[src$='znak1.jpg']\").length")).toInt(), 0);
        QCOMPARE(webtest::runJs(view, QStringLiteral("document.querySelectorAll(\"img[src$='znak0.jpg']\").length")).toInt(), 3);
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
