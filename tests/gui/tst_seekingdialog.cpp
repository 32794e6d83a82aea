#include "ScriptedPlatform.h"

#include "engines/Desk.h"
#include "ground/App.h"
#include "people/KartochkaDialog.h"
#include "screens/people/FrmKartochka.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The card dialog's "Кого ищу" on the real widgets: typed bounds and a
// ticked colour reach the card; a wrong bound keeps the dialog open on it.
class TestSeekingDialog : public QObject {
    Q_OBJECT

    template <typename W>
    static W* widget(KartochkaDialog& dialog, const QString& name)
    {
        auto* w = qobject_cast<W*>(dialog.binder().widget(name));
        if (!w)
            qFatal("no widget %s", qPrintable(name));
        return w;
    }

    // A picture for people to look at, when asked for.
    static void shoot(QWidget& w, const QString& name)
    {
        const QString folder = qEnvironmentVariable("TANDEMO_SHOTS");
        if (!folder.isEmpty())
            w.grab().save(QDir(folder).filePath(QString(name).replace(QLatin1Char(' '), QLatin1Char('-'))));
    }

private Q_SLOTS:
    void typedBoundsReachTheCard_data()
    {
        QTest::addColumn<QString>("ageTo");
        QTest::addColumn<QString>("wrongField");  // empty: accepted
        QTest::newRow("accepted") << "35" << "";
        QTest::newRow("from above to") << "20" << "txtSeekAge(1)";
    }
    void typedBoundsReachTheCard()
    {
        QFETCH(QString, ageTo);
        QFETCH(QString, wrongField);
        ScriptedPlatform platform;
        App app(platform);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(app);
        KartochkaDialog dialog(app);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(widget<QLineEdit>(dialog, QStringLiteral("txtNameFamiliya")), QStringLiteral("Ivan"));
        auto* year = widget<QLineEdit>(dialog, QStringLiteral("txtDataRogdeniya"));
        year->selectAll();
        QTest::keyClicks(year, QStringLiteral("1980"));
        QTest::keyClicks(widget<QLineEdit>(dialog, QStringLiteral("txtSeekAge(0)")), QStringLiteral("25"));
        QTest::keyClicks(widget<QLineEdit>(dialog, QStringLiteral("txtSeekAge(1)")), ageTo);
        QTest::keyClicks(widget<QLineEdit>(dialog, QStringLiteral("txtSeekHeight(0)")), QStringLiteral("1,6"));
        auto* hair = widget<QCheckBox>(dialog, QStringLiteral("chSeekHair(2)"));
        QCOMPARE(hair->text(), QStringLiteral("Шатенка"));
        QTest::mouseClick(hair, Qt::LeftButton, {}, QPoint(8, hair->height() / 2));
        QVERIFY(hair->isChecked());
        shoot(dialog, QStringLiteral("card-dialog-seeking-") + QTest::currentDataTag() + QStringLiteral(".png"));
        QTest::mouseClick(widget<QPushButton>(dialog, QStringLiteral("OK")), Qt::LeftButton);
        if (!wrongField.isEmpty()) {
            QCOMPARE(app.st.Dialog, DialogMode::NewCard);
            QCOMPARE(app.frmKartochka.focus, wrongField);
            QTRY_COMPARE(QApplication::focusWidget(), dialog.binder().widget(wrongField));
            QVERIFY(app.st.CardFields[0].Accepts.isEmpty());
            return;
        }
        QCOMPARE(app.st.Dialog, DialogMode::Confirmed);
        QCOMPARE(app.st.CardFields[0].DataRogdeniya, 1980);
        const std::optional<desk::Seeking> kept = desk::DecodeSeeking(app.st.CardFields[0].Accepts);
        QVERIFY(kept);
        QCOMPARE(kept->ageFrom, std::optional<int>(25));
        QCOMPARE(kept->ageTo, std::optional<int>(35));
        QCOMPARE(kept->heightFrom, std::optional<double>(1.6));
        QCOMPARE(kept->hair, QStringList{QStringLiteral("Шатенка")});
    }
};

QTEST_MAIN(TestSeekingDialog)
#include "tst_seekingdialog.moc"
