#pragma once

#include <QDateTime>
#include <QString>

// One card on the page of cards whose term of keeping has run out.
struct RetentionRow {
    QString FileName;  // without folder
    QString NameFamiliya;
    int DataRogdeniya = 0;
    bool YearKnown = false;
    QDateTime Time;  // when the result was saved
};
