#include "transport.h"

#include "player.h"
#include "prompter.h"

namespace hoedeck {

Transport::Transport(Player& player, Prompter& prompter) : m_player(player), m_prompter(prompter) {}

void Transport::spacekey1Click() {
    if (!m_player.playing && m_player.lbCuedPatter != Player::kNone) {
        m_player.current_song = m_player.lbCuedPatter;
        m_player.btnOpenClick(Sender::spacekey1);
        return;
    }
    m_player.stopEverything();
    if (hooks.autoStore)
        hooks.autoStore();
}

void Transport::ControlSpaceKeyClick() {
    if (m_player.playing) {
        m_player.stopEverything();
        return;
    }
    if (m_player.lbCuedSinger != Player::kNone) {
        m_player.current_song = m_player.lbCuedSinger;
        m_player.btnOpenClick(Sender::ControlSpaceKey);
    }
}

void Transport::playStop() {
    if (m_player.current_song == Player::kNone) {
        const int choice = m_prompter.choose("Would you like to Play the Patter or Singer?",
                                             "Patter or Singer", {"&Patter", "&Singer"});
        if (choice == 0) {
            if (m_player.lbCuedPatter != Player::kNone)
                m_player.current_song = m_player.lbCuedPatter;
            else
                m_prompter.message("There is no Patter cued!");
        } else if (choice == 1) {
            if (m_player.lbCuedSinger != Player::kNone)
                m_player.current_song = m_player.lbCuedSinger;
            else
                m_prompter.message("There is no Singer cued!");
        }
        if (m_player.current_song == Player::kNone)
            return;
    }
    if (m_player.playing) {
        m_player.stopEverything();
        return;
    }
    m_player.btnOpenClick(Sender::Other);
    if (hooks.restartBreakTimer)
        hooks.restartBreakTimer();
}

void Transport::playResume() {
    if (m_player.playing) {
        m_player.stopEverything();
        return;
    }
    m_player.resume();
}

void Transport::switchToPatter() {
    if (!m_player.playing)
        return;
    m_player.stopEverything();
    if (m_player.lbCuedPatter != Player::kNone) {
        m_player.current_song = m_player.lbCuedPatter;
        m_player.btnOpenClick(Sender::Other);
    }
}

void Transport::fade() {
    m_player.fadeOut(kFadeMs);
}

} // namespace hoedeck
