#include "screens/records/Retention.h"

#include "engines/AutoBackup.h"
#include "engines/Erasure.h"
#include "engines/FolderStore.h"
#include "engines/PersonData.h"
#include "engines/PersonFile.h"
#include "engines/Retention.h"
#include "ground/App.h"
#include "ground/HtmlEscape.h"
#include "ground/windows/HtmlView.h"
#include "screens/document/FrmPassW.h"
#include "screens/records/Records.h"
#include "screens/views/FrmHTML.h"

#include <QDir>

#include <algorithm>

namespace {

const QString kDefaultReason = QStringLiteral("Истёк срок хранения");

// "1 год", "3 года", "5 лет", "21 год".
QString YearsText(int years)
{
    const int tens = years % 100;
    const int ones = years % 10;
    const QString word = tens >= 11 && tens <= 14 ? QStringLiteral("лет")
                         : ones == 1              ? QStringLiteral("год")
                         : ones >= 2 && ones <= 4 ? QStringLiteral("года")
                                                  : QStringLiteral("лет");
    return QString::number(years) + QLatin1Char(' ') + word;
}

QString Link(const QString& code, const QString& text)
{
    return QStringLiteral("<a style='text-decoration: none' href='") + Command(code) + QStringLiteral("'>") + text +
           QStringLiteral("</a>");
}

void ShowPage(App& app)
{
    app.st.list.ListHtml = RetentionPage(app.st.retention);
    LoadHtml(app.frmHTML.usrWebHtml1, app.st.list.ListHtml);
}

// Act numbers "2026-0001" … "2026-0004", or the one.
QString ActRange(const QStringList& numbers)
{
    if (numbers.size() == 1)
        return QStringLiteral("Акт № ") + numbers.front();
    return QStringLiteral("Акты № ") + numbers.front() + QStringLiteral(" – ") + numbers.back();
}

}  // namespace

void KartotekaSrok_Click(App& app)
{
    const QString folder = OpenTestFolder(app, QStringLiteral("Срок хранения задаётся для папки открытого теста."));
    if (folder.isEmpty())
        return;
    const auto store = store::Open(folder);
    const std::optional<retention::Setting> read = store ? retention::ReadSetting(*store) : std::nullopt;
    if (!read) {
        ShowError(app, QStringLiteral("Настройки папки ") + QDir::toNativeSeparators(folder) +
                           QStringLiteral(" прочитать не возможно."));
        return;
    }
    const std::optional<int> years =
        app.platform.numberDialog(QStringLiteral("Срок хранения анкет"), QStringLiteral("Хранить анкеты (лет, 0 — без срока):"),
                                  read->years, 0, retention::kMaxYears);
    if (!years || *years == read->years)
        return;
    switch (retention::WriteSetting(*store, *years, *read)) {
    case store::Result::Ok:
        break;
    case store::Result::Changed: {
        const auto now = retention::ReadSetting(*store);
        ShowError(app, QStringLiteral("Срок хранения только что изменили на другом рабочем месте") +
                           (now ? QStringLiteral(" (теперь: ") +
                                      (now->years > 0 ? YearsText(now->years) : QStringLiteral("без срока")) +
                                      QLatin1Char(')')
                                : QString()) +
                           QStringLiteral(". Ваше изменение не сохранено; откройте настройку снова."));
        break;
    }
    case store::Result::WriteProtected:
    case store::Result::Failed:
        ShowError(app, QStringLiteral("Срок хранения сохранить не возможно: служебная папка картотеки недоступна для записи."));
        break;
    }
}

void KartotekaIstek_Click(App& app)
{
    const QString folder = OpenTestFolder(app, QStringLiteral("Срок хранения проверяется в папке открытого теста."));
    if (folder.isEmpty())
        return;
    app.st.retention = RetentionState{};
    app.st.retention.Folder = folder;
    app.st.list.Mode = HtmlWindowMode::Retention;
    app.st.list.ListHtml = QStringLiteral(
        "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'></head>"
        "<body><center><font size='5'>Идёт поиск анкет…</font></center></body></html>");
    ShowHtmlWindow(app);
}

void RetentionLoad(App& app)
{
    RetentionState& state = app.st.retention;
    LoadHtml(app.frmHTML.usrWebHtml1, app.st.list.ListHtml);
    app.platform.processEvents();
    const auto store = store::Open(state.Folder);
    const std::optional<retention::Setting> setting = store ? retention::ReadSetting(*store) : std::nullopt;
    state.Years = setting ? setting->years : 0;
    state.Rows = retention::ExpiredCards(state.Folder, state.Years, app.platform.now().date(),
                                         [&app] { app.platform.keepPainting(); });
    state.Marked = QList<bool>(state.Rows.size(), false);
    state.Page = 0;
    ShowPage(app);
}

