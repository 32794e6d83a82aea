#include "engines/Erasure.h"

#include "engines/Consent.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/PersonData.h"
#include "engines/PersonFile.h"
#include "engines/Picture.h"
#include "ground/FolderWrite.h"
#include "ground/HtmlEscape.h"
#include "ground/Platform.h"
#include "ground/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace erasure {

namespace {

// How often an item that another desk keeps changing is read again before
// the erasure gives up on it (and says so in the act).
constexpr int kRetries = 5;
// Act numbers of a year: "2026-0001" up to this many.
constexpr int kMaxActsPerYear = 999999;

QString offsetText(const QDateTime& time)
{
    const int seconds = time.offsetFromUtc();
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int minutes = std::abs(seconds) / 60;
    return sign + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString actTime(const QDateTime& time)
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) + QLatin1Char(' ') + offsetText(time);
}

// The next free act number of the year, taken for this desk: whoever creates
// the number's item first has it, so two desks never write one number.
QString takeActNumber(store::FolderStore& store, const QDateTime& now, bool& failed)
{
    failed = false;
    const QString prefix = QString::number(now.date().year()) + QLatin1Char('-');
    int last = 0;
    for (const QString& key : store.keys(kActKind)) {
        if (!key.startsWith(prefix))
            continue;
        bool ok = false;
        const int n = key.mid(prefix.size()).toInt(&ok);
        if (ok)
            last = std::max(last, n);
    }
    const QByteArray claim = "desk=" + store::DeskName().toUtf8() + "\r\nuser=" + store::UserName().toUtf8() +
                             "\r\ntime=" + now.toString(Qt::ISODateWithMs).toUtf8() + "\r\n";
    for (int n = last + 1; n <= kMaxActsPerYear; ++n) {
        const QString number = prefix + QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
        switch (store.write(kActKind, number, claim, std::nullopt)) {
        case store::Result::Ok:
            return number;
        case store::Result::Changed:
            continue;  // another desk took it a moment ago
        case store::Result::WriteProtected:
        case store::Result::Failed:
            break;
        }
        break;
    }
    failed = true;
    return {};
}

QStringList categoriesOf(const Kartochka& card, const QStringList& kinds, bool photo)
{
    QStringList categories{QStringLiteral("имя и фамилия"), QStringLiteral("год рождения"), QStringLiteral("пол"),
                           QStringLiteral("ответы анкеты (сведения о частной жизни)")};
    if (card.Podrobnee == 1)
        categories << QStringLiteral("рост, вес, цвет волос и глаз, знак зодиака")
                   << QStringLiteral("сведения о себе и о том, кого ищет") << QStringLiteral("адрес");
    if (photo)
        categories << QStringLiteral("фотография");
    for (const QString& kind : kinds) {
        const QString what = persondata::KindText(kind);
        if (!categories.contains(what))
            categories << what;
    }
    return categories;
}

// Removes the person's own item, or takes the person out of an item that
// names others too, reading it again when another desk changed it meanwhile.
bool dropItem(store::FolderStore& store, const QString& kind, const QString& key, const persondata::Part& without,
              const QString& personFile)
{
    return store::Update(store, kind, key,
                         [&](const std::optional<QByteArray>& bytes, bool&) -> std::optional<QByteArray> {
                             if (!bytes || !without)
                                 return std::nullopt;
                             return without(*bytes, personFile);
                         }) == store::Result::Ok;
}

}  // namespace

QString ActBaseName(const QString& number)
{
    return QStringLiteral("Акт ") + number;
}

namespace {
// Every card of the folder but `except` by the photo it names: under the
// path as written and, where it differs, the file it resolves to.
QHash<QString, QStringList> photoIndex(const QString& folder, const QString& except)
{
    QHash<QString, QStringList> index;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("*") + kMenExtension, QStringLiteral("*") + kWomenExtension},
                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name == except)
            continue;
        Kartochka card;
        if (persondata::ReadCard(folder + name, card) != persondata::CardRead::Ok)
            continue;
        const QString& photo = card.Podrobnosti[8];
        if (photo.isEmpty())
            continue;
        index[photo].append(name);
        const QString canonical = QFileInfo(photo).canonicalFilePath();
        if (!canonical.isEmpty() && canonical != photo)
            index[canonical].append(name);
    }
    return index;
}

