#pragma once

#include "encoder.h"
#include "ringbuffer.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace hoedeck {

// One take on its way to the MP3 file: the capture thread hands each captured buffer to
// capture(), which only copies it into a ring and never waits; a writer thread of the take's
// own takes the sound out of the ring and feeds the encoder, which may be slow at times (a
// busy disk, a busy machine). When the encoder falls so far behind that the ring is full, the
// sound that does not fit is counted as lost, never silently: lostFrames() and gaps() say how
// much and in how many places.
class TakeWriter {
public:
    static constexpr int kSampleRate = 44100;
    // Ten seconds of sound may wait for the encoder before any is lost.
    static constexpr std::size_t kRingFrames = 10 * kSampleRate;
    // How long the encoder may take to write the end of the file at the end of a take.
    static constexpr std::chrono::milliseconds kFinishPatience{10000};

    struct Result {
        QString fault; // why the encoder ended badly, empty when it did not
        std::uint64_t capturedFrames = 0;
        std::uint64_t lostFrames = 0; // captured but not encoded: the ring was full
        std::uint64_t gaps = 0;       // places where sound was lost
    };

    explicit TakeWriter(std::size_t ringFrames = kRingFrames);
    ~TakeWriter();
    TakeWriter(const TakeWriter&) = delete;
    TakeWriter& operator=(const TakeWriter&) = delete;

    // Starts the encoder writing `output` and the writer thread. `encoderEnded` runs on the
    // writer thread when the encoder ends by itself during the take (not after finish()).
    bool start(const QString& output, QString& reason, std::function<void()> encoderEnded = {});
    // The capture thread's side: 16-bit stereo, `bytes` a multiple of 4. Never waits. False
    // once the encoder has ended, so the capture ends too.
    bool capture(const std::int16_t* samples, std::size_t bytes);
    // After the capture has stopped: what is in the ring is encoded, the encoder finishes the
    // file and the writer thread ends.
    Result finish();

    std::uint64_t capturedBytes() const { return m_capturedFrames.load() * 4; }
    std::uint64_t lostFrames() const { return m_lostFrames.load(); }
    bool encoderAlive() const { return !m_encoderGone.load(); }
    pid_t encoderPid() const { return m_encoderPid; }

private:
    void run();

    RingBuffer m_ring;
    Mp3Encoder m_encoder;
    pid_t m_encoderPid = -1;
    std::function<void()> m_encoderEnded;
    std::thread m_thread;
    std::atomic<bool> m_finishing{false};
    std::atomic<bool> m_giveUp{false};
    std::atomic<bool> m_encoderGone{false};
    std::atomic<std::uint64_t> m_capturedFrames{0};
    std::atomic<std::uint64_t> m_lostFrames{0};
    std::atomic<std::uint64_t> m_gaps{0};
    // The capture thread's own: its buffer in the ring's samples, and whether its last buffer
    // was cut short.
    std::vector<float> m_scratch;
    bool m_losing = false;
};

} // namespace hoedeck
