#include "EditorFixture.h"

#include "screens/editor/QuestionList.h"
#include "shell/MainCommands.h"

#include <QTest>

namespace {
QStringList texts(App& app)
{
    QStringList list;
    for (int q = 1; q <= app.st.test.QuestionCount; ++q)
        list << app.st.test.Questions[q].Vopros;
    return list;
}

// Question `q` shows two answers but holds five: the last three are hidden.
void hideAnswers(EditorSession& s, int q)
{
    for (int i = 0; i < 5; ++i)
        s.question(q).AddOtvety(i, QStringLiteral("скрыт %1").arg(i));
    s.question(q).CountOtvetov = 1;
}
}  // namespace

class TestQuestionList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void insert_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QStringList>("result");
        QTest::newRow("on question 1") << 1
                                       << QStringList{QString(), QStringLiteral("Вопрос 1"), QStringLiteral("Вопрос 2"),
                                                      QStringLiteral("Вопрос 3")};
        QTest::newRow("on the last") << 3
                                     << QStringList{QStringLiteral("Вопрос 1"), QStringLiteral("Вопрос 2"), QString(),
                                                    QStringLiteral("Вопрос 3")};
    }
    void insert()
    {
        QFETCH(int, at);
        QFETCH(QStringList, result);
        EditorSession s(3, 4);
        hideAnswers(s, 3);
        s.app.st.main.CurrentQuestion = at;
        AddVopros(s.app);
        VstavitVopros(s.app);
        QCOMPARE(texts(s.app), result);
        QCOMPARE(s.app.st.main.CurrentQuestion, at);
        const clsTest& fresh = s.question(at);
        QCOMPARE(fresh.CountOtvetov, 1);
        for (int i = 0; i < 10; ++i)
            QVERIFY(fresh.ListOtvety(i).isEmpty());
        QCOMPARE(s.f().NmWpr.text, QStringLiteral("Вопрос №%1 из 4").arg(at));
        QVERIFY(s.f().Txt.text.isEmpty());
        QVERIFY(s.f().picOtvety[1].visible && !s.f().picOtvety[2].visible);
        // The moved question keeps its count and its hidden answers.
        const clsTest& moved = s.question(4);
        QCOMPARE(moved.CountOtvetov, 1);
        QCOMPARE(moved.ListOtvety(4), QStringLiteral("скрыт 4"));
    }

    void remove_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QStringList>("result");
        QTest::newRow("question 3 of 5") << 3 << 3
                                         << QStringList{QStringLiteral("Вопрос 1"), QStringLiteral("Вопрос 2"),
                                                        QStringLiteral("Вопрос 4"), QStringLiteral("Вопрос 5")};
        QTest::newRow("the last of 5") << 5 << 4
                                       << QStringList{QStringLiteral("Вопрос 1"), QStringLiteral("Вопрос 2"),
                                                      QStringLiteral("Вопрос 3"), QStringLiteral("Вопрос 4")};
    }
    void remove()
    {
        QFETCH(int, at);
        QFETCH(int, shown);
        QFETCH(QStringList, result);
        EditorSession s(5);
        hideAnswers(s, 5);
        s.app.st.main.CurrentQuestion = at;
        AddVopros(s.app);
        DeleteVopros(s.app);
        QCOMPARE(texts(s.app), result);
        QCOMPARE(s.app.st.main.CurrentQuestion, shown);
        QCOMPARE(s.f().Txt.text, result.at(shown - 1));
        QCOMPARE(s.f().NmWpr.text, QStringLiteral("Вопрос №%1 из 4").arg(shown));
        if (at < 5)
            QCOMPARE(s.question(4).ListOtvety(4), QStringLiteral("скрыт 4"));
    }

    void theOnlyQuestionStays()
    {
        EditorSession s(1);
        DeleteVopros(s.app);
        QCOMPARE(s.app.st.test.QuestionCount, 1);
        QCOMPARE(s.question(1).Vopros, QStringLiteral("Вопрос 1"));
    }

    void firstIncomplete()
    {
        EditorSession s(4);
        s.app.st.main.CurrentQuestion = 2;
        AddVopros(s.app);
        frmForma_MenuClick(s.app, s.f().EditFoundNoEnd.name);
        QCOMPARE(s.pf.messageTexts(), QStringList{QStringLiteral("Тест готов!")});
        QCOMPARE(s.pf.messages.front().icon, MsgIcon::Information);
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);

        // The current question is the only incomplete one: nothing visible.
        s.question(2).AddOtvety(1, QString());
        s.f().Txt.text = QStringLiteral("набираю");
        frmForma_MenuClick(s.app, s.f().EditFoundNoEnd.name);
        QCOMPARE(s.f().Txt.text, QStringLiteral("набираю"));
        QCOMPARE(s.pf.messages.size(), 1);

        s.question(4).Vopros.clear();
        s.question(2).AddOtvety(1, QStringLiteral("есть"));
        frmForma_MenuClick(s.app, s.f().EditFoundNoEnd.name);
        QCOMPARE(s.app.st.main.CurrentQuestion, 4);
        QCOMPARE(s.f().NmWpr.text, QStringLiteral("Вопрос №4 из 4"));
    }

    void picker()
    {
        EditorSession s(3);
        s.question(2).Vopros = QStringLiteral("<b>Жирный</b> вопрос");
        s.app.st.main.CurrentQuestion = 2;
        AddVopros(s.app);
        FrmNomer& w = s.app.frmNomer;
        int step = 0;
        s.pf.onModal[WindowId::Nomer] = [&] {
            QCOMPARE(w.caption, QStringLiteral("Выбор вопроса"));
            QCOMPARE(w.List1.items, (QStringList{QStringLiteral("1) Вопрос 1"),
                                                 QStringLiteral("2) <b>Жирный</b> вопрос"),
                                                 QStringLiteral("3) Вопрос 3")}));
            // Nothing chosen yet: a double click leaves the picker open.
            frmNomer_Event(s.app, {UiEvent::DblClick, QStringLiteral("List1")});
            QVERIFY(!w.closeRequested);
            if (step == 0) {
                w.List1.listIndex = 1;  // the current question
                frmNomer_Event(s.app, {UiEvent::DblClick, QStringLiteral("List1")});
            } else if (step == 1) {
                w.List1.listIndex = 2;
                UiEvent enter{UiEvent::KeyDown, QStringLiteral("List1")};
                enter.key = Qt::Key_Return;
                QVERIFY(!frmNomer_Event(s.app, enter));
            } else {
                w.List1.listIndex = 0;
                UiEvent esc{UiEvent::KeyDown, QStringLiteral("List1")};
                esc.key = Qt::Key_Escape;
                frmNomer_Event(s.app, esc);
            }
            QVERIFY(w.closeRequested);
        };
        s.f().Txt.text = QStringLiteral("набираю");
        frmForma_MenuClick(s.app, s.f().EditSelectVopros.name);
        QCOMPARE(s.app.st.main.CurrentQuestion, 2);
        QCOMPARE(s.f().Txt.text, QStringLiteral("набираю"));  // not reloaded
        step = 1;
        frmForma_MenuClick(s.app, s.f().EditSelectVopros.name);
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        QCOMPARE(s.f().Txt.text, QStringLiteral("Вопрос 3"));
        step = 2;
        frmForma_MenuClick(s.app, s.f().EditSelectVopros.name);
        QCOMPARE(s.app.st.main.CurrentQuestion, 3);
        QCOMPARE(s.pf.modals.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestQuestionList)
#include "tst_questionlist.moc"
