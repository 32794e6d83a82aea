#pragma once

// Checks of every road by which text enters the real widgets, shared by the
// offscreen tests and the tests on an X11 desktop (whose key scheme gives
// text boxes keys of their own, such as Ctrl+U).

#include "screens/editor/FrmParam.h"
#include "screens/editor/NewTest.h"
#include "document/PasswordDialog.h"
#include "document/ParamDialog.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "screens/editor/FrmLoadVopros.h"
#include "editor/LoadVoprosDialog.h"
#include "screens/people/FrmKartochka.h"
#include "people/KartochkaDialog.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QDropEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace textentry {

// The desktop with message boxes and file dialogs answered by the test.
class RecordingPlatform : public QtPlatform {
public:
    QStringList messages;
    QList<WindowId> modals;
    QString fileAnswer;
    QString fileDialog(bool, const QString&, const QList<FileFilter>&, const QString&) override { return fileAnswer; }
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon, MsgAnswer) override
    {
        messages << text;
        return MsgAnswer::Yes;
    }
    void showModal(WindowId window) override { modals << window; }
};

inline void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const Qt::Key key = c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

// Puts text on the clipboard and pastes it with the desktop's paste key.
inline void pasteInto(QWidget* widget, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    QTRY_COMPARE(QGuiApplication::clipboard()->text(), text);
    widget->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

// One shortcut of an Edit menu and what it leaves in a box that held "ab"
// with the caret between the two letters.
struct Shortcut {
    const char* name;
    Qt::Key key;
    QString expected;  // empty: the text stays "ab" and `modal` opened
    WindowId modal = WindowId::Param;
};

inline QList<Shortcut> markupShortcuts(const QString& fileName)
{
    return {
        {"Ctrl+U superscript", Qt::Key_U, QStringLiteral("a<sup></sup>b")},
        {"Ctrl+D subscript", Qt::Key_D, QStringLiteral("a<sub></sub>b")},
        {"Ctrl+T inequality", Qt::Key_T, QStringLiteral("a&#60;&#62;b")},
        {"Ctrl+I picture", Qt::Key_I, QStringLiteral("a<img border=\"0\" src=\"") + fileName + QStringLiteral("\">b")},
        {"Ctrl+F file name", Qt::Key_F, QStringLiteral("a") + fileName + QStringLiteral("b")},
    };
}

// The main window's editor box: every Edit-menu shortcut inserts its markup
// and leaves the text around it as it was; those that open a dialog leave
// the text alone.
inline void checkEditorShortcuts()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString picture = tmp.filePath(QStringLiteral("p.jpg"));
    QFile(picture).open(QIODevice::WriteOnly);
    RecordingPlatform platform;
    platform.setExecutableFolder(tmp.path());
    platform.fileAnswer = picture;
    App app(platform);
    MainWindow window(app, platform);
    Main(app);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    app.st.test.TestName = QStringLiteral("Тест");
    app.st.test.QuestionCount = 2;
    app.st.test.Questions.resizeFresh(2);
    for (int q = 1; q <= 2; ++q)
        app.st.test.Questions[q].CountOtvetov = 1;
    NewTest(app, 0);
    window.syncFromModel();
    window.activateWindow();
    auto* edit = qobject_cast<QLineEdit*>(window.widget(QStringLiteral("Txt")));
    QVERIFY(edit);
    QTRY_VERIFY(edit->hasFocus());

    QList<Shortcut> cases = markupShortcuts(QStringLiteral("p.jpg"));
    cases.append({"Ctrl+P parameters", Qt::Key_P, QString(), WindowId::Param});
    cases.append({"F4 question picker", Qt::Key_F4, QString(), WindowId::Nomer});
    for (const Shortcut& c : cases) {
        edit->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(edit->hasFocus());
        edit->selectAll();
        typeText(edit, QStringLiteral("ab"));
        QCOMPARE(app.st.test.Questions[1].Vopros, QStringLiteral("ab"));
        edit->setCursorPosition(1);
        platform.modals.clear();
        const Qt::KeyboardModifiers mods = c.key == Qt::Key_F4 ? Qt::NoModifier : Qt::ControlModifier;
        QTest::keyClick(edit, c.key, mods);
        if (c.expected.isEmpty()) {
            QVERIFY2(platform.modals.contains(c.modal), c.name);
            QCOMPARE(app.st.test.Questions[1].Vopros, QStringLiteral("ab"));
            // The parameters dialog left the field; come back to the question.
            app.st.editor.Target = EditTarget::Nothing;
            QTest::mouseClick(window.widget(QStringLiteral("picVopros")), Qt::LeftButton);
        } else {
            QVERIFY2(edit->text() == c.expected, qPrintable(QStringLiteral("%1: %2").arg(c.name, edit->text())));
            QCOMPARE(app.st.test.Questions[1].Vopros, c.expected);
        }
    }
    QVERIFY(platform.messages.isEmpty());
}