QString RetentionPage(const RetentionState& state)
{
    QString page = QStringLiteral(
        "<html><style type='text/css'>a:hover{color:red}</style><head><meta http-equiv='Content-Type' "
        "content='text/html; charset=windows-1251'></head><body leftmargin=5 rightmargin=5 link='blue' vlink='blue'>"
        "<center><font size='5'>Истёк срок хранения</font></center><br>");
    if (state.Years <= 0)
        return page + QStringLiteral("<p>Срок хранения анкет для этой папки не задан: анкеты хранятся без "
                                     "ограничения. Задать его: «Картотека» → «Срок хранения анкет…».</p></body></html>");
    page += QStringLiteral("<p>Анкеты хранятся ") + YearsText(state.Years) + QStringLiteral(". ");
    if (state.Rows.isEmpty())
        return page + QStringLiteral("Анкет старше этого срока нет.</p></body></html>");
    const qsizetype marked = std::count(state.Marked.begin(), state.Marked.end(), true);
    page += QStringLiteral("Срок истёк у анкет: ") + QString::number(state.Rows.size()) +
            QStringLiteral(", отмечено: ") + QString::number(marked) + QStringLiteral(".</p><p>") +
            Link(QStringLiteral("a"), QStringLiteral("Отметить все")) + QStringLiteral("&nbsp;&nbsp;&nbsp;") +
            Link(QStringLiteral("u"), QStringLiteral("Снять все отметки")) + QStringLiteral("&nbsp;&nbsp;&nbsp;") +
            Link(QStringLiteral("d"), QStringLiteral("Удалить отмеченные")) +
            QStringLiteral("</p><table border=1 cellspacing=0 cellpadding=3><tr><th>№</th><th>Отметка</th>"
                           "<th>Имя и фамилия</th><th>Год рождения</th><th>Дата результата</th></tr>");
    const int pages = static_cast<int>((state.Rows.size() + kRetentionRowsPerPage - 1) / kRetentionRowsPerPage);
    const int shown = std::clamp(state.Page, 0, pages - 1);
    const qsizetype first = qsizetype(shown) * kRetentionRowsPerPage;
    const qsizetype last = std::min<qsizetype>(state.Rows.size(), first + kRetentionRowsPerPage);
    for (qsizetype i = first; i < last; ++i) {
        const RetentionRow& row = state.Rows[i];
        const bool on = i < state.Marked.size() && state.Marked[i];
        page += QStringLiteral("<tr><td align='right'>") + QString::number(i + 1) + QStringLiteral("</td><td>") +
                Link(QStringLiteral("m") + QString::number(i), on ? QStringLiteral("☑ снять") : QStringLiteral("☐ отметить")) +
                QStringLiteral("</td><td>") + HtmlText(row.NameFamiliya) + QStringLiteral("</td><td>") +
                (row.YearKnown ? QString::number(row.DataRogdeniya) : QStringLiteral("?")) +
                QStringLiteral("</td><td>") + row.Time.date().toString(QStringLiteral("dd.MM.yyyy")) +
                QStringLiteral("</td></tr>");
    }
    page += QStringLiteral("</table>");
    if (pages > 1) {
        page += QStringLiteral("<p>");
        for (int q = 1; q <= pages; ++q)
            page += (q == shown + 1 ? QString::number(q) : Link(QStringLiteral("c") + QString::number(q), QString::number(q))) +
                    QStringLiteral(" &nbsp;&nbsp;");
        page += QStringLiteral("</p>");
    }
    return page + QStringLiteral("</body></html>");
}

void VyborSroka(App& app, const QString& code, int number)
{
    RetentionState& state = app.st.retention;
    if (code == QLatin1String("m")) {
        if (number < 0 || number >= state.Marked.size())
            return;
        state.Marked[number] = !state.Marked[number];
    } else if (code == QLatin1String("a") || code == QLatin1String("u")) {
        state.Marked.fill(code == QLatin1String("a"));
    } else if (code == QLatin1String("c")) {
        const int pages = static_cast<int>((state.Rows.size() + kRetentionRowsPerPage - 1) / kRetentionRowsPerPage);
        if (number < 1 || number > pages)
            return;
        state.Page = number - 1;
    } else if (code == QLatin1String("d")) {
        EraseMarked(app);
        return;
    } else {
        return;
    }
    ShowPage(app);
}

