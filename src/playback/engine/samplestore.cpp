#include "samplestore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22
#endif

namespace hoedeck {

namespace {
std::mutex s_policyMutex;
SampleStore::Policy s_policy;

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kPage = 4096;

// A chunk of samples; a large one mapped on its own, marked for huge pages and filled in with
// pages in one go (a fault per page costs far more, above all in a virtual machine). None
// when memory is out.
std::int16_t* newChunk(std::size_t samples, std::size_t& mappedBytes) {
    const std::size_t bytes = samples * sizeof(std::int16_t);
    mappedBytes = 0;
    if (bytes < kHugePage)
        return static_cast<std::int16_t*>(std::malloc(bytes));
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* memory =
        ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    ::madvise(memory, rounded, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    ::madvise(memory, rounded, MADV_POPULATE_WRITE);
#endif
    mappedBytes = rounded;
    return static_cast<std::int16_t*>(memory);
}

QString spillFolder(const QString& chosen) {
    if (!chosen.isEmpty())
        return chosen;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache))
        return cache;
    return QDir::tempPath();
}

// A file with no name, so that nothing is left behind whatever way the program ends.
int unnamedFile(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    int fd = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    // A file system without unnamed files: a named one, unlinked at once.
    QByteArray pattern = path + "/hoedeck-song-XXXXXX";
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0)
        ::unlink(pattern.constData());
    return fd;
}

// Room on disk for the file up to `bytes`, taken now so a full disk is found before the song
// is half stored rather than in the middle of it.
bool reserve(int fd, std::int64_t bytes) {
    for (;;) {
        if (::fallocate(fd, 0, 0, off_t(bytes)) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EOPNOTSUPP)
            return ::ftruncate(fd, off_t(bytes)) == 0;
        return false;
    }
}
} // namespace

void SampleStore::setPolicy(const Policy& policy) {
    std::lock_guard lock(s_policyMutex);
    s_policy = policy;
}

SampleStore::Policy SampleStore::policy() {
    std::lock_guard lock(s_policyMutex);
    return s_policy;
}

void SampleStore::FreeChunk::operator()(std::int16_t* chunk) const {
    if (mappedBytes)
        ::munmap(chunk, mappedBytes);
    else
        std::free(chunk);
}

SampleStore::SampleStore(int channels, int chunkShift, std::size_t chunkCount,
                         std::int64_t expectedFrames)
    : m_channels(channels), m_chunkShift(chunkShift), m_chunkCount(chunkCount) {
    if (!openSpill(expectedFrames))
        m_memory.resize(chunkCount);
}

