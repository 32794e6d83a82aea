#pragma once

#include "ground/Kartochka.h"
#include "ground/PairEntry.h"
#include "ground/PersonEntry.h"
#include "ground/Question.h"
#include "ground/RetentionRow.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

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
    // An installed program whose desktop names no home (HOME unset, say, for
    // a kiosk started by the system) has no folder of its own to write to:
    // then WritableFolder() is empty, and no settings or backup are kept.
    bool NowhereToWrite = false;
    const QString& WritableFolder() const
    {
        static const QString nowhere;
        return NowhereToWrite ? nowhere : SettingsFolder.isEmpty() ? AppFolder : SettingsFolder;
    }
    const QString& StartFolder() const { return HomeFolder.isEmpty() ? AppFolder : HomeFolder; }
};

// The main window's phase of work.
enum class TestPhase {
    Finished,   // the attempt is over, its end page is shown
    StartPage,  // the test's start page, waiting for the next person
    Attempt,    // a person is answering the questions
    Editor,     // the author edits the test
};

// What the main view shows, by the routine that showed it.
enum class ViewMode {
    None,          // nothing yet
    OpenTest,      // the start page of a test just opened
    NewTest,       // the editor of a new or changed test
    EndTest,       // the end page of an attempt just saved
    ShowZastavka,  // the splash page
    ShowFirmy,     // the page of agencies
};

// What the main window is doing with the test, and the page it shows.
struct MainWindowState {
    TestPhase Phase = TestPhase::StartPage;
    // The question the editor or the attempt stands on.
    int CurrentQuestion = 0;
    ViewMode View = ViewMode::None;
    // Last page given to the view, so that "Обновить" can show it again.
    QString MainHtml;
};

// The field of the editor being edited: nothing, the question text, or an
// answer (AnswerTarget(0) for the first).
enum class EditTarget { Nothing, Question, FirstAnswer };
inline EditTarget AnswerTarget(int index)
{
    return static_cast<EditTarget>(static_cast<int>(EditTarget::FirstAnswer) + index);
}
// The answer's index of an answer target.
inline int AnswerIndex(EditTarget target)
{
    return static_cast<int>(target) - static_cast<int>(EditTarget::FirstAnswer);
}
inline bool IsAnswerTarget(EditTarget target)
{
    return target >= EditTarget::FirstAnswer && AnswerIndex(target) < clsTest::Capacity;
}

// The editor's field being edited and its bookkeeping.
struct EditorState {
    EditTarget Target = EditTarget::Nothing;
    // The next change of the box is the program's own load, not typing.
    bool SkipTxtChange = false;
    // The author has been told once this run which clip formats play.
    bool MediaFormatWarned = false;
};

// What the secondary window shows.
enum class HtmlWindowMode {
    Help,        // the help page
    WholeTest,   // the whole test on one page
    PeopleList,  // the men or the women, page by page
    CardPage,    // one person's card
    PairSearch,  // the ranking of the other sex for one person
    NameSearch,  // the people whose name holds the searched text
    Journal,     // the journal of changes of the test's folder
    Retention,   // the cards kept longer than the folder's term
    Reminders,   // the people whose reminder date has come
    Statistics,  // the folder's figures as bars
    Evening,     // an evening of introductions: guests, schedule, ticks, results, pairs
};

// The secondary window: what it shows and its last page.
struct ListWindowState {
    HtmlWindowMode Mode = HtmlWindowMode::PeopleList;
    QString ListHtml;
    // The person files a reminders page links to, by the links' numbers.
    QStringList LinkedFiles;
};

// The people list of one sex, as scanned from the test's folder.
struct PeopleListState {
    bool ListWomen = false;
    QList<PersonEntry> People{PersonEntry{}};
    QList<int> PeopleOrder{0};
    int PeopleLast = -1;
    int PeoplePage = 0;
    int CurrentPerson = 0;
    // The open card page came from the reminders, not from a row of the
    // list: going back returns there.
    bool CardFromReminders = false;
    // The people the open card page lists introductions with, by row: the
    // page's links name a row.
    QStringList CardPairs;
    // The operator's desk: someone in the folder has a status (the list then
    // shows it); everyone, not only the active and paused; the ages shown.
    bool StatusUsed = false;
    bool ShowEveryone = false;
    std::optional<int> AgeFrom, AgeTo;
};

