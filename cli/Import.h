#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

class App;

namespace sheet {

// The largest sheet the import reads: far more rows than an event fills in,
// and all that a damaged or foreign file can make it hold in memory.
inline constexpr qsizetype kMaxSheetBytes = qsizetype(64) << 20;
// The bound as `--help` and the messages state it ("64 МБ").
QString maxSheetText();

// "1 строка", "2 строки", "5 строк": a number and the word in the form the
// number asks for, given the word's forms for 1, for 2 and for 5.
QString countText(int count, const QString& one, const QString& few, const QString& many);

struct Counts {
    int saved = 0;
    int refused = 0;
    bool stopped = false;  // the sheet itself was refused: nothing was saved
};
using Print = std::function<void(const QString&)>;

// Saves the rows of the CSV text `sheet` into the folder of the test open in
// `app`, each row as the end of an attempt saves it. Every data line is
// either saved (its line number and file on `out`) or refused (its line
// number and the reason on `err`); a sheet whose header cannot be used is
// refused whole on `err`, before anything is written. No summary line.
Counts importSheet(App& app, const QByteArray& sheet, const Print& out, const Print& err);

}  // namespace sheet

// Saves the results in the CSV file `csvFile` (one person a row, from paper
// forms or a spreadsheet) into the folder of the test `testFile`, each row as
// the end of an attempt saves it. Prints a line for each saved row on standard
// output, the line number and the reason for each refused row on standard
// error, then a summary line. Returns the exit status: 0 when every row was
// saved, 1 otherwise (also when the sheet or the test cannot be used).
int ImportResults(const QString& testFile, const QString& csvFile);
