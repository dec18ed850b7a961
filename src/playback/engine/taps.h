#pragma once

#include "ringbuffer.h"
#include "wavwriter.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace hoedeck {

// The mixed output handed to one consumer (the output copy, the recorder, the metronome): the
// mixer writes every block into a lock-free ring and never waits; a consumer that falls
// behind loses the oldest sound it has not taken, counted in dropped().
class OutputTap {
public:
    explicit OutputTap(std::size_t capacityFrames) : m_ring(capacityFrames) {}

    // The consumer: up to `frames` stereo frames, in order; returns how many there were.
    std::size_t read(float* stereo, std::size_t frames) { return m_ring.pop(stereo, frames); }
    std::size_t available() const { return m_ring.available(); }
    std::uint64_t dropped() const { return m_dropped.load(std::memory_order_relaxed); }

    // The mixer.
    void write(const float* stereo, std::size_t frames) {
        const std::size_t fitted = m_ring.push(stereo, frames);
        if (fitted < frames)
            m_dropped.fetch_add(frames - fitted, std::memory_order_relaxed);
    }

private:
    RingBuffer m_ring;
    std::atomic<std::uint64_t> m_dropped{0};
};

// Writes what a tap hands over to a 16-bit WAV file on a thread of its own, so the mixer
// never touches a file.
class TapWavWriter {
public:
    TapWavWriter() = default;
    ~TapWavWriter();
    TapWavWriter(const TapWavWriter&) = delete;
    TapWavWriter& operator=(const TapWavWriter&) = delete;

    // Creates the file and starts writing what `tap` gives; false when the file cannot be made.
    bool start(const QString& path, int sampleRate, std::shared_ptr<OutputTap> tap);
    // Writes what is left in the tap and closes the file.
    void stop();

private:
    void run();

    WavWriter m_file;
    std::shared_ptr<OutputTap> m_tap;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_running = false;
};

} // namespace hoedeck
