#include "audioengine.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct TempoBench {
    QTemporaryDir dir;
    AudioEngine engine{AudioEngine::Output::Offline};
    Handle source = 0;
    Handle output = 0;

    explicit TempoBench(const std::vector<float>& sound) {
        engine.start();
        const QString path = dir.filePath("song.wav");
        writeWav(path, sound);
        source = engine.streamCreateFile(path, AudioEngine::kFlagDecode);
        engine.tempoCreate(source);
        output = engine.tempoGetResampledHandle(source);
    }
    std::vector<float> render(double seconds) {
        std::vector<float> out(std::size_t(seconds * 44100) * 2);
        engine.render(out.data(), out.size() / 2);
        return out;
    }
    // Seconds until the output stops, rendered in steps of 0.1 s.
    double playingTime(double limit) {
        double t = 0;
        while (engine.channelIsActive(output) && t < limit) {
            render(0.1);
            t += 0.1;
        }
        return t;
    }
};
} // namespace

TEST(Effects, TwoSemitonesUpMoveA440ToneTo493_9) {
    TempoBench b(sine(440, 5.0));
    ASSERT_NE(b.output, 0u);
    EXPECT_FALSE(b.engine.streamPlay(b.source, false)); // a decode stream is never played
    ASSERT_TRUE(b.engine.tempoSet(b.source, AudioEngine::kTempoUnchanged, -1, 2.0f));
    b.engine.streamPlay(b.output, false);
    const auto out = b.render(2.0);
    EXPECT_NEAR(toneFrequency(out, 22050, 88200), 493.88, 1.0);
}

TEST(Effects, TempoTenPercentShortensPlayingTime) {
    TempoBench b(sine(440, 11.0));
    b.engine.tempoSet(b.source, 10.0f, -1, AudioEngine::kPitchUnchanged);
    EXPECT_NEAR(b.engine.tempoGetApproxPercents(b.source), 10.0f, 0.01);
    EXPECT_NEAR(b.engine.tempoGetApproxSeconds(b.source, 11.0f), 10.0f, 0.01);
    b.engine.streamPlay(b.output, false);
    const auto first = b.render(1.0);
    EXPECT_NEAR(toneFrequency(first, 11025, 44100), 440.0, 1.0); // tempo keeps the key
    EXPECT_NEAR(b.playingTime(20.0) + 1.0, 11.0 / 1.1, 0.25);
}

TEST(Effects, RateChangesSpeedAndKeyTogether) {
    // A tempo stream played at a tenth more than its own rate.
    TempoBench b(sine(440, 10.0));
    b.engine.tempoSet(b.source, AudioEngine::kTempoUnchanged, 48510, AudioEngine::kPitchUnchanged);
    b.engine.streamPlay(b.output, false);
    const auto out = b.render(1.0);
    EXPECT_NEAR(toneFrequency(out, 11025, 44100), 484.0, 1.5);

    // A plain stream's frequency attribute, as the patter speed sets it.
    QTemporaryDir dir;
    writeWav(dir.filePath("p.wav"), sine(440, 4.0));
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    const Handle plain = engine.streamCreateFile(dir.filePath("p.wav"), AudioEngine::kFlagFx);
    engine.channelSetAttributes(plain, 50183, -1, -101);
    AudioEngine::Attributes attributes;
    engine.channelGetAttributes(plain, attributes);
    EXPECT_EQ(attributes.rate, 50183);
    engine.streamPlay(plain, false);
    std::vector<float> fast(44100 * 2);
    engine.render(fast.data(), 44100);
    EXPECT_NEAR(toneFrequency(fast, 4410, 44100), 440.0 * 50183 / 44100, 1.0);
    engine.channelSetAttributes(plain, AudioEngine::kRateOriginal, -1, -101);
    engine.channelGetAttributes(plain, attributes);
    EXPECT_EQ(attributes.rate, 44100);
}

TEST(Effects, SingerMidBandPlusSixDoublesOneKilohertzAndSparesEight) {
    for (const double hz : {1000.0, 8000.0}) {
        TempoBench b(sine(hz, 3.0, 44100, 0.25f));
        ASSERT_TRUE(b.engine.dspSetPeakingEq(b.source));
        for (int band = 0; band < 3; ++band) {
            AudioEngine::PeakingEq eq;
            eq.band = band;
            eq.sampleRate = 44100;
            eq.bandwidth = 2.5f;
            eq.centre = std::array{125.0f, 1000.0f, 8000.0f}[size_t(band)];
            eq.gain = 0;
            ASSERT_TRUE(b.engine.dspSetParameters(b.source, eq));
        }
        AudioEngine::PeakingEq mid;
        mid.band = 1;
        ASSERT_TRUE(b.engine.dspGetParameters(b.source, mid));
        EXPECT_EQ(mid.centre, 1000.0f);
        mid.gain = 6.0f;
        b.engine.dspSetParameters(b.source, mid);
        b.engine.streamPlay(b.output, false);
        const auto out = b.render(2.0);
        const double gain = peak(out, 44100, 88200) / 0.25;
        if (hz == 1000.0)
            EXPECT_NEAR(gain, 2.0, 0.05);
        else
            EXPECT_NEAR(gain, 1.0, 0.1);
    }
}

TEST(Effects, PatterParametricBandsOnPlainStreams) {
    QTemporaryDir dir;
    writeWav(dir.filePath("t.wav"), sine(125, 3.0, 44100, 0.25f));
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    const Handle plain = engine.streamCreateFile(dir.filePath("t.wav"), 0);
    EXPECT_EQ(engine.channelSetFx(plain), 0u); // effects need the effects flag
    const Handle copy = engine.streamCreateFile(dir.filePath("t.wav"), AudioEngine::kFlagFx);
    const Handle bass = engine.channelSetFx(copy);
    ASSERT_NE(bass, 0u);
    ASSERT_TRUE(engine.fxSetParameters(bass, {125.0f, 18.0f, -6.0f}));
    AudioEngine::ParamEq read;
    ASSERT_TRUE(engine.fxGetParameters(bass, read));
    EXPECT_EQ(read.gain, -6.0f);
    engine.streamPlay(copy, false);
    std::vector<float> out(88200 * 2);
    engine.render(out.data(), 88200);
    EXPECT_NEAR(peak(out, 44100, 88200) / 0.25, 0.501, 0.02);
}
