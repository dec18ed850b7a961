#pragma once

#include "audioerror.h"
#include "samplestore.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace hoedeck {

class AudioDecoder;
class DecodePool;

// A song decoded into memory as 16-bit samples, shared by every stream of the same file (the
// two patter copies, the tempo reference and the BPM stream of one song hold one copy).
// Opening decodes the first block; the cache's decode pool does the rest a slice at a time.
// Readers see the frames decoded so far and never wait for the rest, so a song starts as soon
// as its first block is there.
class DecodedFile {
public:
    // Opens the file and decodes its first block; `pool` decodes the rest, or, without a pool,
    // the whole file is decoded before returning (the offline mode of tests and benchmarks).
    // Nothing, with the reason in `error`, for a file that is missing, empty or not sound.
    static std::shared_ptr<DecodedFile> open(const QString& path, DecodePool* pool,
                                             AudioError& error);
    // From a WAV (or any readable format) image in memory; always decoded at once.
    static std::shared_ptr<DecodedFile> fromMemory(const QByteArray& image, AudioError& error);
    ~DecodedFile();
    DecodedFile(const DecodedFile&) = delete;
    DecodedFile& operator=(const DecodedFile&) = delete;

    const QString& path() const { return m_path; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    bool eightBit() const { return m_eightBit; }
    // The length: exact once decoding is complete; before, the length the file decodes to as
    // known at open (exact but for a damaged or cut file, which ends where its sound does).
    std::int64_t frames() const;
    std::int64_t decodedFrames() const { return m_decoded.load(std::memory_order_acquire); }
    bool complete() const { return m_complete.load(std::memory_order_acquire); }

    // Copies up to `count` frames from `start` as float samples of the file's channels.
    // Returns the frames copied: fewer where decoding has not got there yet or the song ends.
    // Safe on the mixer thread: no locks, no allocation.
    std::int64_t read(std::int64_t start, float* out, std::int64_t count) const;
    // A reader is about to jump to `frame`: a song kept on disk starts reading it there.
    void willRead(std::int64_t frame) const { m_store->willRead(frame); }
    // Whether the samples are kept on disk, and the chunks of them now resident.
    bool spilled() const { return m_store->spilled(); }
    int residentChunks() const { return m_store->residentChunks(); }
    // For a song kept on disk: keeps what is being played resident and lets go of the rest.
    void keepResident() { m_store->keepResident(decodedFrames()); }

    // Waits until the frame is decoded or the file is complete; false on timeout.
    bool waitFor(std::int64_t frame, int timeoutMs) const;

    // Frames decoded in one slice: a few milliseconds of work, so a file let go mid-slice is
    // freed promptly and files decoding side by side take short turns.
    static constexpr std::int64_t kSliceFrames = 1 << 15;

private:
    friend class DecodePool;
    // Decodes the next slice; false once the file is complete. One thread at a time: the
    // opener, then the pool.
    bool decodeSlice();
    // Ends decoding where it is: the song ends at the frames decoded so far.
    void abandon();

    DecodedFile();
    bool start(std::unique_ptr<AudioDecoder> decoder, bool synchronous, AudioError& error);
    bool decodeBlock(std::int64_t frames);
    void finish();
    void notifyWaiters();

    // A song's samples are kept in chunks of 2 MB of stereo, which in memory the system can map
    // as one huge page: a song of several minutes then takes dozens of page faults to store
    // instead of thousands. A short sound (a click, an alarm) keeps small chunks.
    static constexpr int kSongChunkShift = 19;
    static constexpr int kShortChunkShift = 15;
    int m_chunkShift = kShortChunkShift;
    std::int64_t chunkFrames() const { return std::int64_t(1) << m_chunkShift; }

    QString m_path;
    int m_sampleRate = 44100;
    int m_channels = 2;
    bool m_eightBit = false;
    std::int64_t m_length = 0;
    std::unique_ptr<AudioDecoder> m_decoder;
    // Chunks of chunkFrames() frames, sized once so readers never see the table move; samples
    // are stored before the count that makes them visible is published.
    std::unique_ptr<SampleStore> m_store;
    std::atomic<std::int64_t> m_decoded{0};
    std::atomic<bool> m_complete{false};
    mutable std::mutex m_waitMutex;
    mutable std::condition_variable m_progress;
};

// Hands out one decoded copy per file for as long as any stream holds it, and owns the pool
// that decodes them. Its lock is never held while a file opens or decodes: a second opener of
// a file that is opening waits for that one open and shares its copy.
class DecodedFileCache {
public:
    explicit DecodedFileCache(bool synchronous);
    ~DecodedFileCache();
    DecodedFileCache(const DecodedFileCache&) = delete;
    DecodedFileCache& operator=(const DecodedFileCache&) = delete;

    std::shared_ptr<DecodedFile> open(const QString& path, AudioError& error);
    // Files the pool has still to decode (0 for a synchronous cache).
    int decoding() const;

private:
    struct Opened {
        std::shared_ptr<DecodedFile> file;
        AudioError error = AudioError::Ok;
    };
    // A file being opened, for a second opener to wait on.
    struct Opening {
        std::promise<Opened> promise;
        std::shared_future<Opened> result = promise.get_future().share();
    };
    struct Entry {
        std::weak_ptr<DecodedFile> file;
        std::shared_ptr<Opening> opening;
        qint64 size = 0;
        qint64 modified = 0;
    };
    bool m_synchronous;
    std::mutex m_mutex;
    std::map<QString, Entry> m_entries;
    // Started with the first song kept on disk.
    std::unique_ptr<ResidencyKeeper> m_keeper;
    // Last, so its threads end before the entries go.
    std::unique_ptr<DecodePool> m_pool;
};

} // namespace hoedeck
