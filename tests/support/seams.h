#pragma once

// Measures what a listener hears at a loop seam: a step from one sample to the next that the
// music itself does not have is a click.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace hoedeck::testing {

// The largest change from one sample to the next over a range of frames of one channel.
inline float largestStep(const std::vector<float>& samples, std::size_t from, std::size_t to,
                         int channels = 2) {
    float step = 0;
    for (std::size_t i = from; i + 1 < to && (i + 1) * channels < samples.size(); ++i)
        step = std::max(step, std::fabs(samples[(i + 1) * channels] - samples[i * channels]));
    return step;
}

// The largest step around a seam (5 ms before it to 20 ms after) over the largest step the
// sound has on its own on either side: before the seam, and once the crossfade has settled.
// At most 1.0 when the seam adds no step of its own; a tone that jumps from silence to two
// thirds of its level at one sample scores ten and more.
inline double seamStepRatio(const std::vector<float>& samples, std::size_t seamFrame,
                            int rate = 44100) {
    const auto ms = [&](double m) { return std::size_t(m * rate / 1000); };
    const float seam = largestStep(samples, seamFrame - ms(5), seamFrame + ms(20));
    const float own = std::max(largestStep(samples, seamFrame - ms(100), seamFrame - ms(5)),
                               largestStep(samples, seamFrame + ms(20), seamFrame + ms(120)));
    return own > 0 ? seam / own : 0.0;
}

// Peak level of each 10 ms window of one channel.
inline std::vector<float> envelope(const std::vector<float>& samples, int rate = 44100,
                                   int channels = 2) {
    const std::size_t window = std::size_t(rate / 100);
    std::vector<float> out;
    for (std::size_t at = 0; (at + window) * channels <= samples.size(); at += window) {
        float peak = 0;
        for (std::size_t i = at; i < at + window; ++i)
            peak = std::max(peak, std::fabs(samples[i * channels]));
        out.push_back(peak);
    }
    return out;
}

} // namespace hoedeck::testing
