#pragma once

#include "secondarywindow.h"

class QLabel;
class QProgressBar;

namespace hoedeck {

class ProgressStrip;

// The lyrics window: the caller's second screen. It mirrors the main window's clock, countdown,
// position, status line, meter and progress so they can be read while calling.
class LyricsWindow : public SecondaryWindow {
    Q_OBJECT
public:
    explicit LyricsWindow(QWidget* parent = nullptr);

    QLabel* clocker() const { return m_clocker; }
    QLabel* LBCountdown() const { return m_countdown; }
    QLabel* position_counter() const { return m_position; }
    QLabel* lOf() const { return m_of; }
    QLabel* ltotal_time() const { return m_total; }
    QLabel* Label3() const { return m_status; }
    QProgressBar* RLed3() const { return m_meter; }
    QProgressBar* RVProgressBar1() const { return m_progress; }
    ProgressStrip* panel_progress() const { return m_strip; }

private:
    QLabel* m_clocker;
    QLabel* m_countdown;
    QLabel* m_position;
    QLabel* m_of;
    QLabel* m_total;
    QLabel* m_status;
    QProgressBar* m_meter;
    QProgressBar* m_progress;
    ProgressStrip* m_strip;
};

} // namespace hoedeck
