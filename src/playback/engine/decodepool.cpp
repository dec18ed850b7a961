#include "decodepool.h"

#include "decodedfile.h"

#include <new>

namespace hoedeck {

DecodePool::DecodePool(int threads) {
    m_threads.reserve(size_t(std::max(1, threads)));
    for (int i = 0; i < std::max(1, threads); ++i)
        m_threads.emplace_back([this] { run(); });
}

DecodePool::~DecodePool() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (auto& thread : m_threads)
        thread.join();
    // No thread decodes any more: what is left is ours to end.
    for (const auto& waiting : m_queue)
        if (const auto file = waiting.lock())
            file->abandon();
}

void DecodePool::add(const std::shared_ptr<DecodedFile>& file) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_front(file);
    }
    m_wake.notify_one();
}

int DecodePool::pending() const {
    std::lock_guard lock(m_mutex);
    return int(m_queue.size()) + m_busy;
}

void DecodePool::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        std::weak_ptr<DecodedFile> turn = std::move(m_queue.front());
        m_queue.pop_front();
        std::shared_ptr<DecodedFile> file = turn.lock();
        if (!file)
            continue;
        ++m_busy;
        lock.unlock();
        // A file is in the queue or with one thread, never both: its decoder is used by one
        // thread at a time, handed over under the mutex.
        bool more = false;
        try {
            more = file->decodeSlice();
        } catch (const std::bad_alloc&) {
            file->abandon(); // out of memory: the song ends where it is
        }
        // The last holder may have let go during the slice: the file is freed here, before the
        // lock is taken again.
        file.reset();
        lock.lock();
        --m_busy;
        if (more && !turn.expired())
            m_queue.push_back(std::move(turn));
    }
}

} // namespace hoedeck
