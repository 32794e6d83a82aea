#include "engines/Desk.h"

#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "ground/TextFile.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace desk {

namespace {

// A field of the desk's lines: tabs, line ends and "%" (and whatever
// separates the field's parts) as %XX, so that any text fits on one line.
QByteArray esc(const QString& text, QByteArrayView also = "\t")
{
    return textfile::percentEscaped(text.toUtf8(), also);
}

std::optional<QString> unesc(QByteArrayView field)
{
    const std::optional<QByteArray> bytes = textfile::percentUnescaped(field);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

QByteArray joinLines(const QList<QByteArray>& lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

// A shard: one line "<person key>\t<value>" for each person in it, sorted by
// key so that the same content always gives the same bytes.
QMap<QString, QByteArray> shardLines(const QByteArray& bytes)
{
    QMap<QString, QByteArray> entries;
    for (const QByteArray& line : textfile::nonEmptyLines(bytes)) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        entries.insert(QString::fromUtf8(line.first(tab)), line.mid(tab + 1));
    }
    return entries;
}

QByteArray shardBytes(const QMap<QString, QByteArray>& entries)
{
    QByteArray out;
    for (auto it = entries.begin(); it != entries.end(); ++it)
        out += it.key().toUtf8() + '\t' + it.value() + "\r\n";
    return out;
}

// Sets (or, with nothing, drops) one person's value in their shard.
store::Result setInShard(store::FolderStore& store, const QString& kind, const QString& personFile,
                         const std::optional<QByteArray>& value)
{
    const QString key = store::KeyOf(personFile);
    return store::Update(store, kind, ShardOf(personFile),
                         [&](const std::optional<QByteArray>& bytes, bool&) -> std::optional<QByteArray> {
                             QMap<QString, QByteArray> entries = bytes ? shardLines(*bytes) : QMap<QString, QByteArray>{};
                             if (value)
                                 entries.insert(key, *value);
                             else
                                 entries.remove(key);
                             // An emptied shard stays (empty): it tells that the
                             // folder uses the feature, and a status page keeps
                             // its column.
                             return shardBytes(entries);
                         });
}

std::optional<QByteArray> readFromShard(store::FolderStore& store, const QString& kind, const QString& personFile)
{
    const std::optional<store::Item> item = store.read(kind, ShardOf(personFile));
    if (!item)
        return std::nullopt;
    return ShardPart(item->bytes, personFile);
}

std::optional<int> intOf(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<double> doubleOf(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

template <typename T>
QString boundText(const std::optional<T>& value)
{
    if (!value)
        return {};
    if constexpr (std::is_same_v<T, double>)
        return QString::number(*value, 'g', 6);
    else
        return QString::number(*value);
}

const std::array<QString, 4> kOutcomeTexts{QString(), QStringLiteral("встреча состоялась"),
                                           QStringLiteral("не подошли"), QStringLiteral("пара")};

const QString kPairSeparator = QStringLiteral("%%");

}  // namespace

QString ShardOf(const QString& personFile)
{
    const QByteArray hash = QCryptographicHash::hash(textfile::pathBytes(personFile), QCryptographicHash::Sha1);
    return QStringLiteral("s%1").arg(static_cast<unsigned char>(hash[0]) % kShards, 2, 16, QLatin1Char('0'));
}

std::optional<QByteArray> ShardPart(const QByteArray& shard, const QString& personFile)
{
    const QMap<QString, QByteArray> entries = shardLines(shard);
    const auto it = entries.find(store::KeyOf(personFile));
    if (it == entries.end())
        return std::nullopt;
    return *it;
}

QByteArray ShardWithout(const QByteArray& shard, const QString& personFile)
{
    QMap<QString, QByteArray> entries = shardLines(shard);
    entries.remove(store::KeyOf(personFile));
    return shardBytes(entries);
}

bool Seeking::isEmpty() const
{
    return !ageFrom && !ageTo && !heightFrom && !heightTo && hair.isEmpty() && eyes.isEmpty();
}

QString EncodeSeeking(const Seeking& s)
{
    QStringList parts;
    if (s.ageFrom || s.ageTo)
        parts << QStringLiteral("age=") + boundText(s.ageFrom) + QLatin1Char('-') + boundText(s.ageTo);
    if (s.heightFrom || s.heightTo)
        parts << QStringLiteral("height=") + boundText(s.heightFrom) + QLatin1Char('-') + boundText(s.heightTo);
    const auto list = [](const QStringList& items) {
        QStringList escaped;
        for (const QString& item : items)
            escaped << QString::fromUtf8(esc(item, "\t;|=-"));
        return escaped.join(QLatin1Char('|'));
    };
    if (!s.hair.isEmpty())
        parts << QStringLiteral("hair=") + list(s.hair);
    if (!s.eyes.isEmpty())
        parts << QStringLiteral("eyes=") + list(s.eyes);
    return parts.join(QLatin1Char(';'));
}

namespace {
// The common bounds ("age=18-30;height=1.6-1.85") read straight from the
// bytes: a ranking reads everyone's. Anything else takes the full reader.
std::optional<Seeking> decodeBoundsOnly(QByteArrayView bytes)
{
    Seeking s;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf(';');
        const QByteArrayView part = end < 0 ? bytes : bytes.first(end);
        bytes = end < 0 ? QByteArrayView() : bytes.sliced(end + 1);
        const bool age = part.startsWith("age=");
        if (!age && !part.startsWith("height="))
            return std::nullopt;
        const QByteArrayView range = part.sliced(age ? 4 : 7);
        const qsizetype dash = range.indexOf('-');
        if (dash < 0)
            return std::nullopt;
        const QByteArrayView from = range.first(dash);
        const QByteArrayView to = range.sliced(dash + 1);
        bool ok = true;
        if (age) {
            if (!from.isEmpty())
                s.ageFrom = from.toInt(&ok);
            if (ok && !to.isEmpty())
                s.ageTo = to.toInt(&ok);
        } else {
            if (!from.isEmpty())
                s.heightFrom = from.toDouble(&ok);
            if (ok && !to.isEmpty())
                s.heightTo = to.toDouble(&ok);
        }
        if (!ok)
            return std::nullopt;
    }
    return s;
}
}  // namespace

std::optional<Seeking> DecodeSeeking(const QString& text)
{
    Seeking s;
    if (text.isEmpty())
        return s;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return std::nullopt;
        const QString name = part.left(eq);
        const QString value = part.mid(eq + 1);
        if (name == QLatin1String("age") || name == QLatin1String("height")) {
            const QStringList bounds = value.split(QLatin1Char('-'));
            if (bounds.size() != 2)
                return std::nullopt;
            if (name == QLatin1String("age")) {
                if ((!bounds[0].isEmpty() && !(s.ageFrom = intOf(bounds[0]))) ||
                    (!bounds[1].isEmpty() && !(s.ageTo = intOf(bounds[1]))))
                    return std::nullopt;
            } else if ((!bounds[0].isEmpty() && !(s.heightFrom = doubleOf(bounds[0]))) ||
                       (!bounds[1].isEmpty() && !(s.heightTo = doubleOf(bounds[1])))) {
                return std::nullopt;
            }
        } else if (name == QLatin1String("hair") || name == QLatin1String("eyes")) {
            QStringList items;
            for (const QString& item : value.split(QLatin1Char('|'))) {
                const std::optional<QString> plain = unesc(item.toUtf8());
                if (!plain || plain->isEmpty())
                    return std::nullopt;
                items << *plain;
            }
            (name == QLatin1String("hair") ? s.hair : s.eyes) = items;
        } else {
            return std::nullopt;
        }
    }
    return s;
}

std::optional<double> ParseHeight(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)\\s*(м|m|см|cm)?\\.?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    double value = match.captured(1).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
    const QString unit = match.captured(2).toLower();
    // People write 1,65 and 165 alike: more than three metres is centimetres.
    if (unit == u"см" || unit == u"cm" || (unit.isEmpty() && value > 3))
        value /= 100;
    if (value < 0.3 || value > 3)
        return std::nullopt;
    return value;
}

