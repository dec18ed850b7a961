#include "mpegframes.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hoedeck {

namespace {

// A window onto the bytes, moved forward as the walk goes: a file is read in large blocks, an
// image is looked at where it lies.
class Bytes {
public:
    explicit Bytes(const QByteArray& image)
        : m_image(reinterpret_cast<const unsigned char*>(image.constData())), m_size(image.size()) {
    }
    explicit Bytes(int fd, std::int64_t size) : m_fd(fd), m_size(size), m_buffer(kBlock) {}

    std::int64_t size() const { return m_size; }

    // `count` bytes from `offset`, or nothing when the file ends sooner or cannot be read.
    const unsigned char* at(std::int64_t offset, std::int64_t count) {
        if (offset < 0 || count > kBlock || offset + count > m_size)
            return nullptr;
        if (m_image)
            return m_image + offset;
        if (offset < m_start || offset + count > m_start + m_filled) {
            const std::int64_t want = std::min<std::int64_t>(kBlock, m_size - offset);
            std::int64_t got = 0;
            while (got < want) {
                const ssize_t n =
                    ::pread(m_fd, m_buffer.data() + got, size_t(want - got), off_t(offset + got));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    break;
                got += n;
            }
            m_start = offset;
            m_filled = got;
            if (count > got)
                return nullptr;
        }
        return m_buffer.data() + (offset - m_start);
    }

private:
    static constexpr std::int64_t kBlock = 1 << 20;
    const unsigned char* m_image = nullptr;
    int m_fd = -1;
    std::int64_t m_size = 0;
    std::vector<unsigned char> m_buffer;
    std::int64_t m_start = 0;
    std::int64_t m_filled = 0;
};

std::uint32_t bigEndian32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

struct Header {
    int version = 0; // 1, 2, or 25 for MPEG 2.5
    int layer = 0;
    int sampleRate = 0;
    int samplesPerFrame = 0;
    int size = 0;
    bool mono = false;

    bool sameKind(const Header& other) const {
        return version == other.version && layer == other.layer && sampleRate == other.sampleRate;
    }
};

// The frame a header starts, or nothing for bytes that are not one (free-format frames, whose
// length the header does not give, count as not one).
std::optional<Header> parseHeader(const unsigned char* p) {
    const std::uint32_t h = bigEndian32(p);
    if ((h & 0xFFE00000u) != 0xFFE00000u)
        return std::nullopt;
    const int versionBits = int(h >> 19) & 3;
    const int layerBits = int(h >> 17) & 3;
    const int bitrateIndex = int(h >> 12) & 15;
    const int rateIndex = int(h >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3)
        return std::nullopt;
    static constexpr int kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG 1, I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG 1, II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG 1, III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG 2, I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG 2, II/III
    };
    static constexpr int kRates[3] = {44100, 48000, 32000};
    Header header;
    header.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    header.layer = 4 - layerBits;
    header.sampleRate = kRates[rateIndex] >> (header.version == 1   ? 0
                                              : header.version == 2 ? 1
                                                                    : 2);
    header.mono = (int(h >> 6) & 3) == 3;
    const int row = header.version == 1 ? header.layer - 1 : header.layer == 1 ? 3 : 4;
    const int bitrate = kBitrates[row][bitrateIndex] * 1000;
    const int padding = int(h >> 9) & 1;
    if (header.layer == 1) {
        header.samplesPerFrame = 384;
        header.size = (12 * bitrate / header.sampleRate + padding) * 4;
    } else if (header.layer == 2 || header.version == 1) {
        header.samplesPerFrame = 1152;
        header.size = 144 * bitrate / header.sampleRate + padding;
    } else {
        header.samplesPerFrame = 576;
        header.size = 72 * bitrate / header.sampleRate + padding;
    }
    return header;
}

// A Xing or Info frame (LAME's, with its delay and padding when present) or a VBRI frame.
void readInfoFrame(const unsigned char* frame, const Header& header, MpegFrames& walk) {
    const int sideInfo = header.version == 1 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 17);
    const int size = header.size;
    int at = 4 + sideInfo;
    if (at + 8 <= size &&
        (std::memcmp(frame + at, "Xing", 4) == 0 || std::memcmp(frame + at, "Info", 4) == 0)) {
        walk.infoFrame = true;
        const std::uint32_t flags = bigEndian32(frame + at + 4);
        at += 8;
        if ((flags & 1) && at + 4 <= size) {
            walk.statedFrames = bigEndian32(frame + at);
            at += 4;
        }
        at += (flags & 2 ? 4 : 0) + (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
        // The encoder's name, then 12 bytes of LAME's own, then the delay and padding: 12 bits
        // each. FFmpeg honours them from these encoders only, and so must the count.
        if (at + 24 <= size &&
            (std::memcmp(frame + at, "LAME", 4) == 0 || std::memcmp(frame + at, "Lavf", 4) == 0 ||
             std::memcmp(frame + at, "Lavc", 4) == 0)) {
            const unsigned char* delays = frame + at + 21;
            walk.encoderDelays = true;
            walk.encoderDelay = delays[0] << 4 | delays[1] >> 4;
            walk.padding = (delays[1] & 15) << 8 | delays[2];
        }
        return;
    }
    at = 4 + 32;
    if (at + 18 <= size && std::memcmp(frame + at, "VBRI", 4) == 0) {
        walk.infoFrame = true;
        walk.statedFrames = bigEndian32(frame + at + 14);
    }
}

std::optional<MpegFrames> walk(Bytes& bytes) {
    std::int64_t pos = 0;
    // ID3v2 tags lead; their size is four 7-bit bytes, and a footer adds ten.
    while (const unsigned char* tag = bytes.at(pos, 10)) {
        if (std::memcmp(tag, "ID3", 3) != 0)
            break;
        const std::int64_t size = std::int64_t(tag[6] & 0x7f) << 21 | (tag[7] & 0x7f) << 14 |
                                  (tag[8] & 0x7f) << 7 | (tag[9] & 0x7f);
        pos += 10 + size + (tag[5] & 0x10 ? 10 : 0);
    }
    const unsigned char* p = bytes.at(pos, 4);
    const std::optional<Header> first = p ? parseHeader(p) : std::nullopt;
    if (!first)
        return std::nullopt;
    MpegFrames result;
    result.samplesPerFrame = first->samplesPerFrame;
    result.sampleRate = first->sampleRate;
    if (const unsigned char* frame = bytes.at(pos, first->size)) {
        readInfoFrame(frame, *first, result);
        if (result.infoFrame)
            pos += first->size;
    }
    for (;;) {
        const std::int64_t left = bytes.size() - pos;
        if (left == 0)
            return result;
        p = bytes.at(pos, std::min<std::int64_t>(left, 4));
        if (!p)
            return std::nullopt;
        // An ID3v1 tag ends many files: 128 bytes from "TAG".
        if (left == 128 && std::memcmp(p, "TAG", 3) == 0)
            return result;
        const std::optional<Header> header = left >= 4 ? parseHeader(p) : std::nullopt;
        if (!header || !header->sameKind(*first) || header->size > left)
            return std::nullopt;
        ++result.frames;
        pos += header->size;
    }
}

} // namespace

std::optional<MpegFrames> walkMpegFrames(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<MpegFrames> result;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        Bytes bytes(fd, info.st_size);
        result = walk(bytes);
    }
    ::close(fd);
    return result;
}

std::optional<MpegFrames> walkMpegImage(const QByteArray& image) {
    Bytes bytes(image);
    return walk(bytes);
}

} // namespace hoedeck
