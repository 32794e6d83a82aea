#include "shell/Startup.h"

#include "engines/TestFile.h"
#include "screens/document/FileCommands.h"
#include "ground/FieldText.h"
#include "ground/TextFile.h"
#include "ground/App.h"
#include "screens/records/Records.h"
#include "screens/views/Splash.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>


namespace {
// The settings file is Windows-1251 text, which cannot spell every path a
// desktop holds ("/home/jürgen/Tests/", "/home/Ольга/ə/"). Such a path
// is written as the marker followed by its UTF-8 bytes, each byte outside
// letters, digits and "-._~/:\\" as %XX. The line stays Windows-1251 text (in
// fact ASCII). No path the program writes plainly starts with the marker
// (paths are absolute), and a line is read this way only when it decodes to
// valid UTF-8 that Windows-1251 could not have held; any other line is read
// as before, so settings files written so far keep their meaning.
const QString kUtf8Marker = QStringLiteral("UTF-8:");

// A path with a line break or another control character is no path the
// program can use: a NUL ends it early for the system ("t.tnd\0/../../x"
// opens t.tnd while the menu shows "x"). Such a value is neither written nor
// read; the default takes its place. Control characters are those of
// Unicode (C0, DEL, C1) and the line separators of the one-line field rule.
bool HoldsControl(const QString& path)
{
    const bool control =
        std::any_of(path.begin(), path.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    return control || OneLine(path) != path;
}

QByteArray SettingsLine(const QString& path)
{
    if (HoldsControl(path))
        return {};
    if (textfile::fitsCodePage(path))
        return textfile::encode(path);
    return textfile::encode(kUtf8Marker) + path.toUtf8().toPercentEncoding("/:\\");
}

QString FromSettingsLine(const QString& value)
{
    if (HoldsControl(value))
        return {};
    if (!value.startsWith(kUtf8Marker))
        return value;
    const QByteArray encoded = value.mid(kUtf8Marker.size()).toLatin1();
    for (char c : encoded) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           QByteArrayView("-._~/:\\%").contains(c);
        if (!plain)
            return value;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString path = utf8.decode(QByteArray::fromPercentEncoding(encoded));
    if (utf8.hasError())
        return value;
    if (HoldsControl(path))
        return {};
    return textfile::fitsCodePage(path) ? value : path;
}

// A settings value: the whole line without leading blanks; a value wrapped in
// double quotes loses them. Paths may hold commas, so a line is never split.
QString SettingsValue(textfile::Lines& lines)
{
    QString value = lines.nextText().value_or(QString());
    qsizetype start = 0;
    while (start < value.size() && value[start] == QLatin1Char(' '))
        ++start;
    value = value.mid(start);
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

QString WithSep(QString folder, const QString& sep)
{
    if (!folder.isEmpty() && !folder.endsWith(sep))
        folder += sep;
    return folder;
}

// The help page marks a folder that holds the program's own files.
bool HoldsProgramFiles(const QString& folder)
{
    return QFileInfo(folder + QStringLiteral("Help.htm")).isFile();
}

// A build folder or a copy on a stick keeps everything next to the executable,
// as long as its user may write there. An installed program reads its files
// from the installed data folder (an administrator's bin folder is writable
// but not the program's own) and writes into the user's folders.
void ChooseFolders(App& app)
{
    AppState& st = app.st;
    const QString exeFolder = st.folders.AppFolder;
    const QString installed = WithSep(app.platform.installedDataFolder(), st.folders.PathSep);
    if (!HoldsProgramFiles(exeFolder) && !installed.isEmpty() && HoldsProgramFiles(installed))
        st.folders.AppFolder = installed;
    if (st.folders.AppFolder == exeFolder && textfile::folderWritable(exeFolder))
        return;
    st.folders.SettingsFolder = WithSep(app.platform.configFolder(), st.folders.PathSep);
    st.folders.HomeFolder = WithSep(app.platform.homeFolder(), st.folders.PathSep);
    st.folders.NowhereToWrite = st.folders.SettingsFolder.isEmpty();
}
}

void Main(App& app)
{
    AppState& st = app.st;
    st.folders.AppFolder = app.platform.executableFolder();
    st.folders.PathSep = st.folders.AppFolder.contains(QLatin1Char('\\')) ? QStringLiteral("\\") : QStringLiteral("/");
    if (!st.folders.AppFolder.endsWith(st.folders.PathSep))
        st.folders.AppFolder += st.folders.PathSep;
    ChooseFolders(app);
    st.folders.WorkFolder = st.folders.StartFolder();
    st.editor.Target = EditTarget::Nothing;
    st.people.PeopleLast = -1;
    st.pairs.PairsLast = -1;

    QString lastTest;
    textfile::Lines lines;
    if (!st.folders.NowhereToWrite &&
        textfile::readLines(st.folders.WritableFolder() + kSettingsFileName, lines, textfile::kMaxSettingsBytes) ==
        textfile::ReadResult::Ok) {
        st.folders.LastFolder = FromSettingsLine(SettingsValue(lines));
        st.folders.SplashPicture = FromSettingsLine(SettingsValue(lines));
        lastTest = FromSettingsLine(SettingsValue(lines));
    }
    if (st.folders.LastFolder.isEmpty())
        st.folders.LastFolder = st.folders.StartFolder();
    if (st.folders.SplashPicture.isEmpty())
        st.folders.SplashPicture = st.folders.AppFolder + QStringLiteral("sunbird.jpg");

    app.platform.processEvents();

    FrmForma& f = app.frmForma;
    if (!lastTest.isEmpty()) {
        f.FileNameTest.tag = lastTest;
        f.FileNameTest.text = FileNamePart(app, lastTest);
        f.FileNameTest.visible = true;
        f.FileSep4.visible = true;
    } else {
        f.FileNameTest.visible = false;
        f.FileSep4.visible = false;
    }
    ShowZastavka(app);
    f.visible = true;
}

int UnloadProga(App& app, Shutdown how)
{
    AppState& st = app.st;
    const bool asked = how == Shutdown::ByUser;
    if (asked && (st.main.Phase == TestPhase::Attempt || st.main.Phase == TestPhase::Editor)) {
        const MsgAnswer answer = app.platform.messageBox(QStringLiteral("Закрыть программу?"), kAppTitle,
                                                         MsgButtons::YesNo, MsgIcon::None, MsgAnswer::Yes);
        if (answer == MsgAnswer::No)
            return 1;
    }
    // A failure is told in a message box to a user at the desk; a desktop
    // ending the program waits for no one, so it goes to standard error.
    auto report = [&app, asked](const QString& text) {
        if (asked)
            ShowError(app, text);
        else
            app.platform.reportOnStandardError(text);
    };
    if (st.folders.NowhereToWrite) {
        // No folder to name in a message; the desktop gave the program none.
        app.platform.reportOnStandardError(
            QStringLiteral("Настройки не сохранены: не задана домашняя папка (HOME)."));
        AvtoKopiya(app, asked);
        return 0;
    }
    const QString path = st.folders.WritableFolder() + kSettingsFileName;
    // The user's configuration folder may not exist yet; a failure to make it
    // shows as a failed save below.
    if (!st.folders.SettingsFolder.isEmpty())
        QDir().mkpath(st.folders.SettingsFolder);
    const QByteArray crlf = "\r\n";
    const QByteArray content = SettingsLine(st.folders.LastFolder) + crlf + SettingsLine(st.folders.SplashPicture) + crlf +
                               SettingsLine(st.test.TestFilePath) + crlf;
    switch (textfile::saveAtomically(path, content)) {
    case textfile::SaveResult::Ok:
        break;
    case textfile::SaveResult::WriteProtected:
        report(QStringLiteral("Файл «") + path + QStringLiteral("» защищён от записи."));
        break;
    case textfile::SaveResult::Failed:
        report(QStringLiteral("Файл «") + path + QStringLiteral("» сохранить не возможно."));
        break;
    }
    AvtoKopiya(app, asked);
    return 0;
}

void FileNameTest_Click(App& app)
{
    if (!MayReplaceTest(app))
        return;
    OpenTest(app, app.frmForma.FileNameTest.tag);
}
