#include "tempo.h"

#include "effects.h"
#include "effectsview.h"
#include "loopmarks.h"
#include "lyrics.h"
#include "musicbrowser.h"
#include "recordingpanel.h"
#include "trackmemory.h"
#include "transport.h"

#include <QListWidget>
#include <QMenu>

namespace hoedeck {

// The commands that have a key and no menu entry: the caller's hands stay on the keyboard
// during a dance.
void MainWindow::buildHiddenCommands() {
    m_hiddenMenu = new QMenu("Hidden", this);
    addHiddenCommand("spacekey1", QKeySequence(Qt::Key_Space),
                     [this] { guarded([this] { m_transport->spacekey1Click(); }); });
    addHiddenCommand("ControlSpaceKey", QKeySequence(Qt::CTRL | Qt::Key_Space),
                     [this] { guarded([this] { m_transport->ControlSpaceKeyClick(); }); });
    addHiddenCommand("Play/Stop", QKeySequence(Qt::Key_F1),
                     [this] { guarded([this] { m_transport->playStop(); }); });
    addHiddenCommand("Play/Resume", QKeySequence(Qt::Key_F2),
                     [this] { guarded([this] { m_transport->playResume(); }); });
    addHiddenCommand("Switch to Patter", QKeySequence(Qt::Key_Greater),
                     [this] { guarded([this] { m_transport->switchToPatter(); }); });
    addHiddenCommand("Fade", QKeySequence(Qt::ALT | Qt::Key_F), [this] { m_transport->fade(); });
    addHiddenCommand("Patter List", QKeySequence(Qt::CTRL | Qt::Key_P),
                     [this] { m_favoritePatter->setFocus(); });
    addHiddenCommand("Singer List", QKeySequence(Qt::CTRL | Qt::Key_S),
                     [this] { m_favoriteSingers->setFocus(); });
    addHiddenCommand("Refresh", QKeySequence(Qt::CTRL | Qt::Key_F5), [this] {
        m_musicBrowser->refresh();
        if (m_lyrics)
            m_lyrics->refreshFiles();
    });
    addHiddenCommand("Sound Effects", QKeySequence(Qt::SHIFT | Qt::Key_E),
                     [this] { listSoundEffects(); });
    addHiddenCommand("Sound Effect Again", QKeySequence(Qt::CTRL | Qt::Key_F1),
                     [this] { playSoundEffect(); });
    addHiddenCommand("PlayToEnd", QKeySequence(Qt::CTRL | Qt::Key_E),
                     [this] { m_loopMarks->togglePlayToEnd(); });
    addHiddenCommand("volume up", QKeySequence(Qt::CTRL | Qt::Key_V),
                     [this] { m_effects->volumeUp(); });
    addHiddenCommand("volume down", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
                     [this] { m_effects->volumeDown(); });
    addHiddenCommand("volume", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V),
                     [this] { m_effectsView->toggleVolumeSlider(); });
    addHiddenCommand("bass up", QKeySequence(Qt::CTRL | Qt::Key_B),
                     [this] { m_effects->moveBar(0, -1); });
    addHiddenCommand("bass down", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B),
                     [this] { m_effects->moveBar(0, +1); });
    addHiddenCommand("mid down", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
                     [this] { m_effects->moveBar(1, +1); });
    addHiddenCommand("treble up", QKeySequence(Qt::CTRL | Qt::Key_T),
                     [this] { m_effects->moveBar(2, -1); });
    addHiddenCommand("treble down", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T),
                     [this] { m_effects->moveBar(2, +1); });
    addHiddenCommand("equalizer", QKeySequence(Qt::CTRL | Qt::Key_Q),
                     [this] { m_effects->setEqualizer(!m_effects->chkEqualizer); });
    addHiddenCommand("clear effects", QKeySequence(Qt::CTRL | Qt::Key_C),
                     [this] { m_effects->clearEffects(); });
    addHiddenCommand("goldmem", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_G),
                     [this] { guarded([this] { m_trackMemory->goldmem1Click(); }); });
    addHiddenCommand("Memorize Loop, Speed, EQ, Pitch, Tempo", QKeySequence(),
                     [this] { guarded([this] { m_trackMemory->memorizeClick(); }); });
    // The press does nothing anywhere in the window; the song lists hop on its release.
    addHiddenCommand("Right", QKeySequence(Qt::Key_Right), [] {});
    addHiddenCommand("UP split screen slider slider", QKeySequence(Qt::CTRL | Qt::Key_A),
                     [this] { splitUp(); });
    addHiddenCommand("up split screen slider slider",
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), [this] { splitDown(); });
    addHiddenCommand("RecordAuto", QKeySequence(Qt::Key_F8), [this] { m_recording->RecordAuto(); });
}

} // namespace hoedeck
