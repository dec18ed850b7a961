#pragma once

// Equaliser bands: the peaking filter of the audio EQ cookbook, one band per object. The
// singer's equaliser gives its width in octaves, the patter's in semitones.

#include <cstddef>

namespace hoedeck::dsp {

constexpr double semitonesToOctaves(double semitones) {
    return semitones / 12.0;
}

// One peaking band for one or two interleaved float channels. No allocation and no locks: it
// runs on the mixer thread. A change of its settings keeps the filter's state, so moving a band
// while a song plays does not click.
class PeakingFilter {
public:
    void setPeaking(double sampleRate, double centreHz, double bandwidthOctaves,
                    double gainDb) noexcept;
    void process(float* interleaved, std::size_t frames, int channels) noexcept;
    void reset() noexcept;
    // Runs several bands over interleaved stereo in one pass (the same result as one after
    // another, at a fraction of the cost: the samples stay in registers).
    static void processStereoChain(PeakingFilter* bands, int count, float* stereo,
                                   std::size_t frames) noexcept;

    double sampleRate() const { return m_sampleRate; }
    double centreHz() const { return m_centre; }
    double bandwidthOctaves() const { return m_bandwidth; }
    double gainDb() const { return m_gain; }

private:
    void storeState(int channel, double x1, double x2, double y1, double y2) noexcept;

    double m_sampleRate = 44100;
    double m_centre = 1000;
    double m_bandwidth = 1;
    double m_gain = 0;
    // Coefficients, normalised so a0 = 1.
    double m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    // Direct form I state per channel: x[n-1], x[n-2], y[n-1], y[n-2].
    double m_state[2][4] = {};
};

} // namespace hoedeck::dsp
