#pragma once

#include "audioengine.h"
#include "biquad.h"
#include "decodedfile.h"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

namespace hoedeck {

class BpmFeed;
class OutputTap;

// What the listener hears of one stream: the volume with its slide, the playing state and the
// level meter. Owned by the mixer.
//
// The gain that multiplies the sound follows the volume at no more than full scale in 5 ms, so
// a volume set in one step, a stream started in the middle of its sound or a cut between the
// two patter copies never jumps from one sample to the next: a step in the waveform is a click
// the whole hall hears.
struct Voice {
    // 5 ms at the mixing rate, rounded as a 5 ms slide is, so that a cut made of a 5 ms slide
    // down and an entry from silence adds up to the same level throughout.
    static constexpr int kRampFrames = (5 * AudioEngine::kSampleRate + 500) / 1000;
    static constexpr float kRampStep = 1.0f / kRampFrames;

    bool playing = false;
    float volume = 1.0f; // 0..1, what the caller set
    float gain = 1.0f;   // what is applied now
    int pan = 0;
    bool sliding = false;
    float slideTarget = 0;
    float slideStep = 0;
    int slideFrames = 0;
    bool stopAfterSlide = false;
    // The level gain under the volume (a song brought to an even loudness): it multiplies
    // whatever the volume and its slides do, and moves to a new value in a slide of its own.
    float trim = 1.0f;
    float trimTarget = 1.0f;
    float trimStep = 0;
    int trimFrames = 0;

    // Starts the voice; from silence when it starts in the middle of the sound.
    void start(bool fromSilence);
    void startSlide(float target, int milliseconds, bool stopAtEnd);
    void setVolume(float value);
    void setTrim(float target, int milliseconds);
    // Applies the gain (with the slide) to a block in place; may stop the voice, after which
    // the rest of the block is silence.
    void applyVolume(float* stereo, std::size_t frames);
};

// Left level 0..128 in the low 16 bits, right in the high 16 bits.
std::uint32_t meterLevel(const float* stereo, std::size_t frames);

// A position sync. The list a stream carries is never changed in place: a change makes a new
// list, so a procedure running on the mixer keeps its own alive.
struct SyncEntry {
    Handle handle = 0;
    std::int64_t frame = 0;
    AudioEngine::SyncProc proc;
};
using SyncList = std::vector<std::shared_ptr<SyncEntry>>;

// The parametric equaliser bands of a plain stream, in the order they were set.
struct FxBand {
    Handle handle = 0;
    dsp::PeakingFilter filter;
};
using FxChain = std::vector<FxBand>;

// SoundTouch and the state of a tempo stream's sound; used by the mixer only.
//
// A change of tempo alone is made on the mixer. A change of key or of playing rate makes
// SoundTouch design a new anti-alias filter, which allocates, so the caller makes a new
// SoundTouch with the new settings and the mixer crossfades from the old one to it.
struct TempoRender {
    TempoRender(int fileRate, int channels, float tempo, int rate, float pitch);
    ~TempoRender();
    std::unique_ptr<soundtouch::SoundTouch> st;
    float tempo = 0;      // percent
    int rate = 0;         // Hz of the source
    float pitch = 0;      // semitones
    double fed = 0;       // source frames given to SoundTouch
    bool flushed = false; // the end of the source has been pushed through
    bool eqOn = false;
    std::array<dsp::PeakingFilter, 3> filters{};
    // Whether going to these settings needs a new SoundTouch.
    bool needsNew(int newRate, float newPitch) const {
        return newRate != rate || newPitch != pitch;
    }
    // Tempo alone: never allocates.
    void setTempo(float value);
    void clear();

private:
    void set(float newTempo, int newRate, float newPitch);
};

// What the mixer publishes of a stream after every piece it renders, for any thread to read.
struct Published {
    // The position and the mixed-frame count it belongs to are read as a pair: a reader that
    // took one from before a piece and the other from after would see the stream jump.
    struct Place {
        double position = 0;       // source frames
        std::uint64_t mixedAt = 0; // output frames mixed when the mixer was there
    };
    // A sequence lock: odd while the mixer writes. A release store keeps every write before
    // it ahead of it, and an acquire load every read after it behind it, so a reader that
    // saw any part of a new pair also sees the count move and reads again.
    void storePlace(double value, std::uint64_t mixed) {
        const std::uint64_t seq = m_seq.load(std::memory_order_relaxed);
        m_seq.store(seq + 1, std::memory_order_relaxed);
        position.store(value, std::memory_order_release);
        m_mixedAt.store(mixed, std::memory_order_release);
        m_seq.store(seq + 2, std::memory_order_release);
    }
    Place place() const {
        for (;;) {
            const std::uint64_t before = m_seq.load(std::memory_order_acquire);
            const Place p{position.load(std::memory_order_acquire),
                          m_mixedAt.load(std::memory_order_acquire)};
            if (!(before & 1) && m_seq.load(std::memory_order_relaxed) == before)
                return p;
        }
    }

