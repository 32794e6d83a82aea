#include "taking/VyborOtveta.h"

#include "matching/PairPages.h"

#include "document/FileCommands.h"
#include "people/FrmFound.h"
#include "people/PeopleList.h"
#include "shell/App.h"
#include "shell/MainCommands.h"
#include "taking/EndTest.h"
#include "taking/QuestionPage.h"
#include "taking/TestFlow.h"
#include "views/Firmy.h"
#include "views/Splash.h"

namespace {
// A command link arrives as the 11-character prefix, the code and the rest;
// the browser adds "/" to it, so a command is never longer than 16 characters.
constexpr qsizetype kLongestCommand = 16;
constexpr qsizetype kCodePosition = 11;

void RecordAnswer(App& app, const QString& code)
{
    AppState& st = app.st;
    // A link inside a question shown outside an attempt (the author's preview)
    // must not move anybody through the test.
    if (st.TestPhase != 1 || st.CurrentQuestion < 1 || st.CurrentQuestion > st.QuestionCount)
        return;
    int n = 0;
    for (QChar c : code) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        n = n * 10 + (c.unicode() - '0');
    }
    st.Questions[st.CurrentQuestion].NomerOtveta = n;
    NewHod(app);
}
}

void VyborOtveta(App& app, const QString& link)
{
    if (link.size() > kLongestCommand) {
        app.platform.openExternalUrl(link);
        return;
    }
    const QString code = link.mid(kCodePosition, 1);
    if (code == QLatin1String("s")) {
        StartTest(app);
    } else if (code == QLatin1String("r")) {
        Rezultat(app);
    } else if (code == QLatin1String("f")) {
        ShowFirmy(app);
    } else if (code == QLatin1String("b")) {
        ShowZastavka(app);
    } else if (code == QLatin1String("m")) {
        FileListLudey_Click(app, 0);
    } else if (code == QLatin1String("w")) {
        FileListLudey_Click(app, 1);
    } else if (code == QLatin1String("i")) {
        FileFoundLudey_Click(app);
    } else if (code == QLatin1String("n")) {
        frmForma_MenuClick(app, app.frmForma.FileNew.name);
    } else if (code == QLatin1String("o")) {
        OpenFile(app);
    } else if (code == QLatin1String("p")) {
        PoiskParyEndTest(app);
    } else {
        RecordAnswer(app, code);
    }
}

void Rezultat(App& app)
{
    AppState& st = app.st;
    // A result is saved once per attempt: a second click that reaches us after
    // the end page is up must not write the same person twice.
    if (st.TestPhase != 1)
        return;
    for (int i = 1; i <= st.QuestionCount; ++i) {
        if (st.Questions[i].NomerOtveta >= 0)
            continue;
        if (i != st.CurrentQuestion) {
            st.CurrentQuestion = i;
            Wopros(app);
        }
        ShowNotice(app, QStringLiteral("Вы не ответили на этот вопрос"));
        return;
    }
    EndTest(app);
}
