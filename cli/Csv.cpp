#include "Csv.h"

#include <QString>
#include <QStringEncoder>

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
        // Encoded straight into the output: a list of a hundred thousand
        // people is written without a string per field.
        static QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
        const qsizetype at = out.size();
        out.resize(at + 3 * value.size());
        char* end = encoder.appendToBuffer(out.data() + at, value);
        out.resize(end - out.constData());
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