bool Fits(const Seeking& s, const Traits& t)
{
    if (s.ageFrom || s.ageTo) {
        if (!t.age || (s.ageFrom && *t.age < *s.ageFrom) || (s.ageTo && *t.age > *s.ageTo))
            return false;
    }
    if (s.heightFrom || s.heightTo) {
        // Heights compare to the centimetre: 1.7 typed is 1.70 set.
        const auto cm = [](double m) { return qRound(m * 100); };
        if (!t.height || (s.heightFrom && cm(*t.height) < cm(*s.heightFrom)) ||
            (s.heightTo && cm(*t.height) > cm(*s.heightTo)))
            return false;
    }
    if (!s.hair.isEmpty() && !s.hair.contains(t.hair, Qt::CaseInsensitive))
        return false;
    if (!s.eyes.isEmpty() && !s.eyes.contains(t.eyes, Qt::CaseInsensitive))
        return false;
    return true;
}

QString StatusText(Status status)
{
    switch (status) {
    case Status::Active:
        return QStringLiteral("активен");
    case Status::Paused:
        return QStringLiteral("пауза");
    case Status::Found:
        return QStringLiteral("нашёл пару");
    case Status::Archived:
        return QStringLiteral("в архиве");
    }
    return {};
}

std::optional<Status> StatusFromText(const QString& text)
{
    for (const Status status : kStatuses)
        if (StatusText(status) == text)
            return status;
    return std::nullopt;
}