// A paste into the editor's box: the question keeps every character (the
// file spells the others as character references) and stays on one line.
inline void checkPasteIntoEditor()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    RecordingPlatform platform;
    platform.setExecutableFolder(tmp.path());
    App app(platform);
    MainWindow window(app, platform);
    Main(app);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    app.st.test.TestName = QStringLiteral("Тест");
    app.st.test.TestPassword = QStringLiteral("п");
    app.st.test.QuestionCount = 1;
    app.st.test.Questions.resizeFresh(1);
    app.st.test.Questions[1].CountOtvetov = 1;
    NewTest(app, 0);
    window.syncFromModel();
    window.activateWindow();
    auto* edit = qobject_cast<QLineEdit*>(window.widget(QStringLiteral("Txt")));
    QTRY_VERIFY(edit->hasFocus());
    typeText(edit, QStringLiteral("Ваш"));
    pasteInto(edit, QStringLiteral("\r\nрост 😀"));
    typeText(edit, QStringLiteral("?"));
    QCOMPARE(edit->text(), QStringLiteral("Ваш рост 😀?"));
    QCOMPARE(app.st.test.Questions[1].Vopros, QStringLiteral("Ваш рост 😀?"));
    QVERIFY(platform.messages.isEmpty());
    QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("t")));
    const QString path = tmp.filePath(QStringLiteral("t/t.tnd"));
    SaveTest(app, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.value(5), textfile::encode(QStringLiteral("Ваш рост &#128512;?\r")));
}

// The bulk text box: its own menu's shortcuts insert the same markup, and the
// lines around the caret stay whole.
inline void checkBulkShortcuts()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString picture = tmp.filePath(QStringLiteral("p.jpg"));
    QFile(picture).open(QIODevice::WriteOnly);
    RecordingPlatform platform;
    platform.fileAnswer = picture;
    App app(platform);
    app.st.folders.PathSep = QStringLiteral("/");
    app.st.folders.AppFolder = tmp.path() + QLatin1Char('/');
    app.st.test.QuestionCount = 1;
    app.st.test.Questions.resizeFresh(1);
    app.st.main.CurrentQuestion = 1;
    app.st.Dialog = DialogMode::LoadQuestions;
    frmLoadVopros_Load(app);
    LoadVoprosDialog dialog(app);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    auto* box = dialog.findChild<QPlainTextEdit*>();
    QVERIFY(box);
    for (const Shortcut& c : markupShortcuts(QStringLiteral("p.jpg"))) {
        box->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(box->hasFocus());
        box->selectAll();
        typeText(box, QStringLiteral("x"));
        QTest::keyClick(box, Qt::Key_Return);
        typeText(box, QStringLiteral("ab"));
        QTest::keyClick(box, Qt::Key_Return);
        typeText(box, QStringLiteral("y"));
        QTextCursor cursor = box->textCursor();
        cursor.setPosition(3);
        box->setTextCursor(cursor);
        QTest::keyClick(box, c.key, Qt::ControlModifier);
        const QString expected = QStringLiteral("x\n") + c.expected + QStringLiteral("\ny");
        QVERIFY2(app.frmLoadVopros.Text.text == expected,
                 qPrintable(QStringLiteral("%1: %2").arg(c.name, app.frmLoadVopros.Text.text)));
        QCOMPARE(box->toPlainText(), expected);
    }
    QVERIFY(platform.messages.isEmpty());
}

