#include "Csv.h"

#include <QString>
#include <QStringEncoder>

#include <algorithm>

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

Reader::Reader(QByteArray data) : data_(std::move(data))
{
    if (data_.startsWith("\xEF\xBB\xBF"))
        pos_ = 3;
}

void Reader::skipLine()
{
    const qsizetype end = data_.indexOf('\n', pos_);
    pos_ = end < 0 ? data_.size() : end + 1;
    ++line_;
}

bool Reader::next(Record& record)
{
    const qsizetype n = data_.size();
    const char* d = data_.constData();
    while (pos_ < n) {
        record = Record{};
        record.line = line_;
        bool ended = false;
        while (!ended && record.error.isEmpty()) {
            QByteArray field;
            if (pos_ < n && d[pos_] == '"') {
                ++pos_;
                for (;;) {
                    if (pos_ >= n) {
                        record.error = QStringLiteral("a quoted field is not closed");
                        break;
                    }
                    const char c = d[pos_++];
                    if (c == '"') {
                        if (pos_ < n && d[pos_] == '"') {
                            field += '"';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n')
                        ++line_;
                    field += c;
                }
                if (record.error.isEmpty() && pos_ < n && d[pos_] != ',' && d[pos_] != '\r' && d[pos_] != '\n') {
                    record.error = QStringLiteral("text after the closing double quote of a field");
                    skipLine();
                }
            } else {
                const qsizetype start = pos_;
                while (pos_ < n && d[pos_] != ',' && d[pos_] != '\r' && d[pos_] != '\n')
                    ++pos_;
                field = data_.mid(start, pos_ - start);
                if (field.contains('"')) {
                    record.error = QStringLiteral("a double quote inside a field that does not start with one");
                    skipLine();
                }
            }
            if (!record.error.isEmpty())
                break;
            record.fields.append(field);
            if (pos_ < n && d[pos_] == ',') {
                ++pos_;
                continue;
            }
            // The end of the record: CR LF, LF, CR or the end of the text.
            if (pos_ < n && d[pos_] == '\r')
                ++pos_;
            if (pos_ < n && d[pos_] == '\n')
                ++pos_;
            ++line_;
            ended = true;
        }
        if (record.error.isEmpty() &&
            std::all_of(record.fields.cbegin(), record.fields.cend(), [](const QByteArray& f) { return f.isEmpty(); }))
            continue;
        return true;
    }
    return false;
}

}  // namespace csv
