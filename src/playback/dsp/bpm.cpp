#include "bpm.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <utility>

namespace hoedeck::dsp {

double foldBpm(double raw, double minBpm, double maxBpm) {
    if (!std::isfinite(raw) || raw <= 0 || minBpm <= 0 || maxBpm <= minBpm)
        return kBpmUnknown;
    while (raw < minBpm)
        raw *= 2;
    while (raw >= maxBpm)
        raw /= 2;
    return raw;
}

BpmDetector::BpmDetector(int channels, int sampleRate, double minBpm, double maxBpm)
    : m_channels(std::max(1, channels)), m_sampleRate(std::max(1, sampleRate)), m_minBpm(minBpm),
      m_maxBpm(maxBpm),
      // About 2.9 ms per envelope step at 44.1 kHz.
      m_hop(std::max(1, sampleRate / 344)) {}

void BpmDetector::clear() {
    m_energy = 0;
    m_inHop = 0;
    m_havePrevious = false;
    m_frames = 0;
    m_onsets.clear();
    m_hpX = m_hpY = 0;
    std::fill(std::begin(m_window), std::end(m_window), 0.0);
    m_windowAt = 0;
}

double BpmDetector::seconds() const {
    return double(m_frames) / m_sampleRate;
}

void BpmDetector::feed(const float* samples, std::size_t frames) {
    const double hpPole = 0.995;
    for (std::size_t i = 0; i < frames; ++i) {
        double mono = 0;
        for (int c = 0; c < m_channels; ++c)
            mono += samples[i * m_channels + c];
        mono /= m_channels;
        const double y = mono - m_hpX + hpPole * m_hpY;
        m_hpX = mono;
        m_hpY = y;
        m_energy += y * y;
        if (++m_inHop == m_hop) {
            // Loudness over the last four hops: long enough that a steady tone reads steady.
            m_window[m_windowAt] = m_energy;
            m_windowAt = (m_windowAt + 1) % kWindowHops;
            double windowEnergy = 0;
            for (double e : m_window)
                windowEnergy += e;
            const double level = std::sqrt(windowEnergy / (m_hop * kWindowHops));
            double rise = m_havePrevious ? level - m_previousLevel : 0.0;
            // The beat lives in the loud hits (a kick), so rises count by how much louder the
            // sound got, not by ratio; a rise of under 5 % is the sound's own ripple.
            if (rise < 0.05 * m_previousLevel || rise < 1e-5)
                rise = 0;
            m_onsets.push_back(float(rise));
            m_previousLevel = level;
            m_havePrevious = true;
            m_energy = 0;
            m_inHop = 0;
        }
    }
    m_frames += frames;
}

double BpmDetector::bpm() const {
    const double envelopeRate = double(m_sampleRate) / m_hop;
    const double longestBeat = 60.0 * envelopeRate / m_minBpm; // in envelope steps
    constexpr int kBeats = 4;
    const std::size_t maxLag = std::size_t(std::ceil(longestBeat * kBeats)) + 2;
    const std::size_t n = m_onsets.size();
    // At least eight of the slowest beats are needed to say anything.
    if (n < maxLag * 2)
        return kBpmUnknown;

    const double mean = std::accumulate(m_onsets.begin(), m_onsets.end(), 0.0) / double(n);
    std::vector<double> centred(n);
    double energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        centred[i] = m_onsets[i] - mean;
        energy += centred[i] * centred[i];
    }
    if (energy <= 1e-12)
        return kBpmUnknown;

    // Autocorrelation, each lag normalised by its overlap.
    std::vector<double> ac(maxLag + 1, 0.0);
    for (std::size_t lag = 1; lag <= maxLag; ++lag) {
        double sum = 0;
        const double* a = centred.data();
        const double* b = centred.data() + lag;
        const std::size_t count = n - lag;
        for (std::size_t i = 0; i < count; ++i)
            sum += a[i] * b[i];
        ac[lag] = sum / double(count);
    }
    const double ac0 = energy / double(n);

    // Parabolic peak position of the autocorrelation near a lag.
    const auto peakNear = [&](double lag, double reach) {
        const auto from = std::size_t(std::max(2.0, std::floor(lag - reach)));
        const auto to = std::min(maxLag - 1, std::size_t(std::ceil(lag + reach)));
        std::size_t best = from;
        for (std::size_t i = from; i <= to; ++i)
            if (ac[i] > ac[best])
                best = i;
        const double l = ac[best - 1], c = ac[best], r = ac[best + 1];
        const double curve = l - 2 * c + r;
        const double shift = curve < 0 ? 0.5 * (l - r) / curve : 0.0;
        return std::pair{double(best) + std::clamp(shift, -0.5, 0.5), c};
    };

    // The beat is the strongest self-likeness within the range of one octave of periods; a
    // beat and its half or double cannot both fit.
    const double shortestBeat = 60.0 * envelopeRate / m_maxBpm;
    const auto [beat, strength] =
        peakNear((shortestBeat + longestBeat) / 2, (longestBeat - shortestBeat) / 2);
    // No steady beat: the best period is hardly more alike than any other.
    if (strength < 0.15 * ac0)
        return kBpmUnknown;

    // Refine on the later beats, whose peaks stand further apart in lag: a least-squares
    // period through the peaks at one to four beats.
    double weighted = 0, squares = 0;
    for (int k = 1; k <= kBeats; ++k) {
        const auto [at, value] = peakNear(beat * k, 2.0 + k);
        if (value <= 0)
            continue;
        weighted += at * k;
        squares += double(k) * k;
    }
    const double period = squares > 0 ? weighted / squares : beat;
    return foldBpm(60.0 * envelopeRate / period, m_minBpm, m_maxBpm);
}

double detectBpm(const float* interleaved, std::size_t frames, int channels, int sampleRate) {
    BpmDetector detector(channels, sampleRate);
    detector.feed(interleaved, frames);
    return detector.bpm();
}

} // namespace hoedeck::dsp
