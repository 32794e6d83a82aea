#pragma once

#include "ground/windows/Model.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QKeyEvent;
class QWidget;

// Keeps Qt widgets in step with a window's model and hands every user action
// on them to the core.
//
// Model to screen: sync() pushes each bound control's text, enabled, visible,
// checked, list items and index, geometry (when `useGeometry`), selection and
// the window's focus and default button onto the widgets, with their signals
// blocked, so only what the user does reaches the handler.
//
// Screen to model: a user's edit is written into the model first, then the
// handler runs; key events ask the handler and are dropped when it answers
// false. After every handler call the binder syncs again.
//
// Supported widgets: QPushButton, QLabel, QLineEdit, QComboBox, QCheckBox,
// QRadioButton, QListWidget, QPlainTextEdit (text and selection; line ends are
// "\n" as the box holds them) and any other QWidget (state and geometry only).
// Menu items bind as QAction.
class ModelBinder : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(const UiEvent&)>;

    ModelBinder(WindowModel& model, QWidget* window, Handler handler, QObject* parent = nullptr);

    void bind(Control& control, QWidget* widget, bool useGeometry = true);
    void bindAction(Control& control, QAction* action);
    // Tab walks the bound widgets in the order the model lists its controls.
    void followModelTabOrder();
    QWidget* widget(const QString& controlName) const;
    QAction* action(const QString& controlName) const;

    // Also called after each handler; `extraSync` runs after it (window-specific work).
    void sync();
    void setExtraSync(std::function<void()> extra) { extraSync_ = std::move(extra); }

    // Hands an event to the core and syncs; returns the handler's answer.
    bool dispatch(const UiEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        Control* control;
        QPointer<QWidget> widget;
        bool useGeometry;
    };
    void syncControl(const Binding& binding);
    const Binding* bindingFor(QObject* object) const;
    void onFocusChanged(QWidget* old, QWidget* now);
    // Whether a key is the shortcut of one of this window's menu items.
    bool menuShortcut(const QKeyEvent* key) const;

    WindowModel& model_;
    QPointer<QWidget> window_;
    Handler handler_;
    std::function<void()> extraSync_;
    std::vector<Binding> bindings_;
    std::map<QString, QAction*> actions_;
    std::map<QAction*, Control*> actionControls_;
    QString appliedFocus_;
    bool syncing_ = false;
};
