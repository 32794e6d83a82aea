#include "engines/MediaHtml.h"

#include "ground/App.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace media {
namespace {

const QStringList kVideoFormats{QStringLiteral("mp4"), QStringLiteral("webm"), QStringLiteral("ogv")};
const QStringList kAudioFormats{QStringLiteral("mp3"),  QStringLiteral("wav"),  QStringLiteral("ogg"),
                                QStringLiteral("oga"),  QStringLiteral("opus"), QStringLiteral("m4a")};

QString Patterns(const QStringList& formats)
{
    QStringList patterns;
    for (const QString& f : formats)
        patterns << QStringLiteral("*.") + f;
    return patterns.join(QStringLiteral("; "));
}

// The attribute value as the browser reads it: character references and the
// usual named entities decoded, anything else kept as written.
QString DecodeAttribute(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype end = value.at(i) == QLatin1Char('&') ? value.indexOf(QLatin1Char(';'), i) : -1;
        if (end < 0 || end - i > 12) {
            out += value.at(i);
            continue;
        }
        const QString entity = value.mid(i + 1, end - i - 1);
        QString decoded;
        if (entity == QLatin1String("quot")) {
            decoded = QStringLiteral("\"");
        } else if (entity == QLatin1String("amp")) {
            decoded = QStringLiteral("&");
        } else if (entity == QLatin1String("lt")) {
            decoded = QStringLiteral("<");
        } else if (entity == QLatin1String("gt")) {
            decoded = QStringLiteral(">");
        } else if (entity == QLatin1String("apos")) {
            decoded = QStringLiteral("'");
        } else if (entity.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const bool hex = entity.size() > 1 && (entity.at(1) == QLatin1Char('x') || entity.at(1) == QLatin1Char('X'));
            const uint code = hex ? entity.mid(2).toUInt(&ok, 16) : entity.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t c = code;
                decoded = QString::fromUcs4(&c, 1);
            }
        }
        if (decoded.isEmpty()) {
            out += value.at(i);
            continue;
        }
        out += decoded;
        i = end;
    }
    return out;
}

// The file a name refers to, inside the folder; names that are absolute or
// climb out of the folder refer to nothing.
QString Resolve(const QString& name, const QString& folder)
{
    if (name.isEmpty() || QFileInfo(name).isAbsolute())
        return {};
    QString normal = name;
    normal.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (normal.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return {};
    return folder + name;
}

bool Readable(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isReadable();
}

QString Note(const QString& text)
{
    return QStringLiteral("<font size='3' color='gray'>") + text + QStringLiteral("</font>");
}

QString Player(bool video, const QString& name, const QString& folder)
{
    const QString kind = video ? QStringLiteral("Видео ролик") : QStringLiteral("Аудио ролик");
    const QString shownName = QLatin1Char('"') + name.toHtmlEscaped() + QLatin1Char('"');
    if (!name.isEmpty() && !PlaysHere(name))
        return Note(kind + QLatin1Char(' ') + shownName +
                    QStringLiteral(" здесь не воспроизводится: формат не поддерживается."));
    if (!Readable(Resolve(name, folder)))
        return Note(kind + QLatin1Char(' ') + shownName + QStringLiteral(" не найден."));
    // Percent-encoded, so that "#", "?" or "%" in a name stay part of it.
    const QString src = QString::fromLatin1(QUrl::toPercentEncoding(name, "/"));
    return video ? QStringLiteral("<video width=360 height=270 controls autoplay src=\"") + src +
                       QStringLiteral("\"></video>")
                 : QStringLiteral("<audio controls autoplay src=\"") + src + QStringLiteral("\"></audio>");
}

}  // namespace

bool PlaysHere(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString ext = fileName.mid(dot + 1).toLower();
    return kVideoFormats.contains(ext) || kAudioFormats.contains(ext);
}

QString VideoPatterns()
{
    return Patterns(kVideoFormats);
}

QString AudioPatterns()
{
    return Patterns(kAudioFormats);
}

QString Playable(const QString& text, const QString& folder)
{
    const QString video = kCommon + kVideoTail;
    const QString audio = kCommon + kAudioTail;
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype head = text.indexOf(kHead, from);
        if (head < 0)
            break;
        const qsizetype nameStart = head + kHead.size();
        const qsizetype nameEnd = text.indexOf(QLatin1Char('"'), nameStart);
        if (nameEnd < 0)
            break;
        const QStringView rest = QStringView(text).mid(nameEnd);
        const bool isVideo = rest.startsWith(video);
        if (!isVideo && !rest.startsWith(audio)) {
            // Not a fragment of ours: leave it, look further on.
            out += QStringView(text).mid(from, nameStart - from);
            from = nameStart;
            continue;
        }
        out += QStringView(text).mid(from, head - from);
        out += Player(isVideo, DecodeAttribute(text.mid(nameStart, nameEnd - nameStart)), folder);
        from = nameEnd + (isVideo ? video.size() : audio.size());
    }
    out += QStringView(text).mid(from);
    return out;
}

QStringList NamedFiles(const QString& text)
{
    static const QStringList kTags{QStringLiteral("img"), QStringLiteral("embed"), QStringLiteral("video"),
                                   QStringLiteral("audio"), QStringLiteral("source")};
    const qsizetype size = text.size();
    auto skipSpace = [&text, size](qsizetype& k) {
        while (k < size && text.at(k).isSpace())
            ++k;
    };
    QStringList names;
    qsizetype i = 0;
    while ((i = text.indexOf(QLatin1Char('<'), i)) >= 0) {
        qsizetype k = ++i;
        while (k < size && text.at(k).isLetterOrNumber())
            ++k;
        if (!kTags.contains(text.mid(i, k - i).toLower()))
            continue;
        while (k < size && text.at(k) != QLatin1Char('>')) {
            if (text.at(k).isSpace() || text.at(k) == QLatin1Char('/')) {
                ++k;
                continue;
            }
            const qsizetype attrStart = k;
            while (k < size && !text.at(k).isSpace() && text.at(k) != QLatin1Char('=') &&
                   text.at(k) != QLatin1Char('>') && text.at(k) != QLatin1Char('/'))
                ++k;
            const QString attr = text.mid(attrStart, k - attrStart).toLower();
            skipSpace(k);
            if (k >= size || text.at(k) != QLatin1Char('='))
                continue;
            ++k;
            skipSpace(k);
            QString value;
            if (k < size && (text.at(k) == QLatin1Char('"') || text.at(k) == QLatin1Char('\''))) {
                const qsizetype end = text.indexOf(text.at(k), k + 1);
                const qsizetype stop = end < 0 ? size : end;
                value = text.mid(k + 1, stop - k - 1);
                k = end < 0 ? size : end + 1;
            } else {
                const qsizetype valueStart = k;
                while (k < size && !text.at(k).isSpace() && text.at(k) != QLatin1Char('>'))
                    ++k;
                value = text.mid(valueStart, k - valueStart);
            }
            if (attr != QLatin1String("src"))
                continue;
            const QString name = DecodeAttribute(value).trimmed();
            // "http:", "data:"… name no file; a single letter before the
            // colon is a Windows drive.
            static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
            if (!name.isEmpty() && !scheme.match(name).hasMatch())
                names << name;
        }
        i = k;
    }
    return names;
}

}  // namespace media

QString ShownText(const App& app, const QString& text)
{
    return media::Playable(text, app.st.folders.WorkFolder);
}
