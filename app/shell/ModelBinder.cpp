#include "shell/ModelBinder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

namespace {
// The text as typed: toPlainText() would turn non-breaking spaces into plain
// ones and so change a text that the user never touched.
QString boxText(const QPlainTextEdit* box)
{
    QString text = box->document()->toRawText();
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return text;
}
}  // namespace

ModelBinder::ModelBinder(WindowModel& model, QWidget* window, Handler handler, QObject* parent)
    : QObject(parent), model_(model), window_(window), handler_(std::move(handler))
{
    connect(qApp, &QApplication::focusChanged, this, &ModelBinder::onFocusChanged);
}

QWidget* ModelBinder::widget(const QString& controlName) const
{
    for (const Binding& b : bindings_) {
        if (b.control->name == controlName)
            return b.widget;
    }
    return nullptr;
}

QAction* ModelBinder::action(const QString& controlName) const
{
    auto it = actions_.find(controlName);
    return it == actions_.end() ? nullptr : it->second;
}

const ModelBinder::Binding* ModelBinder::bindingFor(QObject* object) const
{
    for (const Binding& b : bindings_) {
        if (b.widget == object)
            return &b;
    }
    return nullptr;
}

bool ModelBinder::dispatch(const UiEvent& event)
{
    const bool answer = handler_ ? handler_(event) : true;
    sync();
    return answer;
}

void ModelBinder::bind(Control& control, QWidget* widget, bool useGeometry)
{
    bindings_.push_back({&control, widget, useGeometry});
    widget->installEventFilter(this);
    Control* c = &control;
    auto click = [this, c] { dispatch({UiEvent::Click, c->name}); };

    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        connect(button, &QPushButton::clicked, this, click);
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        connect(check, &QCheckBox::clicked, this, [this, c, check, click] {
            c->checked = check->isChecked();
            click();
        });
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        connect(radio, &QRadioButton::clicked, this, [this, c, radio, click] {
            c->checked = radio->isChecked();
            click();
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textEdited, this, [this, c, edit](const QString& text) {
            c->text = text;
            // The caret moves only after this signal; without taking it now the
            // sync would put it back and the next key would land before this one.
            c->selStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
            c->selLength = static_cast<int>(edit->selectedText().size());
            dispatch({UiEvent::Change, c->name});
        });
        connect(edit, &QLineEdit::selectionChanged, this, [this, c, edit] {
            if (syncing_)
                return;
            c->selStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
            c->selLength = static_cast<int>(edit->selectedText().size());
        });
        connect(edit, &QLineEdit::cursorPositionChanged, this, [this, c, edit] {
            if (syncing_ || edit->hasSelectedText())
                return;
            c->selStart = edit->cursorPosition();
            c->selLength = 0;
        });
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        // The caret has moved by the time the text reports its change; taking
        // it with the text keeps the next sync from putting it back.
        auto takeSelection = [c, text] {
            const QTextCursor cursor = text->textCursor();
            c->selStart = cursor.selectionStart();
            c->selLength = cursor.selectionEnd() - cursor.selectionStart();
        };
        connect(text, &QPlainTextEdit::textChanged, this, [this, c, text, takeSelection] {
            if (syncing_)
                return;
            c->text = boxText(text);
            takeSelection();
            dispatch({UiEvent::Change, c->name});
        });
        connect(text, &QPlainTextEdit::cursorPositionChanged, this, [this, takeSelection] {
            if (!syncing_)
                takeSelection();
        });
        connect(text, &QPlainTextEdit::selectionChanged, this, [this, takeSelection] {
            if (!syncing_)
                takeSelection();
        });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::activated, this, [this, c, combo](int index) {
            c->listIndex = index;
            c->text = combo->currentText();
            dispatch({UiEvent::Click, c->name});
        });
        if (combo->isEditable()) {
            connect(combo, &QComboBox::editTextChanged, this, [this, c](const QString& text) {
                if (syncing_)
                    return;
                c->text = text;
                dispatch({UiEvent::Change, c->name});
            });
        }
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
        // The chosen entry is the selected one. The current row alone is not a
        // choice: the list makes its first row current when it gets the focus.
        connect(list, &QListWidget::itemSelectionChanged, this, [this, c, list] {
            if (syncing_)
                return;
            const QList<QListWidgetItem*> selected = list->selectedItems();
            c->listIndex = selected.isEmpty() ? -1 : list->row(selected.constFirst());
            dispatch({UiEvent::Click, c->name});
        });
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, c] { dispatch({UiEvent::DblClick, c->name}); });
    }
    syncControl(bindings_.back());
}

void ModelBinder::bindAction(Control& control, QAction* action)
{
    actions_[control.name] = action;
    actionControls_[action] = &control;
    Control* c = &control;
    connect(action, &QAction::triggered, this, [this, c] { dispatch({UiEvent::Click, c->name}); });
}

