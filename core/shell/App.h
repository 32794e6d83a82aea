#pragma once

#include "document/AppState.h"
#include "document/FrmParam.h"
#include "document/FrmPassW.h"
#include "editor/FrmLoadVopros.h"
#include "editor/Markup.h"
#include "editor/QuestionList.h"
#include "people/FrmFound.h"
#include "people/FrmKartochka.h"
#include "shell/FrmForma.h"
#include "shell/FrmOprog.h"
#include "shell/Platform.h"
#include "views/FrmHTML.h"

// The running program: its state, its windows' models and the desktop it runs
// on. Every routine takes it by reference.
class App {
public:
    explicit App(Platform& platformImpl) : platform(platformImpl) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Platform& platform;
    AppState st;
    FrmForma frmForma;
    FrmOprog frmOprog;
    FrmHTML frmHTML;
    FrmPassW frmPassW;
    FrmFound frmFound;
    FrmKartochka frmKartochka;
    FrmParam frmParam;
    FrmNomer frmNomer;
    FrmLoadVopros frmLoadVopros;
    FrmTag frmTag;
};

// Title of every message box of the program.
inline const QString kAppTitle = QStringLiteral("Тандемо");

void ShowError(App& app, const QString& text);
void ShowNotice(App& app, const QString& text);

// "Файл "<path>" <ending>", the wording of every message about a file.
QString FileMessage(const App& app, const QString& path, const QString& ending);

// Folder part (with its trailing separator) and file name part of a path,
// split at the last PathSep.
QString FolderPart(const App& app, const QString& path);
QString FileNamePart(const App& app, const QString& path);

// "<name> - [<file>] - Тандемо" for the test in memory.
void SetTestCaption(App& app);
