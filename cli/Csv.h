#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <initializer_list>

// Comma-separated values as spreadsheets read them: UTF-8, CR LF line ends, a
// field in double quotes (with its quotes doubled) when it holds a comma, a
// double quote or a line break (the program's own fields hold none).
namespace csv {

void appendField(QByteArray& out, QStringView value);
// Appends one line of fields to `out`.
void appendRow(QByteArray& out, std::initializer_list<QStringView> fields);

// One line of a CSV file as it was read: its fields as bytes, quotes taken
// off, or why it could not be read.
struct Record {
    int line = 0;  // the line of the file, from 1
    QList<QByteArray> fields;
    QString error;  // empty when the line was read
};

// Reads CSV text line by line: fields separated by commas, a field in double
// quotes may hold commas and doubled double quotes. A field never spans
// lines: a person file keeps no line break in a field, so each line is one
// record, and a quote that a line leaves open spoils that line alone. Lines
// end with CR LF, LF or CR. A UTF-8 byte-order mark at the start is skipped.
// Empty lines (nothing, or only commas) are passed over. A line whose quoting
// is broken is returned with its error.
class Reader {
public:
    explicit Reader(QByteArray data);
    bool next(Record& record);

private:
    QByteArray data_;
    qsizetype pos_ = 0;
    int line_ = 1;
};

}  // namespace csv
