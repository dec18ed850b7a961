#pragma once

#include "audioengine.h"
#include "bpm.h"
#include "ringbuffer.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace hoedeck {

// The sound of one tempo stream on its way to the live BPM measurement: the mixer copies what
// it gives the stream's SoundTouch into a lock-free ring (and drops it when the ring is full,
// which only coarsens the measurement); the worker measures it.
class BpmFeed {
public:
    BpmFeed(Handle stream, int channels, int sampleRate, float periodSeconds,
            AudioEngine::BpmProc proc);

    const Handle stream;
    const float periodSeconds;

    // The mixer: source frames of the stream's own channels. No locks, no allocation.
    void push(const float* source, std::size_t frames);

    void setProc(AudioEngine::BpmProc proc);
    AudioEngine::BpmProc proc() const;

private:
    friend class BpmWorker;
    const int m_channels;
    RingBuffer m_ring;
    float m_stereo[512 * 2] = {};
    dsp::BpmDetector m_detector; // the worker's
    mutable std::mutex m_procMutex;
    AudioEngine::BpmProc m_proc;
};

// Measures every live feed on a thread of its own, a period at a time; the result goes to
// `report`, on that thread.
class BpmWorker {
public:
    using Report = std::function<void(BpmFeed& feed, float bpm)>;
    explicit BpmWorker(Report report);
    ~BpmWorker();
    BpmWorker(const BpmWorker&) = delete;
    BpmWorker& operator=(const BpmWorker&) = delete;

    void add(std::shared_ptr<BpmFeed> feed);
    void remove(const std::shared_ptr<BpmFeed>& feed);

private:
    void run();
    void drain(BpmFeed& feed, std::vector<float>& block);

    Report m_report;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::shared_ptr<BpmFeed>> m_feeds;
    bool m_running = true;
    std::thread m_thread;
};

} // namespace hoedeck