QStringList usersIn(const QHash<QString, QStringList>& index, const QString& photoPath, const QString& personFile)
{
    QStringList users = index.value(photoPath);
    const QString canonical = QFileInfo(photoPath).canonicalFilePath();
    if (!canonical.isEmpty() && canonical != photoPath)
        for (const QString& name : index.value(canonical))
            if (!users.contains(name))
                users.append(name);
    users.removeAll(personFile);
    return users;
}
}  // namespace

Batch::Batch(const QString& folder) : folder_(folder)
{
    const std::unique_ptr<store::FolderStore> store = store::Open(folder);
    for (const journal::Record& record : journal::Read(*store))
        journal_[record.file].append(record);
}

QList<journal::Record> Batch::extract(const QString& personFile) const
{
    return journal_.value(personFile);
}

QStringList Batch::photoUsers(const QString& photoPath)
{
    if (!photos_)
        photos_ = photoIndex(folder_, {});
    return usersIn(*photos_, photoPath, {});
}

void Batch::forget(const QString& personFile)
{
    journal_.remove(personFile);
    if (photos_)
        for (QStringList& users : *photos_)
            users.removeAll(personFile);
}

Photo PhotoOf(const QString& folder, const QString& personFile, const QString& photoPath, QStringList* others,
              Batch* batch)
{
    if (others)
        others->clear();
    if (photoPath.isEmpty())
        return Photo::None;
    if (!autobackup::Inside(photoPath, folder))
        return Photo::Outside;
    QStringList users = batch ? batch->photoUsers(photoPath) : usersIn(photoIndex(folder, personFile), photoPath, personFile);
    users.removeAll(personFile);
    if (others)
        *others = users;
    return users.isEmpty() ? Photo::InFolder : Photo::Shared;
}

