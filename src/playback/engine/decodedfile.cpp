#include "decodedfile.h"

#include <QByteArray>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <sndfile.h>

namespace hoedeck {

// libsndfile reading a file by name or an image in memory.
struct DecodedFile::Source {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    QByteArray image; // for memory images
    sf_count_t offset = 0;
    std::vector<short> wide; // for files of more than two channels

    ~Source() {
        if (file)
            sf_close(file);
    }

    static sf_count_t length(void* self) { return static_cast<Source*>(self)->image.size(); }
    static sf_count_t seek(sf_count_t offset, int whence, void* self) {
        auto* s = static_cast<Source*>(self);
        const sf_count_t base = whence == SEEK_SET   ? 0
                                : whence == SEEK_CUR ? s->offset
                                                     : s->image.size();
        s->offset = std::clamp<sf_count_t>(base + offset, 0, s->image.size());
        return s->offset;
    }
    static sf_count_t read(void* out, sf_count_t count, void* self) {
        auto* s = static_cast<Source*>(self);
        const sf_count_t n = std::min<sf_count_t>(count, s->image.size() - s->offset);
        std::memcpy(out, s->image.constData() + s->offset, size_t(n));
        s->offset += n;
        return n;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* self) { return static_cast<Source*>(self)->offset; }
};

std::shared_ptr<DecodedFile> DecodedFile::open(const QString& path, bool synchronous,
                                               AudioError& error) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        error = AudioError::FileOpen;
        return nullptr;
    }
    if (info.size() == 0) {
        error = AudioError::Empty;
        return nullptr;
    }
    auto source = std::make_unique<Source>();
    source->file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &source->info);
    if (!source->file) {
        error = AudioError::FileForm;
        return nullptr;
    }
    std::shared_ptr<DecodedFile> file(new DecodedFile);
    file->m_path = path;
    if (!file->start(std::move(source), synchronous, error))
        return nullptr;
    return file;
}

std::shared_ptr<DecodedFile> DecodedFile::fromMemory(const QByteArray& image, AudioError& error) {
    if (image.isEmpty()) {
        error = AudioError::Empty;
        return nullptr;
    }
    auto source = std::make_unique<Source>();
    source->image = image;
    SF_VIRTUAL_IO io{&Source::length, &Source::seek, &Source::read, &Source::write, &Source::tell};
    source->file = sf_open_virtual(&io, SFM_READ, &source->info, source.get());
    if (!source->file) {
        error = AudioError::FileForm;
        return nullptr;
    }
    std::shared_ptr<DecodedFile> file(new DecodedFile);
    if (!file->start(std::move(source), true, error))
        return nullptr;
    return file;
}

bool DecodedFile::start(std::unique_ptr<Source> source, bool synchronous, AudioError& error) {
    const SF_INFO& info = source->info;
    if (info.channels < 1 || info.samplerate < 1000 || info.samplerate > 384000) {
        error = AudioError::Format;
        return false;
    }
    m_source = std::move(source);
    m_sampleRate = info.samplerate;
    m_channels = std::min(info.channels, 2);
    m_estimate = info.frames > 0 && info.frames < (sf_count_t(1) << 40) ? info.frames : 0;
    if (info.channels > 2)
        m_source->wide.resize(size_t(4096 * info.channels));

    // Room for twice the estimate (an estimate from a song's header can be short), at least
    // ten minutes more, at most six hours: the table never grows while streams read it.
    const std::int64_t sixHours = std::int64_t(m_sampleRate) * 6 * 3600;
    const std::int64_t capacity =
        std::min(sixHours, std::max(m_estimate * 2, m_estimate + std::int64_t(m_sampleRate) * 600));
    m_chunks.resize(size_t((capacity + kChunkFrames - 1) / kChunkFrames));

    // The first block at once: a file that opens but holds no sound is refused here.
    if (!decodeBlock() && decodedFrames() == 0) {
        error = AudioError::Empty;
        return false;
    }
    if (synchronous) {
        while (decodeBlock()) {
        }
        finish();
    } else if (!complete()) {
        m_thread = std::thread([this] { decodeLoop(); });
    }
    return true;
}