QByteArray EncodeNotes(const Notes& notes)
{
    QList<QByteArray> lines;
    if (notes.remind)
        lines << "remind=" + notes.remind->toString(Qt::ISODate).toUtf8();
    for (const Note& note : notes.entries)
        lines << "note=" + journal::TimeText(note.time).toUtf8() + '\t' + esc(note.author) + '\t' + esc(note.text);
    return joinLines(lines);
}

std::optional<Notes> DecodeNotes(const QByteArray& bytes)
{
    Notes notes;
    for (const QByteArray& line : textfile::nonEmptyLines(bytes)) {
        if (line.startsWith("remind=")) {
            const QDate date = QDate::fromString(QString::fromUtf8(line.mid(7)), Qt::ISODate);
            if (!date.isValid())
                return std::nullopt;
            notes.remind = date;
        } else if (line.startsWith("note=")) {
            const QList<QByteArray> fields = line.mid(5).split('\t');
            if (fields.size() != 3)
                return std::nullopt;
            Note note;
            note.time = QDateTime::fromString(QString::fromUtf8(fields[0]), Qt::ISODateWithMs);
            const std::optional<QString> author = unesc(fields[1]);
            const std::optional<QString> text = unesc(fields[2]);
            if (!note.time.isValid() || !author || !text)
                return std::nullopt;
            note.author = *author;
            note.text = *text;
            notes.entries.append(note);
        } else {
            return std::nullopt;
        }
    }
    return notes;
}

QString OutcomeText(Outcome outcome)
{
    return kOutcomeTexts[static_cast<size_t>(outcome)];
}

QByteArray EncodePair(const PairHistory& history)
{
    QList<QByteArray> lines;
    if (history.never)
        lines << "never=1";
    for (const Introduction& i : history.introductions)
        lines << "intro=" + journal::TimeText(i.time).toUtf8() + '\t' + esc(i.author) + '\t' +
                     QByteArray::number(static_cast<int>(i.outcome));
    return joinLines(lines);
}

std::optional<PairHistory> DecodePair(const QByteArray& bytes)
{
    PairHistory history;
    for (const QByteArray& line : textfile::nonEmptyLines(bytes)) {
        if (line == "never=1") {
            history.never = true;
        } else if (line.startsWith("intro=")) {
            const QList<QByteArray> fields = line.mid(6).split('\t');
            if (fields.size() != 3)
                return std::nullopt;
            Introduction i;
            i.time = QDateTime::fromString(QString::fromUtf8(fields[0]), Qt::ISODateWithMs);
            const std::optional<QString> author = unesc(fields[1]);
            bool ok = false;
            const int outcome = fields[2].toInt(&ok);
            if (!i.time.isValid() || !author || !ok || outcome < 0 || outcome > 3)
                return std::nullopt;
            i.author = *author;
            i.outcome = static_cast<Outcome>(outcome);
            history.introductions.append(i);
        } else {
            return std::nullopt;
        }
    }
    return history;
}

