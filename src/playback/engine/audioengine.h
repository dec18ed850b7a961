#pragma once

#include "audioerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

namespace hoedeck {

class AudioOutput;
class OutputTap;
class PortAudioHost;

// Handles of streams, syncs and effects: 32-bit, 0 means none.
using Handle = std::uint32_t;

// The program's audio library: file streams (plain, with effects, decode-only), tempo streams,
// equalisers, position syncs, slides, levels, BPM and one-shot sounds, mixed at 44100 Hz stereo
// and played on the sound card, on a silent real-time clock, or rendered on demand (offline).
//
// Positions and lengths are bytes of 16-bit samples at the file's own rate and channels, as
// desktop audio libraries count them; seconds are floats. Every call is safe from any thread
// and from a sync procedure, and takes the engine's lock only briefly; the mixer never waits
// for it. The position of a playing stream is what the listener hears now: the sound mixed
// but still queued for the output is not counted.
class AudioEngine {
public:
    enum class Output {
        Device,  // the sound card; falls back to Null when none can be opened
        Null,    // a silent output paced by a real-time clock
        Offline, // no thread, no device: render() mixes on demand; files decode at open
    };
    // Device, unless HOEDECK_AUDIO=null asks for the silent output.
    static Output outputFromEnvironment();

    static constexpr std::uint32_t kFlagFx = 0x80;         // effects can be attached
    static constexpr std::uint32_t kFlagDecode = 0x200000; // decoding only, never played
    static constexpr std::uint32_t kChannelFlag8Bit = 1;   // channelGetFlags: 8-bit source
    static constexpr std::uint32_t kChannelFlagMono = 2;
    static constexpr int kSampleRate = 44100;
    static constexpr int kRateUnchanged = -1, kRateOriginal = 0;
    static constexpr int kVolumeUnchanged = -1, kVolumeSlideToStop = -2;
    static constexpr int kPanUnchanged = -101;
    static constexpr float kTempoUnchanged = -100.0f, kPitchUnchanged = -100.0f;

    struct Attributes {
        int rate = 0;   // Hz
        int volume = 0; // 0..100
        int pan = 0;    // -100..100
    };
    // A parametric equaliser band of a plain stream (bandwidth in semitones).
    struct ParamEq {
        float centre = 1000;
        float bandwidth = 18;
        float gain = 0;
    };
    // A band of a tempo stream's peaking equaliser (bandwidth in octaves).
    struct PeakingEq {
        int band = 0;
        int sampleRate = 44100;
        float bandwidth = 2.5f;
        float q = 0;
        float centre = 1000;
        float gain = 0;
    };
    // A volume slide under way.
    struct Slide {
        float volume = 0;    // where it goes, 0..100
        int remainingMs = 0; // how long it still takes
        bool stops = false;  // the stream stops at the end
    };
    using SyncProc = std::function<void(Handle sync, Handle stream)>;
    using BpmProc = std::function<void(Handle stream, float bpm)>;
    // Makes the output of a named device ("" = the default); tests pass stand-in devices.
    using DeviceFactory = std::function<std::unique_ptr<AudioOutput>(const QString& device)>;

    explicit AudioEngine(Output output, DeviceFactory devices = {});
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Opens the output. With Device and no usable sound card it runs on the null output and
    // returns false with the reason; everything else works as before.
    bool start(QString* reason = nullptr);
    // Stops the output and frees every stream.
    void free();
    Output output() const;
    QString outputName() const;
    // What the output has to say about its health.
    std::uint64_t underruns() const;
    // Frames the output has taken so far.
    std::uint64_t framesPlayed() const;
    int outputBufferFrames() const;
    // Frames mixed but not yet played: the delay a command's sound waits behind.
    int queuedFrames() const;
    // Output frames mixed so far: the clock of playSampleAt().
    std::uint64_t mixedFrames() const;

    // The output device: PortAudio's output devices by name, the one chosen ("" = the
    // default), and choosing another while playing (it takes over once it runs).
    QStringList outputDevices() const;
    QString outputDevice() const;
    void setOutputDevice(const QString& device);
    // "" while the output is well, else the one line the window shows while the engine tries
    // to get it back: "The audio output stopped (<reason>); trying to reopen it".
    QString outputStatus() const;
    // PortAudio for the recorder too: devices are found again once nobody holds it.
    std::shared_ptr<PortAudioHost> portAudioHost() const;

    // The last error of the calling thread's most recent call.
    AudioError errorGetCode() const;

