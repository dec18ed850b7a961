#include "effects.h"
#include "metronome.h"
#include "playerrig.h"
#include "soundfiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
// A tick that starts on its first sample: a level held for 200 frames.
std::vector<float> tick(float level) {
    return std::vector<float>(200 * 2, level);
}

// The metronome on the offline output, rendered 10 ms at a time with a poll between, as the
// window's timer polls it.
struct Rig : PlayerRig {
    Effects effects{engine, player};
    Metronome metronome{data.folder(), engine, effects, prompter};
    std::vector<float> heard; // left channel of everything rendered

    Rig() {
        QDir().mkpath(data.path("sounds"));
        writeWav(data.path("sounds/b.wav"), tick(0.5f));
        writeWav(data.path("sounds/A.WAV"), tick(0.25f));
        data.write("sounds/notes.txt", "not a tick");
        metronome.listSounds();
    }
    void run(double seconds, int pollEveryFrames = 441) {
        const auto frames = std::size_t(seconds * 44100);
        std::vector<float> block(std::size_t(pollEveryFrames) * 2);
        for (std::size_t done = 0; done < frames; done += std::size_t(pollEveryFrames)) {
            metronome.poll();
            engine.render(block.data(), std::size_t(pollEveryFrames));
            for (int i = 0; i < pollEveryFrames; ++i)
                heard.push_back(block[std::size_t(i) * 2]);
        }
    }
    // Frames where a tick starts, and the level it starts with.
    std::vector<std::pair<std::size_t, float>> ticks() const {
        std::vector<std::pair<std::size_t, float>> found;
        for (std::size_t i = 0; i < heard.size(); ++i)
            if (heard[i] != 0.0f && (i == 0 || heard[i - 1] == 0.0f))
                found.emplace_back(i, heard[i]);
        return found;
    }
    std::vector<std::size_t> intervals() const {
        std::vector<std::size_t> between;
        const auto at = ticks();
        for (std::size_t i = 1; i < at.size(); ++i)
            between.push_back(at[i].first - at[i - 1].first);
        return between;
    }
};
} // namespace

TEST(Metronome, ListsTheWavSoundsByNameAndTicksOnExactFramesWithTheMusicDown) {
    Rig r;
    EXPECT_EQ(r.metronome.sounds(), (QStringList{"A.WAV", "b.wav"}));
    EXPECT_EQ(r.metronome.selected(), 0);
    EXPECT_EQ(r.metronome.bpm(), 125);
    r.effects.setVolume(60);
    ASSERT_TRUE(r.metronome.start());
    EXPECT_EQ(r.effects.tbVolume, 30);
    r.run(10.0);
    const auto ticks = r.ticks();
    ASSERT_GE(ticks.size(), 20u);
    EXPECT_EQ(ticks[0].first, 15435u); // 350 ms after the start
    EXPECT_FLOAT_EQ(ticks[0].second, 0.25f);
    for (const std::size_t interval : r.intervals())
        ASSERT_EQ(interval, 21168u); // 0.48 s to the frame
    r.metronome.stop();
    EXPECT_EQ(r.effects.tbVolume, 100); // up to full, not back to 60
    EXPECT_FALSE(r.metronome.running());

    // 40 and 240 BPM; the interval of a BPM that does not divide the second is kept on
    // average to the frame.
    for (const auto& [bpm, frames] : {std::pair{40, 66150u}, std::pair{240, 11025u}}) {
        Rig fast;
        fast.metronome.setBpm(bpm);
        fast.metronome.start();
        fast.run(bpm == 40 ? 8.0 : 3.0);
        for (const std::size_t interval : fast.intervals())
            EXPECT_EQ(interval, frames) << bpm;
    }
    Rig odd;
    odd.metronome.setBpm(97); // 27278.35... frames
    odd.metronome.start();
    odd.run(20.0);
    const auto at = odd.ticks();
    ASSERT_GE(at.size(), 30u);
    for (std::size_t i = 0; i < at.size(); ++i)
        EXPECT_LE(std::abs(double(at[i].first) - (15435 + i * 44100.0 * 60 / 97)), 0.5) << i;
}

TEST(Metronome, ABpmChangeLetsTheBeatUnderWayFinishAndLatePollsNeverMoveTheBeat) {
    Rig r;
    r.metronome.setBpm(60);
    r.metronome.start();
    r.run(1.7); // beats at 0.35 and 1.35 s; the next one is under way
    r.metronome.setBpm(120);
    r.run(3.0);
    const auto between = r.intervals();
    ASSERT_GE(between.size(), 4u);
    EXPECT_EQ(between[0], 44100u);
    EXPECT_EQ(between[1], 44100u); // the beat under way at the change still lasts a second
    for (std::size_t i = 2; i < between.size(); ++i)
        EXPECT_EQ(between[i], 22050u);

    // The window busy for longer than a beat (polled every 0.6 s at 240 BPM): a beat that
    // could not be placed in time is left out, every one heard is on the grid.
    Rig slow;
    slow.metronome.setBpm(240);
    slow.metronome.start();
    slow.run(6.0, 26460);
    const auto ticks = slow.ticks();
    ASSERT_GE(ticks.size(), 5u);
    for (const auto& [frame, level] : ticks)
        EXPECT_EQ((frame - 15435) % 11025, 0u) << frame;
}

TEST(Metronome, StopSilencesTheBeatPlacedAheadAndAnotherSoundTakesOverAtTheNextBeat) {
    Rig r;
    r.metronome.start();
    r.run(0.6); // one tick heard, the next placed
    r.metronome.selectSound(1);
    r.run(1.0);
    const auto ticks = r.ticks();
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_FLOAT_EQ(ticks[0].second, 0.25f);
    EXPECT_FLOAT_EQ(ticks.back().second, 0.5f); // b.wav from a following beat on
    r.metronome.stop();
    const std::size_t before = r.ticks().size();
    r.run(2.0);
    EXPECT_EQ(r.ticks().size(), before);
    EXPECT_TRUE(r.prompter.shown.isEmpty());
}

TEST(Metronome, WithoutATickSoundStartingFailsWithAMessageAndChangesNothing) {
    Rig r;
    QFile::remove(r.data.path("sounds/A.WAV"));
    QFile::remove(r.data.path("sounds/b.wav"));
    r.metronome.listSounds();
    EXPECT_TRUE(r.metronome.sounds().isEmpty());
    r.effects.setVolume(70);
    EXPECT_FALSE(r.metronome.start());
    EXPECT_FALSE(r.metronome.running());
    EXPECT_EQ(r.effects.tbVolume, 70);
    ASSERT_EQ(r.prompter.shown.size(), 1);
    EXPECT_TRUE(r.prompter.shown[0].startsWith("There is no tick sound: put a .wav file into "));
    r.run(1.0);
    EXPECT_TRUE(r.ticks().empty());

    // A file that is no sound: said, and nothing ticks.
    r.data.write("sounds/broken.wav", "RIFF but not really");
    r.metronome.listSounds();
    EXPECT_FALSE(r.metronome.start());
    ASSERT_EQ(r.prompter.shown.size(), 2);
    EXPECT_TRUE(r.prompter.shown[1].startsWith("The tick sound \"broken.wav\" cannot be played: "));
}
