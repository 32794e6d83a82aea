#include "screens/editor/Editor.h"
#include "editor/PictureBoxWidget.h"
#include "screens/editor/NewTest.h"
#include "ground/App.h"
#include "shell/MainWindow.h"
#include "ground/windows/PictureBox.h"
#include "shell/QtPlatform.h"
#include "shell/Startup.h"
#include "views/WebView.h"

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {
class QuietPlatform : public QtPlatform {
public:
    QList<WindowId> modals;
    QStringList messages;
    void showModal(WindowId window) override { modals << window; }
    // Closing the editor asks whether to quit: yes.
    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon, MsgAnswer) override
    {
        messages << text;
        return MsgAnswer::Yes;
    }
};
// Types Cyrillic as a keyboard would: one key event per character.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const Qt::Key key = c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}
}  // namespace

class TestEditorWindow : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;

    struct Running {
        QuietPlatform platform;
        App app{platform};
        MainWindow window{app, platform};
    };
    // The editor on question 1 of a two-question test with two answers each.
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
        for (int q = 1; q <= 2; ++q)
            st.test.Questions[q].CountOtvetov = 1;
        NewTest(r->app, 0);
        r->window.syncFromModel();
        r->window.activateWindow();
        return r;
    }
    static PictureBoxWidget* box(Running& r, const QString& name)
    {
        return qobject_cast<PictureBoxWidget*>(r.window.widget(name));
    }
    static QLineEdit* txt(Running& r) { return qobject_cast<QLineEdit*>(r.window.widget(QStringLiteral("Txt"))); }
    // Shows `text` as question 1 by clicking the question box.
    static QStringList showQuestion(Running& r, const QString& text)
    {
        r.app.st.test.Questions[1].Vopros = text;
        PictureBoxWidget* question = box(r, QStringLiteral("picVopros"));
        QTest::mouseClick(question, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return question->paintedLines() == r.app.frmForma.picVopros.lines; }))
            qWarning("the question box did not repaint in time");
        return question->paintedLines();
    }

private Q_SLOTS:
    void typingGoesIntoTheChosenField()
    {
        auto r = start();
        QLineEdit* edit = txt(*r);
        QTRY_VERIFY(edit->hasFocus());
        QVERIFY(r->window.action(QStringLiteral("Edit"))->isEnabled());
        typeText(edit, QStringLiteral("Ваш рост?"));
        QCOMPARE(r->app.st.test.Questions[1].Vopros, QStringLiteral("Ваш рост?"));
        QTRY_COMPARE(box(*r, QStringLiteral("picVopros"))->paintedLines(), QStringList{QStringLiteral("Ваш рост?")});
        QTest::keyClick(edit, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("Ваш рост?&nbsp;"));
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(r->app.st.editor.Target, AnswerTarget(0));
        typeText(edit, QStringLiteral("Высокий"));
        QCOMPARE(r->app.st.test.Questions[1].ListOtvety(0), QStringLiteral("Высокий"));
        QTRY_COMPARE(box(*r, QStringLiteral("picOtvety(0)"))->paintedLines(), QStringList{QStringLiteral("1) Высокий")});
        // A click on the other answer box edits that answer.
        QTest::mouseClick(box(*r, QStringLiteral("picOtvety(1)")), Qt::LeftButton);
        QCOMPARE(r->app.st.editor.Target, AnswerTarget(1));
        QTRY_VERIFY(edit->hasFocus());
        typeText(edit, QStringLiteral("Низкий"));
        QCOMPARE(r->app.st.test.Questions[1].ListOtvety(1), QStringLiteral("Низкий"));
        // Enter is "Дальше": the question is complete, on to question 2.
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(r->app.st.main.CurrentQuestion, 2);
        QVERIFY(edit->text().isEmpty());

        // The answer count box takes the focus: the Edit menu goes off.
        auto* count = qobject_cast<QComboBox*>(r->window.widget(QStringLiteral("SelKolOtvetov")));
        count->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(!r->window.action(QStringLiteral("Edit"))->isEnabled());
        QCOMPARE(r->app.st.editor.Target, EditTarget::Nothing);
        QTest::mouseClick(box(*r, QStringLiteral("picVopros")), Qt::LeftButton);
        QTRY_VERIFY(edit->hasFocus());
        QVERIFY(r->window.action(QStringLiteral("Edit"))->isEnabled());
    }

    void wrapsOnTheRealWidget()
    {
        auto r = start();
        PictureBoxWidget* question = box(*r, QStringLiteral("picVopros"));
        const int width = PictureInnerWidth(r->app.frmForma.picVopros);
        QCOMPARE(width, question->width() - 2 * kPictureMargin);

        QString words;
        while (question->textWidth(words) < width * 2)
            words += QStringLiteral("слово ");
        QStringList lines = showQuestion(*r, words);
        QCOMPARE(lines, r->app.frmForma.picVopros.lines);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(QLatin1Char(' ')));
        QVERIFY(question->textWidth(lines[0]) <= width);
        QVERIFY(question->textWidth(lines[0] + QStringLiteral("слово ")) > width);
        QCOMPARE(lines.join(QString()), words);

        QString hyphens;
        while (question->textWidth(hyphens) < width * 3 / 2)
            hyphens += QStringLiteral("северо-");
        lines = showQuestion(*r, hyphens);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith(QLatin1Char('-')));
        QVERIFY(question->textWidth(lines[0]) <= width);

        lines = showQuestion(*r, words + words);
        QCOMPARE(lines.size(), 3);  // the rest is not shown
        QVERIFY(r->app.st.test.Questions[1].Vopros == words + words);

        lines = showQuestion(*r, QString());
        QVERIFY(lines.isEmpty());
        const QImage image = question->grab().toImage();
        const QRgb green = qRgb(0xC0, 0xFF, 0xC0);
        for (int y = 1; y < image.height() - 1; ++y) {
            for (int x = 1; x < image.width() - 1; ++x)
                QCOMPARE(image.pixel(x, y), green);
        }
    }
};

static const bool schemeRegistered = (WebView::registerScheme(), true);
QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
