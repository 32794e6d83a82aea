#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Small helpers shared by the tests.
namespace fixtures {

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// Everything a folder holds (hidden names too) but the hidden folder where
// the program keeps the folder's journal and records.
QStringList folderEntries(const QString& folder);

// Lines joined with CR LF, each line given as UTF-8 and stored in Windows-1251.
QByteArray cp1251Lines(const QStringList& lines);

// Makes a file or folder read-only (all write bits off) or writable again.
void setReadOnly(const QString& path, bool readOnly);

// Runs `job` while the process may not write files beyond `bytes`, as on a
// full disk: writes past the limit fail instead of killing the process.
void withFileSizeLimit(qint64 bytes, const std::function<void()>& job);

// The real tandemo-cli (named by TANDEMO_CLI), run as a script or a
// spreadsheet user starts it. A run that did not end normally has status -1.
struct CliRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};
CliRun runCli(const QStringList& args, int timeoutMs = 60000);

}  // namespace fixtures
