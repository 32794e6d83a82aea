#include "screens/editor/Media.h"

#include "ground/FileDialog.h"
#include "ground/App.h"
#include "engines/MediaHtml.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QChar kNul(0);

QString ChooseFile(App& app, const QString& filter)
{
    return apiOpenSave(app, 0, QString(), filter);
}

// The bare name as it goes between the quotes of an attribute; a double quote
// (possible in names outside Windows) would end the attribute early.
QString AttributeName(App& app, const QString& path)
{
    QString name = FileNamePart(app, path);
    name.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return name;
}
}  // namespace

QString OpenPictureDialog(App& app)
{
    const QString path =
        ChooseFile(app, QStringLiteral("Picture (*.jpg; *.gif)") + kNul + QStringLiteral("*.jpg;*.gif"));
    if (path.isEmpty())
        return {};
    return QStringLiteral("<img border=\"0\" src=\"") + AttributeName(app, path) + QStringLiteral("\">");
}

QString OpenVideoDialog(App& app, int kind)
{
    const bool video = kind == 1;
    // The formats the view plays come first; the older ones stay on offer for
    // tests made elsewhere, with a warning.
    const QString filter = video
        ? QStringLiteral("Video (*.mp4; *.webm; *.ogv; *.mpg; *.avi; *.swf)") + kNul +
              QStringLiteral("*.mp4;*.webm;*.ogv;*.mpg;*.avi;*.swf")
        : QStringLiteral("Audio (*.mp3; *.wav; *.ogg; *.oga; *.opus; *.m4a; *.mid)") + kNul +
              QStringLiteral("*.mp3;*.wav;*.ogg;*.oga;*.opus;*.m4a;*.mid");
    const QString path = ChooseFile(app, filter);
    if (path.isEmpty())
        return {};
    const QString name = AttributeName(app, path);
    if (!media::PlaysHere(name) && !app.st.editor.MediaFormatWarned) {
        // Once a run: an author who keeps such clips on purpose is told only once.
        app.st.editor.MediaFormatWarned = true;
        ShowNotice(app, FileMessage(app, path, QStringLiteral("в программе не воспроизводится.")) +
                            QStringLiteral("\nВоспроизводятся видео ролики (") + media::VideoPatterns() +
                            QStringLiteral(") и аудио ролики (") + media::AudioPatterns() + QStringLiteral(")."));
    }
    return media::kHead + name + media::kCommon + (video ? media::kVideoTail : media::kAudioTail);
}

QString FoundFile(App& app)
{
    const QString path = ChooseFile(app, QString());
    if (path.isEmpty())
        return {};
    // The name is inserted only for a file that is there and can be read.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return FileNamePart(app, path);
}
