#include "engines/Consent.h"

#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "ground/FolderWrite.h"
#include "ground/TextFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace consent {

QString TextPath(const QString& testFilePath)
{
    const QFileInfo info(testFilePath);
    QString base = info.fileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);
    return info.path() + QLatin1Char('/') + base + kTextSuffix;
}

QString DefaultText()
{
    return QStringLiteral(
        "<html><head><meta charset='utf-8'><title>Согласие на обработку персональных данных</title></head>\n"
        "<body>\n"
        "<h2>Согласие на обработку персональных данных</h2>\n"
        "<p>Я, заполняя анкету, даю согласие оператору — <b>[название агентства, адрес, ИНН]</b> — на обработку "
        "моих персональных данных: имени и фамилии, года рождения, роста, веса, цвета волос и глаз, знака "
        "зодиака, сведений о себе, о том, кого я ищу, адреса и ответов на вопросы анкеты. Эти сведения "
        "касаются моей частной жизни.</p>\n"
        "<p><b>Цель обработки:</b> подбор партнёра для знакомства и предложение мне подходящих знакомств "
        "сотрудниками агентства. Данные не передаются третьим лицам и не публикуются.</p>\n"
        "<p><b>Действия с данными:</b> сбор, запись, хранение, уточнение, сопоставление с анкетами других "
        "клиентов, резервное копирование, уничтожение.</p>\n"
        "<p><b>Фотография</b> хранится только с моего отдельного согласия и служит для знакомства с "
        "подобранными партнёрами.</p>\n"
        "<p><b>Срок:</b> согласие действует до достижения цели обработки, но не дольше срока хранения анкет, "
        "установленного агентством, или до его отзыва.</p>\n"
        "<p><b>Отзыв:</b> я могу отозвать согласие письменным заявлением оператору. Мои данные будут "
        "уничтожены в течение 30 дней, о чём составляется акт. По моему запросу оператор в течение 10 рабочих "
        "дней предоставит мне мои данные.</p>\n"
        "</body></html>\n");
}

std::optional<QByteArray> ReadText(const QString& testFilePath, bool* failed)
{
    if (failed)
        *failed = false;
    const QString path = TextPath(testFilePath);
    std::optional<QByteArray> bytes = journal::FileBytes(path, kMaxTextBytes + 1);
    if (!bytes || bytes->size() > kMaxTextBytes) {
        // Something that is there but cannot be read (or is far too big) is
        // not "no consent": the caller must not take results without it.
        if (failed && (bytes || QFileInfo(path).exists() || QFileInfo(path).isSymLink()))
            *failed = true;
        return std::nullopt;
    }
    return bytes;
}

bool WriteText(const QString& testFilePath, const QString& html)
{
    const QString path = TextPath(testFilePath);
    if (html.trimmed().isEmpty())
        return !QFileInfo::exists(path) || textfile::removeFile(path);
    const QByteArray bytes = html.toUtf8();
    if (bytes.size() > kMaxTextBytes)
        return false;
    return textfile::saveAtomically(path, bytes) == textfile::SaveResult::Ok;
}

namespace {
// Rounds of taking active pieces out of a consent text before it is given up
// as plain text; an author's text settles in one or two.
constexpr int kMaxCleaningRounds = 8;

const QByteArray kData = "data=";
const QByteArray kPhoto = "photo=";
const QByteArray kTime = "time=";
const QByteArray kText = "text=";

bool isHexHash(QByteArrayView text)
{
    if (text.size() != 64)
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}
}  // namespace

QByteArray Encode(const Record& record)
{
    return kData + (record.data ? "1" : "0") + "\r\n" + kPhoto + (record.photo ? "1" : "0") + "\r\n" + kTime +
           journal::TimeText(record.time).toUtf8() + "\r\n" + kText + record.textSha256 + "\r\n";
}

