// The ranking by the author's weights: the match score, the order, the page.

#include "../people/PeopleFolder.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PairSearch.h"
#include "engines/PersonFile.h"
#include "engines/Weights.h"
#include "ground/AppState.h"
#include "ground/Kartochka.h"
#include "screens/matching/PairPages.h"

namespace {

// Questions of three answers each; `importances` one per question, and
// `together` extra pairs "q:a>b" (question q from 1: to one who answered a,
// b goes with it too).
void setWeights(TestInMemory& test, const QList<int>& importances, const QStringList& together = {})
{
    test.QuestionCount = static_cast<int>(importances.size());
    test.Questions.resizeFresh(test.QuestionCount);
    for (int q = 1; q <= test.QuestionCount; ++q) {
        test.Questions[q].CountOtvetov = 2;
        test.Questions[q].Importance = importances[q - 1];
    }
    for (const QString& rule : together) {
        const int q = rule.section(QLatin1Char(':'), 0, 0).toInt();
        const int a = rule.section(QLatin1Char(':'), 1).section(QLatin1Char('>'), 0, 0).toInt();
        const int b = rule.section(QLatin1Char('>'), 1).toInt();
        test.Questions[q].Together[static_cast<size_t>(a)] |= static_cast<quint16>(1u << b);
    }
}

Kartochka card(const QString& name, int sex, const QString& answers)
{
    Kartochka c;
    c.NameFamiliya = name;
    c.Pol = sex;
    c.Otvety = answers;
    c.DataRogdeniya = 1996;
    return c;
}

const QString C = QStringLiteral("</b></td><td align='center'><b>");

// Иван "012" and five women. Question 1 weighs 250, question 2 nothing,
// question 3 one, and on it answers 1 and 2 go together.
struct WeightedFolder : PeopleFolder {
    WeightedFolder()
    {
        pf.clock = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        setWeights(app.st.test, {250, 0, 1}, {QStringLiteral("3:1>2"), QStringLiteral("3:2>1")});
        app.st.CardFields[1] = card(QStringLiteral("Иван"), 0, QStringLiteral("012"));
        app.st.list.Mode = HtmlWindowMode::PairSearch;
        add(QStringLiteral("a.tnw"), card(QStringLiteral("Аня"), 1, QStringLiteral("012")));   // 251 of 251
        add(QStringLiteral("b.tnw"), card(QStringLiteral("Вика"), 1, QStringLiteral("110")));  // 0 of 251
        add(QStringLiteral("c.tnw"), card(QStringLiteral("Галя"), 1, QStringLiteral("0")));    // 250 of 250
        add(QStringLiteral("d.tnw"), card(QStringLiteral("Даша"), 1, QStringLiteral("001")));  // 251 of 251
        add(QStringLiteral("e.tnw"), card(QStringLiteral("Ева"), 1, QStringLiteral("000")));   // 250 of 251
    }
    void add(const QString& file, const Kartochka& c) { fixtures::writeBytes(path(file), PersonFileContent(c)); }
    QStringList ranked(const RankFilter& filter = {}) const
    {
        const PairRanking r = RankPairs(app.st.folders.WorkFolder, app.st.CardFields[1], 2026, {}, filter,
                                        weights::TableOf(app.st.test));
        QStringList out;
        for (int index : r.order)
            out << r.pairs[index].NameFamiliya + QLatin1Char(' ') + r.pairs[index].Sovpadeniy + QLatin1Char(' ') +
                       QString::number(r.pairs[index].SharedQuestions);
        return out;
    }
};

}  // namespace

