#include "taps.h"

#include <chrono>
#include <vector>

namespace hoedeck {

TapWavWriter::~TapWavWriter() {
    stop();
}

bool TapWavWriter::start(const QString& path, int sampleRate, std::shared_ptr<OutputTap> tap) {
    stop();
    if (!m_file.open(path, sampleRate))
        return false;
    m_tap = std::move(tap);
    m_running = true;
    m_thread = std::thread([this] { run(); });
    return true;
}

void TapWavWriter::stop() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    m_wake.notify_all();
    m_thread.join();
    m_file.close();
    m_tap.reset();
}

void TapWavWriter::run() {
    std::vector<float> block(4096 * 2);
    for (;;) {
        // Every 20 ms: a tap of a second or more never fills in between.
        bool running = true;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait_for(lock, std::chrono::milliseconds(20), [&] { return !m_running; });
            running = m_running;
        }
        while (const std::size_t got = m_tap->read(block.data(), 4096))
            m_file.write(block.data(), got);
        if (!running)
            return;
    }
}

} // namespace hoedeck
