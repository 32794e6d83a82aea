#pragma once

#include "ground/Question.h"
#include "ground/PairEntry.h"
#include "ground/Kartochka.h"
#include "ground/PersonEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The application-wide state: the test in memory, the position in it, the phase
// of work, what each view shows and the dialog protocol. Every routine reads and
// writes these fields directly; one instance lives for the whole run.
struct AppState {
    // The test in memory.
    int QuestionCount = 0;
    QuestionArray Questions;
    QString TestName;
    QString TestPassword;
    QString TestFilePath;

    // Folders, all ending with PathSep once start-up has run.
    QString WorkFolder;
    QString AppFolder;
    QString PathSep = QStringLiteral("/");
    QString LastFolder;
    QString SplashPicture;
    // An installed program cannot write next to itself: then start-up sets
    // SettingsFolder to the user's configuration folder (settings file, bulk
    // text backup) and HomeFolder to the user's home (where file dialogs and
    // new tests start). Both stay empty when the program's folder is its own,
    // and AppFolder serves for everything.
    QString SettingsFolder;
    QString HomeFolder;
    const QString& WritableFolder() const { return SettingsFolder.isEmpty() ? AppFolder : SettingsFolder; }
    const QString& StartFolder() const { return HomeFolder.isEmpty() ? AppFolder : HomeFolder; }

    // Position and phase: 2 editor, 1 attempt running, 0 start page, -1 finished.
    int CurrentQuestion = 0;
    int TestPhase = 0;
    QString ViewMode;  // "OpenTest", "NewTest", "EndTest", "ShowZastavka", "ShowFirmy"

    // The test as last opened, created or saved, in the file's bytes with a
    // fixed password seed; the editor holds unsaved changes when the test in
    // memory gives other bytes.
    QByteArray TestSnapshot;

    // Editor: -2 nothing, -1 question text, 0..9 an answer.
    int EditTarget = -2;
    int SkipTxtChange = 0;

    // Mode a modal dialog opens in; -1 after a confirmation that the caller reads.
    int DialogMode = 0;

    // Last page given to each view, so that "Обновить" can show it again.
    QString MainHtml;
    QString ListHtml;
    // What the secondary window shows: -2 help, -1 whole test, 0 people list,
    // 1 card page, 2 pair search, 3 name search.
    int HtmlWindowMode = 0;

    int ListWomen = 0;
    QString SearchName;
    int SearchWomen = 0;

    CardSlots CardFields;

    QList<PersonEntry> People{PersonEntry{}};
    QList<int> PeopleOrder{0};
    int PeopleLast = -1;
    int PeoplePage = 0;
    int CurrentPerson = 0;

    // The person the ranking was made for: the list card's slot takes the
    // next opened card, the ranking still belongs to this person.
    QString PairsName;
    int PairsPol = 0;
    QList<PairEntry> Pairs{PairEntry{}};
    QList<int> PairOrder{0};
    int PairsLast = -1;
    int PairsPage = 0;
    int CurrentPair = 0;

    // The author has been told once this run which clip formats play.
    bool MediaFormatWarned = false;
};
