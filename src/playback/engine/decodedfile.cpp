#include "decodedfile.h"

#include "audiodecoder.h"
#include "decodepool.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace hoedeck {

DecodedFile::DecodedFile() = default;
DecodedFile::~DecodedFile() = default;

std::shared_ptr<DecodedFile> DecodedFile::open(const QString& path, DecodePool* pool,
                                               AudioError& error) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        error = AudioError::FileOpen;
        return nullptr;
    }
    auto decoder = AudioDecoder::open(path, error);
    if (!decoder)
        return nullptr;
    std::shared_ptr<DecodedFile> file(new DecodedFile);
    file->m_path = path;
    if (!file->start(std::move(decoder), pool == nullptr, error))
        return nullptr;
    if (pool && !file->complete())
        pool->add(file);
    return file;
}

std::shared_ptr<DecodedFile> DecodedFile::fromMemory(const QByteArray& image, AudioError& error) {
    auto decoder = AudioDecoder::fromImage(image, error);
    if (!decoder)
        return nullptr;
    std::shared_ptr<DecodedFile> file(new DecodedFile);
    if (!file->start(std::move(decoder), true, error))
        return nullptr;
    return file;
}

bool DecodedFile::start(std::unique_ptr<AudioDecoder> decoder, bool synchronous,
                        AudioError& error) {
    m_decoder = std::move(decoder);
    m_sampleRate = m_decoder->sampleRate();
    m_channels = m_decoder->channels();
    m_eightBit = m_decoder->eightBit();
    m_length = m_decoder->length();

    // Room for twice the length known at open (a file can run past what its header states), at
    // least ten minutes more, at most six hours: the table never grows while streams read it.
    const std::int64_t sixHours = std::int64_t(m_sampleRate) * 6 * 3600;
    const std::int64_t capacity =
        std::min(sixHours, std::max(m_length * 2, m_length + std::int64_t(m_sampleRate) * 600));
    m_chunkShift =
        m_length > (std::int64_t(1) << (kSongChunkShift - 1)) ? kSongChunkShift : kShortChunkShift;
    m_store = std::make_unique<SampleStore>(
        m_channels, m_chunkShift, size_t((capacity + chunkFrames() - 1) >> m_chunkShift), m_length);

    // The first block at once: a file that opens but holds no sound is refused here.
    if (!decodeBlock(kSliceFrames) && decodedFrames() == 0) {
        error = AudioError::Empty;
        return false;
    }
    if (synchronous)
        while (decodeBlock(kSliceFrames)) {
        }
    return true;
}

bool DecodedFile::decodeSlice() {
    return decodeBlock(kSliceFrames);
}

bool DecodedFile::decodeBlock(std::int64_t frames) {
    if (complete())
        return false;
    std::int64_t at = m_decoded.load(std::memory_order_relaxed);
    const std::int64_t until = at + frames;
    bool more = true;
    while (more && at < until) {
        const std::int16_t* samples = nullptr;
        const std::int64_t n = m_decoder->next(samples);
        if (n <= 0) {
            more = false;
            break;
        }
        if (!m_store->store(at, samples, n)) {
            more = false; // out of room in memory or on disk: the song ends here
            break;
        }
        at += n;
        // The chunk pointers and samples written above become visible with this count.
        m_decoded.store(at, std::memory_order_release);
    }
    if (!more) {
        finish();
        return false;
    }
    notifyWaiters();
    return true;
}

void DecodedFile::abandon() {
    if (!complete())
        finish();
}

void DecodedFile::finish() {
    m_complete.store(true, std::memory_order_release);
    m_decoder.reset(); // the file is closed once everything is in memory
    notifyWaiters();
}

void DecodedFile::notifyWaiters() {
    { std::lock_guard lock(m_waitMutex); }
    m_progress.notify_all();
}

std::int64_t DecodedFile::frames() const {
    const std::int64_t decoded = decodedFrames();
    return complete() ? decoded : std::max(decoded, m_length);
}

