#pragma once

#include "ground/windows/FrmTag.h"

#include <QString>

class App;

// The two boxes that the markup and media commands write into; the mode the
// character references dialog opens in tells it which one it serves.
enum class MarkupTarget { MainTxt, BulkText };

// Markup snippets: 0 superscript pair, 1 subscript pair, 2 "&nbsp;", 3 "<br>",
// 4 the references of "<" and ">"; any other number gives nothing.
QString Tags(int number);

// Printable ASCII and « » ± as decimal character references, so that the page
// shows them literally; everything else (Cyrillic, line ends) stays readable.
QString EncodeTags(const QString& text);

// The box a target names, and replacing its selection as typing would (in the
// main window the change is stored in the field being edited).
Control& TargetBox(App& app, MarkupTarget target);
void ReplaceTargetSelection(App& app, MarkupTarget target, const QString& text);

// The commands both Edit menus share, by item name ("EditTextUpDown(0)",
// "EditAddFile(2)", "EditNeravenstvo", "EditTextInTag", "EditFoundFile").
bool MarkupMenuItem(const QString& item);
void MarkupMenuClick(App& app, MarkupTarget target, const QString& item);

void frmTag_Load(App& app);
// OK: the encoded text replaces the target box's selection.
void TextTag(App& app);
void frmTag_NO_Click(App& app);
bool frmTag_Event(App& app, const UiEvent& event);