// The page of cards kept longer than the folder's term: the cards found,
// which of them are marked for erasure, and the page shown.
struct RetentionState {
    QString Folder;  // the test folder scanned, ending with its separator
    int Years = 0;   // the term read at the scan; 0: none set
    QList<RetentionRow> Rows;
    QList<bool> Marked;
    int Page = 0;
};

// The name search as last confirmed.
struct NameSearchState {
    QString SearchName;
    bool SearchWomen = false;
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
    // The reference as ranked (the list may open another card into slot 1
    // meanwhile) and its file, for the desk's filter and introductions.
    Kartochka PairsCard;
    QString PairsFile;
    // Made from the lists by the operator, not shown to the public after a test.
    bool Operator = false;
    // "Только взаимно подходящие": kept for the next rankings of the run.
    bool Mutual = false;
    // What the last ranking found of the desk: someone has bounds; the desk
    // is in use at all (links to introduce); how many the switch left out.
    bool SeekingUsed = false;
    bool DeskUsed = false;
    int LeftOut = 0;
    // Ranked by the test's weights: the page shows the questions both answered.
    bool Weighted = false;
};

// The evening of introductions on screen: which evening of which folder,
// its page, and the people its links name by number.
enum class EveningPage { Guests, Schedule, Ticks, Results, Pairs };
struct EveningPerson {
    QString file;     // person file name
    QString name;     // as shown
    QString address;  // the card's "Адрес:" detail
    int year = 0;
    bool active = true;
};
struct EveningState {
    QString Folder;  // ending with its separator
    QString Name;    // the evening's name (its store key's text)
    EveningPage Page = EveningPage::Guests;
    // The men then the women of the folder, by name: "u" + i ticks person i.
    QList<EveningPerson> People;
    int PeoplePage = 0;
    // The guests as the page shown lists them: the grid's links name them by number.
    QStringList ShownGuests;
    // "Только взаимно подходящие" for pairing everyone.
    bool Mutual = false;
};

// The mode a modal dialog opens in, set by whoever opens it; Confirmed once
// the dialog's "ОК" has been taken, for the caller to read.
enum class DialogMode {
    None,              // no dialog opened yet
    Confirmed,
    // Test parameters.
    NewTest,           // define a new test and enter the editor
    ChangeParameters,  // change the test in memory
    // Personal card.
    NewCard,           // the card of the next test taker (slot 0)
    ListCard,          // a card opened from the lists (slot 1)
    OwnCard,           // the own card during the attempt (slot 0)
    // Password.
    ChangeTest,        // the test's password, before the editor
    CardPassword,      // the card's password, before its change or deletion
    ConsentText,       // the test's password, before its consent text is edited
    ErasePassword,     // the test's password, before cards are erased in bulk
    // Bulk text.
    LoadQuestions,     // "Быстрая загрузка вопросов"
    EditAllQuestions,  // "Редактировать все вопросы"
    // Character references: the box they go into.
    TagMainText,
    TagBulkText,
    // Name search.
    FindPeople,
};

// The consent of the person taking the test, asked before their card when
// the test has a consent text; and the author's consent texts.
struct ConsentState {
    // This attempt's person was shown the test's consent text and gave the
    // consent to keep their data; Photo: to keep their photograph too.
    bool Given = false;
    bool Photo = false;
    QDateTime Time;
    QByteArray Text;  // the text's bytes as shown
    // A new test gets the default text beside it when it is first saved.
    bool DefaultForNewTest = false;
    // Tests (their files) whose author was offered the default text this run.
    QStringList Offered;
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
    ConsentState consent;
    RetentionState retention;
    EveningState evening;

    DialogMode Dialog = DialogMode::None;

    CardSlots CardFields;
};
