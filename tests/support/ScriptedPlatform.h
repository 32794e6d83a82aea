#pragma once

#include "ground/Platform.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <map>

// A desktop for tests: records every call and answers from a script.
class ScriptedPlatform : public Platform {
public:
    struct Message {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
        MsgAnswer defaultAnswer;
    };
    struct FileDialogCall {
        bool save;
        QString suggestedName;
        QList<FileFilter> filters;
        QString initialFolder;
    };

    // Script: answers given in order; a message box without a scripted answer
    // answers with its default button, a file dialog with "cancelled".
    std::deque<MsgAnswer> messageAnswers;
    std::deque<QString> fileAnswers;
    // What happens while a window is shown modally (fill fields, press OK...).
    std::map<WindowId, std::function<void()>> onModal;
    // What happens when the program lets pending window events run.
    std::function<void()> onProcessEvents;
    QString exeFolder = QStringLiteral("/opt/tandemo");
    // An installed copy's folders; none by default.
    QString dataFolder;
    QString userConfigFolder;
    QString userHomeFolder;
    QDateTime clock = QDateTime(QDate(2009, 3, 7), QTime(14, 5, 9));

    // Record.
    QList<Message> messages;
    QList<FileDialogCall> fileDialogs;
    QList<WindowId> modals;
    QStringList openedUrls;
    int processEventsCalls = 0;

    QStringList messageTexts() const;

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                         MsgAnswer defaultAnswer) override;
    void showModal(WindowId window) override;
    QString fileDialog(bool save, const QString& suggestedName, const QList<FileFilter>& filters,
                       const QString& initialFolder) override;
    void processEvents() override
    {
        ++processEventsCalls;
        if (onProcessEvents)
            onProcessEvents();
    }
    // Long work lets the windows repaint now and then.
    int keepPaintingCalls = 0;
    std::function<void()> onKeepPainting;
    void keepPainting() override
    {
        ++keepPaintingCalls;
        if (onKeepPainting)
            onKeepPainting();
    }
    // Lines the program wrote to standard error.
    QStringList standardError;
    void reportOnStandardError(const QString& text) override { standardError << text; }
    QDateTime now() override { return clock; }
    void openExternalUrl(const QString& url) override { openedUrls << url; }
    QString executableFolder() override { return exeFolder; }
    QString installedDataFolder() override { return dataFolder; }
    QString configFolder() override { return userConfigFolder; }
    QString homeFolder() override { return userHomeFolder; }
    // A fixed-width font: every character is charWidth wide.
    int charWidth = 10;
    int textWidth(const QString& text) override { return static_cast<int>(text.size()) * charWidth; }
};
