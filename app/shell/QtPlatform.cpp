#include "shell/QtPlatform.h"
#include "PdfWriter.h"
#include <QLineEdit>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QScreen>
#include <QSpacerItem>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

#include "views/WebView.h"

QString QtNameFilter(const FileFilter& filter)
{
    // Qt reads the patterns from the last parentheses, separated by blanks;
    // the program's patterns are separated by ";" ("*.jpg;*.gif"), and so are
    // those in its captions ("Picture (*.jpg; *.gif)"), which Qt would take
    // as the pattern "*.jpg;" that matches nothing.
    QStringList patterns;
    for (const QString& pattern : filter.pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!pattern.trimmed().isEmpty())
            patterns << pattern.trimmed();
    }
    const qsizetype open = filter.caption.indexOf(QLatin1Char('('));
    const QString name = (open < 0 ? filter.caption : filter.caption.left(open)).trimmed();
    return name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

void MakeReadOnly(QFileDialog& dialog)
{
    // The dialogs choose files; at a kiosk nobody may delete, rename or make
    // folders through them. The read-only model refuses those, and the menu
    // items that would offer them are taken away.
    dialog.setOption(QFileDialog::ReadOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    for (const char* name : {"qt_rename_action", "qt_delete_action", "qt_new_folder_action"}) {
        if (QAction* action = dialog.findChild<QAction*>(QLatin1String(name)))
            action->setVisible(false);
    }
    if (QWidget* button = dialog.findChild<QWidget*>(QStringLiteral("newFolderButton")))
        button->hide();
}

int TitleWidth(const QString& title)
{
    // Window managers draw titles in a bold face, beside the window's icon and
    // its three buttons.
    QFont bold = QApplication::font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(title) + kTitleBarRoom;
}

namespace {
QMessageBox::StandardButton toQt(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}
}

QtPlatform::QtPlatform() = default;
QtPlatform::~QtPlatform() = default;

void QtPlatform::sync()
{
    if (sync_)
        sync_();
}

MsgAnswer QtPlatform::messageBox(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                                 MsgAnswer defaultAnswer)
{
    sync();
    QMessageBox box(owner_);
    box.setWindowTitle(title);
    // File names and typed texts are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    box.setDefaultButton(toQt(defaultAnswer));
    // The box is as wide as its text needs; a short text ("Файл удален.")
    // would leave too little room for the title bar to show the title whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(TitleWidth(title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
}

void QtPlatform::showModal(WindowId window)
{
    sync();
    auto it = runners_.find(window);
    if (it != runners_.end() && it->second)
        it->second();
    sync();
}

// Shows a file or folder dialog at the size the user last gave one (on
// this screen) and returns the path chosen, or nothing.
QString QtPlatform::runFileDialog(QFileDialog& dialog)
{
    QSize size = fileDialogSize_.isValid() ? fileDialogSize_ : QSize(900, 560);
    if (const QScreen* screen = owner_ ? owner_->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize());
    dialog.resize(size);
    const int result = dialog.exec();
    fileDialogSize_ = dialog.size();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPlatform::fileDialog(bool save, const QString& suggestedName, const QList<FileFilter>& filters,
                               const QString& initialFolder)
{
    sync();
    QStringList nameFilters;
    for (const FileFilter& filter : filters)
        nameFilters << QtNameFilter(filter);
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::AnyFile);
    MakeReadOnly(dialog);
    // The program asks nothing before replacing a file; its own save routine
    // protects the old content.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(nameFilters);
    dialog.setDirectory(initialFolder);
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    // Name, size, type and date side by side, wide enough to read; the size
    // the user gives the dialog holds for the rest of the run.
    dialog.setViewMode(QFileDialog::Detail);
    if (auto* list = dialog.findChild<QTreeView*>()) {
        // The name takes the room the others leave; no column is cut short.
        QHeaderView* header = list->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    return runFileDialog(dialog);
}

void QtPlatform::processEvents()
{
    sync();
    QCoreApplication::processEvents();
    // A page just given to a view (the waiting page) must be on screen before
    // long work holds the interface, but short work should not wait for it:
    // its result replaces that page at once. Work that turns out long says so
    // through keepPainting, which waits for the page then.
    paintPending_ = WebView::anyPainting();
}

void QtPlatform::waitForPaint()
{
    if (!WebView::anyPainting())
        return;
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!WebView::anyPainting() || waited.elapsed() >= kPaintWaitMs)
            loop.quit();
    });
    poll.start(5);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void QtPlatform::keepPainting()
{
    if (paintPending_) {
        // The work is long: its waiting page goes on screen first (a view
        // that cannot paint is not waited for long).
        paintPending_ = false;
        waitForPaint();
        painted_.start();
        return;
    }
    if (painted_.isValid() && painted_.elapsed() < kRepaintEveryMs)
        return;
    // Painting and the views' own traffic only: a click or key during the
    // work waits until it is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    painted_.start();
}

