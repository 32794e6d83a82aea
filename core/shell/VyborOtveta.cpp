#include "shell/VyborOtveta.h"

#include "screens/matching/PairPages.h"

#include "screens/document/FileCommands.h"
#include "screens/people/FrmFound.h"
#include "screens/people/PeopleList.h"
#include "ground/App.h"
#include "screens/taking/EndTest.h"
#include "screens/taking/QuestionPage.h"
#include "screens/taking/TestFlow.h"
#include "screens/views/Firmy.h"
#include "ground/windows/HtmlView.h"
#include "screens/views/Splash.h"

#include <QUrl>

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
    if (st.main.Phase != TestPhase::Attempt || st.main.CurrentQuestion < 1 || st.main.CurrentQuestion > st.test.QuestionCount)
        return;
    int n = 0;
    for (QChar c : code) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        n = n * 10 + (c.unicode() - '0');
    }
    st.test.Questions[st.main.CurrentQuestion].NomerOtveta = n;
    NewHod(app);
}
}

void VyborOtveta(App& app, const QString& link)
{
    if (link.size() > kLongestCommand) {
        OpenExternalLink(app, link);
        return;
    }
    AppState& st = app.st;
    const QString code = link.mid(kCodePosition, 1);
    // A page command acts only from the page that offers it, while the state
    // says that page is up: a made-up link in a question, or a page of an
    // earlier person, commands nothing.
    const bool offered = PageCarries(app.frmForma.usrWeb1, link);
    const bool startPage = offered && st.main.Phase == TestPhase::StartPage;
    const bool splash = offered && st.main.View == ViewMode::ShowZastavka;
    if (code == QLatin1String("s")) {
        if (startPage)
            StartTest(app);
    } else if (code == QLatin1String("r")) {
        if (offered)
            Rezultat(app);
    } else if (code == QLatin1String("f")) {
        if (splash)
            ShowFirmy(app);
    } else if (code == QLatin1String("b")) {
        if (offered && st.main.View == ViewMode::ShowFirmy)
            ShowZastavka(app);
    } else if (code == QLatin1String("m")) {
        if (startPage)
            FileListLudey_Click(app, 0);
    } else if (code == QLatin1String("w")) {
        if (startPage)
            FileListLudey_Click(app, 1);
    } else if (code == QLatin1String("i")) {
        if (startPage)
            FileFoundLudey_Click(app);
    } else if (code == QLatin1String("n")) {
        if (splash)
            FileNew_Click(app);
    } else if (code == QLatin1String("o")) {
        if (splash)
            OpenFile(app);
    } else if (code == QLatin1String("p")) {
        // Only the end page of the attempt just saved: its person is in slot 0.
        if (offered && st.main.Phase == TestPhase::Finished && st.main.View == ViewMode::EndTest)
            PoiskParyEndTest(app);
    } else {
        RecordAnswer(app, code);
    }
}

void MainViewLink(App& app, int page, const QString& link)
{
    if (IsShownPage(app.frmForma.usrWeb1, page))
        VyborOtveta(app, link);
}

void OpenExternalLink(App& app, const QString& link)
{
    // Only addresses a desktop browser or mail program opens; a file: link or
    // a custom scheme could start any program registered for it.
    const QUrl url(link, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
                           scheme != QLatin1String("mailto")))
        return;
    if (scheme != QLatin1String("mailto") && url.host().isEmpty())
        return;
    app.platform.openExternalUrl(link);
}

void Rezultat(App& app)
{
    AppState& st = app.st;
    // A result is saved once per attempt: a second click that reaches us after
    // the end page is up must not write the same person twice.
    if (st.main.Phase != TestPhase::Attempt)
        return;
    for (int i = 1; i <= st.test.QuestionCount; ++i) {
        if (st.test.Questions[i].NomerOtveta >= 0)
            continue;
        if (i != st.main.CurrentQuestion) {
            st.main.CurrentQuestion = i;
            Wopros(app);
        }
        ShowNotice(app, QStringLiteral("Вы не ответили на этот вопрос"));
        return;
    }
    EndTest(app);
}
