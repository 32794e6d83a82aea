#pragma once

#include <QString>

// One candidate of the pair ranking.
struct PairEntry {
    QString NameFamiliya;
    QString Vozrast;
    int Podrobnee = 0;
    QString FileName;
    QString Sovpadeniy;  // match count and percentage as shown, e.g. "2 (66%)"; with weights "87%"
    int SharedQuestions = -1;  // the questions both answered, when the test's questions are known
};
