#pragma once

#include "ringbuffer.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

namespace hoedeck {

// Where mixed sound goes: the sound card through PortAudio, or a silent clock when a machine
// has none. Both only take frames out of the ring; the mixer fills it.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts taking frames; false with a reason when it cannot.
    virtual bool start(RingBuffer& ring, int sampleRate, QString& reason) = 0;
    virtual void stop() = 0;
    virtual QString name() const = 0;
    // Frames of the device's own buffering, for latency figures.
    virtual int bufferFrames() const = 0;

    // Times the output wanted frames the ring did not have.
    std::uint64_t underruns() const { return m_underruns.load(std::memory_order_relaxed); }
    // Frames taken out of the ring so far.
    std::uint64_t framesPlayed() const { return m_played.load(std::memory_order_relaxed); }

protected:
    // Called from the device or clock thread: fills `out` from the ring, silence for what is
    // missing. No locks, no allocation.
    void pull(RingBuffer& ring, float* out, std::size_t frames, bool countUnderrun);

    std::atomic<std::uint64_t> m_underruns{0};
    std::atomic<std::uint64_t> m_played{0};
};

// Keeps ALSA's and JACK's device probing off the terminal.
void quietAudioLibraries();

std::unique_ptr<AudioOutput> makePortAudioOutput();
std::unique_ptr<AudioOutput> makeNullOutput();

} // namespace hoedeck
