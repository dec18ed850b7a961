#include "lyricskeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace hoedeck {

LyricsKeys::LyricsKeys(QWidget* window, Actions actions)
    : QObject(window), m_window(window), m_actions(std::move(actions)) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool LyricsKeys::firstSighting(const QKeyEvent* key) {
    const Sighting now{key, key->timestamp(), int(key->type()), key->key(), int(key->modifiers())};
    const bool same = now == m_last;
    m_last = now;
    return !same;
}

bool LyricsKeys::eventFilter(QObject* watched, QEvent* event) {
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!keyEvent || !watched->isWidgetType())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // A release is seen too, so that two presses in a row count as two however alike.
    if (!firstSighting(key) || event->type() != QEvent::KeyPress)
        return false;
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    if (key->key() == Qt::Key_F && modifiers == Qt::ControlModifier) {
        if (m_actions.fade)
            m_actions.fade();
        return true;
    }
    if (!m_window->isVisible() || modifiers != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        m_actions.focusPages();
        break;
    case Qt::Key_Left:
        m_actions.turnPage(-1);
        break;
    case Qt::Key_Right:
        m_actions.turnPage(+1);
        break;
    case Qt::Key_F5:
        m_actions.focusClock();
        break;
    default:
        break;
    }
    return false;
}

} // namespace hoedeck
