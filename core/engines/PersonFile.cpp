#include "engines/PersonFile.h"

#include "engines/Journal.h"

#include "ground/FolderWrite.h"
#include "ground/TextFile.h"
#include "ground/Kartochka.h"
#include "ground/App.h"

#include <array>

QByteArray PersonFileContent(const Kartochka& card)
{
    const QByteArray crlf = "\r\n";
    QByteArray out = kCardMarker + crlf;
    out += textfile::encode(card.NameFamiliya) + crlf;
    out += textfile::numberLine(card.DataRogdeniya) + crlf;
    out += textfile::numberLine(card.Podrobnee) + crlf;
    out += textfile::encode(card.Otvety) + crlf;
    if (card.Podrobnee == 1) {
        for (const QString& detail : card.Podrobnosti)
            out += textfile::encode(detail) + crlf;
    }
    out += textfile::numberLine(card.Pol) + crlf;
    out += textfile::encode(card.Parol) + crlf;
    out += crlf;
    return out;
}

namespace {
// A field with a line break or a character the file cannot spell would shift
// the later lines: the card could never be read back as written. Such a card
// is not written at all; nor one that a reader would cut. The message, or
// nothing when the card can be written.
std::optional<QString> Unwritable(const Kartochka& card, const QString& path)
{
    bool fits = textfile::fitsLine(textfile::encode(card.NameFamiliya)) &&
                textfile::fitsLine(textfile::encode(card.Otvety)) && textfile::fitsLine(textfile::encode(card.Parol));
    for (const QString& detail : card.Podrobnosti)
        fits = fits && (card.Podrobnee != 1 || textfile::fitsLine(textfile::encode(detail)));
    if (!fits)
        return QStringLiteral("Файл \"") + path + QStringLiteral("\" сохранить не возможно.");
    if (const auto field = CardFieldTooLong(card))
        return CardTooLongMessage(*field);
    return std::nullopt;
}

QString SaveMessage(textfile::SaveResult result, const QString& path)
{
    if (result == textfile::SaveResult::WriteProtected)
        return QStringLiteral("Файл \"") + textfile::readableName(path) + QStringLiteral("\" защищён от записи.");
    return QStringLiteral("Файл \"") + textfile::readableName(path) + QStringLiteral("\" сохранить не возможно.");
}
}  // namespace

QString CardFieldCaption(CardField field)
{
    // The nine details in the order of Podrobnosti.
    static const std::array<QString, 9> details{
        QStringLiteral("Рост (м)"), QStringLiteral("Вес (кг)"), QStringLiteral("Цвет волос"),
        QStringLiteral("Глаза"),    QStringLiteral("Зодиак"),   QStringLiteral("О себе"),
        QStringLiteral("Ищу"),      QStringLiteral("Адрес"),    QStringLiteral("Фотография")};
    switch (field.kind) {
    case CardField::Name:
        return QStringLiteral("Имя и фамилия");
    case CardField::Answers:
        return QStringLiteral("Ответы");
    case CardField::Detail:
        return details.at(static_cast<size_t>(field.detail));
    case CardField::Password:
        return QStringLiteral("Пароль");
    }
    return {};
}

std::optional<CardField> CardFieldTooLong(const Kartochka& card)
{
    // The file's size, line by line, as PersonFileContent writes it: one
    // byte a character of the code page (never more for another character),
    // two for each line end.
    struct Line {
        std::optional<CardField> field;
        qsizetype bytes;
    };
    auto field = [](const std::optional<CardField>& f, const QString& text) { return Line{f, text.size() + 2}; };
    auto fixed = [](const QByteArray& bytes) { return Line{std::nullopt, bytes.size() + 2}; };
    QList<Line> lines{fixed(kCardMarker), field(CardField{CardField::Name}, card.NameFamiliya),
                      fixed(textfile::numberLine(card.DataRogdeniya)), fixed(textfile::numberLine(card.Podrobnee)),
                      field(CardField{CardField::Answers}, card.Otvety)};
    const qsizetype headLines = lines.size();  // what the lists read
    if (card.Podrobnee == 1) {
        for (int i = 0; i < 9; ++i)
            lines.append(field(CardField{CardField::Detail, i}, card.Podrobnosti[static_cast<size_t>(i)]));
    }
    lines.append(fixed(textfile::numberLine(card.Pol)));
    lines.append(field(CardField{CardField::Password}, card.Parol));
    lines.append(Line{std::nullopt, 2});

    // Over a bound: the longest field of the lines it covers is the one to shorten.
    auto check = [&lines](qsizetype count, qsizetype bound) -> std::optional<CardField> {
        qsizetype total = 0;
        const Line* longest = nullptr;
        for (qsizetype i = 0; i < count; ++i) {
            total += lines[i].bytes;
            if (lines[i].field && (!longest || lines[i].bytes > longest->bytes))
                longest = &lines[i];
        }
        if (total <= bound || !longest)
            return std::nullopt;
        return longest->field;
    };
    if (auto head = check(headLines, textfile::kMaxCardHeadBytes))
        return head;
    return check(lines.size(), textfile::kMaxCardBytes);
}