DecodedFile::~DecodedFile() {
    m_stop.store(true);
    if (m_thread.joinable())
        m_thread.join();
}

void DecodedFile::decodeLoop() {
    while (!m_stop.load(std::memory_order_relaxed) && decodeBlock()) {
    }
    finish();
}

bool DecodedFile::decodeBlock() {
    if (complete())
        return false;
    const std::int64_t at = m_decoded.load(std::memory_order_relaxed);
    const auto chunk = size_t(at / kChunkFrames);
    if (chunk >= m_chunks.size()) {
        finish(); // longer than we keep: the song ends here
        return false;
    }
    if (!m_chunks[chunk])
        m_chunks[chunk] = std::make_unique<std::int16_t[]>(size_t(kChunkFrames * m_channels));
    const std::int64_t inChunk = at % kChunkFrames;
    const sf_count_t want = std::min<sf_count_t>(4096, kChunkFrames - inChunk);
    std::int16_t* out = m_chunks[chunk].get() + inChunk * m_channels;
    sf_count_t got = 0;
    const int fileChannels = m_source->info.channels;
    if (fileChannels <= 2) {
        got = sf_readf_short(m_source->file, out, want);
    } else {
        got = sf_readf_short(m_source->file, m_source->wide.data(), want);
        for (sf_count_t i = 0; i < got; ++i)
            for (int c = 0; c < m_channels; ++c)
                out[i * m_channels + c] = m_source->wide[size_t(i * fileChannels + c)];
    }
    if (got <= 0)
        return false;
    m_decoded.store(at + got, std::memory_order_release);
    { std::lock_guard lock(m_waitMutex); }
    m_progress.notify_all();
    return true;
}

void DecodedFile::finish() {
    m_complete.store(true, std::memory_order_release);
    m_source.reset(); // the file is closed once everything is in memory
    { std::lock_guard lock(m_waitMutex); }
    m_progress.notify_all();
}

std::int64_t DecodedFile::frames() const {
    const std::int64_t decoded = decodedFrames();
    return complete() ? decoded : std::max(decoded, m_estimate);
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
        const std::int16_t* chunk = m_chunks[size_t(frame / kChunkFrames)].get();
        const std::int64_t inChunk = frame % kChunkFrames;
        const std::int64_t take = std::min(n - done, kChunkFrames - inChunk);
        const std::int16_t* from = chunk + inChunk * m_channels;
        float* to = out + done * m_channels;
        for (std::int64_t i = 0; i < take * m_channels; ++i)
            to[i] = from[i] * scale;
        done += take;
    }
    return n;
}

float DecodedFile::sample(std::int64_t frame, int channel) const {
    const std::int16_t* chunk = m_chunks[size_t(frame / kChunkFrames)].get();
    return chunk[(frame % kChunkFrames) * m_channels + channel] * (1.0f / 32768.0f);
}

bool DecodedFile::waitFor(std::int64_t frame, int timeoutMs) const {
    std::unique_lock lock(m_waitMutex);
    return m_progress.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return complete() || decodedFrames() > frame; });
}

std::shared_ptr<DecodedFile> DecodedFileCache::open(const QString& path, AudioError& error) {
    const QFileInfo info(path);
    const QString key = info.canonicalFilePath().isEmpty() ? path : info.canonicalFilePath();
    const qint64 size = info.size();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    std::lock_guard lock(m_mutex);
    auto it = m_entries.find(key);
    if (it != m_entries.end()) {
        // The same file unchanged on disk: share what is decoded.
        if (auto file = it->second.file.lock();
            file && it->second.size == size && it->second.modified == modified)
            return file;
    }
    auto file = DecodedFile::open(path, m_synchronous, error);
    if (file)
        m_entries[key] = Entry{file, size, modified};
    // Forget files no stream holds any more.
    for (auto e = m_entries.begin(); e != m_entries.end();)
        e = e->second.file.expired() ? m_entries.erase(e) : std::next(e);
    return file;
}

} // namespace hoedeck
