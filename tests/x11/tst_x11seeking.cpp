#include "X11Person.h"

#include "ScriptedPlatform.h"
#include "engines/Desk.h"
#include "ground/App.h"
#include "people/KartochkaDialog.h"
#include "screens/people/FrmKartochka.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

// "Кого ищу" in the card dialog on a real X11 desk: typed with real keys,
// a colour ticked with the mouse, confirmed with a click on "ОК".
class TestX11Seeking : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(), "needs xdotool");
    }

    void boundsTypedAndTicked()
    {
        ScriptedPlatform platform;
        App app(platform);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(app);
        KartochkaDialog dialog(app);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        const auto at = [&](const QString& name) { return centreOf(dialog.binder().widget(name)); };
        const auto typeAt = [](const QPoint& p, const QString& text) {
            return QList<QStringList>{{QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
                                       QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("key"),
                                       QStringLiteral("ctrl+a")},
                                      {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}};
        };
        Person person;
        person.then(QStringLiteral("name and year"), [&] {
            person.xdotools(typeAt(at(QStringLiteral("txtNameFamiliya")), QStringLiteral("Ivan")) +
                            typeAt(at(QStringLiteral("txtDataRogdeniya")), QStringLiteral("1980")));
            return true;
        });
        person.then(QStringLiteral("ages and height"), [&] {
            person.xdotools(typeAt(at(QStringLiteral("txtSeekAge(0)")), QStringLiteral("25")) +
                            typeAt(at(QStringLiteral("txtSeekAge(1)")), QStringLiteral("35")) +
                            typeAt(at(QStringLiteral("txtSeekHeight(1)")), QStringLiteral("1,80")));
            return true;
        });
        person.then(QStringLiteral("a hair colour"), [&] {
            const QWidget* box = dialog.binder().widget(QStringLiteral("chSeekHair(0)"));
            person.click(box->mapToGlobal(QPoint(8, box->height() / 2)));
            return true;
        });
        person.then(QStringLiteral("shot"), [&] {
            QProcess import;
            const QString shots = qEnvironmentVariable("TANDEMO_SHOTS");
            if (!shots.isEmpty()) {
                import.start(QStringLiteral("import"),
                             {QStringLiteral("-window"), QStringLiteral("root"), shots + QStringLiteral("/x11-card-dialog-seeking.png")});
                import.waitForFinished(20000);
            }
            return true;
        });
        person.then(QStringLiteral("OK"), [&] {
            person.click(at(QStringLiteral("OK")));
            return true;
        });
        person.then(QStringLiteral("closed"), [&] { return app.st.Dialog == DialogMode::Confirmed; });
        QVERIFY2(person.run(30000), qPrintable(person.lastStep));
        const std::optional<desk::Seeking> kept = desk::DecodeSeeking(app.st.CardFields[0].Accepts);
        QVERIFY(kept);
        QCOMPARE(kept->ageFrom, std::optional<int>(25));
        QCOMPARE(kept->ageTo, std::optional<int>(35));
        QCOMPARE(kept->heightTo, std::optional<double>(1.8));
        QCOMPARE(kept->hair, QStringList{QStringLiteral("Блондинка")});
        QCOMPARE(app.st.CardFields[0].NameFamiliya, QStringLiteral("Ivan"));
    }
};

QTEST_MAIN(TestX11Seeking)
#include "tst_x11seeking.moc"
