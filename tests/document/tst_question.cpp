#include "ground/Question.h"

#include <QTest>

#include <stdexcept>

class TestQuestion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void freshQuestionIsEmpty()
    {
        clsTest q;
        QVERIFY(q.Vopros.isEmpty());
        QCOMPARE(q.CountOtvetov, 0);
        QCOMPARE(q.NomerOtveta, 0);
        for (int i = 0; i < 10; ++i)
            QVERIFY(q.ListOtvety(i).isEmpty());
    }

    void answerIndexOutOfRange_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("ten") << 10;
        QTest::newRow("minus one") << -1;
    }
    void answerIndexOutOfRange()
    {
        QFETCH(int, index);
        clsTest q;
        for (int i = 0; i < 10; ++i)
            q.AddOtvety(i, QString::number(i));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, q.AddOtvety(index, QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, q.ListOtvety(index));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(q.ListOtvety(i), QString::number(i));
    }

    void clearKeepsTextAndChoice()
    {
        clsTest q;
        q.Vopros = QStringLiteral("Кошки?");
        q.NomerOtveta = 2;
        q.CountOtvetov = 3;
        q.AddOtvety(7, QStringLiteral("да"));
        q.ClearOtvety();
        QCOMPARE(q.Vopros, QStringLiteral("Кошки?"));
        QCOMPARE(q.NomerOtveta, 2);
        QCOMPARE(q.CountOtvetov, 0);
        QVERIFY(q.ListOtvety(7).isEmpty());
    }

    void arrayCreatesOnTouchAndResizes()
    {
        QuestionArray a;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, a[1]);
        a.resizeFresh(5);
        QVERIFY(!a.isCreated(4));
        a[4].Vopros = QStringLiteral("четвёртый");
        a[5].CountOtvetov = 3;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, a[6]);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, a[0]);

        a.resizePreserving(3);
        a.resizePreserving(5);
        QVERIFY(a[4].Vopros.isEmpty());  // shrinking the array itself drops them

        a[2].Vopros = QStringLiteral("второй");
        a.resizePreserving(8);
        QCOMPARE(a[2].Vopros, QStringLiteral("второй"));
        QCOMPARE(a.upperBound(), 8);
        a.resizeFresh(8);
        QVERIFY(a[2].Vopros.isEmpty());
        a.resizeFresh(-4);
        QCOMPARE(a.upperBound(), 0);
    }
};

QTEST_GUILESS_MAIN(TestQuestion)
#include "tst_question.moc"
