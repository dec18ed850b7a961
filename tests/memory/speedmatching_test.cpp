#include "memoryrig.h"
#include "waiting.h"

#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

TEST(SpeedMatching, OpeningMeasuresTheBeatWithoutHoldingUpTheMusic) {
    MemoryRig r;
    r.song("Patter.wav", 70, 126);
    r.data.write("ini/memorize.txt", "Patter.wav|15|55|2|0|10|10|10|0|100|1\r\n");
    r.player.lbCuedPatter = "Patter.wav";
    r.player.btnOpenClick(Sender::spacekey1);
    // Playing already; the measurement arrives later.
    EXPECT_TRUE(r.player.playing);
    EXPECT_EQ(r.effects.finalBPM, "128");
    r.waitForSpeed();
    const double detected = r.effects.finalBPM.toDouble();
    EXPECT_NEAR(detected, 126, 0.5);
    // A patter's speed is the beat plus its steps.
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), detected + 2, 0.011);

    // A singer's speed is the beat at its tempo; F4 then shows beat plus steps in either slot.
    r.song("Singer.wav", 70, 120);
    r.openSinger("Singer.wav");
    EXPECT_NEAR(r.effects.finalBPM.toDouble(), 120, 0.5);
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), r.effects.finalBPM.toDouble(), 0.011);
    r.effects.setTempo(10);
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), r.effects.finalBPM.toDouble() * 1.1, 0.02);
    r.effects.tempoIncrease();
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), r.effects.finalBPM.toDouble() + 11, 0.011);
}

TEST(SpeedMatching, ASongOpenedMeanwhileDiscardsTheOldMeasurement) {
    MemoryRig r;
    r.song("Fast.wav", 70, 132);
    r.song("Slow.wav", 70, 119);
    r.player.lbCuedPatter = "Fast.wav";
    r.player.btnOpenClick(Sender::spacekey1);
    int shown = 0;
    QObject::connect(&r.speed, &SpeedMatching::detected, [&] { ++shown; });
    r.openPatter("Slow.wav");
    EXPECT_EQ(shown, 1);
    EXPECT_NEAR(r.effects.finalBPM.toDouble(), 119, 0.5);
}

TEST(SpeedMatching, OverrideSetsAPatterBySteps) {
    MemoryRig r;
    r.song("Patter.wav", 40);
    r.openPatter("Patter.wav"); // a tone: no beat
    EXPECT_EQ(r.effects.finalBPM, "-1");
    EXPECT_EQ(r.effects.lbBPM, "");

    // A failed measurement leaves the tempo alone instead of sending it to the end stop.
    r.speed.setOverride(125);
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, 0);

    r.effects.finalBPM = "121.6";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, 3);
    EXPECT_EQ(r.effects.lbBPM, "124.6");
    r.effects.finalBPM = "127.3";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, -2);

    // "no", or an empty measurement, changes nothing.
    r.effects.finalBPM = "";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, -2);
    r.speed.setOverride(0);
    r.effects.finalBPM = "100";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, -2);
}

TEST(SpeedMatching, OverrideSetsASingerByPercent) {
    MemoryRig r;
    r.song("Singer.wav", 40);
    r.openSinger("Singer.wav");
    r.speed.setOverride(125);
    r.effects.finalBPM = "120";
    const auto steps = [&](const QString& speed) {
        r.effects.tbTempo = 0;
        r.effects.lbBPM = speed;
        r.speed.auto_bpm();
        return r.effects.tbTempo;
    };
    EXPECT_EQ(steps("120"), 4);
    EXPECT_EQ(steps("124.9"), 1);
    EXPECT_EQ(steps("126"), 0);
    EXPECT_EQ(steps(""), 0);
    EXPECT_EQ(steps("60"), 50); // held at the slider's end
}

TEST(SpeedMatching, TheLiveBeatOfASingerReachesTheSpeedLabel) {
    MemoryRig r;
    r.song("Singer.wav", 40, 128);
    r.openSinger("Singer.wav");
    r.effects.lbBPM.clear();
    r.speed.ebPeriod = "8";
    r.speed.tick();
    r.render(9);
    // Measured on a thread of its own, shown through the event loop.
    EXPECT_TRUE(hoedeck::testing::waitUntil([&] { return !r.effects.lbBPM.isEmpty(); }));
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), 128, 1.0);

    r.speed.setLiveBpm(false);
    r.effects.lbBPM.clear();
    r.render(9);
    QTest::qWait(300);
    EXPECT_EQ(r.effects.lbBPM, "");
}