QString PairKey(const QString& a, const QString& b)
{
    const QString ka = store::KeyOf(a);
    const QString kb = store::KeyOf(b);
    return ka < kb ? ka + kPairSeparator + kb : kb + kPairSeparator + ka;
}

std::optional<std::pair<QString, QString>> PairOfKey(const QString& key)
{
    // A key of KeyOf never holds "%%": every "%" starts an escape.
    const qsizetype at = key.indexOf(kPairSeparator);
    if (at <= 0 || at + 2 >= key.size() || key.indexOf(kPairSeparator, at + 2) >= 0)
        return std::nullopt;
    return std::make_pair(store::NameOfKey(key.left(at)), store::NameOfKey(key.mid(at + 2)));
}

namespace {
// Calls `take` with each line's person key and value of a shard.
template <typename Take>
void eachLine(QByteArrayView rest, const Take& take)
{
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        QByteArrayView line = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            take(line.first(tab), line.sliced(tab + 1));
    }
}
}  // namespace

namespace {
std::optional<Seeking> decodeStored(QByteArrayView value)
{
    std::optional<Seeking> seeking = decodeBoundsOnly(value);
    if (!seeking)
        seeking = DecodeSeeking(QString::fromUtf8(value));
    if (!seeking || seeking->isEmpty())
        return std::nullopt;
    return seeking;
}
}  // namespace

std::optional<Seeking> Everyone::seekingOf(QByteArrayView nameBytes) const
{
    // A ranking asks once (for its reference): a pass over the bounds is
    // cheaper than indexing them all. Many questions get the index.
    if (!seeking_ && ++asked_ <= kLinearLookups) {
        for (const auto& [name, value] : bounds_)
            if (name == nameBytes)
                return decodeStored(value);
        return std::nullopt;
    }
    if (!seeking_) {
        seeking_.emplace();
        seeking_->reserve(bounds_.size());
        for (const auto& [name, value] : bounds_)
            seeking_->insert(name, value);
    }
    const auto it = seeking_->constFind(nameBytes);
    if (it == seeking_->constEnd())
        return std::nullopt;
    return decodeStored(*it);
}

QSet<QByteArrayView> Everyone::notAccepting(const Traits& traits) const
{
    QSet<QByteArrayView> out;
    for (const auto& [name, value] : bounds_) {
        const std::optional<Seeking> seeking = decodeStored(value);
        if (seeking && !Fits(*seeking, traits))
            out.insert(name);
    }
    return out;
}

std::optional<Seeking> Everyone::seekingOf(const QString& personFile) const
{
    return seekingOf(QByteArrayView(textfile::pathBytes(personFile)));
}

Status Everyone::statusOf(QByteArrayView nameBytes) const
{
    return status_.value(nameBytes, Status::Active);
}

Status Everyone::statusOf(const QString& personFile) const
{
    return statusOf(QByteArrayView(textfile::pathBytes(personFile)));
}

