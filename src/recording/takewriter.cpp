#include "takewriter.h"

#include <algorithm>
#include <cmath>

namespace hoedeck {

namespace {
constexpr std::size_t kChunkFrames = 4096;
constexpr auto kIdle = std::chrono::milliseconds(10);
// How often an idle writer looks whether the encoder still runs.
constexpr auto kEncoderCheck = std::chrono::milliseconds(100);
// 16-bit samples travel through the float ring as exact multiples of 1/32768 and come back
// unchanged.
constexpr float kScale = 32768.0f;
} // namespace

TakeWriter::TakeWriter(std::size_t ringFrames)
    : m_ring(ringFrames), m_scratch(kChunkFrames * RingBuffer::kChannels) {}

TakeWriter::~TakeWriter() {
    if (m_thread.joinable())
        finish();
}

bool TakeWriter::start(const QString& output, QString& reason, std::function<void()> encoderEnded) {
    if (!m_encoder.start(output, reason))
        return false;
    m_encoderPid = m_encoder.pid();
    m_encoderEnded = std::move(encoderEnded);
    m_thread = std::thread([this] { run(); });
    return true;
}

bool TakeWriter::capture(const std::int16_t* samples, std::size_t bytes) {
    if (m_encoderGone.load())
        return false;
    const std::size_t frames = bytes / 4;
    m_capturedFrames += frames;
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(kChunkFrames, frames - done);
        const std::int16_t* from = samples + done * 2;
        for (std::size_t i = 0; i < n * 2; ++i)
            m_scratch[i] = float(from[i]) / kScale;
        const std::size_t fitted = m_ring.push(m_scratch.data(), n);
        if (fitted < n) {
            m_lostFrames += n - fitted;
            if (!m_losing)
                ++m_gaps;
            m_losing = true;
        } else {
            m_losing = false;
        }
        done += n;
    }
    return true;
}

void TakeWriter::run() {
    std::vector<float> block(kChunkFrames * RingBuffer::kChannels);
    std::vector<std::int16_t> pcm(kChunkFrames * RingBuffer::kChannels);
    auto lastCheck = std::chrono::steady_clock::now();
    for (;;) {
        const std::size_t n = m_ring.pop(block.data(), kChunkFrames);
        if (n > 0) {
            for (std::size_t i = 0; i < n * 2; ++i)
                pcm[i] = std::int16_t(std::clamp(std::lrint(block[i] * kScale), -32768L, 32767L));
            // Raw PCM in the machine's byte order, which the encoder is told is little-endian.
            if (m_encoder.write(reinterpret_cast<const char*>(pcm.data()), n * 4, m_giveUp))
                continue;
            break;
        }
        if (m_finishing.load())
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastCheck >= kEncoderCheck) {
            lastCheck = now;
            if (!m_encoder.running())
                break;
        }
        std::this_thread::sleep_for(kIdle);
    }
    if (m_giveUp.load())
        return; // finish() stops the encoder itself
    m_encoderGone = true;
    if (!m_finishing.load() && m_encoderEnded)
        m_encoderEnded();
}

TakeWriter::Result TakeWriter::finish() {
    Result result;
    if (m_thread.joinable()) {
        const auto deadline = std::chrono::steady_clock::now() + kFinishPatience;
        m_finishing = true;
        // The writer drains the ring; an encoder that takes none of it is given up on.
        while (m_ring.available() > 0 && !m_encoderGone.load() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (m_ring.available() > 0)
            m_giveUp = true;
        m_thread.join();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        result.fault = m_encoder.finish(std::max(left, std::chrono::milliseconds(1000)));
        if (result.fault.isEmpty() && m_encoderGone.load())
            result.fault = QStringLiteral("%1 ended before the take did").arg(Mp3Encoder::kProgram);
    }
    result.capturedFrames = m_capturedFrames.load();
    // What was still waiting when the encoder ended or was given up on never reached the file.
    m_lostFrames += m_ring.available();
    result.lostFrames = m_lostFrames.load();
    result.gaps = m_gaps.load() + (m_ring.available() > 0 ? 1 : 0);
    return result;
}

} // namespace hoedeck
