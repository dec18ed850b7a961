#include "biquad.h"
#include "testsignals.h"

#include <gtest/gtest.h>

using namespace hoedeck::dsp;
using namespace hoedeck::testing;

namespace {
// The steady-state amplitude of a sine through a band, measured after the filter settled.
double gainThrough(double toneHz, double centre, double bandwidthOctaves, double gainDb) {
    auto tone = sine(toneHz, 1.0);
    PeakingFilter band;
    band.setPeaking(44100, centre, bandwidthOctaves, gainDb);
    band.process(tone.data(), tone.size() / 2, 2);
    return peak(tone, 22050, 44100) / 0.5;
}
} // namespace

TEST(PeakingFilter, SixDecibelsDoubleTheCentreAndSpareFarBands) {
    EXPECT_NEAR(gainThrough(1000, 1000, 2.5, 6.0), 1.995, 0.01);
    EXPECT_NEAR(gainThrough(8000, 1000, 2.5, 6.0), 1.0, 0.08);
    EXPECT_NEAR(gainThrough(1000, 1000, 2.5, -6.0), 0.501, 0.005);
    // The patter's bands give their width in semitones.
    EXPECT_NEAR(gainThrough(1000, 1000, semitonesToOctaves(18), 6.0), 1.995, 0.01);
    EXPECT_NEAR(gainThrough(8000, 1000, semitonesToOctaves(18), 6.0), 1.0, 0.03);
    EXPECT_NEAR(gainThrough(125, 125, 2.5, -10.0), 0.316, 0.01);
}

TEST(PeakingFilter, FlatPassesThroughAndChangesDoNotClick) {
    auto tone = sine(440, 0.5);
    auto copy = tone;
    PeakingFilter band;
    band.setPeaking(44100, 1000, 2.5, 0.0);
    band.process(copy.data(), copy.size() / 2, 2);
    EXPECT_EQ(copy, tone);

    // Raising the band mid-stream: no step in the output beyond what the tone itself moves.
    auto moving = sine(440, 1.0);
    PeakingFilter live;
    live.setPeaking(44100, 1000, 2.5, 0.0);
    const std::size_t half = moving.size() / 4; // frames
    live.process(moving.data(), half, 2);
    live.setPeaking(44100, 1000, 2.5, 9.0);
    live.process(moving.data() + half * 2, moving.size() / 2 - half, 2);
    float worstStep = 0;
    for (std::size_t i = 1; i < moving.size() / 2; ++i)
        worstStep = std::max(worstStep, std::fabs(moving[i * 2] - moving[(i - 1) * 2]));
    const float toneStep = float(kTwoPi * 440 / 44100 * 0.5 * 2.82); // the loudest it may get
    EXPECT_LT(worstStep, toneStep);

    // A centre above what the rate can carry stays stable.
    PeakingFilter high;
    high.setPeaking(22050, 16000, 2.5, 12.0);
    auto noiseLike = sine(5000, 0.5, 22050);
    high.process(noiseLike.data(), noiseLike.size() / 2, 2);
    EXPECT_LT(peak(noiseLike, 0, noiseLike.size() / 2), 10.0f);
}

TEST(PeakingFilter, ChainInOnePassEqualsBandsOneAfterAnother) {
    const auto music = beatMusic(125, 2.0);
    auto apart = music, together = music;
    PeakingFilter one[3], two[3];
    const double centres[3] = {125, 1000, 8000}, gains[3] = {4, 0, -7};
    for (int b = 0; b < 3; ++b) {
        one[b].setPeaking(44100, centres[b], 2.5, gains[b]);
        two[b].setPeaking(44100, centres[b], 2.5, gains[b]);
    }
    for (auto& band : one)
        band.process(apart.data(), apart.size() / 2, 2);
    PeakingFilter::processStereoChain(two, 3, together.data(), together.size() / 2);
    for (std::size_t i = 0; i < music.size(); ++i)
        ASSERT_NEAR(apart[i], together[i], 1e-6) << i;
}
