#pragma once

#include "audioerror.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace hoedeck {

// A song decoded into memory as 16-bit samples, shared by every stream of the same file (the
// two patter copies, the tempo reference and the BPM stream of one song hold one copy).
// Decoding runs on its own thread from the start of the file; readers see the frames decoded
// so far and never wait for the rest, so a song starts as soon as its first block is there.
class DecodedFile {
public:
    // Opens and starts decoding. synchronous decodes the whole file before returning (the
    // offline mode of tests and benchmarks). Nothing, with the reason in `error`, for a file
    // that is missing, empty or not sound.
    static std::shared_ptr<DecodedFile> open(const QString& path, bool synchronous,
                                             AudioError& error);
    // From a WAV (or any readable format) image in memory; always decoded at once.
    static std::shared_ptr<DecodedFile> fromMemory(const QByteArray& image, AudioError& error);
    ~DecodedFile();
    DecodedFile(const DecodedFile&) = delete;
    DecodedFile& operator=(const DecodedFile&) = delete;

    const QString& path() const { return m_path; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    // The length: exact once decoding is complete, the file's own estimate before.
    std::int64_t frames() const;
    std::int64_t decodedFrames() const { return m_decoded.load(std::memory_order_acquire); }
    bool complete() const { return m_complete.load(std::memory_order_acquire); }

    // Copies up to `count` frames from `start` as float samples of the file's channels.
    // Returns the frames copied: fewer where decoding has not got there yet or the song ends.
    // Safe on the mixer thread: no locks, no allocation.
    std::int64_t read(std::int64_t start, float* out, std::int64_t count) const;
    // One sample of one channel (no bounds check beyond the decoded frames).
    float sample(std::int64_t frame, int channel) const;

    // Waits until the frame is decoded or the file is complete; false on timeout.
    bool waitFor(std::int64_t frame, int timeoutMs) const;

private:
    struct Source;
    DecodedFile() = default;
    bool start(std::unique_ptr<Source> source, bool synchronous, AudioError& error);
    void decodeLoop();
    bool decodeBlock();
    void finish();

    static constexpr std::int64_t kChunkFrames = 1 << 15;

    QString m_path;
    int m_sampleRate = 44100;
    int m_channels = 2;
    std::int64_t m_estimate = 0;
    std::unique_ptr<Source> m_source;
    // Chunks of kChunkFrames frames; the table is sized once, so readers never see it move.
    std::vector<std::unique_ptr<std::int16_t[]>> m_chunks;
    std::atomic<std::int64_t> m_decoded{0};
    std::atomic<bool> m_complete{false};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_waitMutex;
    mutable std::condition_variable m_progress;
};

// Hands out one decoded copy per file for as long as any stream holds it.
class DecodedFileCache {
public:
    explicit DecodedFileCache(bool synchronous) : m_synchronous(synchronous) {}
    std::shared_ptr<DecodedFile> open(const QString& path, AudioError& error);

private:
    struct Entry {
        std::weak_ptr<DecodedFile> file;
        qint64 size = 0;
        qint64 modified = 0;
    };
    bool m_synchronous;
    std::mutex m_mutex;
    std::map<QString, Entry> m_entries;
};

} // namespace hoedeck
