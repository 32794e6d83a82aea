#include "Import.h"

#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"

#include "CliPlatform.h"
#include "Csv.h"

#include "engines/PageFiles.h"
#include "engines/PersonFile.h"
#include "engines/Picture.h"
#include "ground/App.h"
#include "ground/TextFile.h"
#include "screens/document/FileCommands.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace sheet {

namespace {

// Rows are saved in groups, so that the disk is made to keep a whole group
// at once: this many rows, or fewer when their cards are large.
constexpr int kBatchRows = 2000;
constexpr qsizetype kBatchBytes = qsizetype(32) << 20;

// The columns, by the names a header line gives them. The nine details come
// in the order of the card's detail fields.
enum Column { Name, Sex, Year, Answers, Height, Weight, Hair, Eyes, Zodiac, About, Seeking, Address, Photo, Password,
              AgeFrom, AgeTo, HeightFrom, HeightTo, ColumnCount };
const std::array<const char*, ColumnCount> kColumnNames{"name",  "sex",  "year",   "answers", "height",
                                                        "weight", "hair", "eyes",   "zodiac",  "about",
                                                        "seeking", "address", "photo", "password",
                                                        "age_from", "age_to", "height_from", "height_to"};
// Ages a person may ask for.
constexpr int kMaxAge = 150;
constexpr int kFirstDetail = Height;

QString lineLabel(int line)
{
    return QStringLiteral("строка %1: ").arg(line);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString columnName(int column)
{
    return QLatin1String(kColumnNames[static_cast<size_t>(column)]);
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
            if (name == columnName(c))
                column = c;
        }
        if (column < 0) {
            QStringList all;
            for (const char* known : kColumnNames)
                all << QLatin1String(known);
            return QStringLiteral("неизвестный столбец ") + quoted(name) + QStringLiteral(" (столбцы: ") +
                   all.join(QStringLiteral(", ")) + QLatin1Char(')');
        }
        if (index[static_cast<size_t>(column)] >= 0)
            return QStringLiteral("столбец ") + quoted(name) + QStringLiteral(" назван дважды");
        index[static_cast<size_t>(column)] = static_cast<int>(i);
    }
    for (int c : {Name, Sex, Year, Answers}) {
        if (index[static_cast<size_t>(c)] < 0)
            return QStringLiteral("нет столбца ") + quoted(columnName(c));
    }
    return std::nullopt;
}

// The column that holds a field of the card.
int columnOf(CardField field)
{
    switch (field.kind) {
    case CardField::Name:
        return Name;
    case CardField::Answers:
        return Answers;
    case CardField::Detail:
        return kFirstDetail + field.detail;
    case CardField::Password:
        return Password;
    }
    return Name;
}

