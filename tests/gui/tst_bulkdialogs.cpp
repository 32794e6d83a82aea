#include "WebTestSupport.h"

#include "screens/editor/NewTest.h"
#include "engines/TestFile.h"
#include "screens/taking/QuestionPage.h"
#include "editor/LoadVoprosDialog.h"
#include "editor/TagDialog.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "screens/document/FileCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
class RecordingPlatform : public QtPlatform {
public:
    QStringList messages;
    QString fileAnswer;
    void setFileAnswer(const QString& path) { fileAnswer = path; }
    QString fileDialog(bool, const QString&, const QList<FileFilter>&, const QString&) override
    {
        return std::exchange(fileAnswer, QString());
    }
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon, MsgAnswer) override
    {
        messages << text;
        return MsgAnswer::Yes;
    }
};

// Runs `step` on the modal dialog of type T once it is on screen.
template <typename T>
void whenShown(std::function<void(T*)> step)
{
    QTimer::singleShot(0, [step] {
        T* dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<T*>(QApplication::activeModalWidget())) != nullptr);
        step(dialog);
    });
}

// Types as a keyboard would, one key event per character (Cyrillic, and a
// character beyond the basic plane as its surrogate pair).
void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString typed(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            typed += text.at(++i);
        const Qt::Key key = typed == QLatin1String(" ") ? Qt::Key_Space : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, typed, Qt::NoModifier);
    }
}

QPushButton* button(QWidget* dialog, const QString& caption)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
        if (b->text() == caption)
            return b;
    }
    return nullptr;
}

QAction* menuItem(QWidget* dialog, const QString& caption)
{
    for (QAction* a : dialog->findChildren<QAction*>()) {
        if (a->text() == caption)
            return a;
    }
    return nullptr;
}
}  // namespace

class TestBulkDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    struct Running {
        RecordingPlatform platform;
        App app{platform};
        MainWindow window{app, platform};
    };
    // The editor on question 1 of a two-question test.
    std::unique_ptr<Running> start()
    {
        auto r = std::make_unique<Running>();
        r->platform.setExecutableFolder(tmp.path());
        Main(r->app);
        r->window.show();
        if (!QTest::qWaitForWindowExposed(&r->window))
            qWarning("main window not exposed");
        AppState& st = r->app.st;
        st.test.TestName = QStringLiteral("Знакомства");
        st.test.QuestionCount = 2;
        st.test.Questions.resizeFresh(2);
        for (int q = 1; q <= 2; ++q) {
            st.test.Questions[q].Vopros = QStringLiteral("Вопрос %1").arg(q);
            st.test.Questions[q].CountOtvetov = 1;
            st.test.Questions[q].AddOtvety(0, QStringLiteral("да"));
            st.test.Questions[q].AddOtvety(1, QStringLiteral("нет"));
        }
        NewTest(r->app, 0);
        r->window.syncFromModel();
        r->window.activateWindow();
        return r;
    }

