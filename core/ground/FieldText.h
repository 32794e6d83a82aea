#pragma once

#include "ground/windows/Model.h"

class App;

// Text reaches a one-line field by many roads: typing, a paste, an input
// method, a drop, a path chosen in a file dialog. Whatever the road, one rule
// holds, so that a field always fits its line of a file:
// - a line break never enters: each becomes a blank (CR LF as one blank), and
//   so does any other control character;
// - a field written to a file as plain text (`FieldKind::Plain`) takes only
//   characters that Windows-1251 can hold; the rest of the text is kept and
//   the user is told which characters were left out. HTML fields (question
//   and answer texts) keep every character: their files spell the others as
//   character references.
enum class FieldKind { Html, Plain };

// The text on one line: line breaks and other control characters as blanks.
QString OneLine(const QString& text);
// The characters of `text` that Windows-1251 cannot hold, each once, in order
// of appearance (a character outside the 16-bit range stays whole).
QString ForeignCharacters(const QString& text);

// Applies the rule to a box whose text has just changed; the caret stays
// after the same kept characters. Tells the user about refused characters.
// Returns whether the box had to be changed.
bool ApplyFieldRule(App& app, Control& box, FieldKind kind);

// Whether a typed key may enter a field of this kind; a refusal is told.
[[nodiscard]] bool FieldTakesKey(App& app, const UiEvent& event, FieldKind kind);

// Text set by the program itself (a path from a file dialog): taken whole or
// not at all, since a path with a character dropped names another file.
[[nodiscard]] bool SetFieldText(App& app, Control& box, const QString& text, FieldKind kind);