// A row made into the card it saves (answers included), or why it cannot be.
std::optional<QString> readRow(const App& app, const csv::Record& record, const ColumnIndex& index,
                               qsizetype columns, Kartochka& card, desk::Seeking& bounds)
{
    if (!record.error.isEmpty())
        return record.error;
    if (record.fields.size() != columns) {
        return countText(static_cast<int>(record.fields.size()), QStringLiteral("поле"), QStringLiteral("поля"),
                         QStringLiteral("полей")) +
               QStringLiteral(", а строка заголовка называет ") +
               countText(static_cast<int>(columns), QStringLiteral("столбец"), QStringLiteral("столбца"),
                         QStringLiteral("столбцов"));
    }
    std::array<QString, ColumnCount> value;
    for (int c = 0; c < ColumnCount; ++c) {
        const int at = index[static_cast<size_t>(c)];
        if (at < 0)
            continue;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(record.fields[at]);
        const QString column = columnName(c);
        if (utf8.hasError())
            return QStringLiteral("столбец ") + quoted(column) + QStringLiteral(" — не текст в UTF-8");
        for (QChar ch : text) {
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
                return QStringLiteral("управляющий символ (%1) в столбце ").arg(ch.unicode()) + quoted(column);
        }
        if (!textfile::fitsCodePage(text)) {
            QString foreign;
            for (qsizetype i = 0; i < text.size() && foreign.isEmpty(); ++i) {
                const QString one = text.mid(i, text[i].isHighSurrogate() ? 2 : 1);
                if (!textfile::fitsCodePage(one))
                    foreign = one;
                i += one.size() - 1;
            }
            return QStringLiteral("в столбце ") + quoted(column) + QStringLiteral(" символ ") + quoted(foreign) +
                   QStringLiteral(", которого не может быть в файле карточки");
        }
        // Spreadsheets pad; a password is taken as it is.
        value[static_cast<size_t>(c)] = c == Password ? text : text.trimmed();
    }

    card.NameFamiliya = value[Name];
    if (card.NameFamiliya.isEmpty())
        return QStringLiteral("нет имени");

    const QString sex = value[Sex].toLower();
    if (sex == QStringLiteral("м") || sex == QLatin1String("m"))
        card.Pol = 0;
    else if (sex == QStringLiteral("ж") || sex == QLatin1String("w"))
        card.Pol = 1;
    else
        return QStringLiteral("пол ") + quoted(value[Sex]) + QStringLiteral(" — не м, m, ж или w");

    // As the card dialog takes it: four digits, 1900 or later.
    const QString& year = value[Year];
    bool digits = year.size() == 4;
    for (QChar ch : year)
        digits = digits && ch >= u'0' && ch <= u'9';
    if (!digits || year.toInt() < 1900)
        return QStringLiteral("год ") + quoted(year) +
               QStringLiteral(" — не год рождения (четыре цифры, 1900 или позже)");
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
        return countText(static_cast<int>(given.size()), QStringLiteral("ответ"), QStringLiteral("ответа"),
                         QStringLiteral("ответов")) +
               QStringLiteral(", а в тесте ") +
               countText(questions, QStringLiteral("вопрос"), QStringLiteral("вопроса"), QStringLiteral("вопросов"));
    card.Otvety.clear();
    for (int q = 1; q <= questions; ++q) {
        const QString& a = given[q - 1];
        bool ok = a.size() <= 2;
        for (QChar ch : a)
            ok = ok && ch >= u'0' && ch <= u'9';
        const int number = ok ? a.toInt() : 0;
        const int count = app.st.test.Questions[q].CountOtvetov + 1;
        if (!ok)
            return QStringLiteral("ответ %1 ").arg(q) + quoted(a) + QStringLiteral(" — не число");
        if (number < 1 || number > count)
            return QStringLiteral("ответ %1 — %2, а у вопроса %1 ответы от 1 до %3").arg(q).arg(number).arg(count);
        // As the end of an attempt writes it: the 0-based answer.
        card.Otvety += QString::number(number - 1);
    }

    card.Podrobnee = 0;
    for (int c = kFirstDetail; c < kFirstDetail + 9; ++c) {
        card.Podrobnosti[static_cast<size_t>(c - kFirstDetail)] = value[static_cast<size_t>(c)];
        if (!value[static_cast<size_t>(c)].isEmpty())
            card.Podrobnee = 1;
    }
    // The card dialog takes the test's password for a new card.
    card.Parol = value[Password].isEmpty() ? app.st.test.TestPassword : value[Password];

    // As the card dialog: a photo is a picture by its content, or the row is
    // refused (a bare name is the test folder's).
    const QString& photo = card.Podrobnosti[8];
    if (!photo.isEmpty() && !IsPictureFile(PageFilePath(app.st.folders.WorkFolder, photo)))
        return QStringLiteral("фотография ") + quoted(photo) +
               QStringLiteral(" — не изображение JPEG, PNG, GIF, BMP или WebP");

    if (const auto field = CardFieldTooLong(card))
        return QStringLiteral("столбец ") + quoted(columnName(columnOf(*field))) +
               QStringLiteral(" слишком длинный: программа не прочла бы карточку целиком");

    // Whom the person accepts: ages in years, heights as the card takes them.
    for (const int c : {AgeFrom, AgeTo}) {
        const QString& text = value[static_cast<size_t>(c)];
        if (text.isEmpty())
            continue;
        bool ok = false;
        const int age = text.toInt(&ok);
        if (!ok || age < 0 || age > kMaxAge)
            return QStringLiteral("столбец ") + quoted(columnName(c)) + QStringLiteral(": ") + quoted(text) +
                   QStringLiteral(" — не возраст (от 0 до %1 лет)").arg(kMaxAge);
        (c == AgeFrom ? bounds.ageFrom : bounds.ageTo) = age;
    }
    for (const int c : {HeightFrom, HeightTo}) {
        const QString& text = value[static_cast<size_t>(c)];
        if (text.isEmpty())
            continue;
        const std::optional<double> height = desk::ParseHeight(text);
        if (!height)
            return QStringLiteral("столбец ") + quoted(columnName(c)) + QStringLiteral(": ") + quoted(text) +
                   QStringLiteral(" — не рост (например, 1,65)");
        (c == HeightFrom ? bounds.heightFrom : bounds.heightTo) = height;
    }
    if (bounds.ageFrom && bounds.ageTo && *bounds.ageFrom > *bounds.ageTo)
        return QStringLiteral("возраст от %1 больше, чем до %2").arg(*bounds.ageFrom).arg(*bounds.ageTo);
    if (bounds.heightFrom && bounds.heightTo && *bounds.heightFrom > *bounds.heightTo)
        return QStringLiteral("рост от больше, чем до");
    return std::nullopt;
}

