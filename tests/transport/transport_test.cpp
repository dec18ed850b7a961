#include "player.h"
#include "playerrig.h"
#include "scriptedprompter.h"
#include "soundeffects.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "testsignals.h"
#include "transport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct Keys : PlayerRig {
    Transport transport{player, prompter};
    int stores = 0;

    Keys() {
        writeWav(data.path("mp3s/Patter.wav"), sine(300, 60, 44100, 0.4f));
        writeWav(data.path("mp3s/Singer.wav"), sine(500, 60, 44100, 0.4f));
        transport.hooks.autoStore = [this] { ++stores; };
    }
    double copySeconds(Handle copy) { return seconds(copy); }
};
} // namespace

TEST(Transport, SpacePlaysTheCuedPatterAndStopsWithAStore) {
    Keys k;
    k.transport.spacekey1Click(); // nothing cued, nothing plays: only the store
    EXPECT_EQ(k.stores, 1);
    EXPECT_EQ(k.player.current_song, Player::kNone);

    k.player.lbCuedPatter = "Patter.wav";
    k.transport.spacekey1Click();
    EXPECT_TRUE(k.player.playing);
    EXPECT_TRUE(k.player.patterMode);
    EXPECT_EQ(k.player.current_song, "Patter.wav");
    EXPECT_EQ(k.stores, 1);
    k.render(2.0);
    k.transport.spacekey1Click();
    EXPECT_FALSE(k.player.playing);
    EXPECT_FALSE(k.engine.channelIsActive(k.player.streams.copyA));
    EXPECT_EQ(k.stores, 2);

    // F2 resumes the same copy where it stopped.
    const double stoppedAt = k.copySeconds(k.player.streams.copyA);
    EXPECT_NEAR(stoppedAt, 2.0, 0.01); // copy A starts at the beginning of the song
    k.transport.playResume();
    EXPECT_TRUE(k.engine.channelIsActive(k.player.streams.copyA));
    k.render(1.0);
    EXPECT_NEAR(k.copySeconds(k.player.streams.copyA), stoppedAt + 1.0, 0.01);
}

TEST(Transport, ControlSpaceAndTheSwitchToPatter) {
    Keys k;
    k.transport.switchToPatter(); // nothing plays: nothing happens
    EXPECT_EQ(k.player.current_song, Player::kNone);

    k.player.lbCuedSinger = "Singer.wav";
    k.player.lbCuedPatter = "Patter.wav";
    k.transport.ControlSpaceKeyClick();
    EXPECT_TRUE(k.player.playing);
    EXPECT_FALSE(k.player.patterMode);
    k.transport.switchToPatter();
    EXPECT_TRUE(k.player.patterMode);
    EXPECT_EQ(k.player.current_song, "Patter.wav");
    EXPECT_FALSE(
        k.engine.channelIsActive(k.engine.tempoGetResampledHandle(k.player.streams.singerTempo)));
    k.transport.ControlSpaceKeyClick(); // something plays: stop
    EXPECT_FALSE(k.player.playing);
}

TEST(Transport, F1AsksWhichSongWhenNoneIsCurrent) {
    Keys k;
    k.player.lbCuedSinger = "Singer.wav";
    k.prompter.choices = {0};
    k.transport.playStop();
    ASSERT_EQ(k.prompter.shown.size(), 2);
    EXPECT_EQ(k.prompter.shown[0], "Would you like to Play the Patter or Singer?");
    EXPECT_EQ(k.prompter.captions[0], "Patter or Singer");
    EXPECT_EQ(k.prompter.shown[1], "There is no Patter cued!");
    EXPECT_FALSE(k.player.playing);
    EXPECT_EQ(k.player.current_song, Player::kNone);

    k.prompter.choices = {1};
    bool restarted = false;
    k.transport.hooks.restartBreakTimer = [&] { restarted = true; };
    k.transport.playStop();
    EXPECT_TRUE(k.player.playing);
    EXPECT_EQ(k.player.current_song, "Singer.wav");
    EXPECT_TRUE(restarted);
    k.transport.playStop(); // playing: stop, no question
    EXPECT_FALSE(k.player.playing);
    EXPECT_EQ(k.prompter.shown.size(), 3);
}

TEST(Transport, FadeBringsEverythingDownInFiveSeconds) {
    Keys k;
    k.player.lbCuedPatter = "Patter.wav";
    k.transport.spacekey1Click();
    k.render(1.0);
    k.transport.fade();
    k.render(4.5);
    EXPECT_TRUE(k.engine.channelIsActive(k.player.streams.copyA));
    const std::uint32_t late = k.engine.channelGetLevel(k.player.streams.copyA) & 0xFFFF;
    EXPECT_LT(late, 10u);
    k.render(0.6);
    EXPECT_FALSE(k.engine.channelIsActive(k.player.streams.copyA));
    k.player.tick(false);
    EXPECT_FALSE(k.player.playing);
}

TEST(SoundEffects, FolderIsMadeWithAMessageThenListedAndPlayed) {
    Keys k;
    SoundEffects effects(k.data.folder(), k.engine, k.prompter);
    EXPECT_TRUE(effects.list().isEmpty());
    EXPECT_EQ(k.prompter.shown.last(), "A directory " + k.data.folder().root() +
                                           "FX has been created for you. You may put sound "
                                           "effects in that folder.");
    EXPECT_TRUE(QDir(k.data.path("FX")).exists());
    EXPECT_EQ(effects.play(-1), -1); // nothing listed yet

    const QString wav = k.data.path("whoop.wav");
    writeWav(wav, sine(660, 0.3));
    ASSERT_TRUE(encodeMp3(wav, k.data.path("FX/whoop.mp3")));
    QDir().mkpath(k.data.path("FX/more"));
    ASSERT_TRUE(encodeMp3(wav, k.data.path("FX/more/applause.mp3")));
    EXPECT_EQ(effects.list(), QStringList({"applause.mp3", "whoop.mp3"}));
    EXPECT_EQ(effects.play(1), 1);
    EXPECT_EQ(effects.play(-1), 1); // the last one again
    EXPECT_EQ(effects.play(7), -1);
    std::vector<float> out(4410 * 2);
    k.engine.render(out.data(), 4410);
    EXPECT_GT(peak(out, 2000, 4410), 0.3f); // two at once, over each other
}