QDateTime QtPlatform::now()
{
    return QDateTime::currentDateTime();
}

void QtPlatform::openExternalUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

QString QtPlatform::executableFolder()
{
    return exeFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : exeFolder_;
}

QString QtPlatform::installedDataFolder()
{
    return QDir::cleanPath(executableFolder() + QStringLiteral("/" TANDEMO_DATA_FROM_BIN));
}

namespace {
// An absolute folder named by an environment variable, or empty. Qt takes an
// unset HOME for "/", which would put the settings in the root folder; the
// root folder is nobody's home here.
QString folderFromEnvironment(const char* name)
{
    const QString folder = QDir::cleanPath(qEnvironmentVariable(name));
    return QDir::isAbsolutePath(folder) && folder != QDir::rootPath() ? folder : QString();
}
}  // namespace

QString QtPlatform::configFolder()
{
    // The XDG rule: an absolute XDG_CONFIG_HOME, else ~/.config.
    QString config = folderFromEnvironment("XDG_CONFIG_HOME");
    if (config.isEmpty() && !homeFolder().isEmpty())
        config = homeFolder() + QStringLiteral("/.config");
    return config.isEmpty() ? QString() : config + QStringLiteral("/tandemo");
}

QString QtPlatform::homeFolder()
{
    return folderFromEnvironment("HOME");
}

int QtPlatform::textWidth(const QString& text)
{
    return measure_ ? measure_(text) : Platform::textWidth(text);
}

QString QtPlatform::userDataFolder()
{
    // The XDG rule: an absolute XDG_DATA_HOME, else ~/.local/share.
    const QString data = folderFromEnvironment("XDG_DATA_HOME");
    if (!data.isEmpty())
        return data;
    return homeFolder().isEmpty() ? QString() : homeFolder() + QStringLiteral("/.local/share");
}

QString QtPlatform::documentsFolder()
{
    if (homeFolder().isEmpty())
        return {};
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QString();
}

QString QtPlatform::folderDialog(const QString& caption, const QString& initialFolder)
{
    sync();
    QFileDialog dialog(owner_, caption);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    // Unlike the file dialogs, this one may make a folder: a restore goes
    // into a new one.
    QString start = initialFolder;
    while (!start.isEmpty() && !QFileInfo(start).isDir() && QDir::cleanPath(start) != QDir::rootPath())
        start = QFileInfo(QDir::cleanPath(start)).path();
    dialog.setDirectory(start);
    dialog.setViewMode(QFileDialog::Detail);
    return runFileDialog(dialog);
}

std::optional<int> QtPlatform::numberDialog(const QString& title, const QString& label, int value, int minimum,
                                            int maximum)
{
    sync();
    bool ok = false;
    const int chosen = QInputDialog::getInt(owner_, title, label, value, minimum, maximum, 1, &ok);
    if (!ok)
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtPlatform::textDialog(const QString& title, const QString& label, const QString& value)
{
    sync();
    bool ok = false;
    const QString chosen = QInputDialog::getText(owner_, title, label, QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return chosen;
}

bool QtPlatform::writePdf(const QString& html, const QString& path)
{
    return pdf::Write(html, path);
}

void QtPlatform::beginProgress(const QString& title, const QString& text)
{
    sync();
    progressText_ = text;
    progress_ = std::make_unique<QProgressDialog>(text, QStringLiteral("Отмена"), 0, kProgressSteps, owner_);
    progress_->setWindowTitle(title);
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setMinimumDuration(kProgressDelayMs);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumWidth(std::max(progress_->sizeHint().width(), TitleWidth(title)));
    progress_->setValue(0);
    progressStepped_.invalidate();
}

bool QtPlatform::stepProgress(qint64 done, qint64 total)
{
    if (!progress_)
        return true;
    if (progress_->wasCanceled())
        return false;
    if (progressStepped_.isValid() && progressStepped_.elapsed() < kProgressEveryMs)
        return true;
    progressStepped_.start();
    constexpr double kMegabyte = 1024.0 * 1024.0;
    if (total > 0) {
        const QLocale locale;
        progress_->setLabelText(progressText_ + QStringLiteral("\n%1 из %2 МБ")
                                                    .arg(locale.toString(double(done) / kMegabyte, 'f', 1),
                                                         locale.toString(double(total) / kMegabyte, 'f', 1)));
        progress_->setValue(int(double(std::clamp(done, qint64(0), total)) / double(total) * kProgressSteps));
    } else {
        progress_->setValue(0);
    }
    // The button must answer while the work goes on; the window is modal, so
    // nothing else takes input meanwhile.
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}

void QtPlatform::endProgress()
{
    progress_.reset();
    sync();
}
