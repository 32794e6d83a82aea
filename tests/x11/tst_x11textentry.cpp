#include "../gui/TextEntryChecks.h"

#include "views/WebView.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QScreen>

// The same roads for text on a real X11 desktop (Xvfb with a window
// manager): its key scheme lets text boxes claim keys such as Ctrl+U for
// themselves, and its clipboard is the X server's.
class TestX11TextEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    // Under this key scheme a line edit takes Ctrl+U as "delete the line":
    // the shortcut must still reach the menu.
    void lineEditClaimsCtrlU()
    {
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.setText(QStringLiteral("ab"));
        QTest::keyClick(&edit, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(edit.text(), QString());
    }

    void editMenuShortcutsInTheEditorBox() { textentry::checkEditorShortcuts(); }
    void editMenuShortcutsInTheBulkBox() { textentry::checkBulkShortcuts(); }
    void pasteIntoTheCard() { textentry::checkPasteIntoCard(); }
    void pasteIntoParametersAndPassword() { textentry::checkPasteIntoParametersAndPassword(); }

    // Pictures of the card dialog with an open list and of the password box
    // after typing, for a person to look at (TANDEMO_SHOTS names a folder).
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("TANDEMO_SHOTS");
        if (folder.isEmpty())
            QSKIP("TANDEMO_SHOTS names no folder");
        textentry::RecordingPlatform platform;
        App app(platform);
        app.st.DialogMode = 0;
        frmKartochka_Load(app);
        app.frmKartochka.chPodrobnee.checked = true;
        frmKartochka_chPodrobnee_Click(app);
        {
            KartochkaDialog dialog(app);
            dialog.move(40, 40);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            auto* zodiac = qobject_cast<QComboBox*>(dialog.binder().widget(QStringLiteral("lstRaznoe(3)")));
            zodiac->showPopup();
            QTRY_VERIFY(zodiac->view()->isVisible());
            zodiac->view()->setCurrentIndex(zodiac->view()->model()->index(2, 0));
            QTest::qWait(300);
            QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QStringLiteral("/card-list.png")));
            zodiac->hidePopup();
        }
        app.frmPassW.visible = true;
        PasswordDialog dialog(app);
        dialog.move(40, 40);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        textentry::typeText(dialog.findChild<QLineEdit*>(), QStringLiteral("пароль"));
        QTest::qWait(300);
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QStringLiteral("/password.png")));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11TextEntry)
#include "tst_x11textentry.moc"
