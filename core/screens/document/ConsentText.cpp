#include "screens/document/ConsentText.h"

#include "engines/Consent.h"
#include "engines/TestFile.h"
#include "ground/App.h"
#include "screens/document/FrmPassW.h"

namespace {
void closeDialog(FrmSoglasieText& w)
{
    w.visible = false;
    w.closeRequested = true;
}

QString TextFileMessage(App& app, const QString& ending)
{
    return FileMessage(app, consent::TextPath(app.st.test.TestFilePath), ending);
}
}  // namespace

void KartotekaSoglasie_Click(App& app)
{
    AppState& st = app.st;
    if (st.test.TestFilePath.isEmpty()) {
        ShowNotice(app, QStringLiteral("Текст согласия хранится рядом с тестом: сначала сохраните тест."));
        return;
    }
    // The agency's text is the author's, not the test takers'.
    if (st.main.Phase != TestPhase::Editor) {
        st.Dialog = DialogMode::ConsentText;
        ShowPassW(app);
        if (st.Dialog != DialogMode::Confirmed)
            return;
    }
    bool failed = false;
    const std::optional<QByteArray> text = consent::ReadText(st.test.TestFilePath, &failed);
    if (failed) {
        ShowError(app, TextFileMessage(app, QStringLiteral("открыть не возможно")));
        return;
    }
    FrmSoglasieText& w = app.frmSoglasieText;
    w.txtText.text = text ? QString::fromUtf8(*text) : QString();
    w.txtText.selStart = 0;
    w.txtText.selLength = 0;
    w.focus = w.txtText.name;
    w.closeRequested = false;
    w.visible = true;
    st.Dialog = DialogMode::ConsentText;
    app.platform.showModal(WindowId::SoglasieText);
    w.visible = false;
    if (st.Dialog != DialogMode::Confirmed)
        return;
    if (!consent::WriteText(st.test.TestFilePath, w.txtText.text.trimmed().isEmpty() ? QString() : w.txtText.text))
        ShowError(app, TextFileMessage(app, QStringLiteral("сохранить не возможно.")));
}

void AfterTestSaved(App& app)
{
    ConsentState& c = app.st.consent;
    const QString& path = app.st.test.TestFilePath;
    if (!c.DefaultForNewTest || path.isEmpty() || TestModified(app))
        return;
    c.DefaultForNewTest = false;
    c.Offered.append(path);
    // A text already there (the author saved over another test) is theirs.
    bool failed = false;
    if (consent::ReadText(path, &failed) || failed)
        return;
    if (!consent::WriteText(path, consent::DefaultText()))
        ShowError(app, TextFileMessage(app, QStringLiteral("сохранить не возможно.")));
}

void OfferDefaultConsent(App& app)
{
    ConsentState& c = app.st.consent;
    const QString& path = app.st.test.TestFilePath;
    if (path.isEmpty() || c.Offered.contains(path))
        return;
    c.Offered.append(path);
    bool failed = false;
    if (consent::ReadText(path, &failed) || failed)
        return;
    const MsgAnswer answer = app.platform.messageBox(
        QStringLiteral("У теста нет текста согласия на обработку персональных данных, и результаты сохраняются "
                       "без согласия. Добавить текст согласия по умолчанию? Его можно изменить в меню "
                       "«Картотека» > «Текст согласия…»."),
        kAppTitle, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No);
    if (answer == MsgAnswer::Yes && !consent::WriteText(path, consent::DefaultText()))
        ShowError(app, TextFileMessage(app, QStringLiteral("сохранить не возможно.")));
}

void frmSoglasieText_OK_Click(App& app)
{
    app.st.Dialog = DialogMode::Confirmed;
    closeDialog(app.frmSoglasieText);
}

void frmSoglasieText_NO_Click(App& app)
{
    closeDialog(app.frmSoglasieText);
}

bool frmSoglasieText_Event(App& app, const UiEvent& event)
{
    const FrmSoglasieText& w = app.frmSoglasieText;
    if (event.type == UiEvent::Click) {
        if (event.control == w.OK.name)
            frmSoglasieText_OK_Click(app);
        else if (event.control == w.NO.name)
            frmSoglasieText_NO_Click(app);
    }
    return true;
}
