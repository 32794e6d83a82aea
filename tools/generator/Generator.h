#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdint>

// Made-up people and tests for the demo folder and the benchmarks. Everything
// is drawn from a seeded generator, so the same call writes the same bytes.
namespace gen {

// A small generator whose every output is fixed (SplitMix64): the standard library's
// distributions differ between implementations, this does not.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // 0 .. n-1
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

struct PeoplePlan {
    QString folder;          // ends with "/"
    QString testBaseName;    // person files are named after the test
    int men = 0;
    int women = 0;
    QList<int> answerCounts; // answers of each question; its size is the question count
    int detailsPercent = 50; // share of people who filled in the details
    QString password;        // the test's password, kept in every card
    std::uint64_t seed = 1;
    QDateTime firstResult = QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0));
};

// Writes plan.men + plan.women person files, as the program writes them at the
// end of a test, one second apart. Answers lean towards a few shared profiles
// so that a pair ranking spreads from poor to close matches. Returns false
// when a file could not be written.
bool WritePeople(const PeoplePlan& plan);

// The demo test "Знакомства" (dating questionnaire) written to
// folder + "Знакомства.tnd" with the given password, with 30 men and 30
// women who took it. Returns false when a file could not be written.
bool WriteDemoFolder(const QString& folder, const QString& password);

inline const QString kDemoTestFile = QStringLiteral("Знакомства.tnd");

}  // namespace gen
