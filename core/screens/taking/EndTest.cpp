#include "screens/taking/EndTest.h"

#include "engines/Consent.h"
#include "engines/Desk.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "ground/FolderWrite.h"
#include "ground/windows/HtmlView.h"

namespace {
const QString kEndPageHead = QStringLiteral(
    "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
    "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
    "link='blue' vlink='blue'><center><font size='5'>");

// Keeps the person's consent with the result just saved as `card`. A result
// is never kept without its consent: when the record cannot be written, the
// person file goes again (while it holds what was written) and false is
// returned, the user told.
bool KeepConsent(App& app, const Kartochka& card)
{
    const ConsentState& c = app.st.consent;
    const QString& folder = app.st.folders.WorkFolder;
    consent::Record record;
    record.data = c.Given;
    record.photo = c.Photo;
    record.time = c.Time;
    record.textSha256 = journal::Sha256Hex(c.Text);
    const std::unique_ptr<store::FolderStore> kept = store::Open(folder);
    if (kept && consent::Save(*kept, card.FileName, record, c.Text) == store::Result::Ok)
        return true;
    const textfile::GuardedResult removed = card.OnDisk
                                                ? textfile::removeIfUnchanged(folder, card.FileName, *card.OnDisk)
                                                : textfile::GuardedResult::Failed;
    if (removed == textfile::GuardedResult::Ok)
        journal::Append(folder, {journal::Make(app.platform.now(), journal::kCardDeleted, card.FileName,
                                               card.OnDisk, std::nullopt)});
    QString message = QStringLiteral("Согласие человека сохранить не возможно, поэтому результат тестирования не сохранён.");
    if (removed != textfile::GuardedResult::Ok && removed != textfile::GuardedResult::Gone)
        message += QStringLiteral(" ") + FileMessage(app, folder + card.FileName, QStringLiteral("удалить не получилось."));
    ShowError(app, message);
    return false;
}
}  // namespace


bool KeepAccepts(App& app, const Kartochka& card)
{
    const std::optional<desk::Seeking> seeking =
        card.Accepts.isEmpty() ? std::optional<desk::Seeking>(desk::Seeking{}) : desk::DecodeSeeking(card.Accepts);
    const std::unique_ptr<store::FolderStore> kept = store::Open(app.st.folders.WorkFolder);
    if (seeking && kept && desk::WriteSeeking(*kept, card.FileName, *seeking) == store::Result::Ok)
        return true;
    ShowError(app, QStringLiteral("Кого ищет этот человек, сохранить не возможно."));
    return false;
}

void EndTest(App& app)
{
    AppState& st = app.st;
    FrmForma& f = app.frmForma;
    st.main.View = ViewMode::EndTest;
    f.FileKartochka.enabled = false;
    f.Nazad.enabled = false;
    f.kDalee.enabled = false;
    f.kRezultat.enabled = false;
    st.main.Phase = TestPhase::Finished;

    Kartochka& card = st.CardFields[0];
    QString answers;
    for (int q = 1; q <= st.test.QuestionCount; ++q)
        answers += QString::number(st.test.Questions[q].NomerOtveta);
    card.Otvety = answers;

    // Without the consent to keep it, the photograph is not kept.
    if (st.consent.Given && !st.consent.Photo)
        card.Podrobnosti[8].clear();
    bool ok = SaveNewKartochka(app, 0, app.platform.now());
    if (ok && st.consent.Given)
        ok = KeepConsent(app, card);
    // Whom the person accepts follows the saved result; when it cannot be
    // kept the result still stands.
    if (ok && !card.Accepts.isEmpty())
        (void)KeepAccepts(app, card);

    st.main.MainHtml = kEndPageHead;
    if (ok)
        st.main.MainHtml += QStringLiteral("Результаты тестирование сохранены.<br><br>");
    st.main.MainHtml += QStringLiteral("<a style='text-decoration: none' href='") + Command(QStringLiteral("p")) +
                   QStringLiteral("'>Поиск пары</a></font></center></body></html>");
    LoadHtml(f.usrWeb1, st.main.MainHtml);
}