// Rows read but not yet reported: the valid ones are saved together, then
// every row of the group is reported in the order of the lines.
class Batch {
public:
    Batch(App& app, const Print& out, const Print& err, Counts& counts)
        : app_(app), out_(out), err_(err), counts_(counts)
    {
    }

    void refuse(int line, const QString& why) { rows_.append(Row{line, {}, why, {}}); }
    void save(int line, Kartochka card, const desk::Seeking& bounds)
    {
        bytes_ += card.NameFamiliya.size() + card.Otvety.size();
        for (const QString& detail : card.Podrobnosti)
            bytes_ += detail.size();
        rows_.append(Row{line, std::move(card), {}, bounds});
        if (++cards_ >= kBatchRows || bytes_ >= kBatchBytes)
            flush();
    }

    void flush()
    {
        QList<Kartochka> cards;
        cards.reserve(cards_);
        for (const Row& row : std::as_const(rows_)) {
            if (row.refusal.isEmpty())
                cards.append(row.card);
        }
        bool unrecorded = false;
        const QList<QString> messages =
            SaveNewKartochkas(app_, cards, app_.platform.now(), journal::kImported, &unrecorded);
        if (unrecorded && !unrecordedTold_) {
            err_(journal::kNotRecorded);
            unrecordedTold_ = true;
        }
        // The bounds of the saved cards, all of one group at once: each shard
        // of the store is written once, not once a row.
        QList<std::pair<QString, desk::Seeking>> bounds;
        for (qsizetype i = 0, next = 0; i < rows_.size(); ++i) {
            if (!rows_[i].refusal.isEmpty())
                continue;
            const qsizetype at = next++;
            if (messages[at].isEmpty() && !rows_[i].bounds.isEmpty())
                bounds.append({cards[at].FileName, rows_[i].bounds});
        }
        if (!bounds.isEmpty()) {
            const auto store = store::Open(app_.st.folders.WorkFolder);
            if (desk::WriteSeekingMany(*store, bounds) != store::Result::Ok)
                err_(QStringLiteral("Карточки сохранены, но границы «Кого ищу» записать не удалось."));
        }
        qsizetype next = 0;
        for (const Row& row : std::as_const(rows_)) {
            if (!row.refusal.isEmpty()) {
                err_(lineLabel(row.line) + QStringLiteral("отклонена: ") + row.refusal);
                ++counts_.refused;
                continue;
            }
            const qsizetype i = next++;
            if (!messages[i].isEmpty()) {
                err_(lineLabel(row.line) + QStringLiteral("не сохранена: ") + messages[i]);
                ++counts_.refused;
            } else {
                out_(lineLabel(row.line) + cards[i].FileName);
                ++counts_.saved;
            }
        }
        rows_.clear();
        cards_ = 0;
        bytes_ = 0;
    }

private:
    bool unrecordedTold_ = false;
    struct Row {
        int line;
        Kartochka card;
        QString refusal;
        desk::Seeking bounds;
    };
    App& app_;
    const Print& out_;
    const Print& err_;
    Counts& counts_;
    QList<Row> rows_;
    int cards_ = 0;
    qsizetype bytes_ = 0;
};

}  // namespace

