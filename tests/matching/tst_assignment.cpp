// Pairing men and women one to one so that the pairs together fit best.

#include "Fixtures.h"

#include "engines/Assignment.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "ground/Kartochka.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <numeric>

namespace {

// The best total over every pairing, by trying every permutation of the
// larger side: man i takes column p[i]; a stand-in column or a forbidden
// pair leaves him unpaired.
qint64 BruteForceBest(const std::vector<qint64>& gain, const std::vector<char>& allowed, int rows, int cols)
{
    const int n = std::max(rows, cols);
    std::vector<int> p(static_cast<size_t>(n));
    std::iota(p.begin(), p.end(), 0);
    qint64 best = 0;
    do {
        qint64 total = 0;
        for (int i = 0; i < rows; ++i) {
            const int j = p[static_cast<size_t>(i)];
            if (j < cols && allowed[static_cast<size_t>(i * cols + j)])
                total += gain[static_cast<size_t>(i * cols + j)];
        }
        best = std::max(best, total);
    } while (std::next_permutation(p.begin(), p.end()));
    return best;
}

constexpr int kYear = 2026;

Kartochka card(const QString& answers, int sex, int age)
{
    Kartochka c;
    c.NameFamiliya = answers;
    c.Pol = sex;
    c.Otvety = answers;
    c.DataRogdeniya = kYear - age;
    return c;
}

weights::Table plainTable(int questions)
{
    weights::Table table;
    for (int q = 0; q < questions; ++q) {
        weights::QuestionWeights w;
        w.lastAnswer = 2;
        table.questions.push_back(w);
    }
    return table;
}

}  // namespace

