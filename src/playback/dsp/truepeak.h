#pragma once

// The true peak of a sound: its highest absolute value between the samples too, found by
// oversampling four times with a 48-tap windowed-sinc interpolator (the method the loudness
// standard describes). A song whose samples stay below full scale can still clip on its way to
// the speakers when its waveform peaks between them; a gain that raises a quiet song must
// leave room for that.

#include <array>
#include <cstddef>

namespace hoedeck::dsp {

class TruePeakMeter {
public:
    explicit TruePeakMeter(int channels);
    // Feeds interleaved frames.
    void feed(const float* interleaved, std::size_t frames) noexcept;
    // The highest absolute value so far (1.0 is full scale).
    float peak() const { return m_peak; }

private:
    static constexpr int kPhases = 4;
    static constexpr int kTaps = 12; // per phase: 48 in all
    static const std::array<std::array<float, kTaps>, kPhases>& coefficients();

    int m_channels;
    // The last kTaps samples of each channel, twice over so a window never wraps.
    std::array<std::array<float, 2 * kTaps>, 8> m_history{};
    int m_at = 0;
    float m_peak = 0;
};

} // namespace hoedeck::dsp