void EraseMarked(App& app)
{
    RetentionState& state = app.st.retention;
    QList<qsizetype> chosen;
    for (qsizetype i = 0; i < state.Marked.size() && i < state.Rows.size(); ++i) {
        if (state.Marked[i])
            chosen.append(i);
    }
    if (chosen.isEmpty()) {
        ShowNotice(app, QStringLiteral("Не отмечено ни одной анкеты."));
        return;
    }
    const QString& password = app.st.test.TestPassword;
    if (!password.isEmpty()) {
        app.st.Dialog = DialogMode::ErasePassword;
        ShowPassW(app);
        if (app.st.Dialog != DialogMode::Confirmed)
            return;
    }
    const std::optional<QString> reason = app.platform.textDialog(
        QStringLiteral("Удаление анкет"), QStringLiteral("Причина уничтожения данных (войдёт в акты):"), kDefaultReason);
    if (!reason || reason->trimmed().isEmpty())
        return;

    // Which automatic copies still hold each of them, every copy read once.
    QStringList files;
    for (qsizetype i : std::as_const(chosen))
        files.append(state.Rows[i].FileName);
    const Folders& folders = app.st.folders;
    const autobackup::Settings copies = folders.NowhereToWrite
                                            ? autobackup::Settings{}
                                            : autobackup::ReadSettings(folders.WritableFolder() + autobackup::kSettingsFileName);
    const QHash<QString, QList<autobackup::Held>> held = autobackup::ArchivesHoldingEach(
        state.Folder, TestFileName(app), files, copies, app.platform.userDataFolder());

    QStringList acts;
    QStringList skipped;
    QStringList failures;
    QStringList notes;
    QList<qsizetype> erased;
    QList<qsizetype> gone;  // deleted at another desk meanwhile
    bool cancelled = false;
    Platform& platform = app.platform;
    erasure::Batch batch(state.Folder);
    platform.beginProgress(QStringLiteral("Удаление анкет"), QStringLiteral("Удаляются анкеты с истёкшим сроком хранения"));
    for (qsizetype k = 0; k < chosen.size(); ++k) {
        // Only between two cards: each erasure is whole or not begun.
        if (!platform.stepProgress(k, chosen.size())) {
            cancelled = true;
            break;
        }
        const RetentionRow& row = state.Rows[chosen[k]];
        const QString shown = row.NameFamiliya + QStringLiteral(" (") + row.FileName + QLatin1Char(')');
        Kartochka card;
        QByteArray bytes;
        const persondata::CardRead read = persondata::ReadCard(state.Folder + row.FileName, card, &bytes);
        if (read == persondata::CardRead::NotFound) {
            gone.append(chosen[k]);
            failures.append(shown + QStringLiteral(": ") + kCardDeletedElsewhere);
            continue;
        }
        if (read != persondata::CardRead::Ok) {
            failures.append(shown + QStringLiteral(": ") + persondata::CardReadMessage(read));
            continue;
        }
        if (card.Parol != password) {
            skipped.append(shown);
            continue;
        }
        erasure::Request request;
        request.folder = state.Folder;
        request.personFile = row.FileName;
        request.expected = bytes;
        request.reason = *reason;
        request.backups = held.value(row.FileName);
        const erasure::Outcome outcome = erasure::Erase(platform, request, &batch);
        if (outcome.status != erasure::Status::Done) {
            if (outcome.status == erasure::Status::Gone)
                gone.append(chosen[k]);
            failures.append(shown + QStringLiteral(": ") + outcome.message);
            continue;
        }
        erased.append(chosen[k]);
        acts.append(outcome.act.number);
        if (!outcome.message.isEmpty())
            notes.append(QStringLiteral("Акт № ") + outcome.act.number + QStringLiteral(": ") + outcome.message);
    }
    if (!cancelled)
        platform.stepProgress(chosen.size(), chosen.size());
    platform.endProgress();

    // The erased and the gone leave the page; the rest keep their marks.
    QList<qsizetype> leaving = erased + gone;
    std::sort(leaving.begin(), leaving.end());
    for (auto it = leaving.crbegin(); it != leaving.crend(); ++it) {
        state.Rows.removeAt(*it);
        state.Marked.removeAt(*it);
    }
    ShowPage(app);

    QStringList text{QStringLiteral("Удалено анкет: ") + QString::number(erased.size()) + QStringLiteral(" из ") +
                     QString::number(chosen.size()) + QLatin1Char('.')};
    if (!acts.isEmpty())
        text.append(ActRange(acts) + QStringLiteral(" — в папке «") + erasure::kActsFolder + QStringLiteral("»."));
    if (cancelled)
        text.append(QStringLiteral("Удаление остановлено: остальные отмеченные анкеты не тронуты."));
    if (!skipped.isEmpty())
        text.append(QStringLiteral("Не удалены, у анкеты другой пароль, чем у теста: ") +
                    skipped.join(QStringLiteral(", ")) + QLatin1Char('.'));
    if (!failures.isEmpty())
        text.append(QStringLiteral("Не удалены:\n") + failures.join(QLatin1Char('\n')));
    text.append(notes);
    if (failures.isEmpty() && notes.isEmpty())
        ShowNotice(app, text.join(QLatin1Char('\n')));
    else
        ShowError(app, text.join(QLatin1Char('\n')));
}
