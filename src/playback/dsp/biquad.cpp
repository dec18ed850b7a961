#include "biquad.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace hoedeck::dsp {

void PeakingFilter::setPeaking(double sampleRate, double centreHz, double bandwidthOctaves,
                               double gainDb) noexcept {
    m_sampleRate = sampleRate > 0 ? sampleRate : 44100;
    m_centre = centreHz;
    m_bandwidth = bandwidthOctaves;
    m_gain = gainDb;
    // A centre at or above Nyquist would make the filter unstable at a low playing rate.
    const double centre = std::clamp(centreHz, 10.0, 0.45 * m_sampleRate);
    const double bandwidth = std::clamp(bandwidthOctaves, 0.05, 6.0);
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * M_PI * centre / m_sampleRate;
    const double sinW0 = std::sin(w0);
    const double alpha = sinW0 * std::sinh(std::log(2.0) / 2.0 * bandwidth * w0 / sinW0);
    const double a0 = 1.0 + alpha / a;
    m_b0 = (1.0 + alpha * a) / a0;
    m_b1 = -2.0 * std::cos(w0) / a0;
    m_b2 = (1.0 - alpha * a) / a0;
    m_a1 = m_b1;
    m_a2 = (1.0 - alpha / a) / a0;
}

void PeakingFilter::process(float* samples, std::size_t frames, int channels) noexcept {
    // 0 dB passes the sound through untouched; the state is kept current so that a band
    // raised later starts from the sound that played.
    const bool flat = m_gain == 0.0;
    const int count = std::clamp(channels, 1, 2);
    for (int c = 0; c < count; ++c) {
        double x1 = m_state[c][0], x2 = m_state[c][1], y1 = m_state[c][2], y2 = m_state[c][3];
        float* s = samples + c;
        for (std::size_t i = 0; i < frames; ++i, s += channels) {
            const double x = *s;
            double y = m_b0 * x + m_b1 * x1 + m_b2 * x2 - m_a1 * y1 - m_a2 * y2;
            if (flat)
                y = x;
            else
                *s = static_cast<float>(y);
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
        }
        m_state[c][0] = x1;
        m_state[c][1] = x2;
        // Denormals would slow the mixer to a crawl in silence.
        m_state[c][2] = std::fabs(y1) < 1e-20 ? 0.0 : y1;
        m_state[c][3] = std::fabs(y2) < 1e-20 ? 0.0 : y2;
    }
}

void PeakingFilter::reset() noexcept {
    for (auto& channel : m_state)
        std::fill(std::begin(channel), std::end(channel), 0.0);
}

} // namespace hoedeck::dsp
