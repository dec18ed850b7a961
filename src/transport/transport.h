#pragma once

#include <functional>

namespace hoedeck {

class Player;
class Prompter;

// The caller's single-key transport: the cued patter and singer on and off, play/stop and
// play/resume toggles, the switch to patter and the fade.
class Transport {
public:
    static constexpr int kFadeMs = 5000;

    Transport(Player& player, Prompter& prompter);

    // Space: the cued patter when nothing plays, otherwise stop (and remember the song).
    void spacekey1Click();
    // Control-Space: the cued singer when nothing plays, otherwise stop.
    void ControlSpaceKeyClick();
    // F1: play or stop; with no current song, asks which of the cued songs.
    void playStop();
    // F2: play or resume where playback stopped.
    void playResume();
    // Shift+. : while something plays, stop and open the cued patter.
    void switchToPatter();
    // Control-F, Alt-F: everything slides to silence over five seconds and stops.
    void fade();

    struct Hooks {
        std::function<void()> autoStore;         // remember the song's settings on a stop
        std::function<void()> restartBreakTimer; // after F1 starts a song
    } hooks;

private:
    Player& m_player;
    Prompter& m_prompter;
};

} // namespace hoedeck
