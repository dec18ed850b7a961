#pragma once

#include "audioengine.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

namespace hoedeck {

class MusicFolders;
class Prompter;

// Who asked for a song to be opened: the slot decision and the play history depend on it.
enum class Sender {
    FileListBox1,       // double click in the music folder's file list
    LyricsFileList,     // double click on a lyrics file: the song married to it
    lbFavorite_Patter,  // double click in the favourite patter list
    lbFavorite_Singers, // double click in the favourite singers list
    spacekey1,          // the cued patter's key
    ControlSpaceKey,    // the cued singer's key, and the singer playlist
    Other,              // play/stop keys, the remote, the switch to patter
};

// The stream set of the two song slots; 0 means none.
struct StreamSet {
    Handle singerTempo = 0; // the singer's decode stream, made a tempo stream
    Handle copyA = 0;
    Handle copyB = 0;
    Handle patterReference = 0;
    Handle bpmStream = 0;
    Handle alarm = 0;
};

// What one progress tick leaves for the displays; unset parts stay as they are.
struct TickDisplay {
    bool advancePlaylist = false; // playback ended with the singer playlist on
    std::optional<QString> position_counter;
    std::optional<QString> Label1;
    std::optional<int> meter;
    std::optional<int> percent;
};

// The two song slots and the shared playback state: which songs are cued and current, which
// stream sounds, the loop marks, and opening a song in the right slot. Other parts of the
// program plug into opening a song through the hooks; each does nothing until set.
class Player : public QObject {
    Q_OBJECT
public:
    static inline const QString kNone = QStringLiteral("none");
    static inline const QString kDefaultLoopStart = QStringLiteral("1");
    static inline const QString kDefaultLoopEnd = QStringLiteral("300");
    // The hard loop switch's cut, and the crossfade's two slides.
    static constexpr int kCutMs = 5;

    Player(AudioEngine& engine, MusicFolders& folders, Prompter& prompter,
           QObject* parent = nullptr);

    // Cued and current songs, as the labels show them.
    QString lbCuedPatter = kNone;
    QString lbCuedSinger = kNone;
    QString current_song = kNone;
    QString currentSongPath = kNone;

    bool patterMode = false;
    // Read and written by the loop switch on the mixer thread as well.
    std::atomic<bool> playing{false};
    std::atomic<int> activeChannel{0}; // 0 singer, 1 copy A, 2 copy B
    std::atomic<bool> playToEnd{false};
    std::atomic<bool> hardLoop{false};
    std::atomic<int> volume{100}; // the volume slider, 0..100
    int nativeSampleRate = 44100;
    bool golden = false;
    bool alarmSounded = false;
    StreamSet streams;

    // Loop marks as the edits hold them; reading a mark that is not a number gives its
    // default.
    QString eLoop_Start = kDefaultLoopStart;
    QString eLoop_End = kDefaultLoopEnd;
    double loopStart() const;
    double loopEnd() const;
    // Keeps the loop switch's copy of the loop start current; call after changing it.
    void publishLoopStart();

    // What open song leaves for the displays.
    int hsPositionMax = 0;     // the position bar's maximum: the length in whole seconds
    QString Label3;            // the status line
    bool label3Golden = false; // shown yellow with black text
    bool progressTimerEnabled = false;

    // Position texts: "###.##" length, "MM:SS" total (and the tempo-adjusted total of a
    // singer), and the singer position bar's target.
    QString ltotal_time;
    QString Label2;
    QString lblPosition;
    void UpdatePositionLabel(int positionBarValue = 0);

    // The 33 ms tick: end of playback, meter, position, status line and progress.
    TickDisplay tick(bool playlistChecked);

    // The file information lines of a song: channels, bits, rate, bytes a second, and with
    // withSize the size in KB. Empty when the file is not sound.
    QStringList fileInfo(const QString& path, bool withSize) const;

    // Resolves the file to open for a sender (favourite item text or the file list's path).
    QString Name_mp3file(Sender sender, const QString& item = {});
    // Opens a song in its slot and starts it.
    void btnOpenClick(Sender sender, const QString& item = {});
    // Starts the stream of the active channel again where it stopped.
    void resume();
    // Slides every stream of both slots to silence over the time and stops them.
    void fadeOut(int milliseconds);
    // Lets go of the singer and BPM streams, so their file can be moved.
    void releaseSongFile();
    // Stops both slots; positions stay, so the song can resume.
    void stopEverything();
    // After a loop mark changed: the status line and the displays show the marks in force.
    void loopMarksChanged();
    // Starts the loop-end syncs on both copies again at the current loop end.
    void installLoopSyncs();
    // Total length of the current song in seconds as shown ("###.##").
    QString totalTimeText() const;
    // Length in seconds of the stream the active channel names.
    double activeLength() const;
    // Position in seconds: the singer's source, or the active copy's when above 0.
    double position() const;

    // The places other parts plug into opening a song; each runs at its step.
    struct Hooks {
        std::function<void()> restartBreakTimer;
        std::function<void()> resetEffects;        // sliders and equaliser to their defaults
        std::function<void()> restoreTrackMemory;  // golden, then ordinary memory
        std::function<void()> applyVolume;         // the volume slider to the active stream
        std::function<void()> levelSong;           // the even-loudness gain of the new song
        std::function<void()> attachPatterEffects; // the patter equaliser on both copies
        std::function<void()> applyPatterBandGains;
        std::function<void()> attachSingerEqualizer;
        std::function<void()> detectBpm; // measure and show the speed
        std::function<void()> showFileInfo;
        std::function<QStringList(const QString& path)> moreFileInfo; // lines after the tags
        std::function<void(Sender)> markPlayed;                       // play history
        std::function<void()> logPlay;                                // song log
        std::function<void()> patterOpened; // e.g. the singer playlist unchecks
        std::function<void()> tickExtras;   // live BPM, remote keep-alive, break timer
    } hooks;

signals:
    // Something the windows show has changed.
    void stateChanged();
    // An error box: message plus the engine's codes.
    void audioError(const QString& text);

private:
    bool buildPatter(const QString& path);
    bool buildSinger(const QString& path);
    void defaultLoopMarks();
    void reportUnplayable(const QString& message, const QString& path);
    // "Loop at: " (or "Golden Loop at: ") and the loop end, into the status line.
    void showLoopEnd();
    void switchCopies(Handle source, Handle target, int targetChannel);
    static void run(const std::function<void()>& hook) {
        if (hook)
            hook();
    }

    AudioEngine& m_engine;
    MusicFolders& m_folders;
    Prompter& m_prompter;
    std::atomic<float> m_loopStartCopy{1.0f};
    Handle m_syncA = 0;
    Handle m_syncB = 0;
};

} // namespace hoedeck
