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

namespace {
// Left and right go through each band side by side in one vector register: the same
// arithmetic in half the instructions.
using Pair = double __attribute__((vector_size(16)));
struct ChainBand {
    Pair b0, b1, b2, a1, a2;
    Pair x1, x2, y1, y2;
};

// A fixed number of bands, unrolled, so the compiler keeps every band's state in registers
// (kept in memory, each sample would wait for its own stores).
template <int N> void runChain(ChainBand* chain, float* stereo, std::size_t frames) noexcept {
    ChainBand c[N];
    for (int b = 0; b < N; ++b)
        c[b] = chain[b];
    for (std::size_t i = 0; i < frames; ++i) {
        Pair x = {stereo[2 * i], stereo[2 * i + 1]};
#pragma GCC unroll 4
        for (int b = 0; b < N; ++b) {
            // Flat bands pass the sound through but keep following it, as process() does.
            // Every term but the last output's is summed first, so from one sample to the next
            // a band waits for a single multiply and subtract: the bands and the samples
            // overlap in the processor.
            const Pair known =
                c[b].b0 * x + c[b].b1 * c[b].x1 + c[b].b2 * c[b].x2 - c[b].a2 * c[b].y2;
            const Pair y = known - c[b].a1 * c[b].y1;
            c[b].x2 = c[b].x1;
            c[b].x1 = x;
            c[b].y2 = c[b].y1;
            c[b].y1 = y;
            x = y;
        }
        stereo[2 * i] = static_cast<float>(x[0]);
        stereo[2 * i + 1] = static_cast<float>(x[1]);
    }
    for (int b = 0; b < N; ++b)
        chain[b] = c[b];
}
} // namespace

void PeakingFilter::processStereoChain(PeakingFilter* bands, int count, float* stereo,
                                       std::size_t frames) noexcept {
    constexpr int kMax = 4;
    if (count < 1)
        return;
    if (count > kMax) {
        for (int b = 0; b < count; ++b)
            bands[b].process(stereo, frames, 2);
        return;
    }
    ChainBand chain[kMax];
    for (int b = 0; b < count; ++b) {
        const PeakingFilter& f = bands[b];
        // A flat band runs as the identity (y = x exactly), which keeps its state following
        // the sound without a test in the loop.
        const bool flat = f.m_gain == 0.0;
        const double b0 = flat ? 1.0 : f.m_b0, b1 = flat ? 0.0 : f.m_b1, b2 = flat ? 0.0 : f.m_b2;
        const double a1 = flat ? 0.0 : f.m_a1, a2 = flat ? 0.0 : f.m_a2;
        chain[b] = {Pair{b0, b0},
                    Pair{b1, b1},
                    Pair{b2, b2},
                    Pair{a1, a1},
                    Pair{a2, a2},
                    Pair{f.m_state[0][0], f.m_state[1][0]},
                    Pair{f.m_state[0][1], f.m_state[1][1]},
                    Pair{f.m_state[0][2], f.m_state[1][2]},
                    Pair{f.m_state[0][3], f.m_state[1][3]}};
    }
    switch (count) {
    case 1:
        runChain<1>(chain, stereo, frames);
        break;
    case 2:
        runChain<2>(chain, stereo, frames);
        break;
    case 3:
        runChain<3>(chain, stereo, frames);
        break;
    default:
        runChain<4>(chain, stereo, frames);
        break;
    }
    for (int b = 0; b < count; ++b)
        for (int ch = 0; ch < 2; ++ch)
            bands[b].storeState(ch, chain[b].x1[ch], chain[b].x2[ch], chain[b].y1[ch],
                                chain[b].y2[ch]);
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
