#include "screens/people/CardPage.h"

#include "ground/FolderWrite.h"
#include "screens/document/FrmPassW.h"
#include "ground/TextFile.h"
#include "screens/people/CardDesk.h"
#include "screens/people/DeskPages.h"
#include "screens/taking/EndTest.h"
#include "screens/people/FrmKartochka.h"
#include "screens/people/PeopleList.h"
#include "engines/AutoBackup.h"
#include "engines/Consent.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/Journal.h"
#include "engines/PersonData.h"
#include "engines/PersonFile.h"
#include "ground/App.h"
#include "screens/views/FrmHTML.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"

#include <QFile>
#include <QUrl>
#include <algorithm>
#include <array>
#include <optional>
#include <QFileInfo>

namespace {

// The age with a sign position, computed wide: a damaged year may be any
// 32-bit number.
QString SignedAge(int currentYear, int year)
{
    const qint64 age = static_cast<qint64>(currentYear) - year;
    const QString digits = QString::number(age);
    return age >= 0 ? QLatin1Char(' ') + digits : digits;
}

PersonEntry* CurrentRow(AppState& st)
{
    const qsizetype row = st.people.CurrentPerson;
    return row >= 0 && row < st.people.People.size() ? &st.people.People[row] : nullptr;
}

// Another desk changed or deleted the card meanwhile (and the user has been
// told): the window shows what is on disk now, the card read again or, when
// it is gone, the list with its row marked as our own deletion marks it.
void ShowCardAsOnDisk(App& app, const QString& fileName, CardFileState found)
{
    AppState& st = app.st;
    PersonEntry* row = CurrentRow(st);
    if (found == CardFileState::ChangedElsewhere && OpenKartochka(app, fileName, 1) == CardOpen::Opened) {
        const Kartochka& card = st.CardFields[1];
        if (row) {
            row->NameFamiliya = card.NameFamiliya;
            row->Podrobnee = card.Podrobnee;
            row->Vozrast = textfile::ageText(app.platform.now().date().year(),
                                             card.DataRogdeniyaKnown ? std::optional<int>(card.DataRogdeniya)
                                                                     : std::nullopt);
        }
        ShowKartochka(app);
        return;
    }
    if (row && !textfile::fileExists(st.folders.WorkFolder + fileName)) {
        row->NameFamiliya = QStringLiteral("Файл удален.");
        row->Podrobnee = 0;
    }
    ShowCardOrigin(app);
}

// Whether the open test has a consent text: only then does the card page
// offer what the consent asks for.
bool HasConsentText(const App& app)
{
    return consent::ReadText(app.st.test.TestFilePath).has_value();
}

std::optional<consent::Record> ConsentOf(const App& app, const QString& fileName)
{
    const std::unique_ptr<store::FolderStore> kept = store::Open(app.st.folders.WorkFolder);
    return kept ? consent::Load(*kept, fileName) : std::nullopt;
}

// A folder to offer in a file or folder dialog: the last one used, else the
// user's own.
QString OfferedFolder(const App& app)
{
    const Folders& f = app.st.folders;
    return f.LastFolder.isEmpty() ? f.StartFolder() : f.LastFolder;
}

// The card is gone: its list row says so, as a deletion marks it.
void MarkRowDeleted(AppState& st)
{
    if (PersonEntry* row = CurrentRow(st)) {
        row->NameFamiliya = QStringLiteral("Файл удален.");
        row->Podrobnee = 0;
    }
}

}  // namespace

bool askCardPassword(App& app)
{
    app.st.Dialog = DialogMode::CardPassword;
    ShowPassW(app);
    return app.st.Dialog == DialogMode::Confirmed;
}

QString CardPageHead()
{
    return QStringLiteral(
        "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
        "content='text/html; charset=windows-1251'></head><body topmargin=0  leftmargin=5 rightmargin=5 "
        "link='blue' vlink='blue'><center><font size='5'>");
}

QString CardPageLink(const QString& code, const QString& text)
{
    return QStringLiteral("<a style='text-decoration: none' href='") + Command(code) + QStringLiteral("'>") + text +
           QStringLiteral("</a>");
}

