#pragma once

#include "audioengine.h"
#include "datafolder.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

namespace hoedeck {

class Effects;
class Prompter;

// Ticks at a number of beats per minute while the music is turned down, for practising
// timing. Each beat is placed on the audio output's own clock at its exact frame, one beat
// ahead, so beats neither drift nor jitter whatever the window is doing; the tick is decoded
// once when loaded and played from that copy at every beat.
class Metronome : public QObject {
    Q_OBJECT
public:
    static constexpr int kMinBpm = 40, kMaxBpm = 240, kDefaultBpm = 125;
    static constexpr int kFirstBeatMs = 350;
    static constexpr int kMusicVolume = 30;  // the volume slider while it ticks
    static constexpr int kVolumeAfter = 100; // and after
    // A tick is a short sound: a file far larger is not one.
    static constexpr qint64 kMaxSoundBytes = 16 * 1024 * 1024;

    Metronome(DataFolder folder, AudioEngine& engine, Effects& effects, Prompter& prompter,
              QObject* parent = nullptr);
    ~Metronome() override;

    // The "*.wav" files of the data folder's sounds/, by name, sorted without regard to
    // case; the first is selected.
    void listSounds();
    const QStringList& sounds() const { return m_sounds; }
    int selected() const { return m_selected; }
    // Chooses a sound and loads it at once; a running metronome ticks it from its next beat.
    void selectSound(int index);

    int bpm() const { return m_bpm; }
    // Read at every beat: the beat under way keeps its length, the next ones take the new.
    void setBpm(int bpm);
    // Output frames from one beat to the next.
    static double beatFrames(int bpm);

    bool running() const { return m_running; }
    // Turns the music down and ticks from 350 ms on. False, with a message, when there is no
    // sound to tick with.
    bool start();
    // Stops the ticks (one already placed but not yet heard too) and turns the music up.
    void stop();

    // Places the next beat once the one before it is heard. Runs every few milliseconds
    // while running; tests call it between renders of the offline output.
    void poll();
    // The output frame of the beat placed last.
    std::uint64_t beatFrame() const { return m_beatFrame; }
    int beatsPlaced() const { return m_beats; }

signals:
    void runningChanged(bool running);

private:
    bool load();
    void place();
    std::uint64_t heardFrame() const;

    DataFolder m_folder;
    AudioEngine& m_engine;
    Effects& m_effects;
    Prompter& m_prompter;
    QTimer m_poll;
    QStringList m_sounds;
    int m_selected = -1;
    Handle m_sound = 0; // the decoded tick
    int m_bpm = kDefaultBpm;
    bool m_running = false;
    double m_beatExact = 0; // where the beat placed last falls, in fractional frames
    std::uint64_t m_beatFrame = 0;
    Handle m_beat = 0, m_previousBeat = 0;
    int m_beats = 0;
};

} // namespace hoedeck
