#include "screens/records/Records.h"

#include "engines/AutoBackup.h"
#include "engines/Backup.h"
#include "engines/FolderStore.h"
#include "ground/App.h"
#include "ground/HtmlEscape.h"
#include "screens/document/FileCommands.h"
#include "screens/views/FrmHTML.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <functional>

namespace {

const QString kArchiveFilter = QStringLiteral("Резервная копия (*.zip)") + QChar(u'\0') + QStringLiteral("*.zip");

QString Shown(const QString& path)
{
    return QStringLiteral("«") + QDir::toNativeSeparators(path) + QStringLiteral("»");
}

// Runs a backup or a restore with the progress window up.
backup::Report WithProgress(App& app, const QString& title, const QString& text,
                            const std::function<backup::Report(const backup::Progress&)>& work)
{
    Platform& platform = app.platform;
    platform.beginProgress(title, text);
    const backup::Report report =
        work([&platform](qint64 done, qint64 total) { return platform.stepProgress(done, total); });
    platform.endProgress();
    return report;
}

// Where a new archive is offered: the last folder of a file dialog, unless
// that is the test's folder (or inside it), then the user's documents, home,
// or the folder above the test's.
QString ArchiveStartFolder(App& app, const QString& testFolder)
{
    const QString& sep = app.st.folders.PathSep;
    QStringList candidates{app.st.folders.LastFolder, app.platform.documentsFolder(), app.platform.homeFolder(),
                           FolderPart(app, testFolder.left(testFolder.size() - sep.size()))};
    for (QString folder : candidates) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir() || autobackup::Inside(folder, testFolder))
            continue;
        if (!folder.endsWith(sep))
            folder += sep;
        return folder;
    }
    return {};
}

QString ChooseArchive(App& app, bool save, const QString& suggestedName, const QString& startFolder)
{
    QList<FileFilter> filters{{QStringLiteral("Резервная копия (*.zip)"), QStringLiteral("*.zip")},
                              {QStringLiteral("All Files (*.*)"), QStringLiteral("*.*")}};
    QString path = app.platform.fileDialog(save, suggestedName, filters, startFolder);
    if (path.isEmpty())
        return {};
    if (save && !path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive))
        path += QStringLiteral(".zip");
    app.st.folders.LastFolder = FolderPart(app, path);
    return path;
}

// What went otherwise than asked without failing, on a line of its own.
QString WithNotice(const backup::Report& report)
{
    return report.notice.isEmpty() ? QString() : QLatin1Char('\n') + report.notice;
}

QString HashCell(const QByteArray& hash)
{
    if (hash.isEmpty())
        return QStringLiteral("<td>—</td>");
    const QString full = QString::fromLatin1(hash);
    constexpr qsizetype kShownHexDigits = 12;
    return QStringLiteral("<td title='") + HtmlText(full) + QStringLiteral("'><tt>") +
           HtmlText(full.left(kShownHexDigits)) + QStringLiteral("…</tt></td>");
}

}  // namespace

// The folder of the test in memory (ending with its separator), or empty
// after telling the user that a test must be open first.
QString OpenTestFolder(App& app, const QString& what)
{
    const QString& path = app.st.test.TestFilePath;
    if (path.isEmpty() || !QFileInfo(FolderPart(app, path)).isDir()) {
        ShowNotice(app, QStringLiteral("Тест не открыт. ") + what);
        return {};
    }
    return FolderPart(app, path);
}

// A name for the test's files outside its folder: its name, else the test
// file's.
QString TestFileName(App& app)
{
    return autobackup::TestCopiesName(app.st.test.TestName, FileNamePart(app, app.st.test.TestFilePath));
}