QString CardPageBody(App& app, const Kartochka& card)
{
    const QString r1 = QStringLiteral("<tr><td><b>");
    const QString r2 = QStringLiteral("</b></td><td>");
    const QString r3 = QStringLiteral("</td></tr>");
    static const std::array<QString, 9> labels{
        QStringLiteral("Рост (м):"), QStringLiteral("Вес (кг):"), QStringLiteral("Цвет волос:"),
        QStringLiteral("Глаза:"),    QStringLiteral("Зодиак:"),   QStringLiteral("О себе:"),
        QStringLiteral("Ищу:"),      QStringLiteral("Адрес:"),    QStringLiteral("Фотография:")};

    QString html = QStringLiteral("<br>Личная карточная</font><table>");
    // Shown cut like the lists: a damaged card may hold megabytes in a line.
    html += r1 + QStringLiteral("Имя и фамилия:") + r2 + HtmlText(textfile::shownText(card.NameFamiliya)) + r3;
    html += r1 + QStringLiteral("Возраст:") + r2 +
            (card.DataRogdeniyaKnown ? SignedAge(app.platform.now().date().year(), card.DataRogdeniya) : QString()) +
            r3;
    // With a photograph the picture itself follows the table instead of its path.
    const QString& photo = card.Podrobnosti[8];
    const size_t rows = photo.isEmpty() ? 9 : 8;
    for (size_t i = 0; i < rows; ++i) {
        const QString& value = card.Podrobnosti[i];
        html += r1 + labels[i] + r2 + (value.isEmpty() ? QStringLiteral("?") : HtmlText(textfile::shownText(value, 10000))) + r3;
    }
    html += QStringLiteral("</font></fd></table>");
    if (!photo.isEmpty())
        html += QStringLiteral("<img border='0' src='") + HtmlText(photo) + QStringLiteral("'>");
    html += kCardPageTail;
    return html;
}

void ShowKartochka(App& app)
{
    AppState& st = app.st;
    st.list.Mode = HtmlWindowMode::CardPage;
    const QString n = QStringLiteral("&nbsp;&nbsp;&nbsp;");
    st.list.ListHtml = CardPageHead() + CardPageLink(QStringLiteral("i"), QStringLiteral("Изменить")) + n +
                  CardPageLink(QStringLiteral("d"), QStringLiteral("Удалить")) + n +
                  CardPageLink(QStringLiteral("n"), QStringLiteral("Вернуться к списку")) + n +
                  CardPageLink(QStringLiteral("p"), QStringLiteral("Поиск пары"));
    if (HasConsentText(app)) {
        st.list.ListHtml += QStringLiteral("<br>");
        if (ConsentOf(app, st.CardFields[1].FileName))
            st.list.ListHtml += CardPageLink(QStringLiteral("f"), QStringLiteral("Согласие (PDF)")) + n;
        st.list.ListHtml += CardPageLink(QStringLiteral("e"), QStringLiteral("Выгрузить данные")) + n +
                            CardPageLink(QStringLiteral("u"), QStringLiteral("Удалить навсегда")) + n +
                            CardPageLink(QStringLiteral("o"), QStringLiteral("Отзыв согласия"));
    }
    QString body = CardPageBody(app, st.CardFields[1]);
    // The operator's desk follows the card, only in a folder that uses it.
    const QString section = CardDeskSection(app);
    if (!section.isEmpty())
        body.insert(body.size() - kCardPageTail.size(), section);
    st.list.ListHtml += body;
    LoadHtml(app.frmHTML.usrWebHtml1, st.list.ListHtml);
    app.frmHTML.usrWebHtml1.files = {st.CardFields[1].Podrobnosti[8]};
}

void ChangeKartochka(App& app)
{
    AppState& st = app.st;
    if (!askCardPassword(app))
        return;
    // The card dialog edits slot 1 and renames the list row itself.
    const Kartochka before = st.CardFields[1];
    const bool hasRow = st.people.CurrentPerson >= 0 && st.people.CurrentPerson < st.people.People.size();
    const PersonEntry rowBefore = hasRow ? st.people.People[st.people.CurrentPerson] : PersonEntry{};
    st.Dialog = DialogMode::ListCard;
    app.platform.showModal(WindowId::Kartochka);
    if (st.Dialog != DialogMode::Confirmed)
        return;
    CardFileState found = CardFileState::AsRead;
    if (!SaveKartochka(app, st.CardFields[1].FileName, 1, &found)) {
        // The save has said why; the page and the list row show what is on
        // disk, not the change that was not written.
        st.CardFields[1] = before;
        if (hasRow)
            st.people.People[st.people.CurrentPerson] = rowBefore;
        if (found != CardFileState::AsRead) {
            ShowCardAsOnDisk(app, before.FileName, found);
            return;
        }
    } else if (st.CardFields[1].Accepts != app.frmKartochka.acceptsShown) {
        (void)KeepAccepts(app, st.CardFields[1]);
    }
    ShowKartochka(app);
}

