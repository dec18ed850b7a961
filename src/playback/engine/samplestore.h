#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace hoedeck {

// Where a decoded song's 16-bit samples live, in chunks of a fixed number of frames.
//
// A song of ordinary length is held in memory. A song too long for that (an hour-long practice
// recording is 635 MB of stereo) goes to an unlinked file in the cache folder, seen by readers
// through one read-only mapping: the samples are the very ones decoded, so seams and seeks stay
// sample exact, while only the chunks being played stay resident. Which ones stay is decided by
// `keepResident`, run every so often by a `ResidencyKeeper`; readers only flag what they read.
// Without room on disk the song is held in memory as before.
class SampleStore {
public:
    struct Policy {
        // Songs whose samples take more than this go to disk (about 16 minutes of stereo).
        std::int64_t spillAboveBytes = std::int64_t(160) << 20;
        // Chunks of a spilled song kept resident: the chunks played most recently, so a patter
        // loop of several minutes never reads the disk at its seam.
        int residentChunks = 32;
        // Where spilled songs go; empty for the cache folder (else the temporary folder).
        QString folder;
    };
    // For tests and benchmarks; applies to songs opened afterwards.
    static void setPolicy(const Policy& policy);
    static Policy policy();

    // Room for `chunkCount` chunks of 2^chunkShift frames; `expectedFrames` decides whether the
    // song spills.
    SampleStore(int channels, int chunkShift, std::size_t chunkCount, std::int64_t expectedFrames);
    ~SampleStore();
    SampleStore(const SampleStore&) = delete;
    SampleStore& operator=(const SampleStore&) = delete;

    bool spilled() const { return m_fd >= 0; }
    std::size_t chunkCount() const { return m_chunkCount; }

    // Stores `n` frames from `at` (the decoder's thread, one at a time). False when there is no
    // room left (memory or disk): the song ends where it got.
    bool store(std::int64_t at, const std::int16_t* samples, std::int64_t n);

    // The samples of a chunk already stored; safe on the mixer thread.
    const std::int16_t* chunk(std::size_t index) const {
        if (m_readFlags)
            m_readFlags[index].store(1, std::memory_order_relaxed);
        return m_base ? m_base + index * chunkSamples() : m_memory[index].get();
    }
    // A hint that a reader is about to jump to `frame`: the system starts reading it from disk.
    void willRead(std::int64_t frame) const;
    // Keeps the chunks after those read resident and lets go of the least recently read beyond
    // the policy's count. `storedFrames` bounds what may be touched.
    void keepResident(std::int64_t storedFrames);
    // Chunks the last keepResident left resident (spilled songs only).
    int residentChunks() const;

private:
    std::size_t chunkSamples() const {
        return (std::size_t(1) << m_chunkShift) * std::size_t(m_channels);
    }
    std::size_t chunkBytes() const { return chunkSamples() * sizeof(std::int16_t); }
    bool openSpill(std::int64_t expectedFrames);
    bool storeInMemory(std::int64_t at, const std::int16_t* samples, std::int64_t n);
    bool storeOnDisk(std::int64_t at, const std::int16_t* samples, std::int64_t n);
    void populate(std::size_t chunk, std::int64_t storedFrames);

    int m_channels;
    int m_chunkShift;
    std::size_t m_chunkCount;

    struct FreeChunk {
        std::size_t mappedBytes = 0; // a chunk mapped on its own, else from the heap
        void operator()(std::int16_t* chunk) const;
    };
    std::vector<std::unique_ptr<std::int16_t[], FreeChunk>> m_memory;

    int m_fd = -1;
    std::int16_t* m_base = nullptr; // the mapping of a spilled song
    std::size_t m_mappedBytes = 0;
    std::int64_t m_allocatedBytes = 0;
    std::unique_ptr<std::atomic<std::uint8_t>[]> m_readFlags;
    // The keeper's own: when each chunk was last read, and which are resident.
    std::uint32_t m_tick = 0;
    std::vector<std::uint32_t> m_lastRead;
    std::vector<bool> m_resident;
    std::atomic<int> m_residentCount{0};
};

// One thread that calls each registered callback every `intervalMs` until the callback says
// it is done (its song has been let go).
class ResidencyKeeper {
public:
    explicit ResidencyKeeper(int intervalMs = 100);
    ~ResidencyKeeper();
    ResidencyKeeper(const ResidencyKeeper&) = delete;
    ResidencyKeeper& operator=(const ResidencyKeeper&) = delete;

    void add(std::function<bool()> pass);

private:
    void run();

    int m_intervalMs;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::function<bool()>> m_passes;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace hoedeck