Everyone ReadEveryone(store::FolderStore& store)
{
    Everyone everyone;
    // A key with an escape is stored as its name's bytes; the views point
    // into `held_`, whose buffers never move once there.
    const auto nameOf = [&everyone](QByteArrayView key) -> QByteArrayView {
        if (!key.contains('%'))
            return key;
        everyone.held_.append(textfile::pathBytes(store::NameOfKey(QString::fromUtf8(key))));
        return everyone.held_.last();
    };
    QList<QByteArray> shards;
    qsizetype lines = 0;
    for (const QString& shard : store.keys(kSeekingKind)) {
        std::optional<store::Item> item = store.read(kSeekingKind, shard);
        if (!item)
            continue;
        lines += item->bytes.count('\n');
        shards.append(std::move(item->bytes));
    }
    everyone.bounds_.reserve(lines);
    for (QByteArray& bytes : shards) {
        everyone.held_.append(std::move(bytes));
        eachLine(everyone.held_.last(), [&](QByteArrayView key, QByteArrayView value) {
            everyone.bounds_.append({nameOf(key), value});
            everyone.seekingUsed = true;
        });
    }
    everyone.startedOn = store.read(kDeskKind, kDeskOnKey).has_value();
    for (const QString& shard : store.keys(kStatusKind)) {
        std::optional<store::Item> item = store.read(kStatusKind, shard);
        if (!item)
            continue;
        everyone.statusUsed = true;
        everyone.held_.append(std::move(item->bytes));
        eachLine(everyone.held_.last(), [&](QByteArrayView key, QByteArrayView value) {
            const std::optional<Status> status = StatusFromText(QString::fromUtf8(value));
            if (status && *status != Status::Active)
                everyone.status_.insert(nameOf(key), *status);
        });
    }
    return everyone;
}

Seeking ReadSeeking(store::FolderStore& store, const QString& personFile)
{
    const std::optional<QByteArray> value = readFromShard(store, kSeekingKind, personFile);
    if (!value)
        return {};
    return DecodeSeeking(QString::fromUtf8(*value)).value_or(Seeking{});
}

Status ReadStatus(store::FolderStore& store, const QString& personFile)
{
    const std::optional<QByteArray> value = readFromShard(store, kStatusKind, personFile);
    if (!value)
        return Status::Active;
    return StatusFromText(QString::fromUtf8(*value)).value_or(Status::Active);
}

Notes ReadNotes(store::FolderStore& store, const QString& personFile)
{
    const std::optional<store::Item> item = store.read(kNotesKind, store::KeyOf(personFile));
    if (!item)
        return {};
    return DecodeNotes(item->bytes).value_or(Notes{});
}

QHash<QString, PairHistory> ReadPairsOf(store::FolderStore& store, const QString& personFile)
{
    QHash<QString, PairHistory> pairs;
    for (const QString& key : store.keys(kIntroductionsKind)) {
        const std::optional<std::pair<QString, QString>> two = PairOfKey(key);
        if (!two || (two->first != personFile && two->second != personFile))
            continue;
        const std::optional<store::Item> item = store.read(kIntroductionsKind, key);
        if (!item)
            continue;
        if (const std::optional<PairHistory> history = DecodePair(item->bytes))
            pairs.insert(two->first == personFile ? two->second : two->first, *history);
    }
    return pairs;
}

store::Result WriteSeeking(store::FolderStore& store, const QString& personFile, const Seeking& seeking)
{
    return setInShard(store, kSeekingKind, personFile,
                      seeking.isEmpty() ? std::nullopt : std::optional<QByteArray>(EncodeSeeking(seeking).toUtf8()));
}

store::Result WriteSeekingMany(store::FolderStore& store, const QList<std::pair<QString, Seeking>>& bounds)
{
    QMap<QString, QMap<QString, QByteArray>> byShard;
    for (const auto& [personFile, seeking] : bounds)
        byShard[ShardOf(personFile)].insert(store::KeyOf(personFile), EncodeSeeking(seeking).toUtf8());
    for (auto shard = byShard.begin(); shard != byShard.end(); ++shard) {
        const store::Result result = store::Update(
            store, kSeekingKind, shard.key(), [&](const std::optional<QByteArray>& bytes, bool&) -> std::optional<QByteArray> {
                QMap<QString, QByteArray> entries = bytes ? shardLines(*bytes) : QMap<QString, QByteArray>{};
                for (auto it = shard->begin(); it != shard->end(); ++it)
                    entries.insert(it.key(), it.value());
                return shardBytes(entries);
            });
        if (result != store::Result::Ok)
            return result;
    }
    return store::Result::Ok;
}

