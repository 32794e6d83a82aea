#include "TextEntryChecks.h"

#include "screens/document/FileCommands.h"
#include "screens/editor/Media.h"
#include "editor/NomerDialog.h"
#include "screens/editor/QuestionList.h"
#include "views/WebView.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include <functional>
#include <set>

namespace {
// The names the open file dialog lists in its folder once it has read it.
QStringList listedNames(QFileDialog* dialog)
{
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    if (!view)
        return {};
    QStringList names;
    QAbstractItemModel* model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row)
        names << model->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

// Runs `step` on the file dialog once it is on screen, then closes it.
void onFileDialog(const std::function<void(QFileDialog*)>& step)
{
    QTimer::singleShot(0, [step] {
        QFileDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) != nullptr);
        step(dialog);
        dialog->reject();
    });
}
}  // namespace

class TestTextEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editMenuShortcutsInTheEditorBox() { textentry::checkEditorShortcuts(); }
    void editMenuShortcutsInTheBulkBox() { textentry::checkBulkShortcuts(); }
    void pasteIntoTheCard() { textentry::checkPasteIntoCard(); }
    void pasteIntoTheEditorBox() { textentry::checkPasteIntoEditor(); }
    void pasteIntoParametersAndPassword() { textentry::checkPasteIntoParametersAndPassword(); }

    // The real picture, video and audio dialogs list every file of their
    // patterns, and nothing else.
    void mediaDialogsListEveryPattern_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("picture") << 0 << QStringList{"a.jpg", "b.gif"};
        QTest::newRow("video") << 1 << QStringList{"c.mpg", "d.avi", "e.swf"};
        QTest::newRow("audio") << 2 << QStringList{"f.mp3", "g.wav", "h.mid"};
    }
    void mediaDialogsListEveryPattern()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, listed);
        QTemporaryDir tmp;
        for (const char* name : {"a.jpg", "b.gif", "c.mpg", "d.avi", "e.swf", "f.mp3", "g.wav", "h.mid", "i.txt"})
            QFile(tmp.filePath(QString::fromLatin1(name))).open(QIODevice::WriteOnly);
        QtPlatform platform;
        App app(platform);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.LastFolder = tmp.path() + QLatin1Char('/');
        QStringList shown;
        bool readOnly = false;
        onFileDialog([&](QFileDialog* dialog) {
            readOnly = dialog->testOption(QFileDialog::ReadOnly);
            QTRY_VERIFY(listedNames(dialog).size() >= listed.size());
            shown = listedNames(dialog);
        });
        if (kind == 0)
            OpenPictureDialog(app);
        else
            OpenVideoDialog(app, kind);
        QCOMPARE(shown, listed);
        QVERIFY(readOnly);
    }

    // At the kiosk the photo picker only chooses: its context menu offers no
    // delete, rename or new folder, and it has no new-folder button.
    void photoPickerOffersNoDelete()
    {
        QTemporaryDir tmp;
        QFile(tmp.filePath(QStringLiteral("someone.tnw"))).open(QIODevice::WriteOnly);
        QtPlatform platform;
        App app(platform);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.LastFolder = tmp.path() + QLatin1Char('/');
        app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(app);
        QStringList offered;
        bool newFolderButton = true;
        onFileDialog([&](QFileDialog* dialog) {
            QTRY_VERIFY(!listedNames(dialog).isEmpty());
            auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
            QVERIFY(view);
            const QModelIndex first = view->model()->index(0, 0, view->rootIndex());
            view->setCurrentIndex(first);
            QTimer::singleShot(0, [&] {
                QMenu* menu = nullptr;
                QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
                for (QAction* action : menu->actions()) {
                    if (action->isVisible() && !action->isSeparator())
                        offered << action->objectName();
                }
                menu->close();
            });
            Q_EMIT view->customContextMenuRequested(view->visualRect(first).center());
            for (auto* button : dialog->findChildren<QWidget*>(QStringLiteral("newFolderButton")))
                newFolderButton = button->isVisible();
        });
        frmKartochka_kObzorEmblema_Click(app);
        QVERIFY(!offered.isEmpty());
        QVERIFY2(!offered.contains(QStringLiteral("qt_delete_action")), qPrintable(offered.join(',')));
        QVERIFY(!offered.contains(QStringLiteral("qt_rename_action")));
        QVERIFY(!offered.contains(QStringLiteral("qt_new_folder_action")));
        QVERIFY(!newFolderButton);
        QVERIFY(QFile::exists(tmp.filePath(QStringLiteral("someone.tnw"))));
    }

    // The save dialog only chooses a name too.
    void saveDialogIsReadOnly()
    {
        QTemporaryDir tmp;
        QtPlatform platform;
        App app(platform);
        app.st.folders.PathSep = QStringLiteral("/");
        app.st.folders.LastFolder = tmp.path() + QLatin1Char('/');
        app.st.test.TestName = QStringLiteral("Тест");
        bool readOnly = false;
        bool newFolderButton = true;
        onFileDialog([&](QFileDialog* dialog) {
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            readOnly = dialog->testOption(QFileDialog::ReadOnly);
            for (auto* button : dialog->findChildren<QWidget*>(QStringLiteral("newFolderButton")))
                newFolderButton = button->isVisible();
        });
        SaveTestDialogAs(app);
        QVERIFY(readOnly);
        QVERIFY(!newFolderButton);
        QVERIFY(QDir(tmp.path()).isEmpty());
    }

    // The question picker: the list makes its first row current when it gets
    // the focus, but nothing is chosen; Enter then does nothing and the
    // dialog stays. A chosen row is taken.
    void pickerEnterWithNothingSelected()
    {
        textentry::RecordingPlatform platform;
        App app(platform);
        app.st.test.TestName = QStringLiteral("Тест");
        app.st.test.QuestionCount = 3;
        app.st.test.Questions.resizeFresh(3);
        for (int q = 1; q <= 3; ++q)
            app.st.test.Questions[q].Vopros = QStringLiteral("Вопрос %1").arg(q);
        NewTest(app, 0);
        app.st.main.CurrentQuestion = 2;
        frmNomer_Load(app);
        NomerDialog dialog(app);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.list()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(dialog.list()->hasFocus());
        QTest::keyClick(dialog.list(), Qt::Key_Return);
        QCOMPARE(app.st.main.CurrentQuestion, 2);
        QVERIFY(dialog.isVisible());
        QVERIFY(!app.frmNomer.closeRequested);
        QCOMPARE(app.frmNomer.List1.listIndex, -1);

        QTest::keyClick(dialog.list(), Qt::Key_Down);
        QCOMPARE(app.frmNomer.List1.listIndex, dialog.list()->currentRow());
        const int chosen = dialog.list()->currentRow();
        QTest::keyClick(dialog.list(), Qt::Key_Return);
        QCOMPARE(app.st.main.CurrentQuestion, chosen + 1);
    }

    // An open list of the card dialog shows its highlighted entry in the
    // desktop's highlight colour, not painted over by the dialog.
    void cardListsShowTheHighlight()
    {
        textentry::RecordingPlatform platform;
        App app(platform);
        app.st.Dialog = DialogMode::NewCard;
        frmKartochka_Load(app);
        app.frmKartochka.chPodrobnee.checked = true;
        frmKartochka_chPodrobnee_Click(app);
        KartochkaDialog dialog(app);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* eyes = qobject_cast<QComboBox*>(dialog.binder().widget(QStringLiteral("lstRaznoe(2)")));
        QVERIFY(eyes && eyes->isEnabled());
        eyes->showPopup();
        QAbstractItemView* view = eyes->view();
        QTRY_VERIFY(view->isVisible());
        view->setCurrentIndex(view->model()->index(1, 0));
        const QRect row = view->visualRect(view->currentIndex());
        const QImage shot = view->grab().toImage();
        const QColor highlight = view->palette().color(QPalette::Highlight);
        // The style may shade the bar a little; most of it is near the colour.
        int highlighted = 0;
        for (int x = row.left(); x <= row.right(); ++x) {
            const QColor c = shot.pixelColor(x, row.top() + 2);  // above the letters
            if (std::abs(c.red() - highlight.red()) + std::abs(c.green() - highlight.green()) +
                    std::abs(c.blue() - highlight.blue()) < 60)
                ++highlighted;
        }
        QVERIFY2(highlighted > row.width() / 2,
                 qPrintable(QStringLiteral("%1 of %2").arg(highlighted).arg(row.width())));
        eyes->hidePopup();
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestTextEntry)
#include "tst_textentry.moc"
