#pragma once

#include "audioengine.h"
#include "biquad.h"
#include "bpm.h"
#include "decodedfile.h"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace soundtouch {
class SoundTouch;
}

namespace hoedeck {

// Something that sounds: a plain stream, or the output of a tempo stream. It carries the
// volume with its slide, the playing state and the level meter.
struct Voice {
    bool playing = false;
    float volume = 1.0f; // 0..1
    int pan = 0;
    // A linear volume slide, in steps per output frame.
    bool sliding = false;
    float slideTarget = 0;
    float slideStep = 0;
    int slideFrames = 0;
    bool stopAfterSlide = false;
    std::atomic<std::uint32_t> level{0};

    // Applies volume (with the slide) to a block in place; may stop the voice.
    void applyVolume(float* stereo, std::size_t frames);
    void meter(const float* stereo, std::size_t frames);
    void startSlide(float target, int milliseconds, bool stopAtEnd);
};

struct Sync {
    Handle handle = 0;
    std::int64_t frame = 0;
    AudioEngine::SyncProc proc;
};

struct FxBand {
    Handle handle = 0;
    AudioEngine::ParamEq eq;
    dsp::PeakingFilter filter;
};

struct TempoState {
    TempoState(int fileRate, int channels);
    ~TempoState();
    std::unique_ptr<soundtouch::SoundTouch> st;
    Handle output = 0;
    Voice voice;
    float tempo = 0;      // percent
    int rate = 0;         // Hz of the source
    float pitch = 0;      // semitones
    bool flushed = false; // the end of the source has been pushed through
    bool eqOn = false;
    std::array<AudioEngine::PeakingEq, 3> bands{};
    std::array<dsp::PeakingFilter, 3> filters{};
    // The live BPM measurement.
    AudioEngine::BpmProc bpmProc;
    float bpmPeriod = 0;
    std::unique_ptr<dsp::BpmDetector> bpmLive;
    void applySettings(int fileRate);
};

struct Stream {
    Handle handle = 0;
    std::uint32_t flags = 0;
    std::shared_ptr<DecodedFile> file;
    double pos = 0; // source frames
    int rate = 0;   // playing rate of a plain stream, Hz of the source
    Voice voice;    // plain streams
    bool autoFree = false;
    std::vector<Sync> syncs;
    std::vector<FxBand> fx;
    std::unique_ptr<TempoState> tempo;
    float detectedBpm = -1;

    bool isDecode() const { return flags & AudioEngine::kFlagDecode; }
    std::int64_t frames() const { return file->frames(); }
    int channels() const { return file->channels(); }
    std::uint64_t bytesPerFrame() const { return std::uint64_t(channels()) * 2; }
    // Where the listener is in the source: a tempo stream has pushed some of it ahead.
    double heardPosition() const;
};

} // namespace hoedeck
