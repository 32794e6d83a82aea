#pragma once

#include "ground/Platform.h"

#include <QDir>
#include <QStandardPaths>

#include <functional>
#include <optional>

// The desktop of a program without windows (the command line tool, the
// generator, the benchmark, the fuzz harness): nothing is shown and nobody is
// asked. A message box answers with its default button and hands its text to
// `onMessage`; dialogs choose nothing.
class HeadlessPlatform : public Platform {
public:
    std::function<void(const QString& text, MsgIcon icon)> onMessage;
    QString folder = QDir::currentPath() + QLatin1Char('/');
    std::optional<QDateTime> clock;  // the real clock when not set
    // The PDF writer of a program that has one (the command line's export).
    std::function<bool(const QString& html, const QString& path)> pdfWriter;

    MsgAnswer messageBox(const QString& text, const QString&, MsgButtons, MsgIcon icon, MsgAnswer answer) override
    {
        if (onMessage)
            onMessage(text, icon);
        return answer;
    }
    void showModal(WindowId) override {}
    QString fileDialog(bool, const QString&, const QList<FileFilter>&, const QString&) override { return {}; }
    void processEvents() override {}
    QDateTime now() override { return clock ? *clock : QDateTime::currentDateTime(); }
    void openExternalUrl(const QString&) override {}
    QString executableFolder() override { return folder; }
    bool writePdf(const QString& html, const QString& path) override { return pdfWriter && pdfWriter(html, path); }
    QString userDataFolder() override { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }
};
