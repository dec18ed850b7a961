#include "playerrig.h"
#include "seams.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
// A patter of a pure 441 Hz tone: a period is 100 frames, so loop marks on whole seconds join
// the tone in phase and any click at the seam is the player's own.
struct ToneLoop : PlayerRig {
    ToneLoop(const QString& start, const QString& end, double seconds = 30) {
        writeWav(data.path("mp3s/Tone.wav"), sine(441, seconds, 44100, 0.3f));
        player.lbCuedPatter = "Tone.wav";
        if (!start.isEmpty())
            player.hooks.restoreTrackMemory = [this, start, end] {
                player.eLoop_Start = start;
                player.eLoop_End = end;
            };
        player.btnOpenClick(Sender::spacekey1);
    }
};
} // namespace

TEST(Seam, TheCrossfadingSwitchAddsNoStepAndStopsTheCopyThatFadedOut) {
    ToneLoop loop("5", "20");
    ASSERT_FALSE(loop.player.hardLoop);
    const auto out = loop.render(20.5);
    EXPECT_EQ(loop.player.activeChannel, 2);
    EXPECT_LE(seamStepRatio(out, 20 * 44100), 1.0);
    // Copy A fades out over 4 s past the loop end, then stops instead of playing on unheard.
    loop.render(3.0);
    EXPECT_TRUE(loop.engine.channelIsActive(loop.player.streams.copyA));
    loop.render(1.0);
    EXPECT_FALSE(loop.engine.channelIsActive(loop.player.streams.copyA));
    EXPECT_TRUE(loop.engine.channelIsActive(loop.player.streams.copyB));
}

TEST(Seam, TheHardSwitchCutsOverWithoutAClick) {
    ToneLoop loop("", "", 60); // nothing remembered: 15 s to 45 s, cut over
    ASSERT_TRUE(loop.player.hardLoop);
    const auto out = loop.render(45.5);
    EXPECT_EQ(loop.player.activeChannel, 2);
    EXPECT_LE(seamStepRatio(out, 45 * 44100), 1.0);
    EXPECT_NEAR(loop.seconds(loop.player.streams.copyB), 15.5, 0.01);
    EXPECT_FALSE(loop.engine.channelIsActive(loop.player.streams.copyA));
}

TEST(Seam, AFadeThatReachesTheSeamGoesOnToSilence) {
    ToneLoop loop("5", "20");
    loop.render(18.5);
    loop.player.fadeOut(3000); // ends 1.5 s after the seam
    const auto out = loop.render(4.0);
    const auto level = envelope(out);
    // 1.5 s to the seam: the fade so far, then the usual crossfade proportion at most.
    const float beforeSeam = level[148];
    EXPECT_NEAR(beforeSeam, 0.3f * 0.5f, 0.02f);
    for (std::size_t w = 150; w < 300; ++w)
        EXPECT_LE(level[w], beforeSeam * 1.4f) << "the music came back at window " << w;
    for (std::size_t w = 301; w < level.size(); ++w)
        ASSERT_EQ(level[w], 0.0f) << "still sounding at window " << w;
    EXPECT_FALSE(loop.engine.channelIsActive(loop.player.streams.copyA));
    EXPECT_FALSE(loop.engine.channelIsActive(loop.player.streams.copyB));
}
