#pragma once

class QWebEnginePage;
class QWebEngineSettings;

// How the program's pages look in a view, apart from the pages' own bytes.

// Question texts and the program's pages name Windows fonts ("Times New
// Roman", "Arial") or none. Their metric twins, Liberation Serif, Sans and
// Mono (Debian's fonts-liberation2), are the view's default families, so that
// lines break where the author saw them break; fontconfig maps the named
// Windows families onto the same fonts.
void UseAuthorsFonts(QWebEngineSettings* settings);

// The list window: a link in a table cell (a name, "Поиск пары") stays on one
// line, so one long name cannot wrap the links of every row; a name wider than
// half the window is cut there with "…".
void KeepCellLinksOnOneLine(QWebEnginePage* page);