private Q_SLOTS:
    void editAllQuestionsOnScreen()
    {
        auto r = start();
        bool ran = false;
        whenShown<LoadVoprosDialog>([&](LoadVoprosDialog* d) {
            ran = true;
            QCOMPARE(d->windowTitle(), QStringLiteral("Быстрая загрузка вопросов"));
            QPlainTextEdit* text = d->text();
            QVERIFY(text->toPlainText().startsWith(QStringLiteral("[№1]\n=Вопрос 1\nда\nнет\n\n[№2]")));
            auto* start = d->findChild<QComboBox*>();
            QCOMPARE(start->count(), 1);
            QVERIFY(!start->isEnabled());
            QVERIFY(button(d, QStringLiteral("ОК"))->isEnabled());
            // Caret after "=Вопрос 1": Enter starts a new line, Ctrl+Space and
            // Ctrl+Enter put in their snippets.
            text->setFocus();
            QTextCursor cursor = text->textCursor();
            cursor.setPosition(static_cast<int>(QStringLiteral("[№1]\n=Вопрос 1").size()));
            text->setTextCursor(cursor);
            QTest::keyClick(text, Qt::Key_Space, Qt::ControlModifier);
            typeText(text, QStringLiteral("ок"));
            QTest::keyClick(text, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClick(text, Qt::Key_Return);
            typeText(text, QStringLiteral("может быть"));
            QVERIFY(d->isVisible());
            QVERIFY(text->toPlainText().startsWith(
                QStringLiteral("[№1]\n=Вопрос 1&nbsp;ок<br>\nможет быть\nда\nнет\n")));
            QTest::mouseClick(button(d, QStringLiteral("ОК")), Qt::LeftButton);
        });
        r->window.action(QStringLiteral("EditLoadVopros(1)"))->trigger();
        QVERIFY(ran);
        QVERIFY(r->platform.messages.isEmpty());
        const clsTest& q = r->app.st.test.Questions[1];
        QCOMPARE(q.Vopros, QStringLiteral("Вопрос 1&nbsp;ок<br>"));
        QCOMPARE(q.CountOtvetov, 2);
        QCOMPARE(q.ListOtvety(0), QStringLiteral("может быть"));
        QVERIFY(QFile::exists(r->app.st.folders.AppFolder + QStringLiteral("0.bak")));
        QCOMPARE(qobject_cast<QLineEdit*>(r->window.widget(QStringLiteral("Txt")))->text(),
                 QStringLiteral("Вопрос 1&nbsp;ок<br>"));
    }

    void tagDialogOverTheBulkText()
    {
        auto r = start();
        bool tagShown = false;
        whenShown<LoadVoprosDialog>([&](LoadVoprosDialog* d) {
            QPlainTextEdit* text = d->text();
            text->setFocus();
            typeText(text, QStringLiteral("=Это <b> тег"));
            QVERIFY(button(d, QStringLiteral("ОК"))->isEnabled());
            QTextCursor cursor = text->textCursor();
            cursor.setPosition(5);
            cursor.setPosition(8, QTextCursor::KeepAnchor);
            text->setTextCursor(cursor);
            whenShown<TagDialog>([&](TagDialog* tag) {
                tagShown = true;
                QCOMPARE(tag->windowTitle(), QStringLiteral("Кодировать текст в тэги"));
                QCOMPARE(tag->edit()->text(), QStringLiteral("<b>"));
                QVERIFY(button(tag, QStringLiteral("ОК"))->isEnabled());
                QTest::mouseClick(button(tag, QStringLiteral("ОК")), Qt::LeftButton);
            });
            menuItem(d, QStringLiteral("Кодировать текст в тэги"))->trigger();
            QCOMPARE(text->toPlainText(), QStringLiteral("=Это &#60;&#98;&#62; тег"));
            // "Поднять текст" at the caret, which stays between the tags.
            menuItem(d, QStringLiteral("Поднять текст"))->trigger();
            QCOMPARE(text->toPlainText(), QStringLiteral("=Это &#60;&#98;&#62;<sup></sup> тег"));
            typeText(text, QStringLiteral("2"));
            QCOMPARE(text->toPlainText(), QStringLiteral("=Это &#60;&#98;&#62;<sup>2</sup> тег"));
            QTest::keyClick(text, Qt::Key_Escape);
        });
        r->window.action(QStringLiteral("EditLoadVopros(0)"))->trigger();
        QVERIFY(tagShown);
        // Cancelled: the test is as it was.
        QCOMPARE(r->app.st.test.Questions[1].Vopros, QStringLiteral("Вопрос 1"));
    }

    // A picture put in by its bare name, and a character that Windows-1251
    // cannot hold, as the question page shows them after save and reopen.
    void questionPageShowsPictureAndCharacterAfterReopen()
    {
        auto r = start();
        const QString folder = tmp.path() + QStringLiteral("/тест с картинкой/");
        QDir().mkpath(folder);
        QImage picture(30, 20, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(folder + QStringLiteral("кот 1.jpg"), "JPG"));
        auto* txt = qobject_cast<QLineEdit*>(r->window.widget(QStringLiteral("Txt")));
        txt->setFocus();
        QTRY_VERIFY(txt->hasFocus());
        txt->selectAll();
        typeText(txt, QStringLiteral("Улыбка 😀 "));
        r->platform.setFileAnswer(folder + QStringLiteral("кот 1.jpg"));
        r->window.action(QStringLiteral("EditAddFile(0)"))->trigger();
        QCOMPARE(r->app.st.test.Questions[1].Vopros,
                 QStringLiteral("Улыбка 😀 <img border=\"0\" src=\"кот 1.jpg\">"));
        SaveTest(r->app, folder + QStringLiteral("тест.tnd"));
        QVERIFY(r->platform.messages.isEmpty());
        OpenTest(r->app, folder + QStringLiteral("тест.tnd"));
        Show1Wopros(r->app, 1);
        r->window.syncFromModel();
        WebView& view = *r->window.view();
        QVERIFY(webtest::waitForText(view, QStringLiteral("Улыбка 😀")));
        QTRY_COMPARE_WITH_TIMEOUT(
            webtest::runJs(view, QStringLiteral("document.querySelector('img[src=\"кот 1.jpg\"]').naturalWidth")).toInt(),
            30, 5000);
    }

    void markupOnTheEditorBox()
    {
        auto r = start();
        auto* txt = qobject_cast<QLineEdit*>(r->window.widget(QStringLiteral("Txt")));
        txt->setFocus();
        QTRY_VERIFY(txt->hasFocus());
        txt->setCursorPosition(6);
        r->window.action(QStringLiteral("EditNeravenstvo"))->trigger();
        QCOMPARE(txt->text(), QStringLiteral("Вопрос&#60;&#62; 1"));
        QCOMPARE(txt->cursorPosition(), 11);
        typeText(txt, QStringLiteral("x"));
        QCOMPARE(r->app.st.test.Questions[1].Vopros, QStringLiteral("Вопрос&#60;x&#62; 1"));
    }
};

QTEST_MAIN(TestBulkDialogs)
#include "tst_bulkdialogs.moc"
