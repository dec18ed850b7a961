#pragma once

// Sound cards a test can pull out, stall and break, opened through the engine's device factory
// as real outputs with a pulling thread of their own, paced like a sound card's callback.

#include "output.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace hoedeck::testing {

// What reached the speakers, across every card. When the frames are numbered (a test's own
// producer), any frame out of order means the ring was popped twice at once or frames were
// repeated.
struct Listener {
    std::mutex mutex;
    float last = 0;
    bool outOfOrder = false;

    void hear(const float* frames, std::size_t count) {
        std::lock_guard lock(mutex);
        float previous = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const float v = frames[i * 2];
            if (v == 0) {
                previous = 0;
                continue;
            }
            if (v <= last || (previous != 0 && v != previous + 1))
                outOfOrder = true;
            last = previous = v;
        }
    }
};

// One card; every output opened on it shares it.
struct StandInCard {
    using Clock = std::chrono::steady_clock;

    QString name;
    Listener* listener = nullptr; // none: what is played goes nowhere
    std::atomic<bool> plugged{true};
    std::atomic<bool> pulling{true};
    std::atomic<std::uint64_t> heard{0}; // frames with sound that reached it
    std::mutex mutex;
    QString fault;
    std::vector<Clock::time_point> opens;
};

class StandInOutput : public AudioOutput {
public:
    explicit StandInOutput(std::shared_ptr<StandInCard> card) : m_card(std::move(card)) {}
    ~StandInOutput() override { stop(); }

    bool start(RingBuffer& ring, int sampleRate, QString& reason) override {
        {
            std::lock_guard lock(m_card->mutex);
            m_card->opens.push_back(Clock::now());
        }
        if (!m_card->plugged) {
            reason = "the stand-in is unplugged";
            return false;
        }
        m_running = true;
        m_thread = std::thread([this, &ring, sampleRate] { run(ring, sampleRate); });
        return true;
    }
    void stop() override {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    QString name() const override { return m_card->name; }
    int bufferFrames() const override { return kPeriod; }
    QString fault() const override {
        std::lock_guard lock(m_card->mutex);
        return m_card->fault;
    }

private:
    using Clock = StandInCard::Clock;
    static constexpr std::size_t kPeriod = 256;

    void run(RingBuffer& ring, int sampleRate) {
        using namespace std::chrono_literals;
        std::vector<float> buffer(kPeriod * 2);
        const auto begin = Clock::now();
        std::uint64_t taken = 0;
        while (m_running) {
            const std::chrono::duration<double> elapsed = Clock::now() - begin;
            const auto due = std::uint64_t(elapsed.count() * sampleRate);
            for (; taken + kPeriod <= due; taken += kPeriod) {
                if (!m_card->pulling)
                    continue;
                pull(ring, buffer.data(), kPeriod, true);
                if (m_card->listener)
                    m_card->listener->hear(buffer.data(), kPeriod);
                for (std::size_t i = 0; i < kPeriod; ++i)
                    if (buffer[i * 2] != 0)
                        ++m_card->heard;
            }
            std::this_thread::sleep_for(2ms);
        }
    }

    std::shared_ptr<StandInCard> m_card;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

} // namespace hoedeck::testing