class TestWeightedRanking : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scoresWorkedByHand_data()
    {
        QTest::addColumn<QList<int>>("importances");
        QTest::addColumn<QStringList>("together");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("expected");  // "agreedA agreedB total shared percent"
        const QList<int> ones{1, 1, 1};
        QTest::newRow("all alike, full") << ones << QStringList() << "012" << "012" << "3 3 3 3 100";
        QTest::newRow("all alike, two of three") << ones << QStringList() << "012" << "010" << "2 2 3 3 66";
        QTest::newRow("weight 250 missed, weight 0 met") << QList<int>{250, 0, 1} << QStringList() << "012"
                                                         << "110" << "0 0 251 3 0";
        QTest::newRow("weight 250 met, weight 1 missed") << QList<int>{250, 1, 1} << QStringList() << "012"
                                                         << "011" << "251 251 252 3 99";
        QTest::newRow("only weight 0 shared") << QList<int>{0, 0, 5} << QStringList() << "01" << "01"
                                              << "0 0 0 2 0";
        QTest::newRow("answers that go together both ways")
            << ones << QStringList{QStringLiteral("1:0>1"), QStringLiteral("1:1>0")} << "0" << "1" << "1 1 1 1 100";
        // A's 0 accepts B's 1, but B's 1 does not accept A's 0: √(2 · 1) / 2.
        QTest::newRow("asymmetric table")
            << QList<int>{1, 1} << QStringList{QStringLiteral("1:0>1")} << "00" << "10" << "2 1 2 2 70";
        QTest::newRow("no shared question") << ones << QStringList() << "012" << "" << "0 0 0 0 0";
        // '-' and an answer past the question's last are not answers.
        QTest::newRow("unanswered positions") << QList<int>{1, 10, 1} << QStringList() << "0-2" << "012"
                                              << "2 2 2 2 100";
        QTest::newRow("no such answer") << QList<int>{1, 50} << QStringList() << "13" << "03" << "0 0 1 1 0";
        QTest::newRow("longer than the test") << QList<int>{10} << QStringList() << "01" << "02"
                                              << "10 10 10 1 100";
    }
    void scoresWorkedByHand()
    {
        QFETCH(QList<int>, importances);
        QFETCH(QStringList, together);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        TestInMemory test;
        setWeights(test, importances, together);
        const weights::Table table = weights::TableOf(test);
        const weights::Score s = weights::ScoreOf(a.toLatin1(), b.toLatin1(), table);
        QCOMPARE(QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(s.agreedA)
                     .arg(s.agreedB)
                     .arg(s.total)
                     .arg(s.shared)
                     .arg(weights::Percent(s)),
                 expected);
    }

    // A table that is not used ranks exactly as no table at all: the same
    // order and texts; only the questions both answered are told.
    void unusedWeightsRankAsToday()
    {
        WeightedFolder f;
        setWeights(f.app.st.test, {1, 1, 1});
        QVERIFY(!weights::TableOf(f.app.st.test).used);
        const PairRanking plain = RankPairs(f.app.st.folders.WorkFolder, f.app.st.CardFields[1], 2026);
        QStringList plainRows;
        for (int index : plain.order)
            plainRows << plain.pairs[index].NameFamiliya + QLatin1Char(' ') + plain.pairs[index].Sovpadeniy +
                             QLatin1Char(' ') + QString::number(plain.pairs[index].SharedQuestions);
        QCOMPARE(plainRows.first(), QStringLiteral("Аня 3 (100%) -1"));
        // Галя answered one question, the others all three.
        for (QString& row : plainRows)
            row = row.chopped(2) + (row.startsWith(QStringLiteral("Галя")) ? QStringLiteral("1") : QStringLiteral("3"));
        QCOMPARE(f.ranked(), plainRows);
    }

    // Highest match first; equal matches (Аня, Галя, Даша at 100%) by the
    // text of their scan numbers, descending, as equal counts are. The
    // desk's filter still leaves out the paused and the never offered.
    void weightedOrder()
    {
        WeightedFolder f;
        QCOMPARE(f.ranked(), (QStringList{QStringLiteral("Даша 100% 3"), QStringLiteral("Галя 100% 1"),
                                          QStringLiteral("Аня 100% 3"), QStringLiteral("Ева 99% 3"),
                                          QStringLiteral("Вика 0% 3")}));

        const auto store = store::Open(f.app.st.folders.WorkFolder);
        QCOMPARE(desk::WriteStatus(*store, QStringLiteral("d.tnw"), desk::Status::Paused), store::Result::Ok);
        const desk::Everyone everyone = desk::ReadEveryone(*store);
        RankFilter filter;
        filter.everyone = &everyone;
        filter.never.insert(QStringLiteral("e.tnw"));
        QCOMPARE(f.ranked(filter), (QStringList{QStringLiteral("Галя 100% 1"), QStringLiteral("Аня 100% 3"),
                                                QStringLiteral("Вика 0% 3")}));
    }

    void weightedPage()
    {
        WeightedFolder f;
        PoiskPary(f.app);
        const QString head = QStringLiteral("<td align='center'><b>№") + C + QStringLiteral("Имя и фамилия") + C +
                             QStringLiteral("Возраст") + C + QStringLiteral("Совпадение") + C +
                             QStringLiteral("Общих вопросов") + C + QStringLiteral("Подробности</b></td></tr>");
        const QString rows =
            QStringLiteral("<tr bgcolor='white'><td align='center'><b> 1") + C + QStringLiteral("Даша") + C +
            QStringLiteral("30") + C + QStringLiteral("100%") + C + QStringLiteral("3") + C +
            QStringLiteral("</b></td></tr><tr bgcolor='white'><td align='center'><b> 2") + C + QStringLiteral("Галя") +
            C + QStringLiteral("30") + C + QStringLiteral("100%") + C + QStringLiteral("1") + C + QStringLiteral("</b></td></tr>");
        QVERIFY2(f.page().contains(head + rows), qPrintable(f.page()));
        QVERIFY(f.page().endsWith(QStringLiteral("<b> 5") + C + QStringLiteral("Вика") + C + QStringLiteral("30") + C +
                                  QStringLiteral("0%") + C + QStringLiteral("3") + C +
                                  QStringLiteral("</b></td></tr></table></center></body></html>")));
        QVERIFY(!f.page().contains(QStringLiteral("Совпадений")));
    }
};

QTEST_GUILESS_MAIN(TestWeightedRanking)
#include "tst_weightedranking.moc"
