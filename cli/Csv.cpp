#include "Csv.h"

namespace csv {

QByteArray field(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    const bool quote = bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n');
    if (!quote)
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QByteArray row(const QStringList& fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        line += field(fields[i]);
    }
    line += "\r\n";
    return line;
}

}  // namespace csv