void KartotekaKopiya_Click(App& app)
{
    const QString folder =
        OpenTestFolder(app, QStringLiteral("Резервная копия делается для папки открытого теста."));
    if (folder.isEmpty())
        return;
    const QString suggested = TestFileName(app) + QLatin1Char(' ') +
                              app.platform.now().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".zip");
    const QString archive = ChooseArchive(app, true, suggested, ArchiveStartFolder(app, folder));
    if (archive.isEmpty())
        return;
    if (autobackup::Inside(archive, folder)) {
        ShowError(app, QStringLiteral("Архив ") + Shown(archive) +
                           QStringLiteral(" лежал бы в папке теста. Сохраните копию в другую папку, лучше на другой диск."));
        return;
    }
    if (QFileInfo::exists(archive) &&
        app.platform.messageBox(QStringLiteral("Файл ") + Shown(archive) + QStringLiteral(" уже есть. Заменить его?"),
                                kAppTitle, MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::No) != MsgAnswer::Yes)
        return;
    const backup::Report report =
        WithProgress(app, QStringLiteral("Резервная копия"), QStringLiteral("Копируется папка ") + Shown(folder),
                     [&](const backup::Progress& progress) { return backup::Backup(folder, archive, progress); });
    switch (report.outcome) {
    case backup::Outcome::Ok:
        ShowNotice(app, QStringLiteral("Резервная копия сохранена: ") + Shown(archive) +
                            QStringLiteral(".\nФайлов в архиве: ") + QString::number(report.files) +
                            QLatin1Char('.') + WithNotice(report));
        break;
    case backup::Outcome::Cancelled:
        break;
    case backup::Outcome::Failed:
        ShowError(app, report.message);
        break;
    }
}

void KartotekaVosstanovit_Click(App& app)
{
    AppState& st = app.st;
    const QString archive = ChooseArchive(app, false, QString(), st.folders.LastFolder);
    if (archive.isEmpty())
        return;
    QString target = app.platform.folderDialog(
        QStringLiteral("Папка для восстановления (пустая или новая)"), st.folders.LastFolder);
    if (target.isEmpty())
        return;
    if (!target.endsWith(st.folders.PathSep))
        target += st.folders.PathSep;
    const backup::Report report = WithProgress(
        app, QStringLiteral("Восстановление из копии"), QStringLiteral("Восстанавливается ") + Shown(archive),
        [&](const backup::Progress& progress) { return backup::Restore(archive, target, progress); });
    if (report.outcome == backup::Outcome::Cancelled)
        return;
    if (report.outcome == backup::Outcome::Failed) {
        ShowError(app, report.message);
        return;
    }
    const QString restored = QStringLiteral("Копия восстановлена в папку ") + Shown(target.chopped(st.folders.PathSep.size())) +
                             QStringLiteral(".\nФайлов: ") + QString::number(report.files) + QLatin1Char('.') +
                             WithNotice(report);
    const QStringList tests = QDir(target).entryList({QStringLiteral("*.tnd")}, QDir::Files, QDir::Name);
    if (tests.isEmpty()) {
        ShowNotice(app, restored);
        return;
    }
    const MsgAnswer open =
        app.platform.messageBox(restored + QStringLiteral("\nОткрыть восстановленный тест?"), kAppTitle,
                                MsgButtons::YesNo, MsgIcon::Question, MsgAnswer::Yes);
    if (open == MsgAnswer::Yes && MayReplaceTest(app))
        OpenTest(app, target + tests.constFirst());
}

QString JournalPage(const QString& folder, const QList<journal::Record>& records)
{
    QString page = QStringLiteral(
                       "<html><head><meta http-equiv='Content-Type' content='text/html; charset=windows-1251'>"
                       "</head><body leftmargin=5 rightmargin=5><center><font size='5'>Журнал папки ") +
                   HtmlText(QDir::toNativeSeparators(folder)) + QStringLiteral("</font></center><br>");
    if (records.isEmpty())
        return page + QStringLiteral("<p>В журнале нет ни одной записи.</p></body></html>");
    page += QStringLiteral("<p>Записей: ") + QString::number(records.size());
    if (records.size() > kMaxJournalRows)
        page += QStringLiteral(", показаны последние ") + QString::number(kMaxJournalRows) +
                QStringLiteral(" (весь журнал: tandemo-cli journal)");
    page += QStringLiteral(". Новые сверху.</p><table border=1 cellspacing=0 cellpadding=3 width='100%' "
                           "style='font-size:90%'>"
                           "<tr><th>Время</th><th>Место</th><th>Пользователь</th><th>Действие</th><th>Файл</th>"
                           "<th>SHA-256 до</th><th>SHA-256 после</th></tr>");
    const qsizetype first = std::max<qsizetype>(0, records.size() - kMaxJournalRows);
    for (qsizetype i = records.size() - 1; i >= first; --i) {
        const journal::Record& r = records[i];
        page += QStringLiteral("<tr><td nowrap>") + HtmlText(r.time.toString(Qt::ISODate)) + QStringLiteral("</td><td>") +
                HtmlText(r.desk) + QStringLiteral("</td><td>") + HtmlText(r.user) + QStringLiteral("</td><td>") +
                HtmlText(r.action) + QStringLiteral("</td><td>") + HtmlText(r.file) + QStringLiteral("</td>") +
                HashCell(r.before) + HashCell(r.after) + QStringLiteral("</tr>");
    }
    return page + QStringLiteral("</table></body></html>");
}

