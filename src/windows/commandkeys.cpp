#include "commandkeys.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>

namespace hoedeck {

CommandKeys::CommandKeys(QWidget* window) : QObject(window), m_window(window) {}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event) {
    const bool key = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
    if (!key || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != m_window)
        return false;
    const QKeyCombination pressed = static_cast<QKeyEvent*>(event)->keyCombination();
    if (event->type() == QEvent::ShortcutOverride)
        // Not accepted: the key goes to the command, not to the focused control.
        return commandFor(pressed) || commandFor(withoutShift(pressed));
    // A key press that reaches a control was not taken as a shortcut. A symbol typed with
    // Shift (">" is Shift+. on most keyboards) arrives with the Shift modifier, which its
    // command's key does not carry; where the keyboard map does not offer the key without
    // Shift as well, the command is run here.
    if (QAction* command = commandFor(withoutShift(pressed)); command && !commandFor(pressed)) {
        command->trigger();
        return true;
    }
    return false;
}

QKeyCombination CommandKeys::withoutShift(QKeyCombination pressed) {
    const Qt::Key key = pressed.key();
    const bool symbol = key < Qt::Key_Escape && !(key >= Qt::Key_A && key <= Qt::Key_Z) &&
                        !(key >= Qt::Key_0 && key <= Qt::Key_9);
    if (!symbol || !pressed.keyboardModifiers().testFlag(Qt::ShiftModifier))
        return QKeyCombination(Qt::Key_unknown);
    return QKeyCombination(pressed.keyboardModifiers() & ~Qt::ShiftModifier, key);
}

QAction* CommandKeys::commandFor(QKeyCombination pressed) const {
    if (pressed.key() == Qt::Key_unknown)
        return nullptr;
    const QKeySequence sequence(pressed);
    for (QAction* action : m_window->actions())
        if (action->isEnabled() && action->shortcut().matches(sequence) == QKeySequence::ExactMatch)
            return action;
    return nullptr;
}

} // namespace hoedeck
