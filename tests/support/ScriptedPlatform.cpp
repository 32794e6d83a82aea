#include "ScriptedPlatform.h"

QStringList ScriptedPlatform::messageTexts() const
{
    QStringList texts;
    for (const Message& m : messages)
        texts << m.text;
    return texts;
}

MsgAnswer ScriptedPlatform::messageBox(const QString& text, const QString& title, MsgButtons buttons,
                                       MsgIcon icon, MsgAnswer defaultAnswer)
{
    messages.append({text, title, buttons, icon, defaultAnswer});
    if (messageAnswers.empty())
        return defaultAnswer;
    const MsgAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

void ScriptedPlatform::showModal(WindowId window)
{
    modals.append(window);
    auto it = onModal.find(window);
    if (it != onModal.end() && it->second)
        it->second();
}

QString ScriptedPlatform::fileDialog(bool save, const QString& suggestedName, const QList<FileFilter>& filters,
                                     const QString& initialFolder)
{
    fileDialogs.append({save, suggestedName, filters, initialFolder});
    if (fileAnswers.empty())
        return {};
    const QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}
