#pragma once

#include <QString>

struct Control;

// Requests to an HTML view, recorded in its model; the application's view
// carries them out.
void LoadHtml(Control& view, const QString& html);
void LoadFile(Control& view, const QString& pathOrUrl);
void ClearWeb(Control& view);

// A view reports every clicked link with the page it was clicked on: the
// view's load count when it showed that page. Only the page the program last
// gave the view may command anything; a page still on screen for a moment
// after a new one was requested, or brought back by the browser, may not.
bool IsShownPage(const Control& view, int page);

// Whether the page in `view` carries a command link to `link` (as the browser
// reports it): a command acts only from the page that offers it.
bool PageCarries(const Control& view, const QString& link);

// Command links: a fixed 11-character prefix beginning with "http", the code,
// and a suffix beginning with a dot. The browser reports them with a "/" added.
inline const QString kCommandPrefix = QStringLiteral("http://tnd.");
inline const QString kCommandSuffix = QStringLiteral(".ru");

inline QString Command(const QString& code) { return kCommandPrefix + code + kCommandSuffix; }
inline QString BareCommand(const QString& code) { return kCommandPrefix + code; }
