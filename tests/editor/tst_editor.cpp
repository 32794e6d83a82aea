#include "EditorFixture.h"

#include "screens/editor/FrmParam.h"
#include "shell/MainCommands.h"
#include "screens/taking/TestFlow.h"

#include <QTest>

class TestEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsQuestionOnEntry()
    {
        EditorSession s(10, 4);
        s.question(1).Vopros.clear();
        s.app.st.main.CurrentQuestion = 5;
        AddVopros(s.app);
        const FrmForma& f = s.f();
        QCOMPARE(f.NmWpr.text, QStringLiteral("Вопрос №5 из 10"));
        QCOMPARE(f.INF.text, QStringLiteral("Ввод вопроса:"));
        QCOMPARE(f.Txt.text, QStringLiteral("Вопрос 5"));
        QCOMPARE(f.focus, QStringLiteral("Txt"));
        QVERIFY(f.Edit.enabled);
        QCOMPARE(s.app.st.editor.Target, EditTarget::Question);
        QCOMPARE(s.app.st.editor.SkipTxtChange, 0);
        QCOMPARE(f.SelKolOtvetov.listIndex, 2);
        QCOMPARE(f.picVopros.lines, QStringList{QStringLiteral("Вопрос 5")});
        QCOMPARE(s.greenBox(), -1);
        QCOMPARE(f.picOtvety[2].lines, QStringList{QStringLiteral("3) Ответ 5.2")});
        QCOMPARE(f.picOtvety[2].backColor, kIdleColour);
        QVERIFY(f.picOtvety[3].visible && !f.picOtvety[4].visible);

        // An empty question leaves its box empty, in the edit colour.
        s.app.st.main.CurrentQuestion = 1;
        AddVopros(s.app);
        QVERIFY(f.picVopros.lines.isEmpty());
        QCOMPARE(f.picVopros.backColor, kEditColour);
    }

    void typingStoresAtOnce()
    {
        EditorSession s(3);
        s.type(QStringLiteral("Ваш любимый цвет?"));
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Ваш любимый цвет?"));
        QCOMPARE(s.f().picVopros.lines, QStringList{QStringLiteral("Ваш любимый цвет?")});
        picOtvety_Click(s.app, 1);
        QCOMPARE(s.f().INF.text, QStringLiteral("Ввод ответа:"));
        QCOMPARE(s.f().Txt.text, QStringLiteral("Ответ 1.1"));
        QCOMPARE(s.greenBox(), 1);
        s.type(QStringLiteral("Синий"));
        QCOMPARE(s.question(1).ListOtvety(1), QStringLiteral("Синий"));
        QCOMPARE(s.f().picOtvety[1].lines, QStringList{QStringLiteral("2) Синий")});
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Ваш любимый цвет?"));
        // The question box went back to idle with its text.
        QCOMPARE(s.f().picVopros.backColor, kIdleColour);
        QCOMPARE(s.f().picVopros.lines, QStringList{QStringLiteral("Ваш любимый цвет?")});
    }

    void programLoadsAreNeverEdits()
    {
        EditorSession s(3);
        // Question 2 holds the same text as the box: a load that changes
        // nothing must not leave the next real edit ignored.
        s.question(2).Vopros = s.f().Txt.text;
        s.app.st.main.CurrentQuestion = 2;
        AddVopros(s.app);
        QCOMPARE(s.app.st.editor.SkipTxtChange, 0);
        s.type(QStringLiteral("Новый текст"));
        QCOMPARE(s.question(2).Vopros, QStringLiteral("Новый текст"));
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Вопрос 1"));
    }

    void arrows_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("to");
        QTest::newRow("down from the question") << -1 << int(Qt::Key_Down) << false << 0;
        QTest::newRow("up from answer 1") << 0 << int(Qt::Key_Up) << false << -1;
        QTest::newRow("down with shift") << 1 << int(Qt::Key_Down) << true << 2;
        QTest::newRow("up on the question") << -1 << int(Qt::Key_Up) << false << -1;
        QTest::newRow("down on the last answer") << 2 << int(Qt::Key_Down) << false << 2;
        QTest::newRow("down with nothing selected") << -2 << int(Qt::Key_Down) << false << -1;
    }
    void arrows()
    {
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(int, to);
        EditorSession s(2, 3);
        if (from == -2)
            SelKolOtvetov_GotFocus(s.app);
        else if (from >= 0)
            picOtvety_Click(s.app, from);
        s.f().Txt.text = QStringLiteral("не сохранено");
        const int draws = s.f().picVopros.draws + s.f().picOtvety[2].draws;
        QVERIFY(!s.key(key, false, shift));  // the key never reaches the box
        QCOMPARE(s.app.st.editor.Target, EditorSession::boxTarget(to));
        QCOMPARE(s.greenBox(), to);
        if (from == to) {
            QCOMPARE(s.f().Txt.text, QStringLiteral("не сохранено"));
            QCOMPARE(s.f().picVopros.draws + s.f().picOtvety[2].draws, draws);
        } else {
            QCOMPARE(s.f().Txt.text, to == -1 ? QStringLiteral("Вопрос 1") : QStringLiteral("Ответ 1.%1").arg(to));
        }
        // Ctrl alone with an arrow is left to the box.
        QVERIFY(s.key(Qt::Key_Up, true));
    }

    void clickOnTheEditedAnswerDoesNotReload()
    {
        EditorSession s(2);
        picOtvety_Click(s.app, 2);
        s.f().Txt.text = QStringLiteral("набираю");
        s.f().Txt.selStart = 3;
        const int draws = s.f().picOtvety[2].draws;
        picOtvety_Click(s.app, 2);
        QCOMPARE(s.f().Txt.text, QStringLiteral("набираю"));
        QCOMPARE(s.f().Txt.selStart, 3);
        QCOMPARE(s.f().picOtvety[2].draws, draws);
        // The question box reloads on every click.
        picVopros_Click(s.app);
        QCOMPARE(s.f().Txt.text, QStringLiteral("Вопрос 1"));
        s.f().Txt.text = QStringLiteral("xx");
        picVopros_Click(s.app);
        QCOMPARE(s.f().Txt.text, QStringLiteral("Вопрос 1"));
    }

    void answerCountHidesAndKeeps()
    {
        EditorSession s(2, 5);
        FrmForma& f = s.f();
        QCOMPARE(f.SelKolOtvetov.listIndex, 3);
        SelKolOtvetov_GotFocus(s.app);
        QCOMPARE(s.app.st.editor.Target, EditTarget::Nothing);
        QVERIFY(f.Txt.text.isEmpty());
        QCOMPARE(s.greenBox(), -2);
        f.SelKolOtvetov.listIndex = 1;  // " 3"
        ChangeKolOtvetov(s.app);
        QCOMPARE(s.question(1).CountOtvetov, 2);
        QVERIFY(f.picOtvety[2].visible && !f.picOtvety[3].visible && !f.picOtvety[4].visible);
        QCOMPARE(s.question(1).ListOtvety(4), QStringLiteral("Ответ 1.4"));
        f.SelKolOtvetov.listIndex = 3;  // " 5"
        ChangeKolOtvetov(s.app);
        QVERIFY(f.picOtvety[4].visible && !f.picOtvety[5].visible);
        QCOMPARE(f.picOtvety[3].lines, QStringList{QStringLiteral("4) Ответ 1.3")});
        QCOMPARE(f.picOtvety[4].lines, QStringList{QStringLiteral("5) Ответ 1.4")});
        QCOMPARE(f.picOtvety[4].backColor, kIdleColour);

        // Hiding the answer being typed (the list turned without the focus)
        // leaves nothing edited rather than typing into a hidden answer.
        picOtvety_Click(s.app, 4);
        f.SelKolOtvetov.listIndex = 0;
        ChangeKolOtvetov(s.app);
        QCOMPARE(s.app.st.editor.Target, EditTarget::Nothing);
        s.type(QStringLiteral("потеряно"));
        QCOMPARE(s.question(1).ListOtvety(4), QStringLiteral("Ответ 1.4"));
    }

    void nothingSelectedTakesOneDigit()
    {
        EditorSession s(2);
        SelKolOtvetov_GotFocus(s.app);
        QVERIFY(!s.press(QStringLiteral("a")));
        QVERIFY(!s.press(QStringLiteral("1")));
        QVERIFY(s.press(QStringLiteral("7")));
        s.type(QStringLiteral("7"));
        QVERIFY(!s.press(QStringLiteral("3")));
        QVERIFY(s.press(QStringLiteral("\b")));
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Вопрос 1"));
        QCOMPARE(s.question(1).ListOtvety(0), QStringLiteral("Ответ 1.0"));
        // Once a field is chosen, anything may be typed.
        picVopros_Click(s.app);
        QVERIFY(s.press(QStringLiteral("a")));
    }

    void ctrlKeysInsertMarkup()
    {
        EditorSession s(2);
        Control& txt = s.f().Txt;
        txt.selStart = 2;  // "Во|прос 1", "прос" selected
        txt.selLength = 4;
        QVERIFY(!s.key(Qt::Key_Space, true));
        QCOMPARE(txt.text, QStringLiteral("Во&nbsp; 1"));
        QCOMPARE(txt.selStart, 8);
        QVERIFY(!s.key(Qt::Key_Return, true));
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Во&nbsp;<br> 1"));
        // The following key types as usual.
        QVERIFY(s.press(QStringLiteral(" ")));
        QVERIFY(s.key(Qt::Key_Space));
    }

    void enterRunsNext()
    {
        EditorSession s(2);
        s.question(1).AddOtvety(1, QString());
        UiEvent enter{UiEvent::KeyDown, QStringLiteral("Txt")};
        enter.key = Qt::Key_Return;
        QVERIFY(!frmForma_Event(s.app, enter));
        QCOMPARE(s.app.st.editor.Target, AnswerTarget(1));
        QCOMPARE(s.f().INF.text, QStringLiteral("Ввод ответа:"));
    }

    void nextStep()
    {
        EditorSession s(3, 2);
        s.question(1).Vopros.clear();
        s.question(1).AddOtvety(1, QString());
        s.question(3).AddOtvety(0, QString());
        s.type(QString());
        Dalee(s.app);  // the question is empty: it stays selected
        QCOMPARE(s.app.st.editor.Target, EditTarget::Question);
        s.type(QStringLiteral("Q"));
        Dalee(s.app);
        QCOMPARE(s.app.st.editor.Target, AnswerTarget(1));
        QVERIFY(s.f().Txt.text.isEmpty());
        QCOMPARE(s.greenBox(), 1);
        s.type(QStringLiteral("A"));
        Dalee(s.app);
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QCOMPARE(s.app.st.editor.Target, EditTarget::Question);
        QCOMPARE(s.question(1).ListOtvety(1), QStringLiteral("A"));

        // On the last question, complete: the first incomplete one comes up.
        s.app.st.main.CurrentQuestion = 3;
        s.question(3).AddOtvety(0, QStringLiteral("x"));
        s.question(2).Vopros.clear();
        AddVopros(s.app);
        Dalee(s.app);
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        // The whole test complete, on the last question: nothing happens.
        s.type(QStringLiteral("Вопрос 2"));
        s.app.st.main.CurrentQuestion = 3;
        AddVopros(s.app);
        s.f().Txt.text = QStringLiteral("не сохранено");
        Dalee(s.app);
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        QCOMPARE(s.f().Txt.text, QStringLiteral("не сохранено"));
        QVERIFY(s.pf.messages.isEmpty());
    }

    void backStep()
    {
        EditorSession s(3);
        s.app.st.main.CurrentQuestion = 2;
        AddVopros(s.app);
        Nazad_Click(s.app);
        QCOMPARE(s.app.st.main.CurrentQuestion, 1);
        QCOMPARE(s.f().NmWpr.text, QStringLiteral("Вопрос №1 из 3"));
        DialogMode shownInMode = DialogMode::None;
        s.pf.onModal[WindowId::Param] = [&] {
            shownInMode = s.app.st.Dialog;
            QCOMPARE(s.app.frmParam.NameT.text, QStringLiteral("Знакомства"));
            frmParam_NO_Click(s.app);
        };
        Nazad_Click(s.app);
        QCOMPARE(shownInMode, DialogMode::ChangeParameters);
        QCOMPARE(s.app.st.main.CurrentQuestion, 1);
    }

    void editMenuFollowsTheBox()
    {
        EditorSession s(1);
        FrmForma& f = s.f();
        QVERIFY(f.Edit.enabled);
        QVERIFY(frmForma_Event(s.app, {UiEvent::LostFocus, QStringLiteral("Txt")}));
        QVERIFY(!f.Edit.enabled);
        // Menu commands reached by a shortcut meanwhile do nothing.
        frmForma_MenuClick(s.app, f.EditPasteVopros.name);
        QCOMPARE(s.app.st.test.QuestionCount, 1);
        f.focus = f.Txt.name;
        frmForma_Event(s.app, {UiEvent::GotFocus, QStringLiteral("Txt")});
        QVERIFY(f.Edit.enabled);
        frmForma_Event(s.app, {UiEvent::Click, QStringLiteral("Edit")});
        QVERIFY(!f.EditDeleteVopros.enabled);
        frmForma_MenuClick(s.app, f.EditPasteVopros.name);
        QCOMPARE(s.app.st.test.QuestionCount, 2);
        frmForma_Event(s.app, {UiEvent::Click, QStringLiteral("Edit")});
        QVERIFY(f.EditDeleteVopros.enabled);
        // A click on an answer box hands the focus on to the text box.
        frmForma_Event(s.app, {UiEvent::GotFocus, QStringLiteral("picOtvety(1)")});
        QCOMPARE(f.focus, QStringLiteral("Txt"));
    }
};

QTEST_GUILESS_MAIN(TestEditor)
#include "tst_editor.moc"
