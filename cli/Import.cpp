#include "Import.h"

#include "CliPlatform.h"
#include "Csv.h"

#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "screens/taking/EndTest.h"
#include "screens/document/FileCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cstdio>
#include <optional>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

// The columns, by the names a header line gives them. The nine details come
// in the order of the card's detail fields.
enum Column { Name, Sex, Year, Answers, Height, Weight, Hair, Eyes, Zodiac, About, Seeking, Address, Photo, Password,
              ColumnCount };
const std::array<const char*, ColumnCount> kColumnNames{"name",  "sex",  "year",   "answers", "height",
                                                        "weight", "hair", "eyes",   "zodiac",  "about",
                                                        "seeking", "address", "photo", "password"};
constexpr int kFirstDetail = Height;

void out(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void err(const QString& text)
{
    std::fflush(stdout);
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

QString lineLabel(int line)
{
    return QStringLiteral("line %1: ").arg(line);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Where each column is in a row; -1 when the file has no such column.
using ColumnIndex = std::array<int, ColumnCount>;

std::optional<QString> readHeader(const csv::Record& header, ColumnIndex& index)
{
    if (!header.error.isEmpty())
        return header.error;
    index.fill(-1);
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        const QString name = QString::fromUtf8(header.fields[i]).trimmed().toLower();
        int column = -1;
        for (int c = 0; c < ColumnCount; ++c) {
            if (name == QLatin1String(kColumnNames[static_cast<size_t>(c)]))
                column = c;
        }
        if (column < 0) {
            QStringList all;
            for (const char* known : kColumnNames)
                all << QLatin1String(known);
            return QStringLiteral("unknown column ") + quoted(name) + QStringLiteral(" (the columns are ") +
                   all.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        if (index[static_cast<size_t>(column)] >= 0)
            return QStringLiteral("column ") + quoted(name) + QStringLiteral(" given twice");
        index[static_cast<size_t>(column)] = static_cast<int>(i);
    }
    for (int c : {Name, Sex, Year, Answers}) {
        if (index[static_cast<size_t>(c)] < 0)
            return QStringLiteral("no column ") + quoted(QLatin1String(kColumnNames[static_cast<size_t>(c)]));
    }
    return std::nullopt;
}

// A row made into the own card and the chosen answers, or why it cannot be.
struct Row {
    Kartochka card;
    QList<int> answers;  // 0-based, one a question
};

std::optional<QString> readRow(const App& app, const csv::Record& record, const ColumnIndex& index,
                               qsizetype columns, Row& row)
{
    if (!record.error.isEmpty())
        return record.error;
    if (record.fields.size() != columns) {
        return QStringLiteral("%1 fields, the header line names %2 columns").arg(record.fields.size()).arg(columns);
    }
    std::array<QString, ColumnCount> value;
    for (int c = 0; c < ColumnCount; ++c) {
        const int at = index[static_cast<size_t>(c)];
        if (at < 0)
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(record.fields[at]);
        const QString column = QLatin1String(kColumnNames[static_cast<size_t>(c)]);
        if (utf8.hasError())
            return QStringLiteral("column ") + quoted(column) + QStringLiteral(" is not UTF-8 text");
        for (QChar ch : text) {
            if (ch == u'\r' || ch == u'\n')
                return QStringLiteral("a line break in column ") + quoted(column);
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
                return QStringLiteral("a control character (%1) in column ").arg(ch.unicode()) + quoted(column);
        }
        if (!textfile::fitsCodePage(text)) {
            QString foreign;
            for (qsizetype i = 0; i < text.size() && foreign.isEmpty(); ++i) {
                const QString one = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
                if (!textfile::fitsCodePage(one))
                    foreign = one;
                i += one.size() - 1;
            }
            return QStringLiteral("column ") + quoted(column) + QStringLiteral(" holds ") + quoted(foreign) +
                   QStringLiteral(", a character that a person file cannot hold");
        }
        // Spreadsheets pad; a password is taken as it is.
        value[static_cast<size_t>(c)] = c == Password ? text : text.trimmed();
    }

    Kartochka& card = row.card;
    card.NameFamiliya = value[Name];
    if (card.NameFamiliya.isEmpty())
        return QStringLiteral("no name");

    const QString sex = value[Sex].toLower();
    if (sex == QStringLiteral("м") || sex == QLatin1String("m"))
        card.Pol = 0;
    else if (sex == QStringLiteral("ж") || sex == QLatin1String("w"))
        card.Pol = 1;
    else
        return QStringLiteral("sex ") + quoted(value[Sex]) + QStringLiteral(" is none of м, m, ж, w");

    // As the card dialog takes it: four digits, 1900 or later.
    const QString& year = value[Year];
    bool digits = year.size() == 4;
    for (QChar ch : year)
        digits = digits && ch >= u'0' && ch <= u'9';
    if (!digits || year.toInt() < 1900)
        return QStringLiteral("year ") + quoted(year) + QStringLiteral(" is not a year of birth (four digits, 1900 or later)");
    card.DataRogdeniya = year.toInt();

    // Spreadsheets may put a no-break space between the numbers.
    QString blanks = value[Answers];
    for (QChar& ch : blanks) {
        if (ch.isSpace())
            ch = u' ';
    }
    const QStringList given = blanks.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int questions = app.st.test.QuestionCount;
    if (given.size() != questions)
        return QStringLiteral("%1 answers given, the test has %2 questions").arg(given.size()).arg(questions);
    row.answers.clear();
    for (int q = 1; q <= questions; ++q) {
        const QString& a = given[q - 1];
        bool ok = a.size() <= 2;
        for (QChar ch : a)
            ok = ok && ch >= u'0' && ch <= u'9';
        const int number = ok ? a.toInt() : 0;
        const int count = app.st.test.Questions[q].CountOtvetov + 1;
        if (!ok)
            return QStringLiteral("answer %1 ").arg(q) + quoted(a) + QStringLiteral(" is not a number");
        if (number < 1 || number > count)
            return QStringLiteral("answer %1 is %2, question %1 has answers 1 to %3").arg(q).arg(number).arg(count);
        row.answers.append(number - 1);
    }

    card.Podrobnee = 0;
    for (int c = kFirstDetail; c < kFirstDetail + 9; ++c) {
        card.Podrobnosti[static_cast<size_t>(c - kFirstDetail)] = value[static_cast<size_t>(c)];
        if (!value[static_cast<size_t>(c)].isEmpty())
            card.Podrobnee = 1;
    }
    // The card dialog takes the test's password for a new card.
    card.Parol = value[Password].isEmpty() ? app.st.test.TestPassword : value[Password];
    return std::nullopt;
}

}  // namespace

int ImportResults(const QString& testFile, const QString& csvFile)
{
    CliPlatform platform;
    App app(platform);
    OpenTest(app, QFileInfo(testFile).absoluteFilePath());
    if (platform.failed)
        return kFailed;
    if (app.st.main.MainHtml.contains(QStringLiteral("<br><br>Тест не готов!"))) {
        err(QStringLiteral("Тест не готов!"));
        return kFailed;
    }

    const QString csvPath = QFileInfo(csvFile).absoluteFilePath();
    QFile file(csvPath);
    if (!file.exists()) {
        err(FileMessage(app, csvPath, QStringLiteral("не найден")));
        return kFailed;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        err(FileMessage(app, csvPath, QStringLiteral("открыть не возможно")));
        return kFailed;
    }
    csv::Reader reader(file.readAll());
    file.close();

    csv::Record record;
    ColumnIndex index{};
    if (!reader.next(record)) {
        err(QStringLiteral("line 1: no header line"));
        return kFailed;
    }
    if (const auto problem = readHeader(record, index)) {
        err(lineLabel(record.line) + *problem);
        return kFailed;
    }
    const qsizetype columns = record.fields.size();

    int saved = 0;
    int refused = 0;
    while (reader.next(record)) {
        Row row;
        if (const auto problem = readRow(app, record, index, columns, row)) {
            err(lineLabel(record.line) + QStringLiteral("refused: ") + *problem);
            ++refused;
            continue;
        }
        // The end of an attempt, as at the desk: the card confirmed before the
        // test, every question answered.
        AppState& st = app.st;
        st.CardFields[0] = row.card;
        for (int q = 1; q <= st.test.QuestionCount; ++q)
            st.test.Questions[q].NomerOtveta = row.answers[q - 1];
        st.main.Phase = TestPhase::Attempt;
        platform.failed = false;
        platform.prefix = lineLabel(record.line) + QStringLiteral("not saved: ");
        EndTest(app);
        platform.prefix.clear();
        if (platform.failed) {
            ++refused;
            continue;
        }
        out(lineLabel(record.line) + st.CardFields[0].FileName);
        ++saved;
    }
    out(QStringLiteral("%1 rows saved, %2 refused").arg(saved).arg(refused));
    return refused == 0 ? kOk : kFailed;
}
