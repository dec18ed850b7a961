#include "progress.h"

#include <gtest/gtest.h>

using namespace hoedeck::progress;

TEST(Progress, WhereASingingCallStands) {
    EXPECT_EQ(which_sequence_is_playing(150, 300), "Singer: Middle Break");
    EXPECT_EQ(which_sequence_is_playing(291, 300), "Singer: Tag");
    EXPECT_EQ(which_sequence_is_playing(5, 300), "Singer: Intro");
    EXPECT_EQ(which_sequence_is_playing(10, 300), "Singer: Opener"); // 0.033 x 300 = 9.9
    EXPECT_EQ(which_sequence_is_playing(9.9, 300), "Singer: Intro"); // on the boundary: before
    EXPECT_EQ(which_sequence_is_playing(60, 300), "Singer: Figure 1");
    EXPECT_EQ(which_sequence_is_playing(100, 300), "Singer: Figure 2");
    EXPECT_EQ(which_sequence_is_playing(180, 300), "Singer: Figure 3");
    EXPECT_EQ(which_sequence_is_playing(220, 300), "Singer: Figure 4");
    EXPECT_EQ(which_sequence_is_playing(260, 300), "Singer: Closer");
    EXPECT_EQ(which_sequence_is_playing(0, 0), "Singer: Intro");
}

TEST(Progress, StripAndMarkers) {
    const StripWidths widths = stripWidths(1000);
    EXPECT_EQ(widths.intro, 31);
    EXPECT_EQ(widths.middle, 134);
    EXPECT_EQ(widths.tag, 33);

    const LoopMarkers markers = loopMarkers(1000, 20, 200, 240);
    EXPECT_EQ(markers.beginLoop, 83);
    EXPECT_EQ(markers.patterProgress, 167);
    // Marks outside the song stay inside the strip; a song of no length draws nothing.
    EXPECT_EQ(loopMarkers(1000, 1, 300, 240).patterProgress, 0);
    EXPECT_EQ(loopMarkers(1000, 20, 200, 0).beginLoop, 0);
}

TEST(Progress, MeterAndPercent) {
    EXPECT_EQ(meterLevel(0, 100 | 90u << 16, 20), 100);
    EXPECT_EQ(meterLevel(128 | 128u << 16, 0, 0), 128);
    // An error value (all bits set) is negative and loses to any real level.
    EXPECT_EQ(meterLevel(0xFFFFFFFFu, 64, 0), 64);
    EXPECT_EQ(percentPlayed(150, 300), 50);
    EXPECT_EQ(percentPlayed(299.9, 300), 99);
    EXPECT_EQ(percentPlayed(0, 300), 0);
    EXPECT_EQ(percentPlayed(10, 0), 0);
}
