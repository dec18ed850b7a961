#include "loopmarks.h"
#include "player.h"
#include "playerrig.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "testsignals.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct Loop : PlayerRig {
    LoopMarks marks{engine, player};
    int stores = 0;

    explicit Loop(const QString& start = "1", const QString& end = "300") {
        // Four minutes, small: mono at 8 kHz.
        writeWav(data.path("mp3s/P.wav"), sine(200, 240, 8000, 0.3f, 1), 8000, 1);
        marks.storeTrackMemory = [this] { ++stores; };
        player.hooks.restoreTrackMemory = [this, start, end] {
            player.eLoop_Start = start;
            player.eLoop_End = end;
        };
        player.lbCuedPatter = "P.wav";
        player.btnOpenClick(Sender::spacekey1);
    }
    void put(Handle copy, double at) {
        engine.channelSetPosition(copy, engine.channelSeconds2Bytes(copy, float(at)));
    }
};
} // namespace

TEST(LoopMarks, NudgesAndTheirSteps) {
    Loop l("20", "200");
    l.marks.nudgeBoth(-0.05, -0.01); // "<" of "Change Both"
    EXPECT_EQ(l.player.eLoop_Start, "19.95");
    EXPECT_EQ(l.player.eLoop_End, "199.99");
    l.marks.nudgeBoth(0.1, 0.1);
    EXPECT_EQ(l.player.eLoop_Start, "20.05");
    EXPECT_EQ(l.player.eLoop_End, "200.09");
    l.marks.nudgeStart(-0.01);
    EXPECT_EQ(l.player.eLoop_Start, "20.04");
    l.marks.nudgeEnd(-0.1);
    EXPECT_EQ(l.player.eLoop_End, "199.99");
    EXPECT_EQ(l.stores, 4);
    // The preview: three seconds before the new seam.
    EXPECT_NEAR(l.seconds(l.player.streams.copyA), 196.99, 0.01);
    // A typed ',' counts as '.', and damaged marks take their defaults.
    l.player.eLoop_Start = "12,5";
    l.marks.nudgeStart(0.1);
    EXPECT_EQ(l.player.eLoop_Start, "12.6");
    l.player.eLoop_End = "x";
    l.marks.nudgeEnd(0.01);
    EXPECT_EQ(l.player.eLoop_End, "300.01");
    l.marks.Reset_Loop_Start();
    l.marks.bGoto_End();
    EXPECT_EQ(l.player.eLoop_Start, "1");
    EXPECT_EQ(l.player.eLoop_End, "300");
    EXPECT_TRUE(LoopMarks::acceptsKey('7') && LoopMarks::acceptsKey('.'));
    EXPECT_FALSE(LoopMarks::acceptsKey('a') || LoopMarks::acceptsKey('-') ||
                 LoopMarks::acceptsKey(','));
}

TEST(LoopMarks, AMovedLoopEndSwitchesAtTheNewPlaceOnly) {
    Loop l("5", "20");
    l.player.eLoop_End = "15";
    l.marks.nudgeEnd(0.0); // any loop-mark command moves the syncs
    l.put(l.player.streams.copyA, 10);
    l.render(5.2);
    EXPECT_EQ(l.player.activeChannel, 2); // switched at 15 s
    EXPECT_NEAR(l.seconds(l.player.streams.copyB), 5.2, 0.01);
}

TEST(LoopMarks, PositionCommandsAndPlayToEnd) {
    Loop l("20", "200");
    const Handle a = l.player.streams.copyA;
    l.put(a, 190);
    l.marks.forward15();
    EXPECT_TRUE(l.player.playToEnd);
    EXPECT_NEAR(l.seconds(a), 205, 0.01);
    l.marks.back15();
    EXPECT_FALSE(l.player.playToEnd);
    EXPECT_EQ(l.player.Label3, "Loop at: 03:20");

    // With copy B playing, the loop test moves B to 5 s before the end.
    l.put(a, 199);
    l.render(1.5);
    ASSERT_EQ(l.player.activeChannel, 2);
    l.player.playToEnd = true;
    l.marks.btnTest_Loop();
    EXPECT_NEAR(l.seconds(l.player.streams.copyB), 195, 0.01);
    EXPECT_FALSE(l.player.playToEnd);

    l.marks.goEnd15();
    EXPECT_NEAR(l.seconds(l.player.streams.copyB), 225, 0.01);
    EXPECT_TRUE(l.player.playToEnd);
    l.marks.togglePlayToEnd(); // off: already past the end, so back to the loop start
    EXPECT_NEAR(l.seconds(l.player.streams.copyB), 20, 0.01);
}

TEST(LoopMarks, SingerLoopTestGoesToTwoNinetyFive) {
    Loop l;
    writeWav(l.data.path("mp3s/S.wav"), sine(200, 320, 8000, 0.3f, 1), 8000, 1);
    l.player.lbCuedSinger = "S.wav";
    l.player.hooks.restoreTrackMemory = nullptr;
    l.player.btnOpenClick(Sender::ControlSpaceKey);
    l.marks.btnTest_Loop();
    EXPECT_NEAR(l.player.position(), 295, 0.05);
    l.marks.positionBarReleased(100);
    EXPECT_NEAR(l.player.position(), 100, 0.05);
}
