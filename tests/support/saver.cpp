// Saves the same file over and over, alternating two versions, until it is
// killed. The crash-safety test kills it at random moments and then looks at
// what is on disk.
//   tandemo_saver test|person|settings FOLDER
// ("result" saves new results instead, each under a name of its own.)
// Or ends COUNT attempts at the test TESTFILE one after the other, as fast as
// it can, with the results RaceResultOf(WHO, 0..COUNT-1); exit 1 when one of
// them was not saved.
//   tandemo_saver results TESTFILE WHO COUNT
// Or is one desk at the women's list of FOLDER, driven line by line from
// standard input; each command's messages are printed ("message: TEXT"), then
// what the window shows ("shows: card NAME" or "shows: list") and "end".
//   tandemo_saver desk FOLDER PASSWORD
//   commands: open (the first row), name TEXT, address TEXT, delete
// Or adds COUNT records to the journal of FOLDER, one change at a time, each
// naming the file WHO-<n>; exit 1 when one was not written.
//   tandemo_saver journal FOLDER WHO COUNT
#include "engines/Journal.h"
#include "engines/TestFile.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/HeadlessPlatform.h"
#include "shell/Startup.h"
#include "screens/taking/EndTest.h"

#include "SaverVersions.h"
#include "screens/document/FileCommands.h"
#include "screens/document/FrmPassW.h"
#include "screens/people/FrmKartochka.h"
#include "screens/people/PeopleList.h"
#include "shell/ListCommands.h"
#include "ground/windows/HtmlView.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {
int endAttempts(const QString& testFile, const QString& who, int count)
{
    HeadlessPlatform platform;
    bool failed = false;
    platform.onMessage = [&failed](const QString& text, MsgIcon) {
        failed = true;
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    App app(platform);
    OpenTest(app, testFile);
    if (failed)
        return 1;
    for (int i = 0; i < count; ++i) {
        const RaceResult r = RaceResultOf(who, i, app.st.test.QuestionCount);
        app.st.CardFields[0] = r.card;
        app.st.CardFields[0].Parol = app.st.test.TestPassword;
        for (int q = 1; q <= app.st.test.QuestionCount; ++q)
            app.st.test.Questions[q].NomerOtveta = r.answers[q - 1];
        app.st.main.Phase = TestPhase::Attempt;
        EndTest(app);
        if (failed || !app.st.main.MainHtml.contains(QStringLiteral("Результаты тестирование сохранены.")))
            return 1;
    }
    return 0;
}
// The modal dialogs of one change, answered as a person at the desk would.
class DeskPlatform : public HeadlessPlatform {
public:
    std::function<void(WindowId)> onModal;
    void showModal(WindowId window) override
    {
        if (onModal)
            onModal(window);
    }
};

int desk(const QString& folder, const QString& password)
{
    DeskPlatform platform;
    platform.folder = folder;
    platform.onMessage = [](const QString& text, MsgIcon) { std::printf("message: %s\n", text.toUtf8().constData()); };
    App app(platform);
    AppState& st = app.st;
    st.folders.PathSep = QStringLiteral("/");
    st.folders.AppFolder = folder;
    st.folders.WorkFolder = folder;
    st.people.ListWomen = true;
    QString field;  // "name" or "address"
    QString value;
    platform.onModal = [&](WindowId window) {
        if (window == WindowId::PassW) {
            app.frmPassW.TPW.text = password;
            frmPassW_TPW_Change(app);
            frmPassW_OK_Click(app);
        } else if (window == WindowId::Kartochka) {
            frmKartochka_Load(app);
            (field == QLatin1String("name") ? app.frmKartochka.txtNameFamiliya : app.frmKartochka.txtInfo[4]).text = value;
            frmKartochka_OK_Click(app);
        }
    };
    auto click = [&app](const QString& code) { VyborKartochki(app, Command(code) + QLatin1Char('/')); };
    char line[4096];
    while (std::fgets(line, sizeof line, stdin)) {
        const QString command = QString::fromUtf8(line).trimmed();
        const qsizetype blank = command.indexOf(QLatin1Char(' '));
        field = command.left(blank);
        value = blank < 0 ? QString() : command.mid(blank + 1);
        if (field == QLatin1String("open")) {
            ListLudeyLoad(app);
            click(QStringLiteral("l0"));
        } else if (field == QLatin1String("delete")) {
            click(QStringLiteral("d"));
        } else {
            click(QStringLiteral("i"));
        }
        if (st.list.Mode == HtmlWindowMode::CardPage)
            std::printf("shows: card %s\n", st.CardFields[1].NameFamiliya.toUtf8().constData());
        else
            std::printf("shows: list\n");
        std::printf("end\n");
        std::fflush(stdout);
    }
    return 0;
}
}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "results")
        return endAttempts(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    if (argc == 5 && QByteArray(argv[1]) == "journal") {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        const QString who = QString::fromLocal8Bit(argv[3]);
        for (int i = 0, count = std::atoi(argv[4]); i < count; ++i) {
            const QByteArray bytes = who.toUtf8() + QByteArray::number(i);
            if (!journal::Append(folder, {journal::Make(QDateTime::currentDateTime(), journal::kCardChanged,
                                                        who + QLatin1Char('-') + QString::number(i), bytes, bytes + '!')}))
                return 1;
        }
        return 0;
    }
    if (argc == 4 && QByteArray(argv[1]) == "desk")
        return desk(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc != 3)
        return 2;
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    HeadlessPlatform platform;
    platform.folder = folder;
    platform.onMessage = [](const QString& text, MsgIcon) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
    App app(platform);
    app.st.folders.PathSep = QStringLiteral("/");
    app.st.folders.AppFolder = folder;
    app.st.folders.WorkFolder = folder;
    app.st.test.TestFilePath = folder + QStringLiteral("t.tnd");
    std::fprintf(stdout, "ready\n");
    std::fflush(stdout);
    for (int round = 0;; ++round) {
        Prepare(app, round % 2);
        if (kind == QLatin1String("test"))
            SaveTest(app, app.st.test.TestFilePath);
        else if (kind == QLatin1String("person"))
            SaveKartochka(app, QStringLiteral("p.tnw"), 0);
        else if (kind == QLatin1String("result"))
            SaveNewKartochka(app, 0, platform.now());
        else
            UnloadProga(app);
    }
}
