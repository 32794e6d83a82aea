#include "ground/AppState.h"
#include "engines/BulkText.h"

#include <QTest>

namespace {
void fill(AppState& st, const QList<QStringList>& questions)
{
    st.test.QuestionCount = static_cast<int>(questions.size());
    st.test.Questions.resizeFresh(st.test.QuestionCount);
    for (int q = 1; q <= st.test.QuestionCount; ++q) {
        const QStringList& parts = questions[q - 1];
        st.test.Questions[q].Vopros = parts[0];
        st.test.Questions[q].CountOtvetov = static_cast<int>(parts.size()) - 2;
        for (int i = 1; i < parts.size(); ++i)
            st.test.Questions[q].AddOtvety(i - 1, parts[i]);
    }
}

QList<QStringList> dump(const AppState& st)
{
    QList<QStringList> out;
    for (int q = 1; q <= st.test.QuestionCount; ++q) {
        QStringList parts{st.test.Questions[q].Vopros};
        for (int i = 0; i <= st.test.Questions[q].CountOtvetov; ++i)
            parts << st.test.Questions[q].ListOtvety(i);
        out << parts;
    }
    return out;
}
}

class TestBulkText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writerLayout()
    {
        AppState st;
        fill(st, {{QStringLiteral("Ваш любимый цвет?"), QStringLiteral("Красный"), QStringLiteral("Синий"),
                   QStringLiteral("Зелёный")}});
        QCOMPARE(BulkTextOf(st.test), QStringLiteral("[№1]\r\n=Ваш любимый цвет?\r\nКрасный\r\nСиний\r\nЗелёный\r\n\r\n"));
    }

    void reading_data()
    {
        QTest::addColumn<QList<QStringList>>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<QStringList>>("after");
        const QList<QStringList> five{{"В1", "а", "б"}, {"В2", "а", "б"}, {"В3", "а", "б"}, {"В4", "а", "б"}, {"В5", "а", "б"}};
        QTest::newRow("empty answer dropped") << QList<QStringList>{} << "=Q\r\nA\r\n\r\nC\r\n" << 0
                                              << QList<QStringList>{{"Q", "A", "C"}};
        QTest::newRow("blanks: answer loses, question keeps") << QList<QStringList>{} << "  =  Q\r\n   A\r\n" << 0
                                                               << QList<QStringList>{{"  Q", "A"}};
        QTest::newRow("= and [№ at the start of an answer") << QList<QStringList>{} << "=Q\r\nA\r\n=B\r\n[№x]\r\n[x]\r\n" << 0
                                                             << QList<QStringList>{{"Q", "A"}, {"B", "[x]"}};
        QTest::newRow("eleventh answer ignored")
            << QList<QStringList>{} << "=Q\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n" << 0
            << QList<QStringList>{{"Q", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}};
        QTest::newRow("text before the first question ignored") << QList<QStringList>{} << "Анкета\r\nещё\r\n=Q\r\nA\r\n" << 0
                                                                 << QList<QStringList>{{"Q", "A"}};
        QTest::newRow("question without answers") << QList<QStringList>{} << "=Q\r\n" << 0 << QList<QStringList>{{"Q", ""}};
        QTest::newRow("from question 4 overwrites 4 and 5 only")
            << five << "=Н1\r\nx\r\n=Н2\r\ny\r\nz\r\nw\r\n" << 3
            << QList<QStringList>{{"В1", "а", "б"}, {"В2", "а", "б"}, {"В3", "а", "б"}, {"Н1", "x"}, {"Н2", "y", "z", "w"}};
        QTest::newRow("longer text enlarges the test")
            << QList<QStringList>{{"В1", "а", "б"}} << "=Н1\r\nx\r\n=Н2\r\ny\r\n" << 0
            << QList<QStringList>{{"Н1", "x"}, {"Н2", "y"}};
        QTest::newRow("removed block does not delete")
            << QList<QStringList>{{"В1", "а"}, {"В2", "а"}, {"В3", "а"}} << "=В1\r\nа\r\n=В3\r\nа\r\n" << 0
            << QList<QStringList>{{"В1", "а"}, {"В3", "а"}, {"В3", "а"}};
        QTest::newRow("lone LF and no final line end") << QList<QStringList>{} << "=Q\nA\nB" << 0
                                                       << QList<QStringList>{{"Q", "A", "B"}};
    }
    void reading()
    {
        QFETCH(QList<QStringList>, before);
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QList<QStringList>, after);
        AppState st;
        fill(st, before);
        ReadBulkLines(st.test, BulkLines(text), start);
        QCOMPARE(dump(st), after);
    }

    void writerOutputReadsBackUnchanged()
    {
        AppState st;
        fill(st, {{QStringLiteral("  Первый, с пробелами"), QStringLiteral("<b>да</b>"), QStringLiteral("нет")},
                  {QStringLiteral("Второй"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}});
        const QList<QStringList> original = dump(st);
        const QString text = BulkTextOf(st.test);
        AppState back;
        ReadBulkLines(back.test, BulkLines(text), 0);
        QCOMPARE(dump(back), original);
        QCOMPARE(BulkTextOf(back.test), text);
    }
};

QTEST_GUILESS_MAIN(TestBulkText)
#include "tst_bulktext.moc"