// A paste through the clipboard, an input method's commit and a drop into the
// card's name: a line break becomes a blank, characters outside Windows-1251
// are left out with a message, and the person file holds the name on one line.
inline void checkPasteIntoCard()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    RecordingPlatform platform;
    App app(platform);
    app.st.folders.PathSep = QStringLiteral("/");
    app.st.folders.WorkFolder = tmp.path() + QLatin1Char('/');
    app.st.test.TestPassword = QStringLiteral("тест");
    app.st.Dialog = DialogMode::NewCard;
    frmKartochka_Load(app);
    KartochkaDialog dialog(app);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* name = qobject_cast<QLineEdit*>(dialog.binder().widget(QStringLiteral("txtNameFamiliya")));
    auto* year = qobject_cast<QLineEdit*>(dialog.binder().widget(QStringLiteral("txtDataRogdeniya")));
    typeText(name, QStringLiteral("<"));
    pasteInto(name, QStringLiteral("José\r\nMüller 😀"));
    typeText(name, QStringLiteral(">"));
    QCOMPARE(name->text(), QStringLiteral("<Jos Mller >"));
    QCOMPARE(app.frmKartochka.txtNameFamiliya.text, QStringLiteral("<Jos Mller >"));
    QCOMPARE(platform.messages,
             QStringList{QStringLiteral("Символы «é ü 😀» нельзя сохранить в файле программы, они пропущены.")});

    // An input method's commit and a drop take the same rule.
    platform.messages.clear();
    name->setFocus();
    name->end(false);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ß\nЁ"));
    QApplication::sendEvent(name, &commit);
    QCOMPARE(name->text(), QStringLiteral("<Jos Mller > Ё"));
    QCOMPARE(platform.messages.size(), 1);
    QMimeData dropped;
    dropped.setText(QStringLiteral("\r\nи"));
    const QPointF end(name->width() - 2, name->height() / 2);
    QDragEnterEvent enter(end.toPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(name, &enter);
    QDragMoveEvent move(end.toPoint(), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(name, &move);
    QDropEvent drop(end, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(name, &drop);
    QCOMPARE(name->text(), QStringLiteral("<Jos Mller > Ё и"));
    QCOMPARE(app.frmKartochka.txtNameFamiliya.text, name->text());

    year->setFocus();
    year->end(false);
    QTest::keyClicks(year, QStringLiteral("85"));
    qobject_cast<QPushButton*>(dialog.binder().widget(QStringLiteral("OK")))->click();
    QCOMPARE(app.st.Dialog, DialogMode::Confirmed);
    QVERIFY(SaveKartochka(app, QStringLiteral("a.tnw"), 0));
    QFile file(tmp.filePath(QStringLiteral("a.tnw")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.value(1), textfile::encode(QStringLiteral("<Jos Mller > Ё и\r")));
    QCOMPARE(lines.value(2), QByteArray(" 1985\r"));
}

// A pasted test name and password, and the password box's asterisks.
inline void checkPasteIntoParametersAndPassword()
{
    RecordingPlatform platform;
    App app(platform);
    app.st.Dialog = DialogMode::NewTest;
    frmParam_Load(app);
    {
        ParamDialog dialog(app);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* name = qobject_cast<QLineEdit*>(dialog.binder().widget(QStringLiteral("NameT")));
        pasteInto(name, QStringLiteral("Тест\nпервый é"));
        QCOMPARE(app.frmParam.NameT.text, QStringLiteral("Тест первый "));
        QCOMPARE(name->text(), QStringLiteral("Тест первый "));
        QCOMPARE(platform.messages.size(), 1);
    }
    platform.messages.clear();
    app.frmPassW.visible = true;
    PasswordDialog dialog(app);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* password = dialog.findChild<QLineEdit*>();
    pasteInto(password, QStringLiteral("se\r\ncret|😀"));
    QCOMPARE(app.frmPassW.TPW.text, QStringLiteral("se cret"));
    typeText(password, QStringLiteral("ж"));
    QCOMPARE(password->displayText(), QStringLiteral("********"));
    QCOMPARE(platform.messages.size(), 1);
}

}  // namespace textentry
