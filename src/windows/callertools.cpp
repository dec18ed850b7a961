#include "callertools.h"

#include "U_metronome.h"
#include "breaktimer.h"
#include "breaktimerview.h"
#include "flashmenu.h"
#include "lyrics.h"
#include "remotemenu.h"
#include "serialremote.h"

#include <QAction>
#include <QMenu>

namespace hoedeck {

CallerTools::CallerTools(const Parts& parts, QObject* parent)
    : QObject(parent), m_parts(parts),
      m_timer(
          std::make_unique<BreakTimer>(parts.folder, parts.engine, parts.player, parts.prompter)),
      m_remote(std::make_unique<SerialRemote>(parts.folder, parts.player, parts.transport,
                                              parts.loopMarks, parts.prompter)) {
    m_timer->plugInto(parts.player, parts.transport);
    m_remote->guard = parts.guarded;
}

CallerTools::~CallerTools() = default;

void CallerTools::addTimerMenu(QMenuBar* bar) {
    m_timerView = new BreakTimerView(*m_timer, m_parts.prompter, bar, m_parts.countdown,
                                     m_parts.progresTimer, this);
}

void CallerTools::addRemoteMenu(QMenuBar* bar) {
    m_remoteMenu = new RemoteMenu(*m_remote, bar, m_parts.window, this);
}

void CallerTools::setLyricsWindow(LyricsWindow* window) {
    m_timerView->setLyricsWindow(window);
    // The remote's flash-calls type flashes the lyrics window's calls, and that window's
    // "Hilton reset - flash" puts the remote on that type.
    FlashCallsMenu& flash = window->flashCalls();
    m_remote->flashCall = [&flash] { flash.pick(); };
    flash.remoteFlashes = [this] {
        m_remote->chooseType(SerialRemote::Type::ToggleFlashCalls); // and switches it on
        if (m_remoteMenu)
            m_remoteMenu->refresh();
    };
    if (m_remoteMenu)
        m_remoteMenu->refresh();
}

void CallerTools::addMetronomeCommand(QMenu* bpm) {
    QAction* metronome =
        bpm->addAction("Metronome", QKeySequence(Qt::CTRL | Qt::Key_M), this, [this] {
            if (m_metronome)
                m_metronome->toggle();
        });
    metronome->setObjectName("Metronome1");
    m_parts.window->addAction(metronome); // its key works while the menu is closed
}

void CallerTools::probeRemote() {
    m_parts.guarded([this] { m_remote->load_ports(); });
    m_remote->probe();
    m_remoteMenu->refresh();
}

void CallerTools::loadTimer() {
    m_parts.guarded([this] { m_timer->load_timer(); });
    m_timerView->refresh();
}

} // namespace hoedeck
