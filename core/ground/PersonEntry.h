#pragma once

#include <QString>

// One row of the people list.
struct PersonEntry {
    QString NameFamiliya;
    QString Vozrast;   // age as decimal text
    int Podrobnee = 0;
    QString FileName;  // without folder
    QString Status;    // the desk's status; empty while nobody in the folder has one
};
