#pragma once

#include <QString>
#include <QStringList>

class App;

// The video and audio fragments the editor inserts into questions and
// answers. They are stored exactly like this (test files travel between
// installations), but they ask for a browser plug-in that the program's view
// does not have; the pages show the browser's own players instead.
namespace media {

// A fragment is kHead, the file name, kCommon, then kVideoTail or kAudioTail.
inline const QString kHead = QStringLiteral("<OBJECT type=\"application/x-oleobject\"><EMBED src=\"");
inline const QString kCommon =
    QStringLiteral("\" Type=\"video/x-ms-asf-plugin\" name=\"videonn\" AutoStart=1");
inline const QString kVideoTail = QStringLiteral(
    " quality=high ShowControls=1 ControlType=1 width=\"360\" height=\"270\"></EMBED></OBJECT>");
inline const QString kAudioTail = QStringLiteral("></EMBED></OBJECT>");

// Whether the view plays a file of this name (by its extension).
bool PlaysHere(const QString& fileName);

// The formats that play, for the author: "*.mp4; *.webm; *.ogv" and
// "*.mp3; *.wav; *.ogg; *.oga; *.opus; *.m4a".
QString VideoPatterns();
QString AudioPatterns();

// `text` with every fragment of exactly the form above replaced by a <video>
// (360 by 270, with controls) or <audio> element that starts by itself, or,
// for a file that cannot play (its format, or not found in `folder`), by a
// short line naming the file. Everything else is left as written.
QString Playable(const QString& text, const QString& folder);

// The files a question or answer text names, as written (entities decoded):
// the src of its pictures (<img>) and of the clip fragments above (and of
// <video>, <audio>, <source> and <embed> elements). Web addresses are left
// out.
QStringList NamedFiles(const QString& text);

}  // namespace media

// A question or answer text as the pages show it: its clips resolve in the
// test's folder, like every bare file name on the program's pages.
QString ShownText(const App& app, const QString& text);
