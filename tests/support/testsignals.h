#pragma once

// Sound made by the tests themselves: sines, clicks and square-dance-like music with a known
// beat (kick on every beat, bass on the off-beats, hi-hat on the eighths).

#include <cmath>
#include <cstdint>
#include <vector>

namespace hoedeck::testing {

constexpr double kTwoPi = 6.283185307179586;

// Interleaved stereo (or mono) float samples.
inline std::vector<float> sine(double hz, double seconds, int rate = 44100, float amplitude = 0.5f,
                               int channels = 2) {
    const auto frames = std::size_t(seconds * rate);
    std::vector<float> out(frames * channels);
    for (std::size_t i = 0; i < frames; ++i) {
        const auto v = float(amplitude * std::sin(kTwoPi * hz * double(i) / rate));
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = v;
    }
    return out;
}

inline std::vector<float> beatMusic(double bpm, double seconds, int rate = 44100,
                                    int channels = 2) {
    const auto frames = std::size_t(seconds * rate);
    std::vector<float> out(frames * channels, 0.0f);
    const double beat = 60.0 / bpm;
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double inBeat = std::fmod(t, beat);
        const double inHalf = std::fmod(t, beat / 2);
        double v = 0;
        // Kick: a falling sine burst on the beat.
        if (inBeat < 0.12)
            v += 0.6 * std::exp(-inBeat * 30) *
                 std::sin(kTwoPi * (55 + 60 * std::exp(-inBeat * 40)) * inBeat);
        // Bass on the off-beat.
        const double offBeat = inBeat - beat / 2;
        if (offBeat >= 0 && offBeat < 0.18)
            v += 0.3 * std::exp(-offBeat * 8) * std::sin(kTwoPi * 110 * offBeat);
        // Hi-hat: a short noise tick on every eighth.
        if (inHalf < 0.02) {
            noise = noise * 1664525u + 1013904223u;
            v += 0.08 * std::exp(-inHalf * 200) * ((noise >> 8) / double(1 << 24) * 2 - 1);
        }
        // A quiet pad so the music is never silent between hits.
        v += 0.05 * std::sin(kTwoPi * 220 * t) * (0.5 + 0.5 * std::sin(kTwoPi * 0.25 * t));
        for (int c = 0; c < channels; ++c)
            out[i * channels + c] = float(v);
    }
    return out;
}

// Peak absolute value over a range of frames of one channel.
inline float peak(const std::vector<float>& samples, std::size_t from, std::size_t to,
                  int channels = 2, int channel = 0) {
    float p = 0;
    for (std::size_t i = from; i < to && i * channels + channel < samples.size(); ++i)
        p = std::max(p, std::fabs(samples[i * channels + channel]));
    return p;
}

// Root mean square over a range of frames of one channel.
inline double rms(const std::vector<float>& samples, std::size_t from, std::size_t to,
                  int channels = 2, int channel = 0) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = from; i < to && i * channels + channel < samples.size(); ++i, ++n)
        sum += double(samples[i * channels + channel]) * samples[i * channels + channel];
    return n ? std::sqrt(sum / double(n)) : 0.0;
}

// The frequency of a steady tone, from its zero crossings (with sub-sample interpolation).
inline double toneFrequency(const std::vector<float>& samples, std::size_t from, std::size_t to,
                            int rate = 44100, int channels = 2) {
    double first = -1, last = -1;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to && i * channels < samples.size(); ++i) {
        const float a = samples[(i - 1) * channels], b = samples[i * channels];
        if (a < 0 && b >= 0) {
            const double at = double(i - 1) + double(-a) / double(b - a);
            if (first < 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    // In floating point: a minute of a 1 kHz tone has more crossings times the rate than an int
    // holds.
    return crossings > 1 ? double(crossings - 1) * rate / (last - first) : 0.0;
}

} // namespace hoedeck::testing
