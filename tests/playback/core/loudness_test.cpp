#include "loudness.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "testsignals.h"
#include "truepeak.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
std::vector<float> stereoSine(double hz, double seconds, double amplitude, double phase = 0) {
    std::vector<float> out(size_t(seconds * 44100) * 2);
    for (size_t i = 0; i < out.size() / 2; ++i)
        out[2 * i] = out[2 * i + 1] =
            float(amplitude * std::sin(2 * M_PI * hz * double(i) / 44100 + phase));
    return out;
}
double db(double value) {
    return 20 * std::log10(value);
}
} // namespace

TEST(Loudness, TruePeakFindsThePeakBetweenTheSamples) {
    // A quarter of the rate at 45 degrees: every sample is at 0.707 of the wave's height.
    const std::vector<float> wave = stereoSine(11025, 1, 0.9, M_PI / 4);
    dsp::TruePeakMeter meter(2);
    meter.feed(wave.data(), wave.size() / 2);
    EXPECT_NEAR(peak(wave, 0, wave.size() / 2), 0.9 * std::sqrt(0.5), 1e-3);
    EXPECT_NEAR(db(meter.peak()), db(0.9), 0.2);
    const std::vector<float> low = stereoSine(1000, 1, 0.5);
    dsp::TruePeakMeter lowMeter(2);
    lowMeter.feed(low.data(), low.size() / 2);
    EXPECT_NEAR(db(lowMeter.peak()), db(0.5), 0.05);
}

TEST(Loudness, TonesMeasureAtTheirKnownLevelAndTheGainNeverClips) {
    QTemporaryDir dir;
    // A 997 Hz tone in both channels at -20 and -10 dB of full scale reads -20 and -10 LUFS.
    for (const double level : {-20.0, -10.0}) {
        const QString path = dir.filePath(QString("tone%1.wav").arg(level));
        ASSERT_TRUE(writeWav(path, stereoSine(997, 10, std::pow(10, level / 20))));
        const auto measured = measureLoudness(path);
        ASSERT_TRUE(measured);
        EXPECT_NEAR(measured->lufs, level, 0.5);
        EXPECT_NEAR(measured->peakDb, level, 0.2);
    }
    EXPECT_FALSE(measureLoudness(dir.filePath("missing.wav")));
    ASSERT_TRUE(writeWav(dir.filePath("silence.wav"), std::vector<float>(44100 * 2)));
    EXPECT_FALSE(measureLoudness(dir.filePath("silence.wav")));

    EXPECT_DOUBLE_EQ(evenLoudnessGainDb({-26, -20}, kTargetLufs), 10); // up to the target
    EXPECT_DOUBLE_EQ(evenLoudnessGainDb({-20, -3}, kTargetLufs), 3);   // only to full scale
    EXPECT_DOUBLE_EQ(evenLoudnessGainDb({-8, -0.5}, kTargetLufs), -8); // down, never clipping
}

TEST(Loudness, TheStoreKeepsFiguresUntilTheSongFileChanges) {
    TempDataFolder data;
    QDir().mkpath(data.path("mp3s"));
    // A "|" and a "%1" in the name read back.
    const QString song = data.path("mp3s/a|b %1.wav");
    ASSERT_TRUE(writeWav(song, stereoSine(440, 1, 0.1)));
    {
        LoudnessStore store(data.folder());
        EXPECT_FALSE(store.find(song));
        store.store(song, {-23.5, -19.25});
    }
    LoudnessStore again(data.folder());
    ASSERT_TRUE(again.find(song));
    EXPECT_EQ(*again.find(song), (Loudness{-23.5, -19.25}));
    // Rewritten: the figures no longer count.
    ASSERT_TRUE(writeWav(song, stereoSine(440, 2, 0.1)));
    EXPECT_FALSE(LoudnessStore(data.folder()).find(song));
    // A damaged line is passed over.
    data.write("ini/loudness.txt", "garbage\r\n|1|2|x|y\r\n");
    EXPECT_FALSE(LoudnessStore(data.folder()).find(song));
}
