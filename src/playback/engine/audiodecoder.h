#pragma once

#include "audioerror.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

namespace hoedeck {

// One sound file (or an image of one in memory) decoded through FFmpeg into 16-bit interleaved
// frames at the file's own rate: mono stays mono, two or more channels come out as stereo.
// The encoder's delay and padding are trimmed, so a song decodes to the frames that went in.
// Used by one thread at a time: the opener, then whichever pool thread decodes the next slice.
class AudioDecoder {
public:
    // Opens a file and decodes its first frame, so the rate and channels are the real ones and a
    // file without any sound is refused here. Nothing, with the reason in `error`, otherwise.
    static std::unique_ptr<AudioDecoder> open(const QString& path, AudioError& error);
    static std::unique_ptr<AudioDecoder> fromImage(const QByteArray& image, AudioError& error);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    // The file's own samples have 8 bits or fewer (8-bit PCM, an 8-bit FLAC); they decode to
    // 16 bits like any other.
    bool eightBit() const { return m_eightBit; }
    // The frames the sound decodes to, as known at open: exact where the container states it or
    // the packets were counted, the bitrate's estimate where neither was possible, 0 if unknown.
    std::int64_t length() const { return m_length; }

    // Decodes the next piece: sets `frames` to interleaved samples owned by the decoder (valid
    // until the next call) and returns how many frames they are; 0 once the sound has ended,
    // the file's end, a damaged tail and a read error alike.
    int next(const std::int16_t*& frames);

private:
    struct State;
    explicit AudioDecoder(std::unique_ptr<State> state);
    static std::unique_ptr<AudioDecoder> start(std::unique_ptr<State> state, AudioError& error);
    void findLength();

    std::unique_ptr<State> m_state;
    int m_rate = 0;
    int m_channels = 0;
    bool m_eightBit = false;
    std::int64_t m_length = 0;
    bool m_exact = false;
};

} // namespace hoedeck
