#pragma once

#include <QString>

struct Control;

// Requests to an HTML view, recorded in its model; the application's view
// carries them out.
void LoadHtml(Control& view, const QString& html);
void LoadFile(Control& view, const QString& pathOrUrl);
void ClearWeb(Control& view);

// Command links: a fixed 11-character prefix beginning with "http", the code,
// and a suffix beginning with a dot. The browser reports them with a "/" added.
inline const QString kCommandPrefix = QStringLiteral("http://tnd.");
inline const QString kCommandSuffix = QStringLiteral(".ru");

inline QString Command(const QString& code) { return kCommandPrefix + code + kCommandSuffix; }
inline QString BareCommand(const QString& code) { return kCommandPrefix + code; }
