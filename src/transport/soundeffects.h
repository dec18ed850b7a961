#pragma once

#include "audioengine.h"
#include "datafolder.h"

#include <QStringList>

namespace hoedeck {

class Prompter;

// Sound effects a caller keeps in the FX folder of the data folder, listed in the file
// information box and played over the music.
class SoundEffects {
public:
    SoundEffects(DataFolder folder, AudioEngine& engine, Prompter& prompter);

    // Shift+E: the MP3s of the FX folder and its subfolders, as names to show; nothing when
    // there are none. A missing folder is made, and the caller told.
    QStringList list();
    // Plays the effect at the row (the one played last when row is -1); the row played, or -1.
    int play(int row);
    int lastPlayed() const { return m_last; }
    const QStringList& paths() const { return m_paths; }

private:
    DataFolder m_folder;
    AudioEngine& m_engine;
    Prompter& m_prompter;
    QStringList m_paths;
    int m_last = 0;
};

} // namespace hoedeck