void DeleteKartochka(App& app)
{
    AppState& st = app.st;
    if (!askCardPassword(app))
        return;
    const QString path = st.folders.WorkFolder + st.CardFields[1].FileName;
    // Removing a link would leave the card it points to; a folder or a FIFO is
    // no card. Only a plain file is a card that can go.
    if (textfile::holdsOtherThanPlainFile(path)) {
        ShowError(app, QStringLiteral("Файл ") + textfile::readableName(path) + QStringLiteral(" удалить не получилось."));
        return;
    }
    // A file or folder marked read-only keeps its cards, even for a user who
    // could override the mark.
    const std::optional<QByteArray> read = st.CardFields[1].OnDisk;
    const QString fileName = st.CardFields[1].FileName;
    if (!textfile::markedReadOnly(path)) {
        if (!read) {
            textfile::removeFile(path);
        } else {
            // Only the card this desk shows goes: not one that another desk
            // has changed since (nor is a deletion reported for one gone).
            const textfile::GuardedResult removed = textfile::removeIfUnchanged(st.folders.WorkFolder, fileName, *read);
            if (removed == textfile::GuardedResult::Changed || removed == textfile::GuardedResult::Gone) {
                const bool changed = removed == textfile::GuardedResult::Changed;
                ShowError(app, changed ? kCardChangedElsewhere : kCardDeletedElsewhere);
                ShowCardAsOnDisk(app, fileName, changed ? CardFileState::ChangedElsewhere : CardFileState::DeletedElsewhere);
                return;
            }
        }
    }
    app.platform.processEvents();
    // Whatever the removal reported, the file's presence decides.
    if (textfile::fileExists(path)) {
        ShowError(app, QStringLiteral("Файл ") + textfile::readableName(path) + QStringLiteral(" удалить не получилось."));
        return;
    }
    if (!journal::Append(st.folders.WorkFolder,
                         {journal::Make(app.platform.now(), journal::kCardDeleted, fileName, read, std::nullopt)}))
        ShowError(app, journal::kNotRecorded);
    ShowNotice(app, QStringLiteral("Файл удален."));
    MarkRowDeleted(st);
    ShowCardOrigin(app);
}

void ConsentFormKartochka(App& app)
{
    AppState& st = app.st;
    const Kartochka& card = st.CardFields[1];
    const std::unique_ptr<store::FolderStore> kept = store::Open(st.folders.WorkFolder);
    bool failed = false;
    const std::optional<consent::Record> record = kept ? consent::Load(*kept, card.FileName, &failed) : std::nullopt;
    if (!record) {
        ShowError(app, failed ? QStringLiteral("Запись о согласии прочитать не возможно.")
                              : QStringLiteral("Согласие этого человека не записано."));
        return;
    }
    // The form carries the very text the person agreed to, never today's.
    const std::optional<QByteArray> text = consent::TextShown(*kept, record->textSha256);
    if (!text) {
        ShowError(app, QStringLiteral("Текст согласия, который видел этот человек, не найден."));
        return;
    }
    SavePdf(app, QFileInfo(card.FileName).completeBaseName() + QStringLiteral(" согласие.pdf"),
            persondata::ConsentFormHtml(card, *record, *text));
}

void SavePdf(App& app, const QString& suggestedName, const QString& html)
{
    QString path = app.platform.fileDialog(true, suggestedName,
                                           {FileFilter{QStringLiteral("PDF (*.pdf)"), QStringLiteral("*.pdf")}},
                                           OfferedFolder(app));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    app.st.folders.LastFolder = FolderPart(app, path);
    if (!app.platform.writePdf(html, path)) {
        ShowError(app, FileMessage(app, path, QStringLiteral("сохранить не возможно.")));
        return;
    }
    app.platform.openExternalUrl(QUrl::fromLocalFile(path).toString());
}

