#pragma once

#include <QString>
#include <cstddef>

typedef struct sf_private_tag SNDFILE;

namespace hoedeck {

// Writes stereo float frames to a 16-bit WAV file. The header is brought up to date now and
// then, so the file is readable even if the program is killed while writing.
class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const QString& path, int sampleRate, int channels = 2);
    void write(const float* frames, std::size_t count);
    void close();

private:
    SNDFILE* m_file = nullptr;
    std::size_t m_sinceHeader = 0;
    int m_sampleRate = 44100;
};

} // namespace hoedeck
