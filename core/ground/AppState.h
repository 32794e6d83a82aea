#pragma once

#include "ground/Kartochka.h"
#include "ground/PairEntry.h"
#include "ground/PersonEntry.h"
#include "ground/Question.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The test in memory: what the test file holds, and the bytes it held when it
// was last opened, created or saved.
struct TestInMemory {
    int QuestionCount = 0;
    QuestionArray Questions;
    QString TestName;
    QString TestPassword;
    QString TestFilePath;

    // The test in the file's bytes with a fixed password seed; the editor
    // holds unsaved changes when the test in memory gives other bytes.
    QByteArray TestSnapshot;
};

// Folders, all ending with PathSep once start-up has run.
struct Folders {
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
};

// What the main window is doing with the test, and the page it shows.
struct MainWindowState {
    // Phase: 2 editor, 1 attempt running, 0 start page, -1 finished.
    int TestPhase = 0;
    // The question the editor or the attempt stands on.
    int CurrentQuestion = 0;
    QString ViewMode;  // "OpenTest", "NewTest", "EndTest", "ShowZastavka", "ShowFirmy"
    // Last page given to the view, so that "Обновить" can show it again.
    QString MainHtml;
};

// The editor's field being edited and its bookkeeping.
struct EditorState {
    // -2 nothing, -1 question text, 0..9 an answer.
    int EditTarget = -2;
    int SkipTxtChange = 0;
    // The author has been told once this run which clip formats play.
    bool MediaFormatWarned = false;
};

// The secondary window: what it shows and its last page.
struct ListWindowState {
    // -2 help, -1 whole test, 0 people list, 1 card page, 2 pair search,
    // 3 name search.
    int HtmlWindowMode = 0;
    QString ListHtml;
};

// The people list of one sex, as scanned from the test's folder.
struct PeopleListState {
    int ListWomen = 0;
    QList<PersonEntry> People{PersonEntry{}};
    QList<int> PeopleOrder{0};
    int PeopleLast = -1;
    int PeoplePage = 0;
    int CurrentPerson = 0;
};

// The name search as last confirmed.
struct NameSearchState {
    QString SearchName;
    int SearchWomen = 0;
};

// The ranking of the other sex for one person. The list card's slot takes the
// next opened card; the ranking still belongs to this person.
struct PairListState {
    QString PairsName;
    int PairsPol = 0;
    QList<PairEntry> Pairs{PairEntry{}};
    QList<int> PairOrder{0};
    int PairsLast = -1;
    int PairsPage = 0;
    int CurrentPair = 0;
};

// The application-wide state, grouped by concern; one instance lives for the
// whole run. A routine that works on one part takes that part.
struct AppState {
    TestInMemory test;
    Folders folders;
    MainWindowState main;
    EditorState editor;
    ListWindowState list;
    PeopleListState people;
    NameSearchState search;
    PairListState pairs;

    // Mode a modal dialog opens in; -1 after a confirmation that the caller reads.
    int DialogMode = 0;

    CardSlots CardFields;
};
