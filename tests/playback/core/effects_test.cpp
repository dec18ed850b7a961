#include "effects.h"
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
struct Rig : PlayerRig {
    Effects effects{engine, player};

    Rig() {
        writeWav(data.path("mp3s/Patter.wav"), sine(125, 40, 44100, 0.25f));
        writeWav(data.path("mp3s/Singer.wav"), sine(125, 40, 44100, 0.25f));
        effects.plugInto(player);
        player.lbCuedPatter = "Patter.wav";
        player.lbCuedSinger = "Singer.wav";
    }
    float singerGain(int band) {
        AudioEngine::PeakingEq eq;
        eq.band = band;
        return engine.dspGetParameters(player.streams.singerTempo, eq) ? eq.gain : -99.0f;
    }
    double patterLevel() {
        std::vector<float> out(44100 * 2);
        engine.render(out.data(), 44100);
        return peak(out, 22050, 44100) / 0.25;
    }
};
} // namespace

TEST(Effects, PatterSpeedFollowsTheTempoScaledByTheBpm) {
    Rig r;
    r.player.btnOpenClick(Sender::spacekey1);
    r.effects.finalBPM = "-1"; // nothing detected: 125 stands in
    r.effects.setTempo(1);
    AudioEngine::Attributes a;
    r.engine.channelGetAttributes(r.player.streams.copyA, a);
    EXPECT_EQ(a.rate, 44221);
    r.engine.channelGetAttributes(r.player.streams.copyB, a);
    EXPECT_EQ(a.rate, 44221);
    EXPECT_EQ(r.effects.finalBPM, "125");
    EXPECT_EQ(r.effects.lbBPM, "125.34"); // 125 x 44221 / 44100: what the copies play at
    r.effects.setTempo(50);
    r.engine.channelGetAttributes(r.player.streams.copyA, a);
    EXPECT_EQ(a.rate, 50183);
    EXPECT_EQ(r.effects.lblTempo(), "Tempo = 50");
    r.effects.setTempo(80); // the slider's end
    EXPECT_EQ(r.effects.tbTempo, 50);
    // The sample rate of a patter changes only its label.
    r.effects.setSamplerate(48000);
    EXPECT_EQ(r.effects.lblSamplerate(), "Samplerate = 48000Hz");
    r.engine.channelGetAttributes(r.player.streams.copyA, a);
    EXPECT_EQ(a.rate, 50183);
}

TEST(Effects, BarsFromStartUpAndAfterAMoveAndClearEffects) {
    Rig r;
    r.player.btnOpenClick(Sender::spacekey1);
    // Flat since start-up: the patter plays its bass at 0 dB.
    EXPECT_NEAR(r.patterLevel(), 1.0, 0.03);
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{10, 10, 10}));
    EXPECT_EQ(r.effects.bandLabel(0), "0");

    // Bass to 9 and back to 10: the patter's bass stands at -4 dB, the singer's at 0 dB.
    r.effects.setBar(0, 9);
    EXPECT_TRUE(r.effects.chkEqualizer);
    EXPECT_EQ(r.effects.bandLabel(0), "1");
    r.effects.setBar(0, 10);
    EXPECT_EQ(r.effects.patterBandGain[0], 19);
    EXPECT_NEAR(r.patterLevel(), std::pow(10.0, -4.0 / 20), 0.03); // heard at once
    r.player.btnOpenClick(Sender::ControlSpaceKey);
    EXPECT_EQ(r.singerGain(0), 0.0f);

    // Control-C: volume back to 100, all patter bands at -4 dB, singer bands at 0 dB.
    r.effects.setVolume(70);
    r.effects.clearEffects();
    EXPECT_EQ(r.effects.tbVolume, 100);
    EXPECT_EQ(r.effects.lblVolume(), "Volume = 50");
    for (int band = 0; band < 3; ++band) {
        EXPECT_EQ(r.effects.patterBandGain[size_t(band)], 19);
        EXPECT_EQ(r.singerGain(band), 0.0f);
    }
    // The tick switches a flat equaliser off.
    r.effects.uncheckWhenFlat();
    EXPECT_FALSE(r.effects.chkEqualizer);
}

TEST(Effects, SingerTempoPitchAndBandGains) {
    Rig r;
    r.player.btnOpenClick(Sender::ControlSpaceKey);
    r.effects.tempoIncrease();
    r.effects.tempoIncrease();
    EXPECT_EQ(r.effects.tbTempo, 2);
    EXPECT_NEAR(r.engine.tempoGetApproxPercents(r.player.streams.singerTempo), 2.0f, 0.01);
    r.effects.pitchUp();
    EXPECT_EQ(r.effects.lblPitch(), "Pitch Scaling = 1 semitones");
    r.effects.moveBar(2, -3); // treble up three
    EXPECT_EQ(r.singerGain(2), 3.0f);
    EXPECT_EQ(r.effects.patterBandGain[2], 16);
    // Opening the next song resets tempo, pitch and bars.
    r.player.btnOpenClick(Sender::ControlSpaceKey);
    EXPECT_EQ(r.effects.tbTempo, 0);
    EXPECT_EQ(r.effects.tbPitch, 0);
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{10, 10, 10}));
    EXPECT_EQ(r.effects.tbSamplerate, 44100);
}