    // Streams.
    Handle streamCreateFile(const QString& path, std::uint32_t flags);
    Handle streamCreateMemory(const QByteArray& image, std::uint32_t flags);
    bool streamFree(Handle stream);
    bool streamPlay(Handle stream, bool restart);
    bool channelStop(Handle stream);
    bool channelIsActive(Handle stream) const;
    std::uint64_t streamGetLength(Handle stream) const;
    std::uint64_t channelGetPosition(Handle stream) const;
    bool channelSetPosition(Handle stream, std::uint64_t bytes);
    float channelBytes2Seconds(Handle stream, std::uint64_t bytes) const;
    std::uint64_t channelSeconds2Bytes(Handle stream, float seconds) const;
    bool channelGetAttributes(Handle stream, Attributes& attributes) const;
    bool channelSetAttributes(Handle stream, int rate, int volume, int pan);
    bool channelSlideAttributes(Handle stream, int rate, int volume, int pan, int milliseconds);
    // The level gain under the volume, in dB, reached in a slide of `milliseconds` (a song
    // brought to an even loudness); the volume and its slides and fades act on top of it.
    bool channelSetGain(Handle stream, float decibels, int milliseconds);
    float channelGetGain(Handle stream) const;
    // The volume slide of a stream, false when none is under way.
    bool channelGetSlide(Handle stream, Slide& slide) const;
    std::uint32_t channelGetLevel(Handle stream) const;
    std::uint32_t channelGetFlags(Handle stream) const;
    // A position sync: proc runs on the mixer thread at the frame where playback passes the
    // position, once per pass; what it changes sounds from that frame on. On a tempo stream
    // the position is in the source, and the frame is where the listener hears it.
    Handle channelSetSync(Handle stream, std::uint64_t bytes, SyncProc proc);
    bool channelRemoveSync(Handle stream, Handle sync);

    // The parametric equaliser of plain streams.
    Handle channelSetFx(Handle stream);
    bool fxSetParameters(Handle fx, const ParamEq& eq);
    bool fxGetParameters(Handle fx, ParamEq& eq) const;
    bool channelRemoveFx(Handle stream, Handle fx);

    // Tempo streams: a decode stream becomes one; its playable output is another handle.
    bool tempoCreate(Handle decodeStream);
    Handle tempoGetResampledHandle(Handle decodeStream) const;
    bool tempoSet(Handle decodeStream, float tempo, int rate, float pitch);
    bool tempoStopAndFlush(Handle decodeStream);
    float tempoGetApproxSeconds(Handle decodeStream, float seconds) const;
    float tempoGetApproxPercents(Handle decodeStream) const;
    // The peaking equaliser of tempo streams: three bands once set.
    bool dspSetPeakingEq(Handle decodeStream);
    bool dspRemovePeakingEq(Handle decodeStream);
    bool dspSetParameters(Handle decodeStream, const PeakingEq& eq);
    bool dspGetParameters(Handle decodeStream, PeakingEq& eq) const;

    // BPM of a decode stream's sound between two times; waits for decoding, so call it off
    // the user-interface thread. -1 when no beat is found.
    float bpmDecodeGet(Handle decodeStream, float startSeconds, float endSeconds);
    // Measures the BPM of the sound a tempo stream plays every `periodSeconds`; proc runs on
    // the measuring thread. Setting it again with the same period keeps the measurement going.
    bool bpmCallbackSet(Handle decodeStream, BpmProc proc, float periodSeconds);
    bool bpmFree(Handle decodeStream);
    // The detected BPM of a stream scaled by a tempo percentage; -1 when none was detected.
    float bpmPercents2Bpm(Handle stream, float percents) const;

    // A one-shot sound from a file or an image in memory, played at once from its start and
    // freed when it ends. The handle can be stopped like any stream.
    Handle playSample(const QString& path, int volume = 100);
    Handle playSample(const QByteArray& image, int volume = 100);
    // The same, starting exactly at a mixed frame (mixedFrames()); at once when that is past.
    Handle playSampleAt(const QString& path, int volume, std::uint64_t mixedFrame);
    Handle playSampleAt(const QByteArray& image, int volume, std::uint64_t mixedFrame);
    // The same with the sound of a stream (one made with kFlagDecode to hold it): a sound
    // played again and again, a metronome's tick, is decoded once. The stream can be freed
    // while its one-shots still sound.
    Handle playSampleOf(Handle stream, int volume, std::uint64_t mixedFrame);

    // A copy of everything mixed, handed over through a lock-free ring of that many frames;
    // the consumer reads it from its own thread and closes it when done.
    std::shared_ptr<OutputTap> tapOpen(std::size_t capacityFrames);
    void tapClose(const std::shared_ptr<OutputTap>& tap);

    // Offline output only: mixes `frames` stereo frames into `out`.
    void render(float* out, std::size_t frames);

    // The error box texts the windows show.
    // Why a file could not be opened, in words a caller understands ("empty file", "not a
    // file", "not audio that can be read"), from the engine's error and the file itself.
    static QString reasonText(AudioError error, const QString& path);
    static QString errorText(const QString& message, int code, int effectsCode);
    static QString recorderErrorText(const QString& message, int code);

    class Impl;

private:
    std::unique_ptr<Impl> m;
};

} // namespace hoedeck
