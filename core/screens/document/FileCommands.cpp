#include "screens/document/FileCommands.h"

#include "screens/document/ConsentText.h"
#include "engines/Password.h"
#include "engines/TestFile.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "screens/editor/Editor.h"
#include "screens/editor/FrmParam.h"
#include "screens/taking/TestFlow.h"
#include "ground/FileDialog.h"
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

// Reads a test file up to and past its marker line; says why when it cannot.
bool ReadTestLines(App& app, const QString& path, textfile::Lines& lines)
{
    switch (textfile::readLines(path, lines, textfile::kMaxTestBytes, kTestMarker)) {
    case textfile::ReadResult::NotFound:
        ShowError(app, FileMessage(app, path, kEndNotFound));
        return false;
    case textfile::ReadResult::Failed:
        ShowError(app, FileMessage(app, path, kEndCannotOpen));
        return false;
    case textfile::ReadResult::Foreign:
        ShowError(app, FileMessage(app, path, kEndForeign));
        return false;
    case textfile::ReadResult::Ok:
        break;
    }
    lines.next();  // the marker
    return true;
}
}

QString TestFilter()
{
    return QStringLiteral("Tests (*.tnd)") + kNul + QStringLiteral("*.tnd");
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
    if (app.st.test.TestFilePath.isEmpty())
        SaveTestDialogAs(app);
    else
        SaveTest(app, app.st.test.TestFilePath);
    AfterTestSaved(app);
}

void SaveTestDialogAs(App& app)
{
    const AppState& st = app.st;
    QString suggestion;
    if (!st.test.TestFilePath.isEmpty()) {
        suggestion = FileNamePart(app, st.test.TestFilePath);
    } else {
        static const QString invalid = QStringLiteral("\\/*?\":<>|");
        bool clean = true;
        for (QChar c : st.test.TestName)
            clean = clean && !invalid.contains(c);
        if (clean)
            suggestion = st.test.TestName;
    }
    QString path = apiOpenSave(app, 1, suggestion, TestFilter());
    if (path.isEmpty())
        return;
    if (PoiskTochki(app, path) == 0)
        path += QStringLiteral(".tnd");
    SaveTest(app, path);
    AfterTestSaved(app);
}

void AddTest(App& app, const QString& path)
{
    AppState& st = app.st;
    textfile::Lines lines;
    if (!ReadTestLines(app, path, lines))
        return;
    app.platform.processEvents();
    st.test.TestName = lines.nextText().value_or(QString());
    const int seed = lines.nextNumber().value_or(0);
    DecodePassword(app, seed, lines.next().value_or(QByteArray()));
    const int added = PlausibleQuestionCount(lines.nextNumber().value_or(0), lines);
    const int first = st.test.QuestionCount + 1;
    st.test.QuestionCount += added;
    st.test.Questions.resizePreserving(st.test.QuestionCount);
    ReadQuestions(app, lines, first, st.test.QuestionCount);
    // The file's trailing number is of no use here, but the merged
    // questions' weights follow it; those already in memory keep theirs.
    lines.next();
    if (ReadWeights(lines, st.test.Questions, first, st.test.QuestionCount))
        app.platform.messageBox(kWeightsDamagedMerged, kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok);
    app.frmForma.NmWpr.text = QStringLiteral("Вопрос №") + QString::number(st.main.CurrentQuestion) +
                              QStringLiteral(" из") + textfile::decode(textfile::numberLine(st.test.QuestionCount));
}

void FileNew_Click(App& app)
{
    if (!MayReplaceTest(app))
        return;
    // The editor's field is let go before the dialog opens.
    SelKolOtvetov_GotFocus(app);
    app.st.Dialog = DialogMode::NewTest;
    ShowParam(app);
}

bool MayReplaceTest(App& app)
{
    if (!TestModified(app))
        return true;
    const MsgAnswer answer =
        app.platform.messageBox(QStringLiteral("Сохранить изменения в тесте?"), kAppTitle, MsgButtons::YesNoCancel,
                                MsgIcon::Question, MsgAnswer::Yes);
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::No)
        return true;
    SaveTestDialog(app);
    return !TestModified(app);
}

void OpenTest(App& app, const QString& path)
{
    AppState& st = app.st;
    textfile::Lines lines;
    if (!ReadTestLines(app, path, lines))
        return;

    st.test.TestName = lines.nextText().value_or(QString());
    const int seed = lines.nextNumber().value_or(0);
    DecodePassword(app, seed, lines.next().value_or(QByteArray()));
    const int stated = lines.nextNumber().value_or(0);
    st.test.QuestionCount = PlausibleQuestionCount(stated, lines);
    st.test.Questions.resizeFresh(st.test.QuestionCount);
    ReadQuestions(app, lines, 1, st.test.QuestionCount);
    // The stored flag alone cannot be trusted: in a file shorter than its
    // count announces it is whatever line lands there. A test is offered for
    // taking only when it holds every question it announces, each complete.
    int notReady = lines.nextNumber().value_or(0);
    if (notReady == 0)
        notReady = Proverka(app, 0);
    if (notReady == 0 && stated > st.test.QuestionCount)
        notReady = st.test.QuestionCount + 1;
    const bool weightsDamaged = ReadWeights(lines, st.test.Questions, 1, st.test.QuestionCount);

    st.test.TestFilePath = path;
    st.folders.WorkFolder = FolderPart(app, path);
    st.consent.DefaultForNewTest = false;
    SetTestCaption(app);
    app.frmForma.FileListLudey[0].enabled = true;
    app.frmForma.FileListLudey[1].enabled = true;
    app.frmForma.FileFoundLudey.enabled = true;
    ReStart(app, notReady);
    st.main.View = ViewMode::OpenTest;
    // The test is usable as it is: a warning, not a failure.
    if (weightsDamaged)
        app.platform.messageBox(kWeightsDamaged, kAppTitle, MsgButtons::Ok, MsgIcon::Exclamation, MsgAnswer::Ok);
}