store::Result WriteStatus(store::FolderStore& store, const QString& personFile, Status status)
{
    return setInShard(store, kStatusKind, personFile,
                      status == Status::Active ? std::nullopt : std::optional<QByteArray>(StatusText(status).toUtf8()));
}

namespace {
// Changes a person's notes; a notes item this program cannot read is left
// as it is rather than replaced.
store::Result changeNotes(store::FolderStore& store, const QString& personFile, const std::function<void(Notes&)>& change)
{
    return store::Update(store, kNotesKind, store::KeyOf(personFile),
                         [&](const std::optional<QByteArray>& bytes, bool& refused) -> std::optional<QByteArray> {
                             std::optional<Notes> notes = bytes ? DecodeNotes(*bytes) : std::optional<Notes>(Notes{});
                             if (!notes) {
                                 refused = true;
                                 return bytes;
                             }
                             change(*notes);
                             if (notes->entries.isEmpty() && !notes->remind)
                                 return std::nullopt;
                             return EncodeNotes(*notes);
                         });
}

store::Result changePair(store::FolderStore& store, const QString& a, const QString& b,
                         const std::function<bool(PairHistory&)>& change)
{
    return store::Update(store, kIntroductionsKind, PairKey(a, b),
                         [&](const std::optional<QByteArray>& bytes, bool& refused) -> std::optional<QByteArray> {
                             std::optional<PairHistory> history =
                                 bytes ? DecodePair(*bytes) : std::optional<PairHistory>(PairHistory{});
                             if (!history || !change(*history)) {
                                 refused = true;
                                 return bytes;
                             }
                             return EncodePair(*history);
                         });
}
}  // namespace

store::Result AddNote(store::FolderStore& store, const QString& personFile, const Note& note)
{
    return changeNotes(store, personFile, [&](Notes& notes) {
        // Oldest first, whoever saved first: two desks' notes of one moment
        // both stay, in time order.
        const auto at = std::upper_bound(notes.entries.begin(), notes.entries.end(), note,
                                         [](const Note& x, const Note& y) { return x.time < y.time; });
        notes.entries.insert(at, note);
    });
}

store::Result SetReminder(store::FolderStore& store, const QString& personFile, const std::optional<QDate>& date)
{
    return changeNotes(store, personFile, [&](Notes& notes) { notes.remind = date; });
}

store::Result Introduce(store::FolderStore& store, const QString& a, const QString& b, const Introduction& introduction)
{
    return changePair(store, a, b, [&](PairHistory& history) {
        history.introductions.append(introduction);
        return true;
    });
}

store::Result SetOutcome(store::FolderStore& store, const QString& a, const QString& b, int index, Outcome outcome)
{
    return changePair(store, a, b, [&](PairHistory& history) {
        if (index < 0 || index >= history.introductions.size())
            return false;
        history.introductions[index].outcome = outcome;
        return true;
    });
}

store::Result NeverOffer(store::FolderStore& store, const QString& a, const QString& b)
{
    return changePair(store, a, b, [](PairHistory& history) {
        history.never = true;
        return true;
    });
}

store::Result StartDesk(store::FolderStore& store)
{
    const store::Result result = store.write(kDeskKind, kDeskOnKey, QByteArrayLiteral("1\n"), std::nullopt);
    // Another desk started it first: it is started all the same.
    return result == store::Result::Changed ? store::Result::Ok : result;
}

QList<Reminder> DueReminders(store::FolderStore& store, const QDate& today)
{
    QList<Reminder> due;
    for (const QString& key : store.keys(kNotesKind)) {
        const std::optional<store::Item> item = store.read(kNotesKind, key);
        if (!item)
            continue;
        const std::optional<Notes> notes = DecodeNotes(item->bytes);
        if (!notes || !notes->remind || *notes->remind > today)
            continue;
        due.append({store::NameOfKey(key), *notes->remind,
                    notes->entries.isEmpty() ? QString() : notes->entries.last().text});
    }
    std::sort(due.begin(), due.end(), [](const Reminder& a, const Reminder& b) {
        return a.date != b.date ? a.date < b.date : a.personFile < b.personFile;
    });
    return due;
}

}  // namespace desk
