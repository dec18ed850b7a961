#pragma once

#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QTimer;

namespace hoedeck {

class BreakTimer;
class LyricsWindow;
class Prompter;

// The "Timer" menu and the countdown of the break timer, in the main window's clock panel and
// in the lyrics window: red once the time is up, counting the overtime.
class BreakTimerView : public QObject {
    Q_OBJECT
public:
    // The menu goes into the bar; the countdown follows every tick of the progress timer.
    BreakTimerView(BreakTimer& timer, Prompter& prompter, QMenuBar* bar, QLabel* countdown,
                   QTimer* progresTimer, QObject* parent = nullptr);

    void setLyricsWindow(LyricsWindow* lyrics) { m_lyrics = lyrics; }
    QMenu* menu() const { return m_menu; }
    // The menu as the timer's settings have it (after load_timer and each command).
    void refresh();
    // One tick: the countdown's text and colour in both windows; the alarm when time is up.
    void tick();

private:
    void guarded(const std::function<void()>& command);

    BreakTimer& m_timer;
    Prompter& m_prompter;
    QLabel* m_countdown;
    LyricsWindow* m_lyrics = nullptr;
    QMenu* m_menu;
    QList<QAction*> m_minutes;
    QAction* m_on;
    QAction* m_off;
};

} // namespace hoedeck
