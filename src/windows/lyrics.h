#pragma once

#include "secondarywindow.h"

class QLabel;

namespace hoedeck {

// The lyrics window: the caller's second screen. It mirrors the main window's clock, countdown,
// position and status line so they can be read while calling.
class LyricsWindow : public SecondaryWindow {
    Q_OBJECT
public:
    explicit LyricsWindow(QWidget* parent = nullptr);

    QLabel* clocker() const { return m_clocker; }
    QLabel* LBCountdown() const { return m_countdown; }
    QLabel* position_counter() const { return m_position; }
    QLabel* Label3() const { return m_status; }

private:
    QLabel* m_clocker;
    QLabel* m_countdown;
    QLabel* m_position;
    QLabel* m_status;
};

} // namespace hoedeck
