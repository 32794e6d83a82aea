#include "editor/Media.h"

#include "document/FileCommands.h"
#include "shell/App.h"

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
    const QString filter = video
        ? QStringLiteral("Video (*.mpg; *.avi; *.swf)") + kNul + QStringLiteral("*.mpg;*.avi;*.swf")
        : QStringLiteral("Audio (*.mp3; *.wav; *.mid)") + kNul + QStringLiteral("*.mp3;*.wav;*.mid");
    const QString path = ChooseFile(app, filter);
    if (path.isEmpty())
        return {};
    QString fragment = QStringLiteral("<OBJECT type=\"application/x-oleobject\"><EMBED src=\"") +
                       AttributeName(app, path) +
                       QStringLiteral("\" Type=\"video/x-ms-asf-plugin\" name=\"videonn\" AutoStart=1");
    if (video)
        fragment += QStringLiteral(" quality=high ShowControls=1 ControlType=1 width=\"360\" height=\"270\"");
    fragment += QStringLiteral("></EMBED></OBJECT>");
    return fragment;
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
