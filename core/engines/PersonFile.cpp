#include "engines/PersonFile.h"

#include "ground/FolderWrite.h"
#include "ground/TextFile.h"
#include "ground/Kartochka.h"
#include "ground/App.h"

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
bool reportSave(App& app, textfile::SaveResult result, const QString& path)
{
    switch (result) {
    case textfile::SaveResult::Ok:
        return true;
    case textfile::SaveResult::WriteProtected:
        ShowError(app, QStringLiteral("Файл \"") + textfile::readableName(path) + QStringLiteral("\" защищён от записи."));
        return false;
    case textfile::SaveResult::Failed:
        ShowError(app, QStringLiteral("Файл \"") + textfile::readableName(path) + QStringLiteral("\" сохранить не возможно."));
        return false;
    }
    return false;
}

// A field with a line break or a character the file cannot spell would shift
// the later lines: the card could never be read back as written. Such a card
// is not written at all.
bool FitsLines(App& app, const Kartochka& card, const QString& path)
{
    bool fits = textfile::fitsLine(textfile::encode(card.NameFamiliya)) &&
                textfile::fitsLine(textfile::encode(card.Otvety)) && textfile::fitsLine(textfile::encode(card.Parol));
    for (const QString& detail : card.Podrobnosti)
        fits = fits && (card.Podrobnee != 1 || textfile::fitsLine(textfile::encode(detail)));
    if (!fits)
        ShowError(app, QStringLiteral("Файл \"") + path + QStringLiteral("\" сохранить не возможно."));
    return fits;
}
}  // namespace

bool SaveKartochka(App& app, const QString& fileName, int slot, CardFileState* found)
{
    Kartochka& card = app.st.CardFields.at(static_cast<size_t>(slot));
    const QString path = app.st.folders.WorkFolder + fileName;
    if (!FitsLines(app, card, path))
        return false;
    const QByteArray content = PersonFileContent(card);
    if (card.OnDisk && card.FileName == fileName) {
        switch (textfile::replaceIfUnchanged(app.st.folders.WorkFolder, fileName, content, *card.OnDisk)) {
        case textfile::GuardedResult::Ok:
            break;
        case textfile::GuardedResult::WriteProtected:
            return reportSave(app, textfile::SaveResult::WriteProtected, path);
        case textfile::GuardedResult::Failed:
            return reportSave(app, textfile::SaveResult::Failed, path);
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
    } else if (!reportSave(app, textfile::replaceInFolder(app.st.folders.WorkFolder, fileName, content), path)) {
        return false;
    }
    card.FileName = fileName;
    card.OnDisk = content;
    return true;
}

bool SaveNewKartochka(App& app, int slot, const QDateTime& when)
{
    Kartochka& card = app.st.CardFields.at(static_cast<size_t>(slot));
    const QString fileName = PersonFileName(app, card, when);
    if (!FitsLines(app, card, app.st.folders.WorkFolder + fileName))
        return false;
    QString saved;
    const QByteArray content = PersonFileContent(card);
    const textfile::SaveResult result = textfile::saveUnderFreeName(app.st.folders.WorkFolder, fileName, content, saved);
    if (!reportSave(app, result, app.st.folders.WorkFolder + fileName))
        return false;
    card.FileName = saved;
    card.OnDisk = content;
    return true;
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