void ExportKartochka(App& app)
{
    AppState& st = app.st;
    if (!askCardPassword(app))
        return;
    const QString folder =
        app.platform.folderDialog(QStringLiteral("Папка для данных человека"), OfferedFolder(app));
    if (folder.isEmpty())
        return;
    persondata::Bundle bundle;
    QString error;
    QStringList written;
    if (!persondata::Gather(st.folders.WorkFolder, st.CardFields[1].FileName, &st.test, bundle, error) ||
        !persondata::Export(app.platform, bundle, folder, written, error)) {
        ShowError(app, error);
        return;
    }
    st.folders.LastFolder = folder.endsWith(st.folders.PathSep) ? folder : folder + st.folders.PathSep;
    ShowNotice(app, QStringLiteral("Данные выгружены в файлы:\n") + written.join(QLatin1Char('\n')));
}

void EraseKartochka(App& app, bool withdrawal)
{
    AppState& st = app.st;
    if (!askCardPassword(app))
        return;
    const QString title = withdrawal ? QStringLiteral("Отзыв согласия") : QStringLiteral("Удалить навсегда");
    const std::optional<QString> reason = app.platform.textDialog(
        title, QStringLiteral("Причина уничтожения данных (войдёт в акт):"),
        withdrawal ? QStringLiteral("Отзыв согласия") : QString());
    if (!reason)
        return;
    if (reason->trimmed().isEmpty()) {
        ShowError(app, QStringLiteral("Без причины данные не уничтожаются: акт называет причину."));
        return;
    }
    const Kartochka& card = st.CardFields[1];
    erasure::Request request;
    request.folder = st.folders.WorkFolder;
    request.personFile = card.FileName;
    request.expected = card.OnDisk;
    request.reason = reason->trimmed();
    request.withdrawal = withdrawal;
    QStringList others;
    if (erasure::PhotoOf(request.folder, card.FileName, card.Podrobnosti[8], &others) == erasure::Photo::Shared) {
        request.removeSharedPhoto =
            app.platform.messageBox(QStringLiteral("Фотографию ") + textfile::readableName(card.Podrobnosti[8]) +
                                        QStringLiteral(" называют и другие карточки: ") +
                                        others.join(QStringLiteral(", ")) + QStringLiteral(". Удалить её тоже?"),
                                    kAppTitle, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No) == MsgAnswer::Yes;
    }
    if (!st.folders.NowhereToWrite) {
        const autobackup::Settings settings =
            autobackup::ReadSettings(st.folders.WritableFolder() + autobackup::kSettingsFileName);
        request.backups = autobackup::ArchivesHolding(request.folder,
                                                      autobackup::TestCopiesName(st.test.TestName, st.test.TestFilePath),
                                                      card.FileName, settings,
                                                      app.platform.userDataFolder());
    }
    const QString fileName = card.FileName;
    const erasure::Outcome outcome = erasure::Erase(app.platform, request);
    switch (outcome.status) {
    case erasure::Status::Done:
        break;
    case erasure::Status::ChangedElsewhere:
    case erasure::Status::Gone: {
        ShowError(app, outcome.message);
        ShowCardAsOnDisk(app, fileName,
                         outcome.status == erasure::Status::Gone ? CardFileState::DeletedElsewhere
                                                                 : CardFileState::ChangedElsewhere);
        return;
    }
    case erasure::Status::Failed:
        ShowError(app, outcome.message);
        return;
    }
    QString message = QStringLiteral("Данные уничтожены. Акт № ") + outcome.act.number + QStringLiteral(":");
    for (const QString& file : {outcome.actText, outcome.actPdf})
        if (!file.isEmpty())
            message += QStringLiteral("\n") + file;
    // What did not go as it should (no PDF, no journal record) is in the act and said here.
    if (!outcome.message.isEmpty())
        message += QStringLiteral("\n\n") + outcome.message;
    ShowNotice(app, message);
    MarkRowDeleted(st);
    ShowCardOrigin(app);
}

void ShowCardOrigin(App& app)
{
    if (app.st.people.CardFromReminders)
        ShowReminders(app, app.st.folders.WorkFolder);
    else
        ShowStranicy(app);
}
