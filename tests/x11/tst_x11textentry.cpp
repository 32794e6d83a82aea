#include "../gui/TextEntryChecks.h"

#include "views/WebView.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QImage>
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
    void pasteIntoTheEditorBox() { textentry::checkPasteIntoEditor(); }
    void pasteIntoParametersAndPassword() { textentry::checkPasteIntoParametersAndPassword(); }

    // On the X11 screen: the card dialog's open list shows its highlighted
    // entry in the desktop's highlight colour, and the password box shows an
    // asterisk per typed character. The screen pictures are kept in the
    // folder TANDEMO_SHOTS names, for a person to look at.
    void cardListAndPasswordOnScreen()
    {
        QTemporaryDir tmp;
        const QString folder = qEnvironmentVariable("TANDEMO_SHOTS", tmp.path());
        textentry::RecordingPlatform platform;
        App app(platform);
        app.st.Dialog = DialogMode::NewCard;
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
            QAbstractItemView* view = zodiac->view();
            QTRY_VERIFY(view->isVisible());
            view->setCurrentIndex(view->model()->index(2, 0));
            QTest::qWait(300);
            const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            QVERIFY(screen.save(folder + QStringLiteral("/card-list.png")));
            const QRect row = view->visualRect(view->currentIndex());
            const QPoint origin = view->viewport()->mapToGlobal(QPoint(0, 0));
            const QColor highlight = view->palette().color(QPalette::Highlight);
            int highlighted = 0;
            for (int x = row.left(); x <= row.right(); ++x) {
                const QColor c = screen.pixelColor(origin + QPoint(x, row.top() + 2));
                if (std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                        std::abs(c.blue() - highlight.blue()) < 60)
                    ++highlighted;
            }
            QVERIFY2(highlighted > row.width() / 2,
                     qPrintable(QStringLiteral("%1 of %2").arg(highlighted).arg(row.width())));
            zodiac->hidePopup();
        }
        app.frmPassW.visible = true;
        PasswordDialog dialog(app);
        dialog.move(40, 40);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* password = dialog.findChild<QLineEdit*>();
        textentry::typeText(password, QStringLiteral("пароль"));
        QCOMPARE(password->displayText(), QStringLiteral("******"));
        QTest::qWait(300);
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QStringLiteral("/password.png")));
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestX11TextEntry)
#include "tst_x11textentry.moc"