Outcome Erase(Platform& platform, const Request& request, Batch* batch)
{
    Outcome outcome;
    const QString& folder = request.folder;
    const QString path = folder + request.personFile;

    Kartochka card;
    QByteArray bytes;
    const persondata::CardRead read = persondata::ReadCard(path, card, &bytes);
    if (read == persondata::CardRead::NotFound) {
        outcome.status = Status::Gone;
        outcome.message = request.expected ? kCardDeletedElsewhere : persondata::CardReadMessage(read);
        return outcome;
    }
    if (read != persondata::CardRead::Ok || textfile::holdsOtherThanPlainFile(path)) {
        outcome.message = QStringLiteral("Файл ") + textfile::readableName(path) + QStringLiteral(" удалить не получилось.");
        return outcome;
    }
    if (request.expected && *request.expected != bytes) {
        outcome.status = Status::ChangedElsewhere;
        outcome.message = kCardChangedElsewhere;
        return outcome;
    }

    const std::unique_ptr<store::FolderStore> store = store::Open(folder);
    const QDateTime now = platform.now();
    Act& act = outcome.act;
    act.time = now;
    act.user = store::UserName();
    act.desk = store::DeskName();
    act.personFile = request.personFile;
    act.person = card.NameFamiliya +
                 (card.DataRogdeniyaKnown ? QStringLiteral(", ") + QString::number(card.DataRogdeniya) + QStringLiteral(" г. р.")
                                          : QString());
    act.reason = request.reason;
    if (batch) {
        act.extract = batch->extract(request.personFile);
    } else {
        for (const journal::Record& record : journal::Read(*store))
            if (record.file == request.personFile)
                act.extract.append(record);
    }

    // What the store keeps about the person, and what names them.
    QList<persondata::StoredItem> own;
    const QString key = store::KeyOf(request.personFile);
    for (const QString& kind : persondata::PersonKinds())
        if (std::optional<store::Item> item = store->read(kind, key))
            own.append({kind, key, item->bytes});
    QList<std::pair<persondata::MentionKind, QString>> mentions;
    for (const persondata::MentionKind& mention : persondata::MentionKinds())
        for (const QString& other : mention.keys(*store, request.personFile))
            if (std::optional<store::Item> item = store->read(mention.kind, other);
                item && mention.part(item->bytes, request.personFile))
                mentions.append({mention, other});

    const QString& photoPath = card.Podrobnosti[8];
    QStringList photoUsers;
    const Photo photo = PhotoOf(folder, request.personFile, photoPath, &photoUsers, batch);
    QStringList kinds;
    for (const persondata::StoredItem& item : own)
        kinds << item.kind;
    for (const auto& mention : mentions)
        kinds << mention.first.kind;
    act.categories = categoriesOf(card, kinds, photo != Photo::None);

    // The number first, so that an act never lacks one once the card is gone.
    bool noNumber = false;
    act.number = takeActNumber(*store, now, noNumber);
    if (noNumber) {
        outcome.message = QStringLiteral("Номер акта получить не удалось: служебная папка картотеки недоступна для записи. "
                                         "Ничего не удалено.");
        return outcome;
    }

    // The one step that decides: the card goes only as this desk read it.
    switch (textfile::removeIfUnchanged(folder, request.personFile, bytes)) {
    case textfile::GuardedResult::Ok:
        break;
    case textfile::GuardedResult::Changed:
    case textfile::GuardedResult::Gone: {
        const bool gone = !textfile::fileExists(path);
        store->remove(kActKind, act.number, store->read(kActKind, act.number).value_or(store::Item{}).version);
        outcome.status = gone ? Status::Gone : Status::ChangedElsewhere;
        outcome.message = gone ? kCardDeletedElsewhere : kCardChangedElsewhere;
        return outcome;
    }
    case textfile::GuardedResult::WriteProtected:
    case textfile::GuardedResult::Failed:
        store->remove(kActKind, act.number, store->read(kActKind, act.number).value_or(store::Item{}).version);
        outcome.message = QStringLiteral("Файл ") + textfile::readableName(path) + QStringLiteral(" удалить не получилось.");
        return outcome;
    }
    act.removed.append(QStringLiteral("файл анкеты ") + textfile::readableName(request.personFile));
    if (batch)
        batch->forget(request.personFile);

    QStringList problems;
    for (const persondata::StoredItem& item : own) {
        const QString what = persondata::KindText(item.kind);
        if (dropItem(*store, item.kind, item.key, {}, request.personFile))
            act.removed.append(what);
        else
            problems.append(what);
    }
    for (const auto& [mention, other] : mentions) {
        QString what = persondata::KindText(mention.kind);
        if (const auto two = desk::PairOfKey(other))
            what += QStringLiteral(": ") + textfile::readableName(two->first == request.personFile ? two->second : two->first);
        if (dropItem(*store, mention.kind, other, mention.without, request.personFile))
            act.removed.append(what);
        else
            problems.append(what);
    }

    switch (photo) {
    case Photo::None:
        break;
    case Photo::Outside:
        act.kept.append(QStringLiteral("фотография ") + photoPath +
                        QStringLiteral(" лежит вне папки теста; программа её не удаляет"));
        break;
    case Photo::Shared:
        if (!request.removeSharedPhoto) {
            act.kept.append(QStringLiteral("фотография ") + photoPath + QStringLiteral(" оставлена: её называют карточки ") +
                            photoUsers.join(QStringLiteral(", ")));
            break;
        }
        [[fallthrough]];
    case Photo::InFolder:
        if (!textfile::fileExists(photoPath)) {
            break;
        } else if (textfile::holdsOtherThanPlainFile(photoPath) || !IsPictureFile(photoPath)) {
            act.kept.append(QStringLiteral("файл ") + photoPath +
                            QStringLiteral(", названный фотографией, не является фотографией и оставлен"));
        } else if (textfile::removeFile(photoPath) && !textfile::fileExists(photoPath)) {
            act.removed.append(QStringLiteral("фотография ") + photoPath);
        } else {
            problems.append(QStringLiteral("фотография ") + photoPath);
        }
        break;
    }
    for (const QString& problem : problems)
        act.kept.append(problem + QStringLiteral(": удалить не получилось, нужно удалить вручную"));
    for (const autobackup::Held& held : request.backups)
        act.backups.append(held.archive + (held.expires.isValid()
                                               ? QStringLiteral(" — будет удалена ") + held.expires.toString(QStringLiteral("dd.MM.yyyy"))
                                               : QStringLiteral(" — хранится без срока, удаляется по числу копий")));

    // The act, then the journal's record of it.
    const QString actsFolder = folder + kActsFolder + QLatin1Char('/');
    const QByteArray text = ActText(act);
    QString textName = ActBaseName(act.number) + QStringLiteral(".txt");
    bool written = QDir().mkpath(actsFolder);
    if (written) {
        QString saved;
        written = textfile::saveUnderFreeName(actsFolder, textName, text, saved) == textfile::SaveResult::Ok;
        textName = saved;
    }
    outcome.status = Status::Done;
    if (!written) {
        outcome.message = QStringLiteral("Данные удалены, но акт № ") + act.number +
                          QStringLiteral(" записать в папку \"") + actsFolder + QStringLiteral("\" не удалось.");
        return outcome;
    }
    outcome.actText = actsFolder + textName;
    const QString pdfPath = actsFolder + ActBaseName(act.number) + QStringLiteral(".pdf");
    if (platform.writePdf(ActHtml(act), pdfPath))
        outcome.actPdf = pdfPath;
    outcome.journalled = journal::Append(
        *store, {journal::Make(now, kErased, kActsFolder + QLatin1Char('/') + textName, std::nullopt, text)});
    QStringList notes;
    if (outcome.actPdf.isEmpty())
        notes.append(QStringLiteral("PDF акта записать не удалось, акт сохранён текстом."));
    if (!outcome.journalled)
        notes.append(journal::kNotRecorded);
    if (!problems.isEmpty())
        notes.append(QStringLiteral("Не всё удалось удалить: ") + problems.join(QStringLiteral("; ")) +
                     QStringLiteral(". Это записано в акте."));
    outcome.message = notes.join(QLatin1Char('\n'));
    return outcome;
}