void ModelBinder::followModelTabOrder()
{
    QWidget* previous = nullptr;
    for (const Control* control : model_.controls()) {
        QWidget* w = widget(control->name);
        if (!w || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void ModelBinder::syncControl(const Binding& b)
{
    QWidget* w = b.widget;
    if (!w)
        return;
    const Control& c = *b.control;
    const QSignalBlocker blocker(w);
    if (b.useGeometry) {
        const QRect rect(c.left, c.top, std::max(0, c.width), std::max(0, c.height));
        if (w->geometry() != rect)
            w->setGeometry(rect);
    }
    if (w->isEnabled() != c.enabled)
        w->setEnabled(c.enabled);
    if (!w->isWindow() && w->isVisibleTo(w->parentWidget()) != c.visible)
        w->setVisible(c.visible);
    if (w->toolTip() != c.tooltip)
        w->setToolTip(c.tooltip);

    if (auto* button = qobject_cast<QPushButton*>(w)) {
        if (button->text() != c.text)
            button->setText(c.text);
        const bool isDefault = model_.defaultButton == c.name;
        if (button->isDefault() != isDefault)
            button->setDefault(isDefault);
        button->setAutoDefault(false);
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        if (check->text() != c.text)
            check->setText(c.text);
        check->setChecked(c.checked);
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        if (radio->text() != c.text)
            radio->setText(c.text);
        radio->setChecked(c.checked);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != c.text)
            label->setText(c.text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != c.text)
            edit->setText(c.text);
        if (edit->maxLength() != (c.maxLength > 0 ? c.maxLength : 32767))
            edit->setMaxLength(c.maxLength > 0 ? c.maxLength : 32767);
        const int start = std::clamp(c.selStart, 0, static_cast<int>(c.text.size()));
        const int length = std::clamp(c.selLength, 0, static_cast<int>(c.text.size()) - start);
        const int currentStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        if (currentStart != start || edit->selectedText().size() != length) {
            if (length > 0)
                edit->setSelection(start, length);
            else
                edit->setCursorPosition(start);
        }
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
        if (boxText(text) != c.text)
            text->setPlainText(c.text);
        const int size = static_cast<int>(boxText(text).size());
        const int start = std::clamp(c.selStart, 0, size);
        const int length = std::clamp(c.selLength, 0, size - start);
        QTextCursor cursor = text->textCursor();
        if (cursor.selectionStart() != start || cursor.selectionEnd() - cursor.selectionStart() != length) {
            cursor.setPosition(start);
            cursor.setPosition(start + length, QTextCursor::KeepAnchor);
            text->setTextCursor(cursor);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList current;
        for (int i = 0; i < combo->count(); ++i)
            current << combo->itemText(i);
        if (current != c.items) {
            combo->clear();
            combo->addItems(c.items);
        }
        if (combo->currentIndex() != c.listIndex)
            combo->setCurrentIndex(c.listIndex);
        if (combo->isEditable() && combo->currentText() != c.text)
            combo->setEditText(c.text);
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        QStringList current;
        for (int i = 0; i < list->count(); ++i)
            current << list->item(i)->text();
        if (current != c.items) {
            list->clear();
            list->addItems(c.items);
        }
        const QList<QListWidgetItem*> selected = list->selectedItems();
        const int chosen = selected.isEmpty() ? -1 : list->row(selected.constFirst());
        if (chosen != c.listIndex || list->currentRow() != c.listIndex) {
            if (c.listIndex < 0)
                list->clearSelection();
            list->setCurrentRow(c.listIndex);
        }
    }
}

void ModelBinder::sync()
{
    if (syncing_)
        return;
    syncing_ = true;
    if (window_ && window_->windowTitle() != model_.caption)
        window_->setWindowTitle(model_.caption);
    for (const Binding& b : bindings_)
        syncControl(b);
    for (auto& [action, control] : actionControls_) {
        if (control->text != QLatin1String("-") && action->text() != control->text)
            action->setText(control->text);
        action->setEnabled(control->enabled);
        action->setVisible(control->visible);
        if (control->checked && !action->isCheckable())
            action->setCheckable(true);
        action->setChecked(control->checked);
    }
    if (model_.focus != appliedFocus_) {
        appliedFocus_ = model_.focus;
        if (QWidget* w = widget(model_.focus); w && w->isVisible() && w->isEnabled())
            w->setFocus(Qt::OtherFocusReason);
    }
    syncing_ = false;
    if (extraSync_)
        extraSync_();
}

void ModelBinder::onFocusChanged(QWidget* old, QWidget* now)
{
    if (syncing_)
        return;
    if (const Binding* b = bindingFor(old))
        dispatch({UiEvent::LostFocus, b->control->name});
    if (const Binding* b = bindingFor(now)) {
        model_.focus = b->control->name;
        appliedFocus_ = model_.focus;
        dispatch({UiEvent::GotFocus, b->control->name});
    }
}

bool ModelBinder::menuShortcut(const QKeyEvent* key) const
{
    const QKeySequence pressed(key->keyCombination());
    for (const auto& [action, control] : actionControls_) {
        for (const QKeySequence& shortcut : action->shortcuts()) {
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
                return true;
        }
    }
    return false;
}

bool ModelBinder::eventFilter(QObject* watched, QEvent* event)
{
    // A text box claims some keys for itself before menus see them (under the
    // X11 key scheme Ctrl+U deletes the line). A key that is one of this
    // window's menu shortcuts belongs to the menu: the box never acts on it,
    // not even while the menu item is off.
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) && bindingFor(watched) &&
        menuShortcut(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const Binding* b = bindingFor(watched);
    if (!b)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    UiEvent down{UiEvent::KeyDown, b->control->name};
    down.key = key->key();
    down.shift = key->modifiers() & Qt::ShiftModifier;
    down.ctrl = key->modifiers() & Qt::ControlModifier;
    down.alt = key->modifiers() & Qt::AltModifier;
    if (!dispatch(down))
        return true;
    QString typed = key->text();
    if (key->key() == Qt::Key_Backspace)
        typed = QStringLiteral("\b");
    if (!typed.isEmpty() && (typed == QLatin1String("\b") || typed.at(0).isPrint())) {
        UiEvent press = down;
        press.type = UiEvent::KeyPress;
        press.text = typed;
        if (!dispatch(press))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