QString maxSheetText()
{
    return QStringLiteral("%1 МБ").arg(kMaxSheetBytes >> 20);
}

QString countText(int count, const QString& one, const QString& few, const QString& many)
{
    const int tens = count % 100;
    const int units = count % 10;
    const QString& word = tens >= 11 && tens <= 14 ? many : units == 1 ? one : units >= 2 && units <= 4 ? few : many;
    return QString::number(count) + QLatin1Char(' ') + word;
}

Counts importSheet(App& app, const QByteArray& sheet, const Print& out, const Print& err)
{
    Counts counts;
    csv::Reader reader(sheet);
    csv::Record record;
    ColumnIndex index{};
    if (!reader.next(record)) {
        err(lineLabel(1) + QStringLiteral("нет строки заголовка"));
        counts.stopped = true;
        return counts;
    }
    if (const auto problem = readHeader(record, index)) {
        err(lineLabel(record.line) + *problem);
        counts.stopped = true;
        return counts;
    }
    const qsizetype columns = record.fields.size();

    Batch batch(app, out, err, counts);
    while (reader.next(record)) {
        Kartochka card;
        desk::Seeking bounds;
        if (const auto problem = readRow(app, record, index, columns, card, bounds))
            batch.refuse(record.line, *problem);
        else
            batch.save(record.line, std::move(card), bounds);
    }
    batch.flush();
    return counts;
}

}  // namespace sheet

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

void printTo(std::FILE* stream, const QString& text)
{
    if (stream == stderr)
        std::fflush(stdout);
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// Reads the sheet: a regular file of at most kMaxSheetBytes, read at once
// without waiting on a pipe or a device that bears its name. The message
// that refuses it, or nothing.
std::optional<QString> readSheet(const App& app, const QString& path, QByteArray& content)
{
    const int fd = ::open(textfile::pathBytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return FileMessage(app, path,
                           errno == ENOENT || errno == ENOTDIR ? QStringLiteral("не найден")
                                                              : QStringLiteral("открыть не возможно"));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return FileMessage(app, path, QStringLiteral("открыть не возможно"));
    if (!S_ISREG(st.st_mode))
        return FileMessage(app, path, QStringLiteral("открыть не возможно: это не обычный файл"));
    const QString tooLarge = QStringLiteral("открыть не возможно: он больше ") + sheet::maxSheetText();
    if (st.st_size > sheet::kMaxSheetBytes)
        return FileMessage(app, path, tooLarge);
    // One byte over the bound tells a file that has grown since.
    content.clear();
    if (!textfile::readUpTo(fd, content, sheet::kMaxSheetBytes + 1))
        return FileMessage(app, path, QStringLiteral("открыть не возможно"));
    if (content.size() > sheet::kMaxSheetBytes)
        return FileMessage(app, path, tooLarge);
    content.squeeze();
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
        printTo(stderr, QStringLiteral("Тест не готов!"));
        return kFailed;
    }

    QByteArray content;
    if (const auto refusal = readSheet(app, QFileInfo(csvFile).absoluteFilePath(), content)) {
        printTo(stderr, *refusal);
        return kFailed;
    }
    const sheet::Counts counts = sheet::importSheet(
        app, content, [](const QString& line) { printTo(stdout, line); },
        [](const QString& line) { printTo(stderr, line); });
    if (counts.stopped)
        return kFailed;
    printTo(stdout, sheet::countText(counts.saved, QStringLiteral("строка сохранена"),
                                     QStringLiteral("строки сохранены"), QStringLiteral("строк сохранено")) +
                        QStringLiteral(", ") +
                        sheet::countText(counts.refused, QStringLiteral("строка отклонена"),
                                         QStringLiteral("строки отклонены"), QStringLiteral("строк отклонено")));
    return counts.refused == 0 ? kOk : kFailed;
}
