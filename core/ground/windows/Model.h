#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Toolkit-free state of one control: the routines change it exactly as they
// would change the real control, and the application mirrors it on screen.
struct Control {
    explicit Control(QString controlName, QString initialText = {})
        : name(std::move(controlName)), text(std::move(initialText)) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    QString name;
    QString text;      // caption of a button, label or menu item; content of a text box
    QString tooltip;
    QString tag;       // free value kept with the control
    QString shortcut;  // menu shortcut in QKeySequence notation, e.g. "Ctrl+O"
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    QStringList items;  // list and combo box entries
    int listIndex = -1; // chosen entry, -1 none
    int left = 0, top = 0, width = 0, height = 0;
    int selStart = 0, selLength = 0;
    int maxLength = 0;  // 0 = no limit

    // HTML views only: `text` holds the page last given to the view, `url` a
    // file it was told to navigate to instead; `loads` counts the requests, so
    // that showing the same page again is still a new request.
    QString url;
    int loads = 0;
    // Files outside the test's and the program's folders that the page shows
    // (the splash picture, a card's photo); set by its builder after loading.
    QStringList files;

    // Picture boxes only: the background colour (0xRRGGBB) and the lines the
    // program printed, top to bottom; `draws` counts the drawings, so that a
    // redraw of the same lines is still seen (see shell/PictureBox.h).
    unsigned backColor = 0xFFC0C0;
    QStringList lines;
    int draws = 0;
};

// A user's action on a control, as the window hands it to the core.
struct UiEvent {
    enum Type {
        Click,      // button, menu item, check box, choice in a list
        DblClick,
        Change,     // the user changed the text of a text box
        GotFocus,
        LostFocus,
        KeyDown,    // any key; `key` is a Qt::Key value
        KeyPress,   // a key that types; `text` is what it types ("\b" for Backspace)
    };
    Type type = Click;
    QString control;
    int key = 0;
    QString text;
    bool shift = false, ctrl = false, alt = false;
};

// The number a text box holds as the dialogs read it: the number at the start
// of the text (blanks skipped, a sign and a decimal part allowed), rounded to a
// whole number and kept within 32 bits; 0 when there is none.
int LeadingNumber(const QString& text);

// State of one window: its caption, focus and buttons, and its controls.
class WindowModel {
public:
    explicit WindowModel(QString windowName) : name(std::move(windowName)) {}
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    QString name;
    QString caption;
    bool visible = false;
    bool minimized = false;
    QString focus;          // name of the control that has the keyboard focus
    QString defaultButton;  // answers Enter
    QString cancelButton;   // answers Escape
    int clientWidth = 0, clientHeight = 0;
    // Set by a routine that closes the window (as "Выход" does); the window
    // carries it out and runs its unload handling.
    bool closeRequested = false;

    const std::vector<Control*>& controls() const { return controls_; }
    Control* find(const QString& controlName) const;

protected:
    Control& add(Control& control)
    {
        controls_.push_back(&control);
        return control;
    }

private:
    std::vector<Control*> controls_;
};
