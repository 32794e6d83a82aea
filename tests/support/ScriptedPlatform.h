#pragma once

#include "ground/Platform.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <optional>

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
    // The user's data and documents folders; none by default.
    QString userData;
    QString userDocuments;
    QString userDataFolder() override { return userData; }
    QString documentsFolder() override { return userDocuments; }
    // Folder choosers and number questions: answered in order; without a
    // scripted answer, cancelled.
    struct FolderDialogCall {
        QString caption;
        QString initialFolder;
    };
    std::deque<QString> folderAnswers;
    QList<FolderDialogCall> folderDialogs;
    QString folderDialog(const QString& caption, const QString& initialFolder) override
    {
        folderDialogs.append({caption, initialFolder});
        if (folderAnswers.empty())
            return {};
        QString answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    std::deque<std::optional<int>> numberAnswers;
    std::optional<int> numberDialog(const QString&, const QString&, int, int, int) override
    {
        if (numberAnswers.empty())
            return std::nullopt;
        const std::optional<int> answer = numberAnswers.front();
        numberAnswers.pop_front();
        return answer;
    }
    // Text questions: answered in order; without a scripted answer, the
    // offered text is kept. Every question's label and offered text.
    std::deque<std::optional<QString>> textAnswers;
    QList<QPair<QString, QString>> textDialogs;
    std::optional<QString> textDialog(const QString&, const QString& label, const QString& value) override
    {
        textDialogs.append({label, value});
        if (textAnswers.empty())
            return value;
        const std::optional<QString> answer = textAnswers.front();
        textAnswers.pop_front();
        return answer;
    }
    // The progress window: every window shown (its title), every step, and
    // the step (counted from 1 over the whole run) at which the user presses
    // "Отмена"; 0 never.
    QStringList progressTitles;
    int progressSteps = 0;
    int cancelAtStep = 0;
    bool progressShown = false;
    void beginProgress(const QString& title, const QString&) override
    {
        progressTitles << title;
        progressShown = true;
    }
    bool stepProgress(qint64, qint64) override
    {
        ++progressSteps;
        return cancelAtStep == 0 || progressSteps < cancelAtStep;
    }
    void endProgress() override { progressShown = false; }
    // A fixed-width font: every character is charWidth wide.
    int charWidth = 10;
    int textWidth(const QString& text) override { return static_cast<int>(text.size()) * charWidth; }
};