std::int64_t DecodedFile::read(std::int64_t start, float* out, std::int64_t count) const {
    const std::int64_t available = decodedFrames();
    if (start < 0 || start >= available || count <= 0)
        return 0;
    const std::int64_t n = std::min(count, available - start);
    constexpr float scale = 1.0f / 32768.0f;
    std::int64_t done = 0;
    while (done < n) {
        const std::int64_t frame = start + done;
        const std::int16_t* chunk = m_store->chunk(size_t(frame >> m_chunkShift));
        const std::int64_t inChunk = frame & (chunkFrames() - 1);
        const std::int64_t take = std::min(n - done, chunkFrames() - inChunk);
        const std::int16_t* from = chunk + inChunk * m_channels;
        float* to = out + done * m_channels;
        for (std::int64_t i = 0; i < take * m_channels; ++i)
            to[i] = from[i] * scale;
        done += take;
    }
    return n;
}

bool DecodedFile::waitFor(std::int64_t frame, int timeoutMs) const {
    std::unique_lock lock(m_waitMutex);
    return m_progress.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return complete() || decodedFrames() > frame; });
}

DecodedFileCache::DecodedFileCache(bool synchronous) : m_synchronous(synchronous) {
    if (!synchronous)
        m_pool = std::make_unique<DecodePool>(2);
}

DecodedFileCache::~DecodedFileCache() = default;

int DecodedFileCache::decoding() const {
    return m_pool ? m_pool->pending() : 0;
}

std::shared_ptr<DecodedFile> DecodedFileCache::open(const QString& path, AudioError& error) {
    const QFileInfo info(path);
    const QString key = info.canonicalFilePath().isEmpty() ? path : info.canonicalFilePath();
    // The size and the modification time to the nanosecond tell a file rewritten in place.
    struct stat status {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &status) == 0;
    const qint64 size = exists ? qint64(status.st_size) : -1;
    const qint64 modified =
        exists ? qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec : 0;

    std::shared_ptr<Opening> opening;
    bool ours = false;
    {
        std::lock_guard lock(m_mutex);
        // Forget files no stream holds any more.
        for (auto e = m_entries.begin(); e != m_entries.end();)
            e = e->second.file.expired() && !e->second.opening ? m_entries.erase(e) : std::next(e);
        const auto it = m_entries.find(key);
        if (it != m_entries.end() && it->second.size == size && it->second.modified == modified) {
            // The same file unchanged on disk: share what is decoded, or what is opening.
            if (auto file = it->second.file.lock())
                return file;
            opening = it->second.opening;
        }
        if (!opening) {
            opening = std::make_shared<Opening>();
            ours = true;
            m_entries[key] = Entry{{}, opening, size, modified};
        }
    }
    if (!ours) {
        const Opened& opened = opening->result.get();
        if (!opened.file)
            error = opened.error;
        return opened.file;
    }

    Opened opened;
    try {
        opened.file = DecodedFile::open(path, m_pool.get(), opened.error);
    } catch (const std::bad_alloc&) {
        opened.error = AudioError::Memory;
    }
    {
        std::lock_guard lock(m_mutex);
        // The entry may have been taken over by an open of the file changed on disk since.
        const auto it = m_entries.find(key);
        if (it != m_entries.end() && it->second.opening == opening) {
            it->second.opening.reset();
            if (opened.file)
                it->second.file = opened.file;
            else
                m_entries.erase(it);
        }
        if (opened.file && opened.file->spilled()) {
            if (!m_keeper)
                m_keeper = std::make_unique<ResidencyKeeper>();
            m_keeper->add([weak = std::weak_ptr<DecodedFile>(opened.file)] {
                const auto file = weak.lock();
                if (file)
                    file->keepResident();
                return bool(file);
            });
        }
    }
    opening->promise.set_value(opened);
    if (!opened.file)
        error = opened.error;
    return opened.file;
}

} // namespace hoedeck
