#include "EditorFixture.h"

#include "engines/BulkText.h"
#include "engines/TestFile.h"
#include "screens/document/FileCommands.h"
#include "screens/editor/FrmVesa.h"
#include "screens/editor/QuestionList.h"
#include "shell/MainCommands.h"

#include <QTest>

namespace {
// Questions 1..3 weigh 10, 50 and 250; on question 2 a person answering 1
// also gets along with answer 2.
void weigh(EditorSession& s)
{
    const int levels[] = {10, 50, 250};
    for (int q = 1; q <= 3; ++q)
        s.question(q).Importance = levels[q - 1];
    s.question(2).Together[0] = 0b011;
}

QList<int> importances(EditorSession& s)
{
    QList<int> list;
    for (int q = 1; q <= s.app.st.test.QuestionCount; ++q)
        list << s.question(q).Importance;
    return list;
}

int questionWithTogether(EditorSession& s)
{
    for (int q = 1; q <= s.app.st.test.QuestionCount; ++q) {
        if (s.question(q).Together[0] == 0b011)
            return q;
    }
    return 0;
}
}  // namespace

class TestWeightsEdit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Insert and delete move a question's weights with it; the inserted
    // question starts without any.
    void listOperationsCarryWeights_data()
    {
        QTest::addColumn<bool>("insert");
        QTest::addColumn<int>("at");
        QTest::addColumn<QList<int>>("result");
        QTest::addColumn<int>("together");  // where question 2's answers together went
        QTest::newRow("insert on 1") << true << 1 << QList<int>{1, 10, 50, 250} << 3;
        QTest::newRow("insert on the last") << true << 3 << QList<int>{10, 50, 1, 250} << 2;
        QTest::newRow("delete 1") << false << 1 << QList<int>{50, 250} << 1;
        QTest::newRow("delete 2") << false << 2 << QList<int>{10, 250} << 0;
        QTest::newRow("delete the last") << false << 3 << QList<int>{10, 50} << 2;
    }
    void listOperationsCarryWeights()
    {
        QFETCH(bool, insert);
        QFETCH(int, at);
        QFETCH(QList<int>, result);
        QFETCH(int, together);
        EditorSession s(3);
        weigh(s);
        s.app.st.main.CurrentQuestion = at;
        AddVopros(s.app);
        if (insert)
            VstavitVopros(s.app);
        else
            DeleteVopros(s.app);
        QCOMPARE(importances(s), result);
        QCOMPARE(questionWithTogether(s), together);
    }

    void bulkTextKeepsTheWeightsOfUnchangedQuestions_data()
    {
        QTest::addColumn<QString>("from");  // replaced in the written text
        QTest::addColumn<QString>("to");
        QTest::addColumn<QList<int>>("result");
        QTest::newRow("read back unchanged") << QString() << QString() << QList<int>{10, 50, 250};
        QTest::newRow("an answer changed") << QStringLiteral("Ответ 2.1") << QStringLiteral("Другой")
                                           << QList<int>{10, 50, 250};
        QTest::newRow("a question's text changed") << QStringLiteral("=Вопрос 2") << QStringLiteral("=Новый")
                                                   << QList<int>{10, 1, 250};
        QTest::newRow("a question taken out") << QStringLiteral("=Вопрос 1") << QStringLiteral("=Вопрос 2")
                                              << QList<int>{1, 1, 250};
    }
    void bulkTextKeepsTheWeightsOfUnchangedQuestions()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QList<int>, result);
        EditorSession s(3);
        weigh(s);
        QString text = BulkTextOf(s.app.st.test);
        if (from == QStringLiteral("=Вопрос 1")) {
            // The text now starts with what was question 2: every question shifts.
            text = text.mid(text.indexOf(QStringLiteral("[№2]")));
        } else if (!from.isEmpty()) {
            text.replace(from, to);
        }
        ReadBulkLines(s.app.st.test, BulkLines(text), 0);
        QCOMPARE(importances(s), result);
        QCOMPARE(s.question(2).Together[0] == 0b011, result[1] == 50);
    }

    void answerLabel_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("label");
        QTest::newRow("plain") << QStringLiteral("Курю") << QStringLiteral("3. Курю");
        QTest::newRow("markup") << QStringLiteral("<b>Не</b>&nbsp;курю <img src=\"a.jpg\">")
                                << QStringLiteral("3. Не курю");
        QTest::newRow("entities") << QStringLiteral("&lt;&gt; &quot;да&quot; &amp;")
                                  << QStringLiteral("3. <> \"да\" &");
        QTest::newRow("long") << QStringLiteral("Не курю, но не против, если рядом курят")
                              << QStringLiteral("3. Не курю, но не против,…");
        QTest::newRow("picture only") << QStringLiteral("<img src=\"cat.jpg\">") << QStringLiteral("3. ");
    }
    void answerLabel()
    {
        QFETCH(QString, html);
        QFETCH(QString, label);
        QCOMPARE(AnswerLabel(3, html), label);
    }

    void dialogShowsTheQuestionsWeights()
    {
        EditorSession s(3, 3);
        weigh(s);
        s.app.st.main.CurrentQuestion = 2;
        AddVopros(s.app);
        frmVesa_Load(s.app);
        FrmVesa& w = s.app.frmVesa;
        QCOMPARE(w.caption, QStringLiteral("Веса вопроса"));
        QCOMPARE(w.SelVes.items[w.SelVes.listIndex], QStringLiteral("очень важно"));
        QCOMPARE(w.Row[0].text, QStringLiteral("1. Ответ 2.0"));
        QCOMPARE(w.Column[2].text, QStringLiteral("3"));
        QVERIFY(w.Row[2].visible);
        QVERIFY(!w.Row[3].visible);
        QVERIFY(!w.Column[3].visible);
        for (int a = 0; a < FrmVesa::kAnswers; ++a) {
            for (int b = 0; b < FrmVesa::kAnswers; ++b) {
                QCOMPARE(w.cell(a, b).visible, a < 3 && b < 3);
                const bool expected = a == b ? a < 3 : (a == 0 && b == 1);
                QCOMPARE(w.cell(a, b).checked, expected);
            }
        }
    }

    // Through the Edit menu: the choice is written on "ОК" only, and the test
    // then counts as changed.
    void menuDialogChangesTheQuestion_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("ОК") << true;
        QTest::newRow("Отмена") << false;
    }
    void menuDialogChangesTheQuestion()
    {
        QFETCH(bool, confirm);
        EditorSession s(2, 3);
        s.app.st.main.CurrentQuestion = 2;
        // Answers cut down from three to two keep their third row and bit.
        s.question(2).Together[0] = 0b101;
        s.question(2).Together[2] = 0b111;
        s.question(2).CountOtvetov = 1;
        AddVopros(s.app);
        TakeTestSnapshot(s.app);
        FrmVesa& w = s.app.frmVesa;
        s.pf.onModal[WindowId::Vesa] = [&] {
            QVERIFY(w.visible);
            QVERIFY(!w.cell(0, 2).visible);
            w.SelVes.listIndex = 4;  // "обязательно"
            w.cell(1, 0).checked = true;
            w.cell(0, 0).checked = false;
            frmVesa_Event(s.app, {UiEvent::Click, confirm ? w.OK.name : w.NO.name});
            QVERIFY(w.closeRequested);
        };
        EditMenuClick(s.app, s.app.frmForma.EditVesa.name);
        QCOMPARE(s.pf.modals, QList<WindowId>{WindowId::Vesa});
        QVERIFY(!w.visible);
        const clsTest& q = s.question(2);
        if (confirm) {
            QCOMPARE(q.Importance, 250);
            QCOMPARE(q.Together[0], quint16(0b100));
            QCOMPARE(q.Together[1], quint16(0b011));
            QCOMPARE(q.Together[2], quint16(0b111));
            QVERIFY(TestModified(s.app));
            s.pf.messageAnswers.push_back(MsgAnswer::Cancel);
            QVERIFY(!MayReplaceTest(s.app));
            QCOMPARE(s.pf.messageTexts(), QStringList{QStringLiteral("Сохранить изменения в тесте?")});
        } else {
            QCOMPARE(q.Importance, 1);
            QCOMPARE(q.Together[0], quint16(0b101));
            QCOMPARE(q.Together[1], quint16(0b010));
            QVERIFY(!TestModified(s.app));
        }
        QVERIFY(s.question(1).DefaultWeights());
    }
};

QTEST_GUILESS_MAIN(TestWeightsEdit)
#include "tst_weightsedit.moc"
