#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <initializer_list>

// Comma-separated values as spreadsheets read them: UTF-8, CR LF line ends, a
// field in double quotes (with its quotes doubled) when it holds a comma, a
// double quote or a line break.
namespace csv {

void appendField(QByteArray& out, QStringView value);
// Appends one line of fields to `out`.
void appendRow(QByteArray& out, std::initializer_list<QStringView> fields);

// One record of a CSV file as it was read: its fields as bytes, quotes taken
// off, or why it could not be read.
struct Record {
    int line = 0;  // the line of the file on which the record starts, from 1
    QList<QByteArray> fields;
    QString error;  // empty when the record was read
};

// Reads CSV text (RFC 4180: fields separated by commas, a field in double
// quotes may hold commas, line breaks and doubled double quotes; records end
// with CR LF, LF or CR). A UTF-8 byte-order mark at the start is skipped.
// Empty records (an empty line, or only commas) are passed over. A record
// whose quoting is broken is returned with its error; reading goes on at the
// next line.
class Reader {
public:
    explicit Reader(QByteArray data);
    bool next(Record& record);

private:
    void skipLine();
    QByteArray data_;
    qsizetype pos_ = 0;
    int line_ = 1;
};

}  // namespace csv
