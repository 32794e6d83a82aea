#include "people/KartochkaDialog.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "screens/taking/TestFlow.h"
#include "views/WebView.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Types text the way a keyboard does, Cyrillic included.
void type(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

template <typename W>
W* part(KartochkaDialog* dialog, const QString& name)
{
    return qobject_cast<W*>(dialog->binder().widget(name));
}
}

class TestKartochkaDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // "Дальше" on the start page opens the real card dialog; what the person
    // types there becomes the own card and the first question follows.
    void cardBeforeTheTest()
    {
        QTemporaryDir tmp;
        QtPlatform platform;
        platform.setExecutableFolder(tmp.path());
        App app(platform);
        MainWindow window(app, platform);
        app.st.folders.AppFolder = tmp.path() + QLatin1Char('/');
        app.st.folders.WorkFolder = app.st.folders.AppFolder;
        app.st.test.TestName = QStringLiteral("Знакомства");
        app.st.test.QuestionCount = 2;
        app.st.test.Questions.resizeFresh(2);
        for (int q = 1; q <= 2; ++q) {
            app.st.test.Questions[q].Vopros = QStringLiteral("Вопрос");
            app.st.test.Questions[q].CountOtvetov = 1;
        }
        ReStart(app, 0);
        app.st.main.Phase = TestPhase::StartPage;
        app.frmForma.kDalee.enabled = true;  // "Дальше" starts the test in phase 0
        window.syncFromModel();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        bool checked = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<KartochkaDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Личная карточная"));
            auto* year = part<QLineEdit>(dialog, QStringLiteral("txtDataRogdeniya"));
            auto* details = part<QCheckBox>(dialog, QStringLiteral("chPodrobnee"));
            auto* height = part<QLineEdit>(dialog, QStringLiteral("txtInfo(0)"));
            auto* womenHair = part<QComboBox>(dialog, QStringLiteral("lstRaznoe(1)"));
            QCOMPARE(year->text(), QStringLiteral("19"));
            QVERIFY(!height->isEnabled());

            // An empty name keeps the dialog open.
            part<QPushButton>(dialog, QStringLiteral("OK"))->click();
            QVERIFY(dialog->isVisible());

            type(part<QLineEdit>(dialog, QStringLiteral("txtNameFamiliya")), QStringLiteral("Анна"));
            year->setFocus();
            year->end(false);
            QTest::keyClicks(year, QStringLiteral("8x5-"));
            QCOMPARE(year->text(), QStringLiteral("1985"));
            QTest::keyClicks(year, QStringLiteral("7"));
            QCOMPARE(year->text(), QStringLiteral("1985"));  // four characters at most

            QTest::mouseClick(part<QRadioButton>(dialog, QStringLiteral("selPol(1)")), Qt::LeftButton);
            QVERIFY(womenHair->isVisible());
            QVERIFY(!part<QComboBox>(dialog, QStringLiteral("lstRaznoe(0)"))->isVisible());
            QTest::mouseClick(details, Qt::LeftButton);
            QVERIFY(height->isEnabled() && womenHair->isEnabled());
            QTest::keyClicks(height, QStringLiteral("1,65"));
            womenHair->setFocus();
            QTest::keyClick(womenHair, Qt::Key_Down);
            checked = true;
            part<QPushButton>(dialog, QStringLiteral("OK"))->click();
        });
        qobject_cast<QPushButton*>(window.widget(QStringLiteral("kDalee")))->click();
        QVERIFY(checked);
        QVERIFY(!QApplication::activeModalWidget());

        const Kartochka& card = app.st.CardFields[0];
        QCOMPARE(card.NameFamiliya, QStringLiteral("Анна"));
        QCOMPARE(card.DataRogdeniya, 1985);
        QCOMPARE(card.Pol, 1);
        QCOMPARE(card.Podrobnee, 1);
        QCOMPARE(card.Podrobnosti[0], QStringLiteral("1,65"));
        QCOMPARE(card.Podrobnosti[2], QStringLiteral("Брюнетка"));
        QCOMPARE(app.st.main.Phase, TestPhase::Attempt);
        QCOMPARE(app.st.main.CurrentQuestion, 1);
        QVERIFY(window.widget(QStringLiteral("kDalee"))->isEnabled());
        QVERIFY(!window.widget(QStringLiteral("Nazad"))->isEnabled());
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestKartochkaDialog)
#include "tst_kartochkadialog.moc"
