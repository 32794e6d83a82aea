#include "Csv.h"

#include <QString>

namespace csv {

void appendField(QByteArray& out, QStringView value)
{
    bool quote = false;
    for (QChar c : value) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out += value.toUtf8();
        return;
    }
    QByteArray bytes = value.toUtf8();
    bytes.replace("\"", "\"\"");
    out += '"';
    out += bytes;
    out += '"';
}

void appendRow(QByteArray& out, std::initializer_list<QStringView> fields)
{
    bool first = true;
    for (QStringView field : fields) {
        if (!first)
            out += ',';
        first = false;
        appendField(out, field);
    }
    out += "\r\n";
}

}  // namespace csv
