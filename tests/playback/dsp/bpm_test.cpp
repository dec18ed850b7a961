#include "bpm.h"
#include "testsignals.h"

#include <gtest/gtest.h>

using namespace hoedeck::dsp;
using namespace hoedeck::testing;

TEST(Bpm, GeneratedMusicWithinHalfABeat) {
    for (const double truth : {118.0, 120.0, 121.6, 125.0, 128.0, 131.3, 134.0}) {
        const auto music = beatMusic(truth, 30.0);
        EXPECT_NEAR(detectBpm(music.data(), music.size() / 2, 2, 44100), truth, 0.5) << truth;
    }
    // Fed in pieces, as a decoder delivers it, and at another rate.
    const auto music = beatMusic(126.0, 30.0, 48000, 1);
    BpmDetector detector(1, 48000);
    for (std::size_t at = 0; at < music.size(); at += 4096)
        detector.feed(music.data() + at, std::min<std::size_t>(4096, music.size() - at));
    EXPECT_NEAR(detector.bpm(), 126.0, 0.5);
    EXPECT_NEAR(detector.seconds(), 30.0, 0.01);
}

TEST(Bpm, NoBeatIsUnknownNeverZero) {
    std::vector<float> silence(44100 * 2 * 20, 0.0f);
    EXPECT_EQ(detectBpm(silence.data(), silence.size() / 2, 2, 44100), kBpmUnknown);
    const auto tone = sine(440, 20.0);
    EXPECT_EQ(detectBpm(tone.data(), tone.size() / 2, 2, 44100), kBpmUnknown);
    std::vector<float> noise(44100 * 2 * 20);
    std::uint32_t state = 1;
    for (float& v : noise) {
        state = state * 1664525u + 1013904223u;
        v = float((state >> 8) / double(1 << 24) - 0.5);
    }
    const double noisy = detectBpm(noise.data(), noise.size() / 2, 2, 44100);
    EXPECT_TRUE(noisy == kBpmUnknown || (noisy >= 80 && noisy < 160)) << noisy;
    const auto tooShort = beatMusic(125, 1.0);
    EXPECT_EQ(detectBpm(tooShort.data(), tooShort.size() / 2, 2, 44100), kBpmUnknown);
}

TEST(Bpm, Folding) {
    EXPECT_DOUBLE_EQ(foldBpm(62.5), 125.0);
    EXPECT_DOUBLE_EQ(foldBpm(250.0), 125.0);
    EXPECT_DOUBLE_EQ(foldBpm(125.0), 125.0);
    EXPECT_DOUBLE_EQ(foldBpm(160.0), 80.0);
    EXPECT_EQ(foldBpm(0.0), kBpmUnknown);
    EXPECT_EQ(foldBpm(-3.0), kBpmUnknown);
    EXPECT_EQ(foldBpm(std::nan("")), kBpmUnknown);
}
