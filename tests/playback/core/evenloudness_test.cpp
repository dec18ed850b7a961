// Songs played at one loudness: measured on the worker, levelled under the volume, remembered.

#include "evenloudness.h"
#include "playerrig.h"
#include "qtprinters.h"
#include "soundfiles.h"
#include "testsignals.h"
#include "textstore.h"
#include "waiting.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct Level : PlayerRig {
    EvenLoudness level{data.folder(), engine, player};

    Level() { level.plugInto(player); }
    QString song(const QString& name, float amplitude) {
        writeWav(data.path("mp3s/" + name), sine(1000, 12, 44100, amplitude));
        return data.path("mp3s/" + name);
    }
    void open(const QString& path) { player.btnOpenClick(Sender::FileListBox1, path); }
    bool measured() {
        // The measuring thread only gets time nothing else wants: a loaded machine makes it slow.
        return waitUntil([this] { return !level.busy(); }, 60000);
    }
    // The level of what plays, in dB of full scale.
    double heardDb(double seconds = 1.0) {
        const std::vector<float> out = render(seconds);
        double sum = 0;
        for (const float sample : out)
            sum += double(sample) * sample;
        return 10 * std::log10(sum / double(out.size()));
    }
};
} // namespace

TEST(EvenLoudness, TwoSongsEightDecibelsApartPlayAtTheSameLevel) {
    Level l;
    const QString quiet = l.song("quiet.wav", 0.1f);
    const QString loud = l.song("loud.wav", 0.2512f); // 8 dB louder
    l.open(loud);
    const double loudAsItIs = l.heardDb();
    l.level.setEnabled(true);
    EXPECT_EQ(l.data.bytes("ini/even_loudness.txt"), QByteArray("on\r\n"));

    // Not measured yet: the song starts at its own level at once and takes its gain, with a
    // slide, when the figure arrives.
    l.open(quiet);
    EXPECT_EQ(l.level.currentGainDb(), 0.0);
    EXPECT_NEAR(l.heardDb(0.2), loudAsItIs - 8, 0.2);
    ASSERT_TRUE(l.measured());
    EXPECT_GT(l.level.currentGainDb(), 1.0);
    const double quietGain = l.level.currentGainDb();
    l.render(1.1); // the slide
    const double quietLevelled = l.heardDb();
    EXPECT_TRUE(l.player.fileInfo(quiet, false).last().startsWith("Loudness: "));

    l.open(loud);
    ASSERT_TRUE(l.measured());
    l.render(1.1);
    EXPECT_NEAR(l.heardDb(), quietLevelled, 0.5);
    EXPECT_NEAR(quietGain - l.level.currentGainDb(), 8, 0.1);

    // Off: back to the song's own level, by a slide and not a jump; the choice is kept.
    l.level.setEnabled(false);
    EXPECT_LT(l.heardDb(0.1), loudAsItIs - 0.5);
    l.render(1.0);
    EXPECT_NEAR(l.heardDb(), loudAsItIs, 0.2);
    EvenLoudness again(l.data.folder(), l.engine, l.player);
    again.load();
    EXPECT_FALSE(again.enabled());
    // The figures were kept: a song opened again takes its gain at once.
    l.level.setEnabled(true);
    l.open(quiet);
    EXPECT_GT(l.level.currentGainDb(), 1.0);
    EXPECT_FALSE(l.level.busy());
}

TEST(EvenLoudness, AFolderIsMeasuredInTheBackgroundAndWrittenOnce) {
    Level l;
    QStringList songs;
    for (int i = 0; i < 4; ++i)
        songs << l.song(QStringLiteral("song%1.wav").arg(i), 0.05f * float(i + 1));
    songs << l.data.path("mp3s/not a song.wav");
    l.data.write("mp3s/not a song.wav", "garbage");
    l.level.measureAll(songs);
    ASSERT_TRUE(l.measured());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(l.level.loudnessOf(songs[i])) << i;
    EXPECT_EQ(l.level.infoLine(songs[4]), QString());
    // Written together once the folder is done, and read back by the next start.
    EXPECT_TRUE(
        waitUntil([&] { return QFileInfo::exists(l.data.path("ini/loudness.txt")); }, 20000));
    EXPECT_EQ(textstore::readList(l.data.path("ini/loudness.txt")).size(), 4);
    EvenLoudness next(l.data.folder(), l.engine, l.player);
    ASSERT_TRUE(next.loudnessOf(songs[2]));
    EXPECT_NEAR(next.loudnessOf(songs[2])->lufs, l.level.loudnessOf(songs[2])->lufs, 0.01);
}

TEST(EvenLoudness, FiguresThatCannotBeWrittenAreSaidOnceAndStillUsed) {
    Level l;
    QDir().mkpath(l.data.path("ini/loudness.txt")); // a folder where the file belongs
    QStringList failures;
    QObject::connect(&l.level, &EvenLoudness::storeFailed,
                     [&](const QString& message) { failures << message; });
    const QString first = l.song("first.wav", 0.1f), second = l.song("second.wav", 0.2f);
    l.level.measureAll({first});
    ASSERT_TRUE(l.measured());
    ASSERT_TRUE(waitUntil([&] { return !failures.isEmpty(); }, 20000));
    l.level.measureAll({second});
    ASSERT_TRUE(l.measured());
    QTest::qWait(2500); // past the next write
    EXPECT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains("loudness.txt")) << failures[0].toStdString();
    l.level.setEnabled(true);
    l.open(second);
    EXPECT_LT(l.level.currentGainDb(), 0.0); // known without the file: levelled at once
}
