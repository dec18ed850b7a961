#include "bpmworker.h"

#include <algorithm>
#include <chrono>

namespace hoedeck {

BpmFeed::BpmFeed(Handle stream, int channels, int sampleRate, float periodSeconds,
                 AudioEngine::BpmProc proc)
    : stream(stream), periodSeconds(periodSeconds), m_channels(channels),
      // The worker takes the sound every 50 ms; room for a whole period (up to half a minute)
      // lets a song rendered faster than it plays be measured all the same.
      m_ring(std::size_t(sampleRate * std::clamp(periodSeconds + 2.0f, 4.0f, 30.0f))),
      m_detector(2, sampleRate), m_proc(std::move(proc)) {}

void BpmFeed::push(const float* source, std::size_t frames) {
    if (m_channels == 2) {
        m_ring.push(source, frames);
        return;
    }
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min<std::size_t>(512, frames - done);
        for (std::size_t i = 0; i < n; ++i)
            m_stereo[i * 2] = m_stereo[i * 2 + 1] = source[done + i];
        m_ring.push(m_stereo, n);
        done += n;
    }
}

void BpmFeed::setProc(AudioEngine::BpmProc proc) {
    std::lock_guard lock(m_procMutex);
    m_proc = std::move(proc);
}

AudioEngine::BpmProc BpmFeed::proc() const {
    std::lock_guard lock(m_procMutex);
    return m_proc;
}

BpmWorker::BpmWorker(Report report) : m_report(std::move(report)) {
    m_thread = std::thread([this] { run(); });
}

BpmWorker::~BpmWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    m_wake.notify_all();
    m_thread.join();
}

void BpmWorker::add(std::shared_ptr<BpmFeed> feed) {
    std::lock_guard lock(m_mutex);
    m_feeds.push_back(std::move(feed));
}

void BpmWorker::remove(const std::shared_ptr<BpmFeed>& feed) {
    std::lock_guard lock(m_mutex);
    m_feeds.erase(std::remove(m_feeds.begin(), m_feeds.end(), feed), m_feeds.end());
}

void BpmWorker::run() {
    std::vector<float> block(8192 * 2);
    std::vector<std::shared_ptr<BpmFeed>> feeds;
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::milliseconds(50), [&] { return !m_running; });
            if (!m_running)
                return;
            feeds = m_feeds;
        }
        for (const auto& feed : feeds)
            drain(*feed, block);
        feeds.clear();
    }
}

void BpmWorker::drain(BpmFeed& feed, std::vector<float>& block) {
    while (const std::size_t got = feed.m_ring.pop(block.data(), block.size() / 2)) {
        feed.m_detector.feed(block.data(), got);
        if (feed.m_detector.seconds() >= feed.periodSeconds) {
            const auto bpm = float(feed.m_detector.bpm());
            feed.m_detector.clear();
            m_report(feed, bpm);
        }
    }
}

} // namespace hoedeck