class TestAssignment : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every size up to 8 × 8, equal and unequal, with forbidden pairs, ties
    // and zero gains: the pairing is one to one, makes no forbidden pair and
    // is worth what the best permutation is worth.
    void bestAsEveryPermutation()
    {
        QRandomGenerator random(27);
        for (int rows = 0; rows <= 8; ++rows) {
            for (int cols = 0; cols <= 8; ++cols) {
                const int trials = std::max(rows, cols) >= 7 ? 3 : 12;
                for (int trial = 0; trial < trials; ++trial) {
                    const size_t cells = static_cast<size_t>(rows * cols);
                    std::vector<qint64> gain(cells);
                    std::vector<char> allowed(cells);
                    // Some trials draw from few values (ties), some from the
                    // full range of a match's millionths.
                    const qint64 range = trial % 3 == 0 ? 3 : 1000001;
                    const int forbidPercent = trial % 4 == 0 ? 0 : static_cast<int>(random.bounded(70));
                    for (size_t c = 0; c < cells; ++c) {
                        gain[c] = static_cast<qint64>(random.bounded(static_cast<quint64>(range)));
                        allowed[c] = static_cast<int>(random.bounded(100)) >= forbidPercent;
                    }
                    const std::vector<int> chosen = assign::Solve(gain, allowed, rows, cols);
                    const QString where = QStringLiteral("%1 × %2, trial %3").arg(rows).arg(cols).arg(trial);
                    QVERIFY2(chosen.size() == static_cast<size_t>(rows), qPrintable(where));
                    std::vector<char> taken(static_cast<size_t>(cols));
                    qint64 total = 0;
                    for (int i = 0; i < rows; ++i) {
                        const int j = chosen[static_cast<size_t>(i)];
                        if (j < 0)
                            continue;
                        QVERIFY2(j < cols, qPrintable(where));
                        QVERIFY2(!taken[static_cast<size_t>(j)], qPrintable(where + QStringLiteral(": a woman twice")));
                        taken[static_cast<size_t>(j)] = 1;
                        QVERIFY2(allowed[static_cast<size_t>(i * cols + j)],
                                 qPrintable(where + QStringLiteral(": a forbidden pair")));
                        total += gain[static_cast<size_t>(i * cols + j)];
                    }
                    QCOMPARE(total, BruteForceBest(gain, allowed, rows, cols));
                }
            }
        }
    }

    // Everyone forbidden: nobody is paired; all allowed at equal numbers:
    // everyone is, even where the pair is worth nothing.
    void allOrNothingAllowed()
    {
        const std::vector<qint64> gain(9, 0);
        for (const char allowed : {char(0), char(1)}) {
            const std::vector<int> chosen = assign::Solve(gain, std::vector<char>(9, allowed), 3, 3);
            const bool anyUnpaired = std::count(chosen.begin(), chosen.end(), -1) > 0;
            QCOMPARE(anyUnpaired, !allowed);
        }
    }

    void pairEveryoneKeepsTheDesksExclusions_data()
    {
        QTest::addColumn<QStringList>("never");    // "man:woman"
        QTest::addColumn<QStringList>("paused");
        QTest::addColumn<bool>("mutual");
        QTest::addColumn<QString>("expected");
        // m1 "012" and w1 "012" fit fully, as m2 "210" and w2 "210"; w3 "011"
        // is 2 of 3 with m1 and 1 of 3 with m2. m2 accepts ages 20-30 only,
        // and w2 is 40.
        const QString best = QStringLiteral("m1.tnm+w1.tnw 100; m2.tnm+w2.tnw 100");
        QTest::newRow("the best pairing; his bounds count only when mutual")
            << QStringList() << QStringList() << false << best;
        QTest::newRow("never offered")
            << QStringList{QStringLiteral("m1.tnm:w1.tnw")} << QStringList() << false
            << QStringLiteral("m1.tnm+w3.tnw 66; m2.tnm+w2.tnw 100");
        QTest::newRow("never offered, the only other one paused: left unpaired")
            << QStringList{QStringLiteral("w1.tnw:m1.tnm")} << QStringList{QStringLiteral("w3.tnw")} << false
            << QStringLiteral("m2.tnm+w2.tnw 100");
        QTest::newRow("a paused man takes no part")
            << QStringList() << QStringList{QStringLiteral("m1.tnm")} << false << QStringLiteral("m2.tnm+w2.tnw 100");
        QTest::newRow("mutual: outside his bounds")
            << QStringList() << QStringList() << true << QStringLiteral("m1.tnm+w1.tnw 100; m2.tnm+w3.tnw 33");
    }
    void pairEveryoneKeepsTheDesksExclusions()
    {
        QFETCH(QStringList, never);
        QFETCH(QStringList, paused);
        QFETCH(bool, mutual);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        const auto add = [&](const QString& file, const Kartochka& c) {
            fixtures::writeBytes(folder + file, PersonFileContent(c) + "\r\n");
        };
        add(QStringLiteral("m1.tnm"), card(QStringLiteral("012"), 0, 30));
        add(QStringLiteral("m2.tnm"), card(QStringLiteral("210"), 0, 30));
        add(QStringLiteral("w1.tnw"), card(QStringLiteral("012"), 1, 25));
        add(QStringLiteral("w2.tnw"), card(QStringLiteral("210"), 1, 40));
        add(QStringLiteral("w3.tnw"), card(QStringLiteral("011"), 1, 25));
        const auto store = store::Open(folder);
        desk::Seeking young;
        young.ageFrom = 20;
        young.ageTo = 30;
        QCOMPARE(desk::WriteSeeking(*store, QStringLiteral("m2.tnm"), young), store::Result::Ok);
        for (const QString& two : never) {
            const QStringList names = two.split(QLatin1Char(':'));
            QCOMPARE(desk::NeverOffer(*store, names[0], names[1]), store::Result::Ok);
        }
        for (const QString& person : paused)
            QCOMPARE(desk::WriteStatus(*store, person, desk::Status::Paused), store::Result::Ok);

        // A file that is not there takes no part.
        const QList<assign::Pair> pairs = assign::PairEveryone(
            folder, {QStringLiteral("m1.tnm"), QStringLiteral("ghost.tnm"), QStringLiteral("m2.tnm")},
            {QStringLiteral("w1.tnw"), QStringLiteral("w2.tnw"), QStringLiteral("w3.tnw")}, plainTable(3), *store,
            mutual, kYear);
        QStringList got;
        for (const assign::Pair& pair : pairs)
            got << pair.man + QLatin1Char('+') + pair.woman + QLatin1Char(' ') +
                       QString::number(weights::Percent(pair.score));
        got.sort();
        QCOMPARE(got.join(QStringLiteral("; ")), expected);
    }
};

QTEST_GUILESS_MAIN(TestAssignment)
#include "tst_assignment.moc"
