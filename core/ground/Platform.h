#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <cstdio>
#include <optional>

// Everything the program asks of the desktop goes through this interface: the
// application implements it with Qt, the tests with a script.

enum class MsgIcon { None, Information, Critical, Exclamation, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// The program's windows other than the main one, each shown modally.
enum class WindowId {
    Param,       // test parameters (frmParam)
    PassW,       // password (frmPassW)
    Kartochka,   // personal card (frmKartochka)
    Found,       // name search (frmFound)
    LoadVopros,  // bulk question text (frmLoadVopros)
    Tag,         // character references (frmTag)
    Nomer,       // question picker (frmNomer)
    Oprog,       // about box (frmOprog)
    Html,        // secondary HTML window (frmHTML)
    Soglasie,    // the person's consent before the card (frmSoglasie)
    SoglasieText,  // the author's consent text (frmSoglasieText)
    Vesa,        // the weights of a question (frmVesa)
};

struct FileFilter {
    QString caption;  // e.g. "Tests (*.tnd)"
    QString pattern;  // e.g. "*.tnd"
    bool operator==(const FileFilter&) const = default;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons,
                                 MsgIcon icon, MsgAnswer defaultAnswer) = 0;
    // Shows the window modally and returns once it has been closed.
    virtual void showModal(WindowId window) = 0;
    // Open or save dialog; returns the chosen full path, or an empty string
    // when the user cancelled.
    virtual QString fileDialog(bool save, const QString& suggestedName,
                               const QList<FileFilter>& filters, const QString& initialFolder) = 0;
    // Lets pending window events run once (painting, closing dialogs). A page
    // just given to a view is on screen by the first keepPainting of the work
    // that follows; short work, which never calls it, is not held up for it.
    virtual void processEvents() = 0;
    // Called often during long work (a scan of many files): lets the windows
    // repaint now and then, without taking any input from the user.
    virtual void keepPainting() {}
    virtual QDateTime now() = 0;
    virtual void openExternalUrl(const QString& url) = 0;
    // Folder of the running executable, as the platform reports it.
    virtual QString executableFolder() = 0;
    // Where an installed copy keeps its own files (help page, pictures), and
    // the user's configuration and home folders; empty when the desktop has
    // no such folder.
    virtual QString installedDataFolder() { return {}; }
    virtual QString configFolder() { return {}; }
    virtual QString homeFolder() { return {}; }
    // The user's data folder (~/.local/share) and documents folder; empty
    // when the desktop has none.
    virtual QString userDataFolder() { return {}; }
    virtual QString documentsFolder() { return {}; }
    // A chooser of a folder, which lets the user make a new one there; the
    // chosen folder, or an empty string when the user cancelled.
    virtual QString folderDialog(const QString& /*caption*/, const QString& /*initialFolder*/) { return {}; }
    // Asks for a whole number from `minimum` to `maximum`, offering `value`;
    // nothing when the user cancelled. A desktop that asks nobody keeps `value`.
    virtual std::optional<int> numberDialog(const QString& /*title*/, const QString& /*label*/, int value,
                                            int /*minimum*/, int /*maximum*/)
    {
        return value;
    }
    // Asks for a line of text (a reason, say), offering `value`; nothing when
    // the user cancelled. A desktop that asks nobody keeps `value`.
    virtual std::optional<QString> textDialog(const QString& /*title*/, const QString& /*label*/,
                                              const QString& value)
    {
        return value;
    }
    // Long work the user may cancel (a backup, a restore): a window with its
    // title and text and a button "Отмена" stays up from beginProgress to
    // endProgress. stepProgress shows how far the work is and returns false
    // once the user has cancelled it.
    virtual void beginProgress(const QString& /*title*/, const QString& /*text*/) {}
    virtual bool stepProgress(qint64 /*done*/, qint64 /*total*/) { return true; }
    virtual void endProgress() {}
    // Writes an HTML document (pictures named by file paths) as a PDF file of
    // A4 pages; false when it could not be written. A desktop without a PDF
    // writer writes nothing.
    virtual bool writePdf(const QString& /*html*/, const QString& /*path*/) { return false; }
    // Width of a text in the font of the editor's picture boxes, in the units
    // of their widths, rounded to a whole number. A desktop that draws nothing
    // may keep this estimate of an average character.
    virtual int textWidth(const QString& text) { return static_cast<int>(text.size()) * 8; }
    // A report nobody may have to answer (the program is being ended by the
    // desktop): one line on standard error.
    virtual void reportOnStandardError(const QString& text)
    {
        std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }
};
