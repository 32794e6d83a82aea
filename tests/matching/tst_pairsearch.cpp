#include "Fixtures.h"

#include "engines/PairSearch.h"
#include "ground/Kartochka.h"
#include "engines/PersonFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
Kartochka card(const QString& name, int sex, const QString& answers, int year = 1990, int details = 0)
{
    Kartochka c;
    c.NameFamiliya = name;
    c.Pol = sex;
    c.Otvety = answers;
    c.DataRogdeniya = year;
    c.Podrobnee = details;
    return c;
}

struct Folder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    void add(const QString& file, const Kartochka& c) const
    {
        fixtures::writeBytes(path() + file, PersonFileContent(c));
    }
};

QStringList ranked(const PairRanking& r)
{
    QStringList out;
    for (int index : r.order)
        out << r.pairs[index].NameFamiliya + QLatin1Char(' ') + r.pairs[index].Sovpadeniy;
    return out;
}
}

class TestPairSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void ranksByMatchesWithTruePercentages()
    {
        Folder f;
        f.add(QStringLiteral("a.tnw"), card(QStringLiteral("Вика"), 1, QStringLiteral("010")));
        f.add(QStringLiteral("b.tnw"), card(QStringLiteral("Галя"), 1, QStringLiteral("2")));
        f.add(QStringLiteral("c.tnw"), card(QStringLiteral("Аня"), 1, QStringLiteral("012"), 2000));
        const PairRanking r = RankPairs(f.path(), card(QStringLiteral("Иван"), 0, QStringLiteral("012")), 2026);
        QCOMPARE(ranked(r), (QStringList{QStringLiteral("Аня 3 (100%)"), QStringLiteral("Вика 2 (66%)"),
                                         QStringLiteral("Галя 0 (0%)")}));
        QCOMPARE(r.pairs[r.order[0]].Vozrast, QStringLiteral("26"));
        QCOMPARE(r.pairs[r.order[0]].FileName, QStringLiteral("c.tnw"));
    }

    void percentagesAreTheTrueShare_data()
    {
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("matches");
        QTest::addColumn<QString>("text");
        QTest::newRow("39 of 40") << 40 << 39 << "39 (97%)";
        QTest::newRow("40 of 40") << 40 << 40 << "40 (100%)";
        QTest::newRow("149 of 150") << 150 << 149 << "149 (99%)";
        QTest::newRow("75 of 150") << 150 << 75 << "75 (50%)";
        QTest::newRow("1 of 150") << 150 << 1 << "1 (0%)";
        QTest::newRow("no reference answers") << 0 << 0 << "0";
    }
    void percentagesAreTheTrueShare()
    {
        QFETCH(int, questions);
        QFETCH(int, matches);
        QFETCH(QString, text);
        const QString reference(questions, QLatin1Char('1'));
        QString candidate(questions, QLatin1Char('1'));
        for (int i = 0; i < questions - matches; ++i)
            candidate[i] = QLatin1Char('2');
        Folder f;
        f.add(QStringLiteral("x.tnm"), card(QStringLiteral("Пётр"), 0, candidate));
        const PairRanking r = RankPairs(f.path(), card(QStringLiteral("Анна"), 1, reference), 2026);
        QCOMPARE(r.pairs.size(), 1);
        QCOMPARE(r.pairs[0].Sovpadeniy, text);
        QCOMPARE(r.matches[0], matches);
    }

    void equalCountsFollowScanNumbersAsText()
    {
        Folder f;
        // Listed by name, so file k is scan number k.
        for (int k = 0; k < 12; ++k) {
            const bool strong = k == 2 || k == 9 || k == 10 || k == 11;
            f.add(QStringLiteral("p%1.tnw").arg(k, 2, 10, QLatin1Char('0')),
                  card(QStringLiteral("№%1").arg(k), 1, strong ? QStringLiteral("11") : QStringLiteral("00")));
        }
        const PairRanking r = RankPairs(f.path(), card(QStringLiteral("Иван"), 0, QStringLiteral("11")), 2026);
        QCOMPARE(r.order.mid(0, 4), (QList<int>{9, 2, 11, 10}));
        QCOMPARE(r.order.size(), 12);
    }

    void onlyTheOtherSexAndOnlyRealCards_data()
    {
        QTest::addColumn<int>("sex");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("woman scans men") << 1 << QStringList{QStringLiteral("Пётр")};
        QTest::newRow("man scans women") << 0 << QStringList{QStringLiteral("Анна")};
        QTest::newRow("any other value scans women") << 7 << QStringList{QStringLiteral("Анна")};
    }
    void onlyTheOtherSexAndOnlyRealCards()
    {
        QFETCH(int, sex);
        QFETCH(QStringList, found);
        Folder f;
        f.add(QStringLiteral("m.tnm"), card(QStringLiteral("Пётр"), 0, QStringLiteral("1")));
        f.add(QStringLiteral("w.tnw"), card(QStringLiteral("Анна"), 1, QStringLiteral("1")));
        fixtures::writeBytes(f.path() + QStringLiteral("foreign.tnw"), "[Kartochka]\r\nЧужой\r\n");
        fixtures::writeBytes(f.path() + QStringLiteral("foreign.tnm"), "[tandemo]\r\nТест\r\n");
        fixtures::writeBytes(f.path() + QStringLiteral("empty.tnm"), QByteArray());
        QDir().mkpath(f.path() + QStringLiteral("folder.tnw"));
        const PairRanking r = RankPairs(f.path(), card(QStringLiteral("Я"), sex, QStringLiteral("1")), 2026);
        QStringList names;
        for (const PairEntry& e : r.pairs)
            names << e.NameFamiliya;
        QCOMPARE(names, found);
    }

    void damagedCardsStillTakePart()
    {
        Folder f;
        fixtures::writeBytes(f.path() + QStringLiteral("short.tnw"), "[kartochka]\r\n\xc0\xed\xff\r\nгод\r\n");
        const PairRanking r = RankPairs(f.path(), card(QStringLiteral("Я"), 0, QStringLiteral("12")), 2026);
        QCOMPARE(r.pairs.size(), 1);
        QCOMPARE(r.pairs[0].NameFamiliya, QStringLiteral("Аня"));
        QCOMPARE(r.pairs[0].Sovpadeniy, QStringLiteral("0 (0%)"));
    }

    void emptyFolderGivesAnEmptyRanking()
    {
        Folder f;
        const PairRanking r = RankPairs(f.path(), card(QStringLiteral("Я"), 0, QStringLiteral("12")), 2026);
        QVERIFY(r.pairs.isEmpty());
        QVERIFY(r.order.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPairSearch)
#include "tst_pairsearch.moc"
