#pragma once

#include <QString>

// Saves the results in the CSV file `csvFile` (one person a row, from paper
// forms or a spreadsheet) into the folder of the test `testFile`, each row as
// the end of an attempt saves it. Prints a line for each saved row on standard
// output, the line number and the reason for each refused row on standard
// error, then a summary line. Returns the exit status: 0 when every row was
// saved, 1 otherwise.
int ImportResults(const QString& testFile, const QString& csvFile);
