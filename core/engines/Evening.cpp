#include "engines/Evening.h"

#include "engines/FolderStore.h"
#include "engines/PersonFile.h"
#include "ground/TextFile.h"

#include <algorithm>

namespace evening {

namespace {

QString guestOfKey(QByteArrayView key)
{
    return store::NameOfKey(QString::fromUtf8(key));
}

// Reads the evening, applies `change` to it and writes it back, again and
// again while another desk wrote in between. An evening left without guests
// goes.
store::Result change(store::FolderStore& store, const QString& name, const std::function<bool(Evening&)>& apply)
{
    return store::Update(store, kKind, KeyOfName(name),
                         [&](const std::optional<QByteArray>& bytes, bool& refused) -> std::optional<QByteArray> {
                             Evening e;
                             if (bytes) {
                                 const std::optional<Evening> read = Decode(*bytes);
                                 if (!read) {
                                     refused = true;
                                     return bytes;
                                 }
                                 e = *read;
                             }
                             if (!apply(e)) {
                                 refused = true;
                                 return bytes;
                             }
                             if (e.guests.isEmpty())
                                 return std::nullopt;
                             return Encode(e);
                         });
}

}  // namespace

bool IsWoman(const QString& personFile)
{
    return personFile.endsWith(kWomenExtension, Qt::CaseInsensitive);
}

QStringList Evening::men() const
{
    QStringList out;
    for (const QString& g : guests)
        if (!IsWoman(g))
            out.append(g);
    return out;
}

QStringList Evening::women() const
{
    QStringList out;
    for (const QString& g : guests)
        if (IsWoman(g))
            out.append(g);
    return out;
}

QByteArray Encode(const Evening& evening)
{
    QByteArray out;
    for (const QString& g : evening.guests)
        out += "g\t" + store::KeyOf(g).toUtf8() + "\r\n";
    QList<QByteArray> ticks;
    for (const auto& [from, to] : evening.ticks)
        ticks.append("t\t" + store::KeyOf(from).toUtf8() + '\t' + store::KeyOf(to).toUtf8() + "\r\n");
    std::sort(ticks.begin(), ticks.end());
    for (const QByteArray& t : ticks)
        out += t;
    return out;
}

std::optional<Evening> Decode(const QByteArray& bytes)
{
    Evening e;
    for (const QByteArray& line : textfile::nonEmptyLines(bytes)) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 2 && fields[0] == "g" && !fields[1].isEmpty()) {
            const QString guest = guestOfKey(fields[1]);
            if (!e.guests.contains(guest))
                e.guests.append(guest);
        } else if (fields.size() == 3 && fields[0] == "t" && !fields[1].isEmpty() && !fields[2].isEmpty()) {
            e.ticks.insert({guestOfKey(fields[1]), guestOfKey(fields[2])});
        }
    }
    // A tick of someone no longer on the evening means nothing.
    for (auto it = e.ticks.begin(); it != e.ticks.end();) {
        if (!e.guests.contains(it->first) || !e.guests.contains(it->second))
            it = e.ticks.erase(it);
        else
            ++it;
    }
    return e;
}

Evening Without(const Evening& evening, const QString& guest)
{
    Evening e = evening;
    e.guests.removeAll(guest);
    for (auto it = e.ticks.begin(); it != e.ticks.end();) {
        if (it->first == guest || it->second == guest)
            it = e.ticks.erase(it);
        else
            ++it;
    }
    return e;
}

std::optional<QByteArray> GuestPart(const QByteArray& bytes, const QString& guest)
{
    const std::optional<Evening> e = Decode(bytes);
    if (!e || !e->has(guest))
        return std::nullopt;
    Evening part;
    part.guests = {guest};
    for (const auto& tick : e->ticks) {
        if (tick.first != guest && tick.second != guest)
            continue;
        part.ticks.insert(tick);
        const QString& other = tick.first == guest ? tick.second : tick.first;
        if (!part.guests.contains(other))
            part.guests.append(other);
    }
    return Encode(part);
}

std::optional<QByteArray> BytesWithout(const QByteArray& bytes, const QString& guest)
{
    const std::optional<Evening> e = Decode(bytes);
    if (!e)
        return bytes;
    const Evening rest = Without(*e, guest);
    if (rest.guests.isEmpty())
        return std::nullopt;
    return Encode(rest);
}

QList<Round> Rotation(int men, int women)
{
    QList<Round> rounds;
    if (men <= 0 || women <= 0)
        return rounds;
    const bool menStay = men <= women;
    const int seated = std::min(men, women);
    const int n = std::max(men, women);
    for (int r = 0; r < n; ++r) {
        Round round;
        QList<bool> met(n, false);
        for (int t = 0; t < seated; ++t) {
            const int moving = (t + r) % n;
            met[moving] = true;
            round.tables.append(menStay ? Table{t, moving} : Table{moving, t});
        }
        for (int i = 0; i < n; ++i)
            if (!met[i])
                (menStay ? round.pausedWomen : round.pausedMen).append(i);
        rounds.append(round);
    }
    return rounds;
}

QStringList Mutual(const Evening& evening, const QString& guest)
{
    QStringList out;
    for (const QString& other : evening.guests)
        if (evening.ticks.contains({guest, other}) && evening.ticks.contains({other, guest}))
            out.append(other);
    return out;
}

QStringList Names(store::FolderStore& store)
{
    QStringList names;
    for (const QString& key : store.keys(kKind))
        names.append(NameOfKey(key));
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

std::optional<Evening> Read(store::FolderStore& store, const QString& name, bool* failed)
{
    const std::optional<store::Item> item = store.read(kKind, KeyOfName(name), failed);
    if (!item)
        return std::nullopt;
    return Decode(item->bytes);
}

store::Result SetGuest(store::FolderStore& store, const QString& name, const QString& guest, bool present)
{
    return change(store, name, [&](Evening& e) {
        if (!present) {
            e = Without(e, guest);
            return true;
        }
        if (e.has(guest))
            return true;
        if (e.guests.size() >= kMaxGuests)
            return false;
        e.guests.append(guest);
        return true;
    });
}

store::Result SetTick(store::FolderStore& store, const QString& name, const QString& from, const QString& to,
                      bool ticked)
{
    return change(store, name, [&](Evening& e) {
        if (!e.has(from) || !e.has(to) || IsWoman(from) == IsWoman(to))
            return false;
        if (ticked)
            e.ticks.insert({from, to});
        else
            e.ticks.remove({from, to});
        return true;
    });
}

QString KeyOfName(const QString& name)
{
    return store::KeyOf(name);
}

QString NameOfKey(const QString& key)
{
    return store::NameOfKey(key);
}

}  // namespace evening
