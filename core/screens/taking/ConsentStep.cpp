#include "screens/taking/ConsentStep.h"

#include "engines/Consent.h"
#include "ground/App.h"
#include "screens/taking/TestFlow.h"

namespace {
const QString kNoConsent = QStringLiteral(
    "Без согласия на обработку и хранение персональных данных результат не сохраняется. "
    "Тестирование прекращено.");

void closeDialog(FrmSoglasie& w)
{
    w.visible = false;
    w.closeRequested = true;
}
}  // namespace

bool AskConsent(App& app)
{
    ConsentState& c = app.st.consent;
    c.Given = false;
    c.Photo = false;
    c.Time = {};
    c.Text.clear();
    bool failed = false;
    const std::optional<QByteArray> text = consent::ReadText(app.st.test.TestFilePath, &failed);
    if (failed) {
        // The text is there but cannot be shown: nobody can consent to it.
        ShowError(app, FileMessage(app, consent::TextPath(app.st.test.TestFilePath),
                                   QStringLiteral("открыть не возможно")));
        return false;
    }
    if (!text)
        return true;
    FrmSoglasie& w = app.frmSoglasie;
    w.txtSoglasie.text = consent::Fragment(*text);
    frmSoglasie_Load(app);
    app.platform.showModal(WindowId::Soglasie);
    w.visible = false;
    if (!w.given) {
        ShowNotice(app, kNoConsent);
        ReStart(app, 0);
        return false;
    }
    c.Given = true;
    c.Photo = w.photo;
    c.Time = app.platform.now();
    c.Text = *text;
    return true;
}

void frmSoglasie_Load(App& app)
{
    FrmSoglasie& w = app.frmSoglasie;
    w.chDannye.checked = false;
    w.chFoto.checked = false;
    w.given = false;
    w.photo = false;
    w.defaultButton = w.kDalee.name;
    w.cancelButton = w.kOtkaz.name;
    w.focus = w.chDannye.name;
    w.closeRequested = false;
    w.visible = true;
}

void frmSoglasie_kDalee_Click(App& app)
{
    FrmSoglasie& w = app.frmSoglasie;
    w.given = w.chDannye.checked;
    // The photo goes with the data: without the card there is nothing to keep it in.
    w.photo = w.given && w.chFoto.checked;
    closeDialog(w);
}

void frmSoglasie_kOtkaz_Click(App& app)
{
    FrmSoglasie& w = app.frmSoglasie;
    w.given = false;
    w.photo = false;
    closeDialog(w);
}

bool frmSoglasie_Event(App& app, const UiEvent& event)
{
    const FrmSoglasie& w = app.frmSoglasie;
    if (event.type != UiEvent::Click)
        return true;
    if (event.control == w.kDalee.name)
        frmSoglasie_kDalee_Click(app);
    else if (event.control == w.kOtkaz.name)
        frmSoglasie_kOtkaz_Click(app);
    return true;
}
