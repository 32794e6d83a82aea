#pragma once

#include "ground/AppState.h"
#include "ground/Platform.h"
#include "ground/windows/FrmForma.h"
#include "ground/windows/FrmFound.h"
#include "ground/windows/FrmHTML.h"
#include "ground/windows/FrmKartochka.h"
#include "ground/windows/FrmLoadVopros.h"
#include "ground/windows/FrmNomer.h"
#include "ground/windows/FrmOprog.h"
#include "ground/windows/FrmParam.h"
#include "ground/windows/FrmPassW.h"
#include "ground/windows/FrmSoglasie.h"
#include "ground/windows/FrmSoglasieText.h"
#include "ground/windows/FrmTag.h"
#include "ground/windows/FrmVesa.h"

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
    FrmSoglasie frmSoglasie;
    FrmSoglasieText frmSoglasieText;
    FrmVesa frmVesa;
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
