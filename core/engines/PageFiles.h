#pragma once

#include <QString>
#include <QStringList>

class App;
struct Control;

// What a page of the program may show from the disk: files under its folders
// (the test's folder, the program's own folder), the few pictures it names
// one by one (the splash picture, the photo of the card on screen) and the
// document a view was told to show itself. A test file travels between
// agencies and a person file comes from a kiosk, so anything else a page asks
// for is refused, and a picture named one by one is shown only when its
// content is a picture.
struct PageFiles {
    QStringList folders;
    QStringList files;
    QStringList documents;
};

// Where a file a page names lies: a bare name or relative path is the test
// folder's.
QString PageFilePath(const QString& workFolder, const QString& file);

// The files the page now in `view` may show.
PageFiles ShownPageFiles(const App& app, const Control& view);

// Opens `path` for reading when `allowed` lets a page show it and it is a
// regular file on a disk: never a device, a pipe, a socket or a file of the
// kernel's /proc or /sys, and never through a link that leads outside.
// Returns an open descriptor (the caller closes it) or -1.
int OpenPageFile(const PageFiles& allowed, const QString& path);