void KartotekaZhurnal_Click(App& app)
{
    const QString folder = OpenTestFolder(app, QStringLiteral("Журнал ведётся для папки открытого теста."));
    if (folder.isEmpty())
        return;
    bool failed = false;
    QList<journal::Record> records;
    if (const auto store = store::Open(folder))
        records = journal::Read(*store, std::nullopt, &failed);
    else
        failed = true;
    if (failed && records.isEmpty()) {
        ShowError(app, QStringLiteral("Журнал папки ") + Shown(folder) + QStringLiteral(" прочитать не возможно."));
        return;
    }
    app.st.list.Mode = HtmlWindowMode::Journal;
    app.st.list.ListHtml = JournalPage(folder, records);
    ShowHtmlWindow(app);
}

void KartotekaAvto_Click(App& app)
{
    Folders& folders = app.st.folders;
    if (folders.NowhereToWrite) {
        ShowError(app, QStringLiteral("Настройки не сохранить: не задана домашняя папка (HOME)."));
        return;
    }
    const QString path = folders.WritableFolder() + autobackup::kSettingsFileName;
    autobackup::Settings settings = autobackup::ReadSettings(path);
    const QString shown =
        settings.folder.isEmpty() ? autobackup::DefaultFolder(app.platform.userDataFolder()) : settings.folder;
    QString chosen = app.platform.folderDialog(QStringLiteral("Папка для автоматических копий"), shown);
    if (chosen.isEmpty())
        return;
    if (!app.st.test.TestFilePath.isEmpty() && autobackup::Inside(chosen, FolderPart(app, app.st.test.TestFilePath))) {
        ShowError(app, QStringLiteral("Папка ") + Shown(chosen) +
                           QStringLiteral(" лежит в папке теста. Копии храните вне её, лучше на другом диске."));
        return;
    }
    const std::optional<int> keep =
        app.platform.numberDialog(QStringLiteral("Автоматические копии"), QStringLiteral("Сколько последних копий хранить:"),
                                  settings.keep, 1, autobackup::kMaxKeep);
    if (!keep)
        return;
    const std::optional<int> days = app.platform.numberDialog(QStringLiteral("Автоматические копии"),
                                                              QStringLiteral("Хранить копии (дней, 0 — без срока):"),
                                                              settings.keepDays, 0, autobackup::kMaxKeepDays);
    if (!days)
        return;
    settings.folder = chosen;
    settings.keep = *keep;
    settings.keepDays = *days;
    if (!autobackup::WriteSettings(path, settings))
        ShowError(app, QStringLiteral("Файл ") + Shown(path) + QStringLiteral(" сохранить не возможно."));
}

void AvtoKopiya(App& app, bool byUser)
{
    AppState& st = app.st;
    if (st.test.TestFilePath.isEmpty())
        return;
    if (!byUser) {
        app.platform.reportOnStandardError(
            QStringLiteral("Автоматическая копия не сделана: программу закрывает рабочий стол."));
        return;
    }
    if (st.folders.NowhereToWrite) {
        app.platform.reportOnStandardError(
            QStringLiteral("Автоматическая копия не сделана: не задана домашняя папка (HOME)."));
        return;
    }
    const QString folder = FolderPart(app, st.test.TestFilePath);
    if (!QFileInfo(folder).isDir())
        return;
    const autobackup::Settings settings =
        autobackup::ReadSettings(st.folders.WritableFolder() + autobackup::kSettingsFileName);
    Platform& platform = app.platform;
    if (settings.folder.isEmpty() && autobackup::DefaultFolder(platform.userDataFolder()).isEmpty()) {
        platform.reportOnStandardError(
            QStringLiteral("Автоматическая копия не сделана: у пользователя нет папки данных (HOME)."));
        return;
    }
    platform.beginProgress(QStringLiteral("Автоматическая копия"), QStringLiteral("Копируется папка ") + Shown(folder));
    const autobackup::Outcome outcome =
        autobackup::Run(folder, TestFileName(app), settings, platform.userDataFolder(), platform.now(),
                        [&platform](qint64 done, qint64 total) { return platform.stepProgress(done, total); });
    platform.endProgress();
    if (outcome.status == autobackup::Status::Failed)
        ShowError(app, outcome.message);
}
