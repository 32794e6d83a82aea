#pragma once

#include <QString>

// Paper documents of the program (a consent form, a person's data, an act of
// destruction) as PDF files: an HTML document laid out on A4 pages by Qt's
// own text layout and PDF writer. Needs a QGuiApplication (the command line
// makes one on the offscreen platform).
namespace pdf {

// Writes `html` to `path` whole (a temporary file renamed into place);
// pictures are named in it by local file paths and read with Qt's size
// limits. False when the file could not be written.
bool Write(const QString& html, const QString& path);

}  // namespace pdf
