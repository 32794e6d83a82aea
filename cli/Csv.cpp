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

bool Reader::next(Record& record)
{
    const qsizetype n = data_.size();
    const char* d = data_.constData();
    auto isEnd = [](char c) { return c == '\r' || c == '\n'; };
    while (pos_ < n) {
        record = Record{};
        record.line = line_;
        for (;;) {
            QByteArray field;
            if (pos_ < n && d[pos_] == '"') {
                ++pos_;
                bool closed = false;
                while (pos_ < n && !isEnd(d[pos_])) {
                    const char c = d[pos_++];
                    if (c != '"') {
                        field += c;
                    } else if (pos_ < n && d[pos_] == '"') {
                        field += '"';
                        ++pos_;
                    } else {
                        closed = true;
                        break;
                    }
                }
                if (!closed)
                    record.error = QStringLiteral("кавычка поля не закрыта до конца строки");
                else if (pos_ < n && d[pos_] != ',' && !isEnd(d[pos_]))
                    record.error = QStringLiteral("текст после закрывающей кавычки поля");
            } else {
                const qsizetype start = pos_;
                while (pos_ < n && d[pos_] != ',' && !isEnd(d[pos_]))
                    ++pos_;
                field = data_.mid(start, pos_ - start);
                if (field.contains('"'))
                    record.error = QStringLiteral("кавычка внутри поля, которое не начинается с кавычки");
            }
            if (!record.error.isEmpty())
                break;
            record.fields.append(field);
            if (pos_ < n && d[pos_] == ',') {
                ++pos_;
                continue;
            }
            break;
        }
        // The rest of the line (after an error) and its end: CR LF, LF, CR
        // or the end of the text.
        while (pos_ < n && !isEnd(d[pos_]))
            ++pos_;
        if (pos_ < n && d[pos_] == '\r') {
            ++pos_;
            if (pos_ < n && d[pos_] == '\n')
                ++pos_;
        } else if (pos_ < n) {
            ++pos_;  // LF
        }
        ++line_;
        if (record.error.isEmpty() &&
            std::all_of(record.fields.cbegin(), record.fields.cend(), [](const QByteArray& f) { return f.isEmpty(); }))
            continue;
        return true;
    }
    return false;
}

}  // namespace csv