std::optional<Record> Decode(QByteArrayView bytes)
{
    if (bytes.size() > 4096)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.toByteArray().split('\n');
    Record record;
    int seen = 0;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const auto flag = [&](const QByteArray& key, bool& into, int bit) {
            if (!line.startsWith(key))
                return false;
            const QByteArray value = line.mid(key.size());
            if (value != "0" && value != "1")
                return false;
            into = value == "1";
            seen |= bit;
            return true;
        };
        if (flag(kData, record.data, 1) || flag(kPhoto, record.photo, 2))
            continue;
        if (line.startsWith(kTime)) {
            record.time = QDateTime::fromString(QString::fromUtf8(line.mid(kTime.size())), Qt::ISODateWithMs);
            if (!record.time.isValid())
                return std::nullopt;
            seen |= 4;
        } else if (line.startsWith(kText) && isHexHash(line.mid(kText.size()))) {
            record.textSha256 = line.mid(kText.size());
            seen |= 8;
        } else {
            return std::nullopt;
        }
    }
    if (seen != 15)
        return std::nullopt;
    return record;
}

store::Result Save(store::FolderStore& store, const QString& personFile, const Record& record,
                   const QByteArray& textShown)
{
    // The text first: a record never names a text the store does not hold.
    // Another desk may have kept the same text already, which is as good.
    const store::Result text = store.write(kTextKind, QString::fromLatin1(record.textSha256), textShown, std::nullopt);
    if (text != store::Result::Ok && text != store::Result::Changed)
        return text;
    return store.write(kKind, store::KeyOf(personFile), Encode(record), std::nullopt);
}

std::optional<Record> Load(store::FolderStore& store, const QString& personFile, bool* failed)
{
    bool readFailed = false;
    const std::optional<store::Item> item = store.read(kKind, store::KeyOf(personFile), &readFailed);
    if (failed)
        *failed = readFailed;
    if (!item)
        return std::nullopt;
    std::optional<Record> record = Decode(item->bytes);
    if (!record && failed)
        *failed = true;
    return record;
}

std::optional<QByteArray> TextShown(store::FolderStore& store, const QByteArray& sha256)
{
    if (!isHexHash(sha256))
        return std::nullopt;
    const std::optional<store::Item> item = store.read(kTextKind, QString::fromLatin1(sha256));
    if (!item || journal::Sha256Hex(item->bytes) != sha256)
        return std::nullopt;
    return item->bytes;
}

QString Fragment(const QByteArray& textBytes)
{
    QString html = QString::fromUtf8(textBytes);
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch inBody = body.match(html);
    if (inBody.hasMatch())
        html = inBody.captured(1);
    // The author's text is shown and printed, never run: no scripts, no
    // frames or plug-ins, no handlers, no addresses that run code.
    static const QRegularExpression active(
        QStringLiteral("<(script|style|iframe|object|embed|frameset|frame|applet|form|head|title)\\b.*?</\\1\\s*>|"
                       "<(script|style|iframe|object|embed|frameset|frame|applet|meta|link|base|form|input|"
                       "button|head|title)\\b[^>]*>|</(head|title|form|html)\\s*>|<html[^>]*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression handlers(QStringLiteral("[\\s/]+on[a-z]+\\s*=\\s*(\"[^\"]*\"|'[^']*'|[^\\s>]+)"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression scripted(QStringLiteral("(javascript|vbscript|data)\\s*:"),
                                             QRegularExpression::CaseInsensitiveOption);
    // Taking a piece out may join what was around it into a new one
    // ("<scr<script></script>ipt>"): again until nothing changes, and a text
    // that never settles is shown as plain text.
    for (int round = 0;; ++round) {
        const QString before = html;
        html.remove(active);
        html.remove(handlers);
        html.replace(scripted, QStringLiteral("blocked:"));
        if (html == before)
            break;
        if (round == kMaxCleaningRounds)
            return QStringLiteral("<pre>") + QString::fromUtf8(textBytes).toHtmlEscaped() + QStringLiteral("</pre>");
    }
    return html.trimmed();
}

}  // namespace consent
