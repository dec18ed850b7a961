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
    if (channels == 2) {
        // Both channels in one pass: two independent chains keep the processor busy.
        double lx1 = m_state[0][0], lx2 = m_state[0][1], ly1 = m_state[0][2], ly2 = m_state[0][3];
        double rx1 = m_state[1][0], rx2 = m_state[1][1], ry1 = m_state[1][2], ry2 = m_state[1][3];
        for (std::size_t i = 0; i < frames; ++i) {
            const double l = samples[2 * i], r = samples[2 * i + 1];
            double yl = m_b0 * l + m_b1 * lx1 + m_b2 * lx2 - m_a1 * ly1 - m_a2 * ly2;
            double yr = m_b0 * r + m_b1 * rx1 + m_b2 * rx2 - m_a1 * ry1 - m_a2 * ry2;
            if (flat) {
                yl = l;
                yr = r;
            } else {
                samples[2 * i] = static_cast<float>(yl);
                samples[2 * i + 1] = static_cast<float>(yr);
            }
            lx2 = lx1;
            lx1 = l;
            ly2 = ly1;
            ly1 = yl;
            rx2 = rx1;
            rx1 = r;
            ry2 = ry1;
            ry1 = yr;
        }
        storeState(0, lx1, lx2, ly1, ly2);
        storeState(1, rx1, rx2, ry1, ry2);
        return;
    }
    double x1 = m_state[0][0], x2 = m_state[0][1], y1 = m_state[0][2], y2 = m_state[0][3];
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = samples[i];
        double y = m_b0 * x + m_b1 * x1 + m_b2 * x2 - m_a1 * y1 - m_a2 * y2;
        if (flat)
            y = x;
        else
            samples[i] = static_cast<float>(y);
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
    }
    storeState(0, x1, x2, y1, y2);
}

void PeakingFilter::processStereoChain(PeakingFilter* bands, int count, float* stereo,
                                       std::size_t frames) noexcept {
    constexpr int kMax = 4;
    if (count > kMax) {
        for (int b = 0; b < count; ++b)
            bands[b].process(stereo, frames, 2);
        return;
    }
    // Flat bands are skipped but keep following the sound, as process() does.
    double st[kMax][2][4];
    for (int b = 0; b < count; ++b)
        for (int c = 0; c < 2; ++c)
            for (int k = 0; k < 4; ++k)
                st[b][c][k] = bands[b].m_state[c][k];
    for (std::size_t i = 0; i < frames; ++i) {
        double l = stereo[2 * i], r = stereo[2 * i + 1];
        for (int b = 0; b < count; ++b) {
            const PeakingFilter& f = bands[b];
            double* sl = st[b][0];
            double* sr = st[b][1];
            double yl =
                f.m_b0 * l + f.m_b1 * sl[0] + f.m_b2 * sl[1] - f.m_a1 * sl[2] - f.m_a2 * sl[3];
            double yr =
                f.m_b0 * r + f.m_b1 * sr[0] + f.m_b2 * sr[1] - f.m_a1 * sr[2] - f.m_a2 * sr[3];
            if (f.m_gain == 0.0) {
                yl = l;
                yr = r;
            }
            sl[1] = sl[0];
            sl[0] = l;
            sl[3] = sl[2];
            sl[2] = yl;
            sr[1] = sr[0];
            sr[0] = r;
            sr[3] = sr[2];
            sr[2] = yr;
            l = yl;
            r = yr;
        }
        stereo[2 * i] = static_cast<float>(l);
        stereo[2 * i + 1] = static_cast<float>(r);
    }
    for (int b = 0; b < count; ++b)
        for (int c = 0; c < 2; ++c)
            bands[b].storeState(c, st[b][c][0], st[b][c][1], st[b][c][2], st[b][c][3]);
}

void PeakingFilter::storeState(int channel, double x1, double x2, double y1, double y2) noexcept {
    m_state[channel][0] = x1;
    m_state[channel][1] = x2;
    // Denormals would slow the mixer to a crawl in silence.
    m_state[channel][2] = std::fabs(y1) < 1e-20 ? 0.0 : y1;
    m_state[channel][3] = std::fabs(y2) < 1e-20 ? 0.0 : y2;
}

void PeakingFilter::reset() noexcept {
    for (auto& channel : m_state)
        std::fill(std::begin(channel), std::end(channel), 0.0);
}

} // namespace hoedeck::dsp