SampleStore::~SampleStore() {
    if (m_base)
        ::munmap(m_base, m_mappedBytes);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool SampleStore::openSpill(std::int64_t expectedFrames) {
    const Policy chosen = policy();
    const std::int64_t expectedBytes =
        expectedFrames * m_channels * std::int64_t(sizeof(std::int16_t));
    if (expectedBytes <= chosen.spillAboveBytes || m_chunkCount == 0)
        return false;
    const int fd = unnamedFile(spillFolder(chosen.folder));
    if (fd < 0)
        return false;
    const auto wholeChunks =
        std::int64_t(chunkBytes()) *
        ((expectedBytes + std::int64_t(chunkBytes()) - 1) / std::int64_t(chunkBytes()));
    m_mappedBytes = m_chunkCount * chunkBytes();
    void* base = MAP_FAILED;
    if (reserve(fd, std::min<std::int64_t>(wholeChunks, std::int64_t(m_mappedBytes))))
        base = ::mmap(nullptr, m_mappedBytes, PROT_READ, MAP_SHARED, fd, 0);
    if (base == MAP_FAILED) {
        // No room on disk (or no mapping): the song is held in memory as any other.
        ::close(fd);
        m_mappedBytes = 0;
        return false;
    }
    m_fd = fd;
    m_base = static_cast<std::int16_t*>(base);
    m_allocatedBytes = std::min<std::int64_t>(wholeChunks, std::int64_t(m_mappedBytes));
    m_readFlags = std::make_unique<std::atomic<std::uint8_t>[]>(m_chunkCount);
    m_lastRead.assign(m_chunkCount, 0);
    m_resident.assign(m_chunkCount, false);
    return true;
}

bool SampleStore::store(std::int64_t at, const std::int16_t* samples, std::int64_t n) {
    return spilled() ? storeOnDisk(at, samples, n) : storeInMemory(at, samples, n);
}

bool SampleStore::storeInMemory(std::int64_t at, const std::int16_t* samples, std::int64_t n) {
    const std::int64_t chunkFrames = std::int64_t(1) << m_chunkShift;
    for (std::int64_t copied = 0; copied < n;) {
        const auto index = std::size_t(at >> m_chunkShift);
        if (index >= m_chunkCount)
            return false; // longer than we keep: the song ends here
        if (!m_memory[index]) {
            std::size_t mapped = 0;
            std::int16_t* memory = newChunk(chunkSamples(), mapped);
            m_memory[index] = {memory, FreeChunk{mapped}};
            if (!memory)
                return false; // out of memory: the song ends here rather than the program
        }
        const std::int64_t inChunk = at & (chunkFrames - 1);
        const std::int64_t take = std::min(n - copied, chunkFrames - inChunk);
        std::copy_n(samples + copied * m_channels, take * m_channels,
                    m_memory[index].get() + inChunk * m_channels);
        copied += take;
        at += take;
    }
    return true;
}

bool SampleStore::storeOnDisk(std::int64_t at, const std::int16_t* samples, std::int64_t n) {
    const auto frameBytes = std::int64_t(m_channels * sizeof(std::int16_t));
    std::int64_t offset = at * frameBytes;
    const std::int64_t end = std::min<std::int64_t>(offset + n * frameBytes, m_mappedBytes);
    if (end > m_allocatedBytes) {
        // A file running past what its header said: room for one more chunk at a time.
        const std::int64_t grown =
            std::min<std::int64_t>(std::int64_t(m_mappedBytes),
                                   std::max(end, m_allocatedBytes + std::int64_t(chunkBytes())));
        if (!reserve(m_fd, grown))
            return false;
        m_allocatedBytes = grown;
    }
    const auto* bytes = reinterpret_cast<const char*>(samples);
    while (offset < end) {
        const ssize_t written = ::pwrite(m_fd, bytes, std::size_t(end - offset), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        offset += written;
    }
    return end == at * frameBytes + n * frameBytes;
}

void SampleStore::willRead(std::int64_t frame) const {
    if (!spilled() || frame < 0 || std::size_t(frame >> m_chunkShift) >= m_chunkCount)
        return;
    const std::size_t start = std::size_t(frame >> m_chunkShift) * chunkBytes();
    ::madvise(reinterpret_cast<char*>(m_base) + start, chunkBytes(), MADV_WILLNEED);
}

void SampleStore::populate(std::size_t chunk, std::int64_t storedFrames) {
    const std::size_t start = chunk * chunkBytes();
    const auto stored = std::size_t(storedFrames) * std::size_t(m_channels) * sizeof(std::int16_t);
    // Whole pages of what is stored only: a page past the file's end cannot be touched.
    const std::size_t end = std::min(start + chunkBytes(), stored / kPage * kPage);
    if (end <= start)
        return;
    char* from = reinterpret_cast<char*>(m_base) + start;
    if (::madvise(from, end - start, MADV_POPULATE_READ) == 0)
        return;
    // A system without populating: a read of each page does it.
    volatile char sink = 0;
    for (std::size_t at = 0; at < end - start; at += kPage)
        sink = sink + from[at];
}

void SampleStore::keepResident(std::int64_t storedFrames) {
    if (!spilled())
        return;
    ++m_tick;
    const auto storedChunks =
        std::size_t((storedFrames + (std::int64_t(1) << m_chunkShift) - 1) >> m_chunkShift);
    std::vector<std::size_t> ahead;
    for (std::size_t i = 0; i < m_chunkCount; ++i) {
        if (!m_readFlags[i].exchange(0, std::memory_order_relaxed))
            continue;
        m_lastRead[i] = m_tick;
        m_resident[i] = true;
        // What a player reads next: the two chunks after (a song played fast reads ahead).
        for (std::size_t next = i + 1; next <= i + 2 && next < storedChunks; ++next)
            ahead.push_back(next);
    }
    for (const std::size_t next : ahead) {
        if (!m_resident[next])
            populate(next, storedFrames);
        m_resident[next] = true;
        m_lastRead[next] = std::max(m_lastRead[next], m_tick);
    }
    int resident = int(std::count(m_resident.begin(), m_resident.end(), true));
    const int keep = std::max(3, policy().residentChunks);
    while (resident > keep) {
        // Let go of the chunk read longest ago; none read in this very pass.
        std::size_t oldest = m_chunkCount;
        for (std::size_t i = 0; i < m_chunkCount; ++i)
            if (m_resident[i] && m_lastRead[i] < m_tick &&
                (oldest == m_chunkCount || m_lastRead[i] < m_lastRead[oldest]))
                oldest = i;
        if (oldest == m_chunkCount)
            break;
        // The samples stay in the file; only this process's hold on the pages goes.
        ::madvise(reinterpret_cast<char*>(m_base) + oldest * chunkBytes(), chunkBytes(),
                  MADV_DONTNEED);
        m_resident[oldest] = false;
        --resident;
    }
    m_residentCount.store(resident, std::memory_order_relaxed);
}

int SampleStore::residentChunks() const {
    return m_residentCount.load(std::memory_order_relaxed);
}

ResidencyKeeper::ResidencyKeeper(int intervalMs)
    : m_intervalMs(intervalMs), m_thread([this] { run(); }) {}

ResidencyKeeper::~ResidencyKeeper() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ResidencyKeeper::add(std::function<bool()> pass) {
    std::lock_guard lock(m_mutex);
    m_passes.push_back(std::move(pass));
}

void ResidencyKeeper::run() {
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(m_intervalMs),
                            [this] { return m_stop; })) {
        std::erase_if(m_passes, [](const std::function<bool()>& pass) { return !pass(); });
    }
}

} // namespace hoedeck