QByteArray ActText(const Act& act)
{
    QStringList lines;
    lines << QStringLiteral("АКТ № ") + act.number << QStringLiteral("об уничтожении персональных данных") << QString();
    lines << QStringLiteral("Дата и время: ") + actTime(act.time);
    lines << QStringLiteral("Оператор (пользователь): ") + act.user;
    lines << QStringLiteral("Рабочее место: ") + act.desk;
    lines << QStringLiteral("Чьи данные: ") + act.person;
    lines << QStringLiteral("Файл анкеты: ") + textfile::readableName(act.personFile);
    lines << QStringLiteral("Основание: ") + act.reason;
    lines << QStringLiteral("Способ уничтожения: удаление файлов и записей программой «Тандемо»") << QString();
    lines << QStringLiteral("Категории уничтоженных данных:");
    for (const QString& c : act.categories)
        lines << QStringLiteral("  - ") + c;
    lines << QString() << QStringLiteral("Уничтожено:");
    for (const QString& r : act.removed)
        lines << QStringLiteral("  - ") + r;
    if (!act.kept.isEmpty()) {
        lines << QString() << QStringLiteral("Не уничтожено:");
        for (const QString& k : act.kept)
            lines << QStringLiteral("  - ") + k;
    }
    lines << QString() << QStringLiteral("Резервные копии, которые ещё содержат данные:");
    if (act.backups.isEmpty())
        lines << QStringLiteral("  автоматических копий с этими данными нет");
    for (const QString& b : act.backups)
        lines << QStringLiteral("  - ") + b;
    lines << QStringLiteral("  (копии, сохранённые вручную командой «Резервная копия…», программа не отслеживает)");
    lines << QString() << QStringLiteral("Выписка из журнала по файлу анкеты:");
    if (act.extract.isEmpty())
        lines << QStringLiteral("  записей нет");
    for (const journal::Record& r : act.extract)
        lines << QStringLiteral("  ") + actTime(r.time) + QStringLiteral("; ") + r.desk + QStringLiteral("; ") + r.user +
                     QStringLiteral("; ") + r.action + QStringLiteral("; SHA-256 до: ") +
                     (r.before.isEmpty() ? QStringLiteral("—") : QString::fromLatin1(r.before)) +
                     QStringLiteral("; после: ") + (r.after.isEmpty() ? QStringLiteral("—") : QString::fromLatin1(r.after));
    lines << QString() << QStringLiteral("Подпись ответственного лица: ________________ / ________________ /")
          << QString();
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

QString ActHtml(const Act& act)
{
    // The paper shows the start of each hash; the text act holds them whole.
    const auto shortHash = [](const QByteArray& hash) {
        return hash.isEmpty() ? QStringLiteral("—") : QString::fromLatin1(hash.left(16)) + QStringLiteral("…");
    };
    const auto row = [](const QString& label, const QString& value) {
        return QStringLiteral("<tr><td><b>") + HtmlText(label) + QStringLiteral("</b></td><td>") + HtmlText(value) +
               QStringLiteral("</td></tr>");
    };
    const auto list = [](const QStringList& items, const QString& none) {
        if (items.isEmpty())
            return QStringLiteral("<p>") + HtmlText(none) + QStringLiteral("</p>");
        QString html = QStringLiteral("<ul>");
        for (const QString& item : items)
            html += QStringLiteral("<li>") + HtmlText(item) + QStringLiteral("</li>");
        return html + QStringLiteral("</ul>");
    };
    QString html = QStringLiteral("<html><head><meta charset='utf-8'></head><body>");
    html += QStringLiteral("<h1 align='center'>АКТ № ") + HtmlText(act.number) +
            QStringLiteral("</h1><p align='center'>об уничтожении персональных данных</p><table cellpadding='3'>");
    html += row(QStringLiteral("Дата и время"), actTime(act.time));
    html += row(QStringLiteral("Оператор (пользователь)"), act.user);
    html += row(QStringLiteral("Рабочее место"), act.desk);
    html += row(QStringLiteral("Чьи данные"), act.person);
    html += row(QStringLiteral("Файл анкеты"), textfile::readableName(act.personFile));
    html += row(QStringLiteral("Основание"), act.reason);
    html += row(QStringLiteral("Способ уничтожения"), QStringLiteral("удаление файлов и записей программой «Тандемо»"));
    html += QStringLiteral("</table><h3>Категории уничтоженных данных</h3>") + list(act.categories, {});
    html += QStringLiteral("<h3>Уничтожено</h3>") + list(act.removed, {});
    if (!act.kept.isEmpty())
        html += QStringLiteral("<h3>Не уничтожено</h3>") + list(act.kept, {});
    html += QStringLiteral("<h3>Резервные копии, которые ещё содержат данные</h3>") +
            list(act.backups, QStringLiteral("Автоматических копий с этими данными нет.")) +
            QStringLiteral("<p><i>Копии, сохранённые вручную командой «Резервная копия…», программа не отслеживает.</i></p>");
    html += QStringLiteral("<h3>Выписка из журнала по файлу анкеты</h3>");
    if (act.extract.isEmpty()) {
        html += QStringLiteral("<p>Записей нет.</p>");
    } else {
        html += QStringLiteral("<table border='1' cellspacing='0' cellpadding='2' style='font-size:8pt'>"
                               "<tr><th>Время</th><th>Рабочее место</th><th>Пользователь</th><th>Действие</th>"
                               "<th>SHA-256 до</th><th>SHA-256 после</th></tr>");
        for (const journal::Record& r : act.extract)
            html += QStringLiteral("<tr><td>") + HtmlText(actTime(r.time)) + QStringLiteral("</td><td>") + HtmlText(r.desk) +
                    QStringLiteral("</td><td>") + HtmlText(r.user) + QStringLiteral("</td><td>") + HtmlText(r.action) +
                    QStringLiteral("</td><td>") + shortHash(r.before) + QStringLiteral("</td><td>") + shortHash(r.after) +
                    QStringLiteral("</td></tr>");
        html += QStringLiteral("</table>");
    }
    html += QStringLiteral("<br><p>Подпись ответственного лица: ______________ / ______________ /</p>");
    html += QStringLiteral("</body></html>");
    return html;
}

}  // namespace erasure
