#pragma once

#include "flashcalls.h"

#include <QObject>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;

namespace hoedeck {

class MultiLevelWindow;
class Prompter;

// The "Flash Calls" menu and its timer: a call flashed on command (F10), every few seconds
// while the timer runs (F9), from the level chosen (Shift+F4 ... Shift+F12) or several levels
// at once. The page of each call goes to `showPage`; the lyrics page's tab reads "Flash" while
// the timer runs and "Lyrics" when it stops (`setTabCaption`).
class FlashCallsMenu : public QObject {
    Q_OBJECT
public:
    FlashCallsMenu(DataFolder folder, Prompter& prompter, QMenu* menu, MultiLevelWindow* levels);

    std::function<void(const QString& pagePath)> showPage;
    std::function<void(const QString& caption)> setTabCaption;
    // "Hilton reset - flash": the remote flashes calls from now on.
    std::function<void()> remoteFlashes;

    // The level chooser is made after the lyrics window, which holds this menu.
    void setLevelsWindow(MultiLevelWindow* levels);

    calls::FlashCalls& flash() { return m_flash; }
    QTimer* timer() const { return m_timer; }
    QAction* toggleAction() const { return m_toggle; }
    // The interval marked, empty for none.
    QString markedInterval() const;
    QString markedLevel() const;

    // Flashes one call; a failure is told and nothing is flashed.
    void pick();
    void toggleTimer();
    void chooseInterval(const QString& caption);
    void chooseLevel(int line);
    // "Lyric Search" stops the timer; hiding the lyrics window only clears the mark.
    void stop();
    void clearToggleMark();

private:
    calls::FlashCalls m_flash;
    Prompter& m_prompter;
    MultiLevelWindow* m_levelsWindow = nullptr;
    QTimer* m_timer;
    QAction* m_toggle;
    QActionGroup* m_intervals;
    QActionGroup* m_levels;
};

} // namespace hoedeck
