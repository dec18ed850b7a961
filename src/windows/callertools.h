#pragma once

#include "datafolder.h"

#include <QObject>
#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QMenuBar;
class QTimer;
class QWidget;

namespace hoedeck {

class AudioEngine;
class BreakTimer;
class BreakTimerView;
class LoopMarks;
class LyricsWindow;
class MetronomeWindow;
class Player;
class Prompter;
class RemoteMenu;
class SerialRemote;
class Transport;

// The caller's small tools joined to the main window: the break timer, the hand remote and
// the metronome's command. The main window places their menus and runs their start-up steps.
class CallerTools : public QObject {
    Q_OBJECT
public:
    struct Parts {
        DataFolder folder;
        AudioEngine& engine;
        Player& player;
        Transport& transport;
        LoopMarks& loopMarks;
        Prompter& prompter;
        QWidget* window;      // the main window's client area: the cord panel goes over it
        QTimer* progresTimer; // the countdown follows its ticks
        QLabel* countdown;    // LBCountdown of the clock panel
        // Runs a command; a settings file it cannot read or write is reported.
        std::function<void(const std::function<void()>&)> guarded;
    };
    explicit CallerTools(const Parts& parts, QObject* parent = nullptr);
    ~CallerTools() override;

    BreakTimer& breakTimer() { return *m_timer; }
    SerialRemote& remote() { return *m_remote; }
    RemoteMenu& remoteMenu() { return *m_remoteMenu; }

    // The menus, each where the main window's bar has it.
    void addTimerMenu(QMenuBar* bar);
    void addRemoteMenu(QMenuBar* bar);
    void setLyricsWindow(LyricsWindow* window);
    // "Metronome" (Control-M) into the BPM menu: shows and starts the metronome window, or
    // stops and hides it.
    void addMetronomeCommand(QMenu* bpm);
    void setMetronomeWindow(MetronomeWindow* window) { m_metronome = window; }

    // Start-up steps: the remote's ports, the break timer's files.
    void probeRemote();
    void loadTimer();

private:
    Parts m_parts;
    std::unique_ptr<BreakTimer> m_timer;
    std::unique_ptr<SerialRemote> m_remote;
    BreakTimerView* m_timerView = nullptr;
    RemoteMenu* m_remoteMenu = nullptr;
    MetronomeWindow* m_metronome = nullptr;
};

} // namespace hoedeck
