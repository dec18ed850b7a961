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
    // A patter's speed is the beat at the frequency its copies play at: two steps of the
    // remembered tempo, set by the rule before this beat was known.
    AudioEngine::Attributes copy;
    ASSERT_TRUE(r.engine.channelGetAttributes(r.player.streams.copyA, copy));
    EXPECT_GT(copy.rate, 44100);
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), detected * copy.rate / 44100, 0.006);

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

    // The steps are small (0.28 % of 121.6 BPM each): 10 of them play at 125.05, 9 at 124.70.
    r.effects.finalBPM = "121.6";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, 10);
    EXPECT_EQ(r.effects.lbBPM, "125.05");
    // -7 steps play 127.3 at 124.88, -6 at 125.23.
    r.effects.finalBPM = "127.3";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, -7);
    EXPECT_EQ(r.effects.lbBPM, "124.88");

    // "no", or an empty measurement, changes nothing.
    r.effects.finalBPM = "";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, -7);
    r.speed.setOverride(0);
    r.effects.finalBPM = "100";
    r.speed.auto_bpm();
    EXPECT_EQ(r.effects.tbTempo, -7);
}

TEST(SpeedMatching, APatterShowsTheSpeedItReallyPlaysAtAndTheOverrideComesNearest) {
    MemoryRig r;
    r.song("Patter.wav", 70, 126);
    r.openPatter("Patter.wav");
    const double detected = r.effects.finalBPM.toDouble();
    ASSERT_NEAR(detected, 126, 0.5);
    // The beat of what is heard: the detected beat times the song seconds played a second.
    const auto heardBpm = [&] {
        r.render(0.2);
        const Handle copy =
            r.player.activeChannel == 1 ? r.player.streams.copyA : r.player.streams.copyB;
        const double from = r.seconds(copy);
        r.render(4);
        return detected * (r.seconds(copy) - from) / 4;
    };
    r.effects.setTempo(10);
    EXPECT_EQ(r.effects.lblTempo(), "Tempo = 10");
    const double shown = r.effects.lbBPM.toDouble();
    EXPECT_NEAR(shown, heardBpm(), 0.02);
    EXPECT_NEAR(shown, detected * 1.0274, 0.02); // not detected + 10
    r.effects.tempoIncrease();
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), heardBpm(), 0.02);
    r.effects.setTempo(-50);
    EXPECT_NEAR(r.effects.lbBPM.toDouble(), heardBpm(), 0.02);

    // Each choice of the override: the step it takes plays nearer the choice than either
    // neighbour, and the label tells what it plays.
    for (const int target : SpeedMatching::kOverrides) {
        r.speed.setOverride(target);
        r.speed.auto_bpm();
        const int chosen = r.effects.tbTempo;
        const double speed = r.effects.lbBPM.toDouble();
        EXPECT_NEAR(speed, target, 0.2) << target;
        for (const int neighbour : {chosen - 1, chosen + 1}) {
            r.effects.setTempo(neighbour);
            EXPECT_GT(std::abs(r.effects.lbBPM.toDouble() - target), std::abs(speed - target))
                << target << " at " << neighbour;
        }
        r.effects.setTempo(chosen);
        EXPECT_NEAR(speed, heardBpm(), 0.02) << target;
    }
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
