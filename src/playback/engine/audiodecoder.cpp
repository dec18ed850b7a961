#include "audiodecoder.h"

#include "mpegframes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libswresample/swresample.h>
}

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hoedeck {

namespace {

constexpr int kIoBufferBytes = 64 * 1024;
// Packets in a row that the codec refuses before the rest of the file is taken for noise: a
// damaged MP3 recovers at the next good frame, a file of garbage never does.
constexpr int kMaxBadPackets = 256;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

// FFmpeg reports every damaged frame on stderr; a caller's terminal is no place for that.
void silenceFfmpegLog() {
    static const bool done = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)done;
}

// A song file never needs another file or a network address: playlists and references to
// outside data are refused, so a crafted file cannot make FFmpeg open anything.
int refuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

// The bytes FFmpeg reads, from a file or from an image in memory. Going through our own
// AVIOContext keeps FFmpeg from parsing the path as a URL ("a:b.mp3" is not protocol "a").
// A plain descriptor rather than a QFile: the source is created on the opener's thread and read
// and closed on the pool's, which a QObject's thread affinity does not take kindly to.
class ByteSource {
public:
    ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    ~ByteSource() {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool openFile(const QString& path) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
            return false;
        m_size = info.st_size;
        return true;
    }
    void openImage(const QByteArray& image) {
        m_image = image;
        m_size = image.size();
    }
    std::int64_t size() const { return m_size; }

    static int read(void* self, uint8_t* buffer, int size) {
        auto* s = static_cast<ByteSource*>(self);
        std::int64_t n = 0;
        if (s->m_fd < 0) {
            n = std::min<std::int64_t>(size, s->m_size - s->m_pos);
            if (n > 0)
                std::memcpy(buffer, s->m_image.constData() + s->m_pos, size_t(n));
        } else {
            do
                n = ::pread(s->m_fd, buffer, size_t(size), off_t(s->m_pos));
            while (n < 0 && errno == EINTR);
            if (n < 0)
                return AVERROR(EIO);
        }
        if (n <= 0)
            return AVERROR_EOF;
        s->m_pos += n;
        return int(n);
    }

    static int64_t seek(void* self, int64_t offset, int whence) {
        auto* s = static_cast<ByteSource*>(self);
        if (whence & AVSEEK_SIZE)
            return s->m_size;
        whence &= ~AVSEEK_FORCE;
        const std::int64_t base = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? s->m_pos
                                  : whence == SEEK_END ? s->m_size
                                                       : -1;
        if (base < 0 || base + offset < 0)
            return AVERROR(EINVAL);
        s->m_pos = base + offset;
        return s->m_pos;
    }

private:
    int m_fd = -1;
    QByteArray m_image;
    std::int64_t m_size = 0;
    std::int64_t m_pos = 0;
};

// A container opened over a ByteSource.
struct Input {
    ByteSource source;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;

    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input() {
        avformat_close_input(&format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    // FFmpeg's result: 0, or the error that refused the container. `known` skips the probing.
    int open(const char* nameHint, const AVInputFormat* known) {
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
        if (!buffer)
            return AVERROR(ENOMEM);
        io = avio_alloc_context(buffer, kIoBufferBytes, 0, &source, &ByteSource::read, nullptr,
                                &ByteSource::seek);
        if (!io) {
            av_free(buffer);
            return AVERROR(ENOMEM);
        }
        format = avformat_alloc_context();
        if (!format)
            return AVERROR(ENOMEM);
        format->pb = io;
        format->flags |= AVFMT_FLAG_CUSTOM_IO;
        format->io_open = &refuseNestedOpen;
        // On failure FFmpeg frees the context and clears the pointer; our AVIOContext stays ours.
        return avformat_open_input(&format, nameHint, known, nullptr);
    }
};

void useDefaultOrder(AVChannelLayout& layout, const AVChannelLayout& from) {
    if (from.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&from) == 0)
        av_channel_layout_default(&layout, from.nb_channels);
    else
        av_channel_layout_copy(&layout, &from);
}

} // namespace

struct AudioDecoder::State {
    QString path;
    QByteArray image;
    bool memory = false;
    Input input;
    int stream = -1;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    int outRate = 0;
    int outChannels = 0;
    AVChannelLayout outLayout{};
    // The resampler, set up for the format, rate and layout it was last given.
    SwrContext* swr = nullptr;
    int swrFormat = -1;
    int swrRate = 0;
    AVChannelLayout swrLayout{};
    std::vector<std::int16_t> out;

    std::int64_t remaining = std::numeric_limits<std::int64_t>::max();
    int badPackets = 0;
    bool damaged = false;
    bool draining = false;
    bool framePending = false;
    bool ended = false;

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State() {
        swr_free(&swr);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        av_channel_layout_uninit(&swrLayout);
        av_channel_layout_uninit(&outLayout);
    }

    // Opens the bytes once more, for counting packets without disturbing the decoding.
    bool reopen(Input& again) const {
        if (memory)
            again.source.openImage(image);
        else if (!again.source.openFile(path))
            return false;
        return again.open(input.format->url, input.format->iformat) == 0;
    }

    // Hands one packet of our stream to the codec, or the end of the file.
    void feed() {
        for (;;) {
            const int read = av_read_frame(input.format, packet);
            if (read < 0) {
                // A read error or a damaged container ends the sound where it is, as the end
                // of the file does: what decoded so far plays.
                if (read != AVERROR_EOF)
                    damaged = true;
                avcodec_send_packet(codec, nullptr);
                draining = true;
                return;
            }
            if (packet->stream_index != stream) {
                av_packet_unref(packet);
                continue;
            }
            const int sent = avcodec_send_packet(codec, packet);
            av_packet_unref(packet);
            if (sent < 0 && sent != AVERROR(EAGAIN))
                noteBadPacket();
            return;
        }
    }

    void noteBadPacket() {
        damaged = true;
        ++badPackets;
    }

    // The next decoded frame into `frame`; false at the end of the sound.
    bool receive() {
        while (badPackets < kMaxBadPackets) {
            const int got = avcodec_receive_frame(codec, frame);
            if (got == 0) {
                if (frame->nb_samples > 0 && frame->ch_layout.nb_channels > 0) {
                    badPackets = 0;
                    return true;
                }
                av_frame_unref(frame);
            } else if (got == AVERROR_EOF) {
                return false;
            } else if (got == AVERROR(EAGAIN)) {
                if (draining)
                    return false;
                feed();
            } else {
                // The codec dropped a packet it could not decode; the next one may be fine.
                noteBadPacket();
                if (draining)
                    return false;
            }
        }
        return false;
    }

    bool configureResampler() {
        AVChannelLayout in{};
        useDefaultOrder(in, frame->ch_layout);
        if (swr && frame->format == swrFormat && frame->sample_rate == swrRate &&
            av_channel_layout_compare(&in, &swrLayout) == 0) {
            av_channel_layout_uninit(&in);
            return true;
        }
        swr_free(&swr);
        av_channel_layout_uninit(&swrLayout);
        // More than two channels fold down to stereo with the resampler's standard matrix.
        if (swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, outRate, &in,
                                AVSampleFormat(frame->format), frame->sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(swr) < 0) {
            swr_free(&swr);
            av_channel_layout_uninit(&in);
            return false;
        }
        swrLayout = in; // takes over what `in` holds
        swrFormat = frame->format;
        swrRate = frame->sample_rate;
        return true;
    }

    std::int16_t* room(std::int64_t frames) {
        const auto samples = size_t(frames) * size_t(outChannels);
        if (out.size() < samples)
            out.resize(samples);
        return out.data();
    }

    // The pending frame as 16-bit interleaved samples in `out`; the frames written.
    int convert() {
        int n = 0;
        const int channels = frame->ch_layout.nb_channels;
        if (frame->format == AV_SAMPLE_FMT_S16 && channels == outChannels &&
            frame->sample_rate == outRate) {
            n = frame->nb_samples;
            std::memcpy(room(n), frame->data[0], size_t(n) * size_t(channels) * 2);
        } else if (configureResampler()) {
            const int capacity = swr_get_out_samples(swr, frame->nb_samples);
            if (capacity > 0) {
                auto* to = reinterpret_cast<uint8_t*>(room(capacity));
                n = std::max(0, swr_convert(swr, &to, capacity,
                                            const_cast<const uint8_t**>(frame->extended_data),
                                            frame->nb_samples));
            }
        } else {
            noteBadPacket();
        }
        av_frame_unref(frame);
        return n;
    }

    // What a resampler still holds at the end (only when a stream changed its rate midway).
    int flushResampler() {
        if (!swr || swrRate == outRate)
            return 0;
        const int capacity = swr_get_out_samples(swr, 0);
        if (capacity <= 0)
            return 0;
        auto* to = reinterpret_cast<uint8_t*>(room(capacity));
        return std::max(0, swr_convert(swr, &to, capacity, nullptr, 0));
    }
};

AudioDecoder::AudioDecoder(std::unique_ptr<State> state) : m_state(std::move(state)) {}
AudioDecoder::~AudioDecoder() = default;

std::unique_ptr<AudioDecoder> AudioDecoder::open(const QString& path, AudioError& error) {
    silenceFfmpegLog();
    auto state = std::make_unique<State>();
    state->path = path;
    if (!state->input.source.openFile(path)) {
        error = AudioError::FileOpen;
        return nullptr;
    }
    if (state->input.source.size() == 0) {
        error = AudioError::Empty;
        return nullptr;
    }
    // The name goes along only as a hint of the format, for containers its bytes do not tell.
    if (state->input.open(QFile::encodeName(path).constData(), nullptr) < 0) {
        error = AudioError::FileForm;
        return nullptr;
    }
    return start(std::move(state), error);
}

std::unique_ptr<AudioDecoder> AudioDecoder::fromImage(const QByteArray& image, AudioError& error) {
    silenceFfmpegLog();
    if (image.isEmpty()) {
        error = AudioError::Empty;
        return nullptr;
    }
    auto state = std::make_unique<State>();
    state->image = image;
    state->memory = true;
    state->input.source.openImage(image);
    if (state->input.open(nullptr, nullptr) < 0) {
        error = AudioError::FileForm;
        return nullptr;
    }
    return start(std::move(state), error);
}

namespace {

// The frames a file decodes to, from its packets alone: their durations less what the container
// asks the decoder to skip at the start (encoder delay) and to drop at the end (padding). Reads
// the whole file but decodes nothing, which for an MP3 is a few milliseconds a minute of music.
// -1 when a packet does not tell its duration.
std::int64_t countFrames(AVFormatContext* format, int stream, int rate) {
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = int(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    if (stream >= int(format->nb_streams))
        return -1;
    const AVStream* st = format->streams[stream];
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return -1;
    std::int64_t duration = 0, trimmed = 0;
    bool known = true;
    while (known && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == stream) {
            known = packet->duration > 0;
            duration += packet->duration;
            size_t size = 0;
            if (const uint8_t* skip =
                    av_packet_get_side_data(packet, AV_PKT_DATA_SKIP_SAMPLES, &size);
                skip && size >= 8)
                trimmed += std::int64_t(AV_RL32(skip)) + std::int64_t(AV_RL32(skip + 4));
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    if (!known)
        return -1;
    return std::max<std::int64_t>(0, av_rescale_q(duration, st->time_base, AVRational{1, rate}) -
                                         trimmed);
}

} // namespace

std::unique_ptr<AudioDecoder> AudioDecoder::start(std::unique_ptr<State> state, AudioError& error) {
    State& s = *state;
    AVFormatContext* format = s.input.format;
    if (avformat_find_stream_info(format, nullptr) < 0) {
        error = AudioError::FileForm;
        return nullptr;
    }
    const AVCodec* codec = nullptr;
    s.stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (s.stream == AVERROR_DECODER_NOT_FOUND) {
        error = AudioError::Format;
        return nullptr;
    }
    if (s.stream < 0 || !codec) {
        error = AudioError::FileForm; // a container without sound: a picture, a video, a text
        return nullptr;
    }
    // Cover art and other streams are skipped by the demuxer, not read and thrown away.
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (int(i) != s.stream)
            format->streams[i]->discard = AVDISCARD_ALL;
    const AVStream* st = format->streams[s.stream];

    s.codec = avcodec_alloc_context3(codec);
    s.packet = av_packet_alloc();
    s.frame = av_frame_alloc();
    if (!s.codec || !s.packet || !s.frame) {
        error = AudioError::Memory;
        return nullptr;
    }
    if (avcodec_parameters_to_context(s.codec, st->codecpar) < 0) {
        error = AudioError::Format;
        return nullptr;
    }
    s.codec->pkt_timebase = st->time_base;
    // The pool decodes many files at once; a codec's own threads would only add latency.
    s.codec->thread_count = 1;
    if (avcodec_open2(s.codec, codec, nullptr) < 0) {
        error = AudioError::Format;
        return nullptr;
    }

    // The first frame decides the rate and the channels: a header can be wrong (AAC with SBR
    // plays at twice the rate its header gives), the decoded sound cannot.
    if (!s.receive()) {
        error = s.damaged ? AudioError::FileForm : AudioError::Empty;
        return nullptr;
    }
    s.framePending = true;
    const int rate = s.frame->sample_rate;
    if (rate < kMinRate || rate > kMaxRate) {
        error = AudioError::Format;
        return nullptr;
    }
    s.outRate = rate;
    s.outChannels = std::min(s.frame->ch_layout.nb_channels, 2);
    av_channel_layout_default(&s.outLayout, s.outChannels);

    std::unique_ptr<AudioDecoder> decoder(new AudioDecoder(std::move(state)));
    decoder->m_rate = rate;
    decoder->m_channels = decoder->m_state->outChannels;
    // What the codec delivers tells 8-bit PCM (unsigned bytes); a codec that widens its samples
    // (FLAC) tells their real depth in bits_per_raw_sample.
    const AVSampleFormat sampleFormat = s.codec->sample_fmt;
    const int rawBits = s.codec->bits_per_raw_sample;
    decoder->m_eightBit = sampleFormat == AV_SAMPLE_FMT_U8 || sampleFormat == AV_SAMPLE_FMT_U8P ||
                          (rawBits > 0 && rawBits <= 8);
    decoder->findLength();
    return decoder;
}

void AudioDecoder::findLength() {
    State& s = *m_state;
    const AVFormatContext* format = s.input.format;
    const AVStream* st = format->streams[s.stream];
    const AVRational perFrame{1, m_rate};

    // MPEG audio is always counted: without an info header FFmpeg only has the bitrate of the
    // first frames to go by (a VBR song would show half its length), and with a LAME header
    // the padding to drop at the end is told to the decoder, not in the stream's duration.
    const AVCodecID id = st->codecpar->codec_id;
    const bool mpegAudio = id == AV_CODEC_ID_MP3 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP1;
    const bool estimated = format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE ||
                           (st->duration == AV_NOPTS_VALUE && format->duration == AV_NOPTS_VALUE);
    if (mpegAudio && std::strcmp(format->iformat->name, "mp3") == 0) {
        const auto walk = s.memory ? walkMpegImage(s.image) : walkMpegFrames(s.path);
        const std::int64_t skipped = st->start_time == AV_NOPTS_VALUE
                                         ? 0
                                         : av_rescale_q(st->start_time, st->time_base, perFrame);
        if (walk && walk->sampleRate == m_rate) {
            const std::int64_t total = walk->frames * walk->samplesPerFrame;
            // FFmpeg skips the encoder's delay and the decoder's own 529 frames at the start,
            // and drops the padding less those 529 at the end, where the frames the info frame
            // counts are all there. Trusted only where FFmpeg read the same delay.
            constexpr int kDecoderDelay = 529;
            if (walk->encoderDelays && walk->statedFrames == walk->frames &&
                skipped == walk->encoderDelay + kDecoderDelay) {
                m_length = std::max<std::int64_t>(
                    0, total - skipped - std::max(0, walk->padding - kDecoderDelay));
                m_exact = true;
            } else if (!walk->encoderDelays && skipped == 0) {
                m_length = total; // nothing to trim: every frame decodes whole
                m_exact = true;
            }
        }
    }
    if (!m_exact && (mpegAudio || estimated)) {
        Input again;
        if (s.reopen(again)) {
            const std::int64_t counted = countFrames(again.format, s.stream, m_rate);
            if (counted >= 0) {
                m_length = counted;
                m_exact = true;
            }
        }
    }
    if (!m_exact) {
        std::int64_t stated = 0;
        if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
            stated = av_rescale_q(st->duration, st->time_base, perFrame);
        else if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
            stated = av_rescale_q(format->duration, AV_TIME_BASE_Q, perFrame);
        // The priming that the decoder drops at the start (Opus's pre-skip) is part of the
        // stream's duration.
        if (st->codecpar->initial_padding > 0 && st->codecpar->sample_rate > 0)
            stated -= av_rescale_q(st->codecpar->initial_padding,
                                   AVRational{1, st->codecpar->sample_rate}, perFrame);
        m_length = std::max<std::int64_t>(0, stated);
        m_exact = m_length > 0 && !estimated;
    }
    // The decoder gives whole codec frames; past the stated end they hold the encoder's padding
    // (AAC in MP4 states its length but does not mark the padding), so decoding stops there.
    if (m_exact)
        s.remaining = m_length;
}

int AudioDecoder::next(const std::int16_t*& frames) {
    State& s = *m_state;
    while (!s.ended) {
        int n = 0;
        if (s.framePending || s.receive()) {
            s.framePending = false;
            n = s.convert();
        } else {
            n = s.flushResampler();
            s.ended = true;
        }
        if (n <= 0)
            continue;
        n = int(std::min<std::int64_t>(n, s.remaining));
        s.remaining -= n;
        if (s.remaining == 0)
            s.ended = true;
        frames = s.out.data();
        return n;
    }
    return 0;
}

} // namespace hoedeck
