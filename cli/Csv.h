#pragma once

#include <QByteArray>
#include <QStringView>

#include <initializer_list>

// Comma-separated values as spreadsheets read them: UTF-8, CR LF line ends, a
// field in double quotes (with its quotes doubled) when it holds a comma, a
// double quote or a line break.
namespace csv {

void appendField(QByteArray& out, QStringView value);
// Appends one line of fields to `out`.
void appendRow(QByteArray& out, std::initializer_list<QStringView> fields);

}  // namespace csv
