#pragma once

// Beats per minute of music: an onset-strength envelope (rises in level), whose
// autocorrelation is searched for the beat period with a comb over four beats, so the result
// is finer than the envelope's own step. The range is one octave, so a beat and its half or
// double cannot both fit: estimates outside it are folded in.

#include <cstddef>
#include <vector>

namespace hoedeck::dsp {

constexpr double kBpmUnknown = -1.0;

// Folds an estimate into [minBpm, maxBpm) by doubling or halving; 0, negative or not finite
// gives kBpmUnknown.
double foldBpm(double raw, double minBpm = 80.0, double maxBpm = 160.0);

class BpmDetector {
public:
    BpmDetector(int channels, int sampleRate, double minBpm = 80.0, double maxBpm = 160.0);

    void feed(const float* interleaved, std::size_t frames);
    // The folded BPM of everything fed so far; kBpmUnknown when no steady beat was found.
    double bpm() const;
    // Seconds of sound fed so far.
    double seconds() const;
    void clear();

private:
    int m_channels;
    int m_sampleRate;
    double m_minBpm;
    double m_maxBpm;
    int m_hop;
    double m_energy = 0;
    int m_inHop = 0;
    double m_previousLevel = 0;
    bool m_havePrevious = false;
    std::size_t m_frames = 0;
    std::vector<float> m_onsets; // one value per hop
    // A gentle high-pass on the mono signal so a constant offset does not count as loudness.
    double m_hpX = 0, m_hpY = 0;
    static constexpr int kWindowHops = 4;
    double m_window[kWindowHops] = {};
    int m_windowAt = 0;
};

double detectBpm(const float* interleaved, std::size_t frames, int channels, int sampleRate);

} // namespace hoedeck::dsp