    // Source frames: a plain stream's next frame, a tempo stream's heard frame.
    std::atomic<double> position{0};
    // Where the current run began (a start, a jump): sound before it is not this run's.
    std::atomic<double> runStart{0};
    std::atomic<double> speed{1}; // source frames per output frame
    std::atomic<bool> playing{false};
    std::atomic<float> volume{1};
    std::atomic<float> slideTarget{0};
    std::atomic<int> slideFrames{0}; // 0: not sliding
    std::atomic<bool> slideStops{false};
    std::atomic<std::uint32_t> level{0};
    std::atomic<bool> ended{false}; // a one-shot sound that has played out

private:
    std::atomic<std::uint64_t> m_seq{0};
    std::atomic<std::uint64_t> m_mixedAt{0};
};

// A stream. Its fields are in three groups: fixed at creation; the control side, read and
// written by callers under the engine's lock; the render side, touched only by the mixer (it
// learns of every change through the command queue); and what the mixer publishes.
struct Stream {
    // Fixed.
    Handle handle = 0;
    std::uint32_t flags = 0;
    std::shared_ptr<DecodedFile> file;

    bool isDecode() const { return flags & AudioEngine::kFlagDecode; }
    std::int64_t frames() const { return file->frames(); }
    int channels() const { return file->channels(); }
    std::uint64_t bytesPerFrame() const { return std::uint64_t(channels()) * 2; }

    // Control side (engine lock).
    struct Control {
        Handle tempoOutput = 0; // a tempo stream's playable handle
        int rate = 0;           // Hz the source plays at
        float tempo = 0;        // percent
        float pitch = 0;        // semitones
        // The rate and key the mixer's SoundTouch was made for.
        int builtRate = 0;
        float builtPitch = 0;
        int pan = 0;
        bool autoFree = false;
        double decodePosition = 0; // a decode stream that plays nowhere keeps its position here
        // The latest command that sets the position / starts or stops / sets the volume, and
        // its value, answered until the mixer has taken the command.
        std::uint64_t positionSeq = 0;
        double position = 0;
        std::uint64_t playSeq = 0;
        bool playing = false;
        std::uint64_t volumeSeq = 0;
        float volume = 1;
        float trimDb = 0;
        std::uint64_t slideSeq = 0;
        AudioEngine::Slide slide;
        std::shared_ptr<const SyncList> syncs = std::make_shared<SyncList>();
        std::vector<std::pair<Handle, AudioEngine::ParamEq>> fx;
        bool eqOn = false;
        std::array<AudioEngine::PeakingEq, 3> bands{};
        std::shared_ptr<BpmFeed> bpm;
        float detectedBpm = -1;
    } control;

    // Render side (mixer only).
    struct Render {
        bool mixed = false; // in the mixer's list
        double position = 0;
        double speed = 1;
        Voice voice;
        std::uint64_t startAt = 0; // the mixed frame a timed one-shot sound starts at
        std::shared_ptr<const SyncList> syncs;
        std::shared_ptr<FxChain> fx;
        std::shared_ptr<TempoRender> tempo;
        std::shared_ptr<TempoRender> outgoing; // crossfaded out after a change of key or rate
        int crossfade = 0;                     // frames of it left
        std::shared_ptr<BpmFeed> bpm;
    } render;

    Published published;
};

} // namespace hoedeck
