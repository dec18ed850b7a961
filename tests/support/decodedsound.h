#pragma once

// A sound file read back whole through the engine's own decoder (FFmpeg, encoder delay and
// padding trimmed), as 44100 Hz stereo floats: what a caller hears when the file is played.

#include "audiodecoder.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace hoedeck::testing {

// Nothing when the file cannot be decoded; `rate` is set to the file's rate.
inline std::vector<float> decodeSound(const QString& path, int* rate = nullptr) {
    AudioError error = AudioError::Ok;
    const auto decoder = AudioDecoder::open(path, error);
    std::vector<float> out;
    if (!decoder)
        return out;
    if (rate)
        *rate = decoder->sampleRate();
    const int channels = decoder->channels();
    const std::int16_t* frames = nullptr;
    for (int n; (n = decoder->next(frames)) > 0;)
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < 2; ++c)
                out.push_back(float(frames[i * channels + (channels == 2 ? c : 0)]) / 32768.0f);
    return out;
}

} // namespace hoedeck::testing