QString CardTooLongMessage(CardField field)
{
    return QStringLiteral("Поле \"") + CardFieldCaption(field) +
           QStringLiteral("\" слишком длинное, карточку сохранить не возможно.");
}

bool SaveKartochka(App& app, const QString& fileName, int slot, CardFileState* found)
{
    Kartochka& card = app.st.CardFields.at(static_cast<size_t>(slot));
    const QString path = app.st.folders.WorkFolder + fileName;
    if (const auto refusal = Unwritable(card, path)) {
        ShowError(app, *refusal);
        return false;
    }
    const QByteArray content = PersonFileContent(card);
    std::optional<QByteArray> before;
    if (card.OnDisk && card.FileName == fileName) {
        before = card.OnDisk;
        switch (textfile::replaceIfUnchanged(app.st.folders.WorkFolder, fileName, content, *card.OnDisk)) {
        case textfile::GuardedResult::Ok:
            break;
        case textfile::GuardedResult::WriteProtected:
            ShowError(app, SaveMessage(textfile::SaveResult::WriteProtected, path));
            return false;
        case textfile::GuardedResult::Failed:
            ShowError(app, SaveMessage(textfile::SaveResult::Failed, path));
            return false;
        case textfile::GuardedResult::Changed:
            if (found)
                *found = CardFileState::ChangedElsewhere;
            ShowError(app, kCardChangedElsewhere);
            return false;
        case textfile::GuardedResult::Gone:
            if (found)
                *found = CardFileState::DeletedElsewhere;
            ShowError(app, kCardDeletedElsewhere);
            return false;
        }
    } else {
        // The journal names what the file held before, when it held a card.
        before = journal::FileBytes(path, textfile::kMaxCardBytes);
        if (const textfile::SaveResult result = textfile::replaceInFolder(app.st.folders.WorkFolder, fileName, content);
            result != textfile::SaveResult::Ok) {
            ShowError(app, SaveMessage(result, path));
            return false;
        }
    }
    card.FileName = fileName;
    card.OnDisk = content;
    if (!journal::Append(app.st.folders.WorkFolder,
                         {journal::Make(app.platform.now(), journal::kCardChanged, fileName, before, content)}))
        ShowError(app, journal::kNotRecorded);
    return true;
}

QList<QString> SaveNewKartochkas(const App& app, QList<Kartochka>& cards, const QDateTime& when,
                                 const QString& action, bool* unrecorded)
{
    const QString& folder = app.st.folders.WorkFolder;
    QList<QString> messages(cards.size());
    QList<textfile::NewFile> files;
    QList<qsizetype> fileOf(cards.size(), -1);
    for (qsizetype i = 0; i < cards.size(); ++i) {
        const QString fileName = PersonFileName(app, cards[i], when);
        if (const auto refusal = Unwritable(cards[i], folder + fileName)) {
            messages[i] = *refusal;
            continue;
        }
        fileOf[i] = files.size();
        textfile::NewFile file;
        file.name = fileName;
        file.content = PersonFileContent(cards[i]);
        files.append(std::move(file));
    }
    textfile::saveAllUnderFreeNames(folder, files);
    QList<journal::Record> records;
    const QDateTime now = app.platform.now();
    for (qsizetype i = 0; i < cards.size(); ++i) {
        if (fileOf[i] < 0)
            continue;
        const textfile::NewFile& file = files[fileOf[i]];
        if (file.result == textfile::SaveResult::Ok) {
            cards[i].FileName = file.savedName;
            records.append(journal::Make(now, action, file.savedName, std::nullopt, file.content));
        } else {
            messages[i] = SaveMessage(file.result, folder + file.name);
        }
    }
    const bool recorded = records.isEmpty() || journal::Append(folder, records);
    if (unrecorded)
        *unrecorded = !recorded;
    return messages;
}

