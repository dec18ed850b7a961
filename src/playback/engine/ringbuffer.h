#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

namespace hoedeck {

// Frames of interleaved stereo float handed from the mixer to the device callback: one
// producer, one consumer, no locks. The consumer side is safe in a real-time callback.
class RingBuffer {
public:
    static constexpr int kChannels = 2;

    explicit RingBuffer(std::size_t capacityFrames)
        : m_capacity(capacityFrames), m_data(capacityFrames * kChannels, 0.0f) {}

    std::size_t capacity() const { return m_capacity; }
    // Safe from any thread. The read count is loaded first: both counts only grow and the
    // written one is never behind the read one, so the difference cannot go below zero; a
    // third thread that sleeps between the two loads can see more than fits, hence the clamp.
    std::size_t available() const {
        const std::size_t read = m_read.load(std::memory_order_acquire);
        const std::size_t written = m_written.load(std::memory_order_acquire);
        return std::min(written - read, m_capacity);
    }
    std::size_t space() const { return m_capacity - available(); }
    // Frames the consumer has taken since the ring was made.
    std::size_t consumed() const { return m_read.load(std::memory_order_acquire); }

    // Producer: writes up to `frames` frames; returns how many fitted.
    std::size_t push(const float* samples, std::size_t frames) {
        const std::size_t written = m_written.load(std::memory_order_relaxed);
        const std::size_t n =
            std::min(frames, m_capacity - (written - m_read.load(std::memory_order_acquire)));
        copy(written, n, [&](float* to, std::size_t offset, std::size_t count) {
            std::memcpy(to, samples + offset * kChannels, count * kChannels * sizeof(float));
        });
        m_written.store(written + n, std::memory_order_release);
        return n;
    }

    // Consumer: reads up to `frames` frames; returns how many there were.
    std::size_t pop(float* out, std::size_t frames) {
        const std::size_t read = m_read.load(std::memory_order_relaxed);
        const std::size_t n = std::min(frames, m_written.load(std::memory_order_acquire) - read);
        const std::size_t start = read % m_capacity;
        const std::size_t first = std::min(n, m_capacity - start);
        std::memcpy(out, m_data.data() + start * kChannels, first * kChannels * sizeof(float));
        std::memcpy(out + first * kChannels, m_data.data(),
                    (n - first) * kChannels * sizeof(float));
        m_read.store(read + n, std::memory_order_release);
        return n;
    }

private:
    template <typename Fn> void copy(std::size_t at, std::size_t n, Fn&& fn) {
        const std::size_t start = at % m_capacity;
        const std::size_t first = std::min(n, m_capacity - start);
        fn(m_data.data() + start * kChannels, 0, first);
        fn(m_data.data(), first, n - first);
    }

    const std::size_t m_capacity;
    std::vector<float> m_data;
    std::atomic<std::size_t> m_written{0};
    std::atomic<std::size_t> m_read{0};
};

} // namespace hoedeck
