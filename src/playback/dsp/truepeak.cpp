#include "truepeak.h"

#include <algorithm>
#include <cmath>

namespace hoedeck::dsp {

TruePeakMeter::TruePeakMeter(int channels) : m_channels(std::clamp(channels, 1, 8)) {}

const std::array<std::array<float, TruePeakMeter::kTaps>, TruePeakMeter::kPhases>&
TruePeakMeter::coefficients() {
    // A low-pass at the original Nyquist frequency for the four-times rate: sinc times a Kaiser
    // window (beta 6), split into its four phases; each phase sums to one so a steady level
    // reads as itself.
    static const auto table = [] {
        constexpr int length = kPhases * kTaps;
        constexpr double pi = 3.14159265358979323846;
        const double beta = 6.0;
        auto bessel0 = [](double x) {
            double sum = 1, term = 1;
            for (int k = 1; k < 30; ++k) {
                term *= (x / (2 * k)) * (x / (2 * k));
                sum += term;
            }
            return sum;
        };
        std::array<std::array<float, kTaps>, kPhases> phases{};
        for (int phase = 0; phase < kPhases; ++phase) {
            double sum = 0;
            std::array<double, kTaps> taps{};
            for (int tap = 0; tap < kTaps; ++tap) {
                const int n = tap * kPhases + phase;
                const double t = (n - (length - 1) / 2.0) / kPhases;
                const double sinc = t == 0 ? 1 : std::sin(pi * t) / (pi * t);
                const double ratio = 2.0 * n / (length - 1) - 1;
                const double window = bessel0(beta * std::sqrt(1 - ratio * ratio)) / bessel0(beta);
                taps[size_t(tap)] = sinc * window;
                sum += taps[size_t(tap)];
            }
            for (int tap = 0; tap < kTaps; ++tap)
                phases[size_t(phase)][size_t(tap)] = float(taps[size_t(tap)] / sum);
        }
        return phases;
    }();
    return table;
}

void TruePeakMeter::feed(const float* interleaved, std::size_t frames) noexcept {
    // The taps by tap, then phase: the four phases of one tap side by side, so the four
    // interpolated values are computed together, in two halves that do not wait on each other.
    static const auto byTap = [] {
        std::array<std::array<float, kPhases>, kTaps> table{};
        for (int phase = 0; phase < kPhases; ++phase)
            for (int tap = 0; tap < kTaps; ++tap)
                table[size_t(kTaps - 1 - tap)][size_t(phase)] =
                    coefficients()[size_t(phase)][size_t(tap)];
        return table;
    }();
    float peak = m_peak;
    for (std::size_t f = 0; f < frames; ++f) {
        for (int ch = 0; ch < m_channels; ++ch) {
            auto& history = m_history[size_t(ch)];
            const float x = interleaved[f * size_t(m_channels) + size_t(ch)];
            history[size_t(m_at)] = x;
            history[size_t(m_at + kTaps)] = x;
            // The window of the last kTaps samples, oldest first.
            const float* window = history.data() + m_at + 1;
            float even[kPhases] = {}, odd[kPhases] = {};
            for (int tap = 0; tap < kTaps; tap += 2) {
                for (int phase = 0; phase < kPhases; ++phase) {
                    even[phase] += window[tap] * byTap[size_t(tap)][size_t(phase)];
                    odd[phase] += window[tap + 1] * byTap[size_t(tap + 1)][size_t(phase)];
                }
            }
            for (int phase = 0; phase < kPhases; ++phase)
                peak = std::max(peak, std::fabs(even[phase] + odd[phase]));
            peak = std::max(peak, std::fabs(x));
        }
        m_at = m_at + 1 == kTaps ? 0 : m_at + 1;
    }
    m_peak = peak;
}

} // namespace hoedeck::dsp