bool SaveNewKartochka(App& app, int slot, const QDateTime& when)
{
    Kartochka& card = app.st.CardFields.at(static_cast<size_t>(slot));
    QList<Kartochka> one{card};
    bool unrecorded = false;
    const QString message = SaveNewKartochkas(app, one, when, journal::kResultSaved, &unrecorded).constFirst();
    if (!message.isEmpty()) {
        ShowError(app, message);
        return false;
    }
    if (unrecorded)
        ShowError(app, journal::kNotRecorded);
    card.FileName = one.constFirst().FileName;
    card.OnDisk = PersonFileContent(card);
    return true;
}

Kartochka KartochkaFromLines(textfile::Lines& lines, const QString& fileName)
{
    // Read into a cleared card: a line that cannot be read leaves its field
    // empty (or zero), never with what the slot held for another person.
    Kartochka card;
    card.DataRogdeniyaKnown = false;
    auto text = [&lines](QString& field) {
        if (auto value = lines.nextText())
            field = *value;
    };
    auto number = [&lines](int& field) {
        if (auto value = lines.nextNumber())
            field = *value;
    };
    text(card.NameFamiliya);
    if (auto year = lines.nextNumber()) {
        card.DataRogdeniya = *year;
        card.DataRogdeniyaKnown = true;
    }
    number(card.Podrobnee);
    text(card.Otvety);
    if (card.Podrobnee == 1) {
        for (QString& detail : card.Podrobnosti)
            text(detail);
    } else {
        for (QString& detail : card.Podrobnosti)
            detail.clear();
    }
    // Without a sex line the file's extension tells the sex, as in the lists.
    card.Pol = fileName.endsWith(kWomenExtension, Qt::CaseInsensitive) ? 1 : 0;
    number(card.Pol);
    text(card.Parol);
    card.FileName = fileName;
    return card;
}

CardOpen OpenKartochka(App& app, const QString& fileName, int slot)
{
    textfile::Lines lines;
    QByteArray content;
    switch (textfile::readLines(app.st.folders.WorkFolder + fileName, lines, textfile::kMaxCardBytes, kCardMarker,
                                &content)) {
    case textfile::ReadResult::NotFound:
        ShowError(app, QStringLiteral("Файл не найден"));
        return CardOpen::Failed;
    case textfile::ReadResult::Failed:
        ShowError(app, QStringLiteral("Файл открыть не возможно"));
        return CardOpen::Failed;
    case textfile::ReadResult::Foreign:
        ShowError(app, QStringLiteral("Файл не подходит к программе."));
        return CardOpen::Failed;
    case textfile::ReadResult::Ok:
        break;
    }
    lines.next();  // the marker
    Kartochka card = KartochkaFromLines(lines, fileName);
    card.FileName = fileName;
    card.OnDisk = std::move(content);
    app.st.CardFields.at(static_cast<size_t>(slot)) = std::move(card);
    return CardOpen::Opened;
}

QString PersonFileName(const App& app, const Kartochka& card, const QDateTime& when)
{
    const AppState& st = app.st;
    QString base = st.test.TestFilePath.mid(st.folders.WorkFolder.size());
    const qsizetype dot = st.test.TestFilePath.lastIndexOf(QLatin1Char('.'));
    if (dot >= st.folders.WorkFolder.size())
        base = st.test.TestFilePath.mid(st.folders.WorkFolder.size(), dot - st.folders.WorkFolder.size());
    return base + QLatin1Char('_') + when.toString(QStringLiteral("yyyyddMMhhmmss")) +
           (card.Pol != 0 ? kWomenExtension : kMenExtension);
}
