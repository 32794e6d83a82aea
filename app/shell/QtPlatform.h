#pragma once

#include "ground/Platform.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QFileDialog;
class QProgressDialog;
class QWidget;

// The name filter Qt's file dialog lists files by: the caption's name and
// every pattern of `pattern` ("*.jpg;*.gif"), e.g. "Picture (*.jpg *.gif)".
QString QtNameFilter(const FileFilter& filter);
// Every file dialog of the program only chooses: no delete, rename or new folder.
void MakeReadOnly(QFileDialog& dialog);
// The width a window needs for its title bar to show `title` whole: the text
// in a bold face and room for the icon and the buttons beside it. A message
// box is never narrower.
constexpr int kTitleBarRoom = 120;
int TitleWidth(const QString& title);

// The desktop as Qt offers it: message boxes, file dialogs, the event loop,
// the clock and the desktop's browser.
class QtPlatform : public Platform {
public:
    // Shows a window modally and returns when it has closed; registered by the
    // window that owns each dialog.
    using ModalRunner = std::function<void()>;

    QtPlatform();
    ~QtPlatform() override;

    void setOwner(QWidget* owner) { owner_ = owner; }
    void setModalRunner(WindowId window, ModalRunner runner) { runners_[window] = std::move(runner); }
    // Called before every platform step so that the screen shows the models.
    void setSync(std::function<void()> sync) { sync_ = std::move(sync); }
    // Tests run the program from a folder of their own.
    void setExecutableFolder(const QString& folder) { exeFolder_ = folder; }
    // Measures texts in the font of the editor's picture boxes.
    void setTextMeasure(std::function<int(const QString&)> measure) { measure_ = std::move(measure); }

    MsgAnswer messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                         MsgAnswer defaultAnswer) override;
    void showModal(WindowId window) override;
    QString fileDialog(bool save, const QString& suggestedName, const QList<FileFilter>& filters,
                       const QString& initialFolder) override;
    void processEvents() override;
    void keepPainting() override;
    QDateTime now() override;
    void openExternalUrl(const QString& url) override;
    QString executableFolder() override;
    QString installedDataFolder() override;
    QString configFolder() override;
    QString homeFolder() override;
    int textWidth(const QString& text) override;
    QString userDataFolder() override;
    QString documentsFolder() override;
    QString folderDialog(const QString& caption, const QString& initialFolder) override;
    std::optional<int> numberDialog(const QString& title, const QString& label, int value, int minimum,
                                    int maximum) override;
    std::optional<QString> textDialog(const QString& title, const QString& label, const QString& value) override;
    bool writePdf(const QString& html, const QString& path) override;
    void beginProgress(const QString& title, const QString& text) override;
    bool stepProgress(qint64 done, qint64 total) override;
    void endProgress() override;
    // The progress window while it is up (for the tests).
    QProgressDialog* progressDialog() const { return progress_.get(); }

private:
    QString runFileDialog(QFileDialog& dialog);
    void sync();
    void waitForPaint();

    static constexpr int kPaintWaitMs = 2000;
    static constexpr int kRepaintEveryMs = 50;

    QElapsedTimer painted_;
    bool paintPending_ = false;
    QPointer<QWidget> owner_;
    std::map<WindowId, ModalRunner> runners_;
    std::function<void()> sync_;
    QString exeFolder_;
    std::function<int(const QString&)> measure_;
    QSize fileDialogSize_;  // as the user left it last, for this run

    // The progress window: it comes up once the work has taken a moment, and
    // its figures change at most every kProgressEveryMs.
    static constexpr int kProgressDelayMs = 300;
    static constexpr int kProgressEveryMs = 50;
    static constexpr int kProgressSteps = 1000;
    std::unique_ptr<QProgressDialog> progress_;
    QString progressText_;
    QElapsedTimer progressStepped_;
};
