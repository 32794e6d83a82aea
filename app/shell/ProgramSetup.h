#pragma once

class QCoreApplication;
class QString;

// The program's name, version and desktop identity.
void setProgramIdentity();
// Qt's own texts (file dialogs, message box buttons, text box menus, command
// line help) in Russian, from the translations installed with Qt. Returns
// whether Qt's Russian texts were found.
bool installRussianQtTexts(QCoreApplication& application);
// --help and --version: prints and ends the program; any other option is an
// error that also ends it. Needs only a QCoreApplication.
void handleCommandLine(QCoreApplication& application);
// Whether the command line asks only for help or the version, which need no
// display.
bool asksOnlyForInformation(int argc, char** argv);
