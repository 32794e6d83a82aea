#pragma once

#include "engines/Journal.h"

#include <QList>
#include <QString>

class App;

// The main window's menu "Картотека": backups of the open test's folder,
// restoring one into a new folder, the folder's journal, and the automatic
// copies made when the program closes.

// The folder of the test in memory (ending with its separator), or empty
// after telling the user that a test must be open first (`what` says why).
QString OpenTestFolder(App& app, const QString& what);
// The name the open test's copies go by.
QString TestFileName(App& app);

// "Резервная копия…": the archive's place from a save dialog, then the
// backup with its progress window.
void KartotekaKopiya_Click(App& app);
// "Восстановить из копии…": an archive, then an empty or new folder; once
// restored, the restored test may be opened.
void KartotekaVosstanovit_Click(App& app);
// "Журнал": the journal of the open test's folder in the secondary window.
void KartotekaZhurnal_Click(App& app);
// "Автоматические копии…": the folder of the automatic copies, how many are
// kept, and for how many days.
void KartotekaAvto_Click(App& app);

// The journal page, newest record first; shows at most kMaxJournalRows.
inline constexpr qsizetype kMaxJournalRows = 2000;
QString JournalPage(const QString& folder, const QList<journal::Record>& records);

// The automatic copy of the open test's folder at closing, at most once a
// day. Closed by the desktop (`byUser` false), no copy is made and standard
// error says so. A failure is shown once and closing goes on.
void AvtoKopiya(App& app, bool byUser);
