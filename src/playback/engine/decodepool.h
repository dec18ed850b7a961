#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace hoedeck {

class DecodedFile;

// A few threads that decode the files opened for play, a slice of each in turn, so a song just
// opened is never stuck behind a long one still decoding. The pool holds files weakly: a file
// that every stream has let go is dropped at its next turn (or freed at the end of the slice
// being decoded), never decoded to the end for nobody.
class DecodePool {
public:
    explicit DecodePool(int threads = 2);
    // Stops the threads after their current slice; files not yet decoded to the end end where
    // they are, so nobody waits for frames that will not come.
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    // Takes a file whose first block is decoded; it goes ahead of files already decoding.
    void add(const std::shared_ptr<DecodedFile>& file);
    // Files waiting for, or in, their next slice.
    int pending() const;

private:
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::weak_ptr<DecodedFile>> m_queue;
    int m_busy = 0;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

} // namespace hoedeck
