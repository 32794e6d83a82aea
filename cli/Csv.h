#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Comma-separated values as spreadsheets read them: UTF-8, CR LF line ends, a
// field in double quotes (with its quotes doubled) when it holds a comma, a
// double quote or a line break.
namespace csv {

QByteArray field(const QString& value);
QByteArray row(const QStringList& fields);

}  // namespace csv
