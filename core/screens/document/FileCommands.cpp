#include "screens/document/FileCommands.h"

#include "engines/Password.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "engines/Proverka.h"

namespace {
const QChar kNul(u'\0');

// Asks for a test file to read; empty when cancelled or refused.
QString ChooseTestToRead(App& app)
{
    QString path = apiOpenSave(app, 0, QString(), TestFilter());
    if (path.isEmpty())
        return {};
    if (path.size() >= 256) {
        ShowError(app, QStringLiteral("Файл расположен далеко от диска ") + path.left(3));
        return {};
    }
    if (PoiskTochki(app, path) == 0)
        path += QStringLiteral(".tnd");
    return path;
}
}

QString TestFilter()
{
    return QStringLiteral("Tests (*.tnd)") + kNul + QStringLiteral("*.tnd");
}

QString apiOpenSave(App& app, int save, const QString& suggestedName, const QString& filter)
{
    QString full = filter;
    if (!full.isEmpty())
        full += kNul;
    full += QStringLiteral("All Files (*.*)") + kNul + QStringLiteral("*.*");
    const QStringList items = full.split(kNul);
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2)
        filters.append({items[i], items[i + 1]});

    // The platform's name buffer holds 255 characters.
    const QString path = app.platform.fileDialog(save != 0, suggestedName.left(255), filters, app.st.LastFolder);
    if (path.isEmpty())
        return {};
    const qsizetype nul = path.indexOf(kNul);
    const QString result = nul < 0 ? path : path.left(nul);
    app.st.LastFolder = FolderPart(app, result);
    return result;
}

void OpenFile(App& app)
{
    if (!MayReplaceTest(app))
        return;
    const QString path = ChooseTestToRead(app);
    if (!path.isEmpty())
        OpenTest(app, path);
}

void OpenFileToAdd(App& app)
{
    const QString path = ChooseTestToRead(app);
    if (!path.isEmpty())
        AddTest(app, path);
}

void SaveTestDialog(App& app)
{
    if (app.st.TestFilePath.isEmpty())
        SaveTestDialogAs(app);
    else
        SaveTest(app, app.st.TestFilePath);
}

void SaveTestDialogAs(App& app)
{
    const AppState& st = app.st;
    QString suggestion;
    if (!st.TestFilePath.isEmpty()) {
        suggestion = FileNamePart(app, st.TestFilePath);
    } else {
        static const QString invalid = QStringLiteral("\\/*?\":<>|");
        bool clean = true;
        for (QChar c : st.TestName)
            clean = clean && !invalid.contains(c);
        if (clean)
            suggestion = st.TestName;
    }
    QString path = apiOpenSave(app, 1, suggestion, TestFilter());
    if (path.isEmpty())
        return;
    if (PoiskTochki(app, path) == 0)
        path += QStringLiteral(".tnd");
    SaveTest(app, path);
}

void AddTest(App& app, const QString& path)
{
    AppState& st = app.st;
    textfile::Lines lines;
    switch (textfile::readLines(path, lines, textfile::kMaxTestBytes, kTestMarker)) {
    case textfile::ReadResult::NotFound:
        ShowError(app, FileMessage(app, path, QStringLiteral("не найден")));
        return;
    case textfile::ReadResult::Failed:
        ShowError(app, FileMessage(app, path, QStringLiteral("открыть не возможно")));
        return;
    case textfile::ReadResult::Foreign:
        ShowError(app, FileMessage(app, path, QStringLiteral("не подходит к программе.")));
        return;
    case textfile::ReadResult::Ok:
        break;
    }
    lines.next();  // the marker
    app.platform.processEvents();
    st.TestName = lines.nextText().value_or(QString());
    const int seed = lines.nextNumber().value_or(0);
    DecodePassword(app, seed, lines.next().value_or(QByteArray()));
    const int added = PlausibleQuestionCount(lines.nextNumber().value_or(0), lines);
    const int first = st.QuestionCount + 1;
    st.QuestionCount += added;
    st.Questions.resizePreserving(st.QuestionCount);
    ReadQuestions(app, lines, first, st.QuestionCount);
    app.frmForma.NmWpr.text = QStringLiteral("Вопрос №") + QString::number(st.CurrentQuestion) +
                              QStringLiteral(" из") + textfile::decode(textfile::numberLine(st.QuestionCount));
}
