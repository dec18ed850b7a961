#include "player.h"
#include "playerrig.h"
#include "qtprinters.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "testsignals.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct Slots : PlayerRig {
    QStringList errors;

    Slots() {
        QObject::connect(&player, &Player::audioError,
                         [this](const QString& text) { errors << text; });
    }
    QString song(const QString& name, double seconds, double hz = 440) {
        writeWav(data.path("mp3s/" + name), sine(hz, seconds, 44100, 0.3f));
        return name;
    }
};
} // namespace

TEST(Player, SlotDecisionOrder) {
    Slots s;
    s.song("Song.wav", 40);
    // Cued as patter but opened from the folder's file list: a singer (rule c after rule a).
    s.player.lbCuedPatter = "Song.wav";
    s.player.btnOpenClick(Sender::FileListBox1, s.data.path("mp3s/Song.wav"));
    EXPECT_FALSE(s.player.patterMode);
    EXPECT_EQ(s.player.activeChannel, 0);
    EXPECT_TRUE(s.prompter.shown.isEmpty());

    // Cued both ways: the question decides, whatever the sender.
    s.player.lbCuedSinger = "Song.wav";
    s.prompter.yesNo = {true, false};
    s.player.btnOpenClick(Sender::FileListBox1, s.data.path("mp3s/Song.wav"));
    EXPECT_EQ(s.prompter.shown.last(), "You have the same record for the Cued Singer and the "
                                       "Cued Patter. Are you using it as a Patter?");
    EXPECT_TRUE(s.player.patterMode);
    EXPECT_EQ(s.player.activeChannel, 1);
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_FALSE(s.player.patterMode);

    // Cued as patter only, opened from the patter list: a patter.
    s.player.lbCuedSinger = Player::kNone;
    s.player.btnOpenClick(Sender::lbFavorite_Patter, "Song.wav");
    EXPECT_TRUE(s.player.patterMode);
    EXPECT_TRUE(s.player.playing);
    EXPECT_TRUE(s.player.progressTimerEnabled);
}

TEST(Player, PatterWithoutMemoryLoopsFifteenSecondsInFromBothEnds) {
    Slots s;
    // 183.456 s shows as 183.46, so the default loop end is 168.46.
    writeWav(s.data.path("mp3s/Long.wav"),
             std::vector<float>(std::size_t(183.456 * 44100) * 2, 0.1f));
    s.player.lbCuedPatter = "Long.wav";
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_EQ(s.player.totalTimeText(), "183.46");
    EXPECT_EQ(s.player.eLoop_Start, "15");
    EXPECT_EQ(s.player.eLoop_End, "168.46");
    EXPECT_TRUE(s.player.hardLoop);
    EXPECT_EQ(s.player.Label3, "Loop at: 02:48");
    EXPECT_EQ(s.player.hsPositionMax, 183);

    // Remembered marks equal to the defaults still make the hard switch; others do not.
    s.player.hooks.restoreTrackMemory = [&] {
        s.player.eLoop_Start = "15";
        s.player.eLoop_End = "168.46";
        s.player.golden = true;
    };
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_TRUE(s.player.hardLoop);
    EXPECT_EQ(s.player.Label3, "Golden Loop at: 02:48");
    EXPECT_TRUE(s.player.label3Golden);
    s.player.hooks.restoreTrackMemory = [&] {
        s.player.eLoop_Start = "20";
        s.player.eLoop_End = "abc"; // damaged: the default end
    };
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_FALSE(s.player.hardLoop);
    EXPECT_EQ(s.player.eLoop_End, "300");
}

TEST(Player, PatterTooShortForTheDefaultMarksLoopsWhole) {
    Slots s;
    s.song("Short.wav", 20);
    s.player.lbCuedPatter = "Short.wav";
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_EQ(s.player.eLoop_Start, "0");
    EXPECT_EQ(s.player.eLoop_End, "20");
    EXPECT_TRUE(s.player.hardLoop);
    // Played well past its length it still sounds: it went round instead of stopping.
    s.render(45.0);
    const auto later = s.render(1.0);
    EXPECT_TRUE(s.player.playing);
    EXPECT_NEAR(peak(later, 0, later.size() / 2), 0.3, 0.02);
    // Remembered whole-song marks are the default ones: the seam is a cut again.
    s.player.hooks.restoreTrackMemory = [&] {
        s.player.eLoop_Start = "0";
        s.player.eLoop_End = "20";
    };
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_TRUE(s.player.hardLoop);
}

TEST(Player, AFileThatCannotPlayIsNamedWithTheReasonInWords) {
    Slots s;
    s.data.write("mp3s/Empty.mp3", "");
    s.data.write("mp3s/Noise.mp3", QByteArray(20000, '\x5a'));
    QDir().mkpath(s.data.path("mp3s/Folder.mp3"));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"Empty.mp3", "empty file"}, {"Noise.mp3", "not audio that can be read"}};
    for (const auto& c : cases) {
        s.errors.clear();
        s.player.btnOpenClick(Sender::FileListBox1, s.data.path(QString("mp3s/") + c.name));
        ASSERT_EQ(s.errors.size(), 1) << c.name;
        EXPECT_TRUE(s.errors[0].startsWith("Couldn't create a resampled stream!\n"));
        EXPECT_TRUE(s.errors[0].contains(QString("\"%1\": %2").arg(c.name, c.reason)))
            << s.errors[0].toStdString();
        EXPECT_TRUE(s.errors[0].contains("Error Code: ")); // the codes stay for a report
        EXPECT_FALSE(s.player.playing);
    }
    // A folder that carries a song's name is found, but it is not a file.
    s.prompter.shown.clear();
    s.player.btnOpenClick(Sender::FileListBox1, s.data.path("mp3s/Folder.mp3"));
    ASSERT_EQ(s.prompter.shown.size(), 1);
    EXPECT_EQ(s.prompter.shown[0], "MP3 File: Folder.mp3 is not a file!");
    EXPECT_FALSE(s.player.playing);
}

TEST(Player, OpeningOneSlotLeavesTheOtherStoppedButAllocated) {
    Slots s;
    s.song("Patter.wav", 40);
    s.song("Singer.wav", 40);
    s.player.lbCuedPatter = "Patter.wav";
    s.player.lbCuedSinger = "Singer.wav";
    s.player.btnOpenClick(Sender::ControlSpaceKey);
    const Handle singer = s.player.streams.singerTempo;
    ASSERT_NE(singer, 0u);
    EXPECT_EQ(s.player.eLoop_Start, "1");
    EXPECT_EQ(s.player.Label3, "");
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_EQ(s.player.streams.singerTempo, singer);
    EXPECT_FALSE(s.engine.channelIsActive(s.engine.tempoGetResampledHandle(singer)));
    AudioEngine::Attributes a;
    EXPECT_TRUE(s.engine.channelGetAttributes(singer, a)); // still a valid stream
    EXPECT_TRUE(s.engine.channelIsActive(s.player.streams.copyA));
}

TEST(Player, SongFoundNowhereOrUnreadableChangesNothingElse) {
    Slots s;
    s.song("Playing.wav", 40);
    s.player.lbCuedPatter = "Playing.wav";
    s.player.btnOpenClick(Sender::spacekey1);
    ASSERT_TRUE(s.engine.channelIsActive(s.player.streams.copyA));

    s.player.lbCuedSinger = "Gone.mp3";
    s.player.btnOpenClick(Sender::ControlSpaceKey);
    ASSERT_FALSE(s.prompter.shown.isEmpty());
    EXPECT_EQ(s.prompter.shown.last(),
              "MP3 File: Gone.mp3 does not exist in any of your favorite folders!");
    EXPECT_EQ(s.player.currentSongPath, Player::kNone);
    EXPECT_FALSE(s.engine.channelIsActive(s.player.streams.copyA)); // the music stopped
    EXPECT_FALSE(s.player.playing);

    // Not sound at all: the error box with the engine's codes, nothing plays.
    s.data.write("mp3s/Notes.mp3", QByteArray("just some text, no song\n").repeated(40));
    s.player.lbCuedSinger = "Notes.mp3";
    s.player.btnOpenClick(Sender::ControlSpaceKey);
    ASSERT_EQ(s.errors.size(), 1);
    EXPECT_TRUE(s.errors[0].startsWith("Couldn't create a resampled stream!\n\"Notes.mp3\": not "
                                       "audio that can be read\n\nBASS Error Code: "))
        << s.errors[0].toStdString();
    EXPECT_EQ(s.player.streams.singerTempo, 0u);
    EXPECT_FALSE(s.player.playing);
}

TEST(Player, FavouriteSongIsFoundInAFavouriteFolderAndTheBrowserFollows) {
    Slots s;
    s.data.write("X/song.wav", "");
    writeWav(s.data.path("X/song.wav"), sine(330, 20));
    writeWav(s.data.path("Y/song.wav"), sine(550, 20));
    s.folders.add_to_favorite_folders(s.data.path("X"));
    s.folders.add_to_favorite_folders(s.data.path("Y"));
    s.player.btnOpenClick(Sender::lbFavorite_Patter, "song.wav");
    EXPECT_EQ(s.player.currentSongPath, s.data.path("X/song.wav"));
    EXPECT_EQ(s.folders.browserFolder(), s.data.path("X/"));
    EXPECT_EQ(s.player.lbCuedPatter, "song.wav");
    EXPECT_TRUE(s.player.patterMode);
}

TEST(Player, AListLineInOtherCaseOpensItsFileInItsSlot) {
    Slots s;
    s.song("Demo Singer.wav", 20);
    s.song("Hot Patter.wav", 40);
    int marked = 0;
    s.player.hooks.markPlayed = [&](Sender) { ++marked; };

    s.player.btnOpenClick(Sender::lbFavorite_Singers, "demo singer.wav");
    EXPECT_EQ(s.player.currentSongPath, s.data.path("mp3s/Demo Singer.wav"));
    EXPECT_EQ(s.player.current_song, "Demo Singer.wav");
    EXPECT_EQ(s.player.lbCuedSinger, "Demo Singer.wav");
    EXPECT_FALSE(s.player.patterMode);
    EXPECT_TRUE(s.player.playing);
    EXPECT_EQ(marked, 1);

    // The cued patter's key decides the slot by the label, which follows the file's name.
    s.player.lbCuedPatter = "hot patter.WAV";
    s.player.btnOpenClick(Sender::spacekey1);
    EXPECT_EQ(s.player.lbCuedPatter, "Hot Patter.wav");
    EXPECT_TRUE(s.player.patterMode);
    EXPECT_TRUE(s.engine.channelIsActive(s.player.streams.copyA));
    EXPECT_EQ(s.player.Label3, "Loop at: 00:25");
    EXPECT_EQ(marked, 2);

    // In a favourite folder as well, where the browser follows it.
    QDir().mkpath(s.data.path("X"));
    writeWav(s.data.path("X/Far Away.wav"), sine(330, 20));
    s.folders.add_to_favorite_folders(s.data.path("X"));
    s.player.btnOpenClick(Sender::lbFavorite_Patter, "far away.wav");
    EXPECT_EQ(s.player.currentSongPath, s.data.path("X/Far Away.wav"));
    EXPECT_EQ(s.folders.browserFolder(), s.data.path("X/"));
    EXPECT_TRUE(s.player.patterMode);
    EXPECT_TRUE(s.prompter.shown.isEmpty()) << s.prompter.shown.join('\n').toStdString();

    // Two files that differ only in case: which one is meant cannot be told.
    writeWav(s.data.path("X/FAR AWAY.wav"), sine(330, 20));
    s.player.btnOpenClick(Sender::lbFavorite_Patter, "far away.WAV");
    EXPECT_EQ(s.player.currentSongPath, Player::kNone);
    EXPECT_EQ(s.prompter.shown.value(0),
              "MP3 File: far away.WAV does not exist in any of your favorite folders!");
    EXPECT_FALSE(s.player.playing);
}

TEST(Player, FileInformationTellsTheDepthOfTheSourceSamples) {
    Slots s;
    const auto tone = sine(440, 2, 22050, 0.5f);
    const auto info = [&](const QString& name, int format, int channels = 1) {
        std::vector<float> samples;
        for (float v : tone)
            samples.insert(samples.end(), size_t(channels), v);
        writeSound(s.data.path("mp3s/" + name), samples, 22050, channels, format);
        return s.player.fileInfo(s.data.path("mp3s/" + name), false);
    };
    EXPECT_EQ(
        info("u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8),
        QStringList({"Mono", "Bits per Sample: 8", "Freq.: 22050", "Avg. Bytes/Sec.: 44100"}));
    EXPECT_EQ(info("u8 stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2).value(1),
              "Bits per Sample: 8");
    EXPECT_EQ(info("s8.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_S8).value(1), "Bits per Sample: 8");
    EXPECT_EQ(info("s8.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8).value(1), "Bits per Sample: 8");
    EXPECT_EQ(
        info("s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2),
        QStringList({"Stereo", "Bits per Sample: 16", "Freq.: 22050", "Avg. Bytes/Sec.: 88200"}));
    EXPECT_EQ(info("s24.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24).value(1), "Bits per Sample: 16");
    EXPECT_EQ(info("float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT).value(1), "Bits per Sample: 16");
    EXPECT_EQ(info("s16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16).value(1), "Bits per Sample: 16");
    // A-law stores a byte a sample, but each byte stands for a 13-bit sample: it is not 8-bit
    // sound.
    EXPECT_EQ(info("alaw.wav", SF_FORMAT_WAV | SF_FORMAT_ALAW).value(1), "Bits per Sample: 16");
    EXPECT_TRUE(s.player.fileInfo(s.data.path("mp3s/none.wav"), false).isEmpty());

    // The 8-bit file plays as any other: the decoded sound is the tone, not noise.
    s.player.btnOpenClick(Sender::FileListBox1, s.data.path("mp3s/u8.wav"));
    const auto heard = s.render(0.5);
    EXPECT_NEAR(peak(heard, 2205, 11025), 0.5, 0.03);
}

TEST(Player, LoopSwitchesAtTheLoopEndToTheLoopStart) {
    Slots s;
    // A ramp tells where in the song each output frame comes from.
    std::vector<float> ramp(44100 * 30 * 2);
    for (std::size_t i = 0; i < ramp.size() / 2; ++i)
        ramp[i * 2] = ramp[i * 2 + 1] = float(i) / float(ramp.size() / 2) * 0.9f;
    writeWav(s.data.path("mp3s/Ramp.wav"), ramp);
    s.player.lbCuedPatter = "Ramp.wav";
    s.player.hooks.restoreTrackMemory = [&] {
        s.player.eLoop_Start = "5";
        s.player.eLoop_End = "20";
    };
    s.player.btnOpenClick(Sender::spacekey1);
    ASSERT_FALSE(s.player.hardLoop);
    s.render(20.0); // copy A reaches 20 s at the last frame of this
    const auto after = s.render(0.5);
    EXPECT_EQ(s.player.activeChannel, 2);
    // Copy B picked up at 5 s at the very frame the end was reached.
    const double bSeconds = s.engine.channelBytes2Seconds(
        s.player.streams.copyB, s.engine.channelGetPosition(s.player.streams.copyB));
    EXPECT_NEAR(bSeconds, 5.5, 0.001);
    // Both sound: A fading past 20 s, B rising from 5 s, each at trunc(100 / 1.5) once the
    // 5 ms entry is over. At the seam itself A plays on and B comes in from silence: the sound
    // has no step anywhere.
    const auto song = [](double seconds) { return float(seconds / 30 * 0.9); };
    EXPECT_NEAR(after[0], song(20.0), 0.005);
    const std::size_t settled = 300;
    const double t = double(settled) / 44100;
    EXPECT_NEAR(after[settled * 2], (song(20.0 + t) + song(5.0 + t)) * 0.66, 0.003);
    float largestStep = 0;
    for (std::size_t i = 0; i + 1 < 44100 / 2; ++i)
        largestStep = std::max(largestStep, std::fabs(after[(i + 1) * 2] - after[i * 2]));
    EXPECT_LT(largestStep, 0.005f);
}

TEST(Player, TickShowsWhereTheSingerIsAndWhenPlaybackEnds) {
    Slots s;
    // Five minutes, small: mono at 8 kHz.
    writeWav(s.data.path("mp3s/Sing.wav"), sine(200, 300, 8000, 0.3f, 1), 8000, 1);
    s.player.lbCuedSinger = "Sing.wav";
    s.player.btnOpenClick(Sender::ControlSpaceKey);
    s.player.UpdatePositionLabel(150);
    EXPECT_EQ(s.player.ltotal_time, "300");
    EXPECT_EQ(s.player.Label2, "05:00(05:00)");
    EXPECT_EQ(s.player.lblPosition, "Go to position: 02:30 / 05:00");

    const auto at = [&](double seconds) {
        s.engine.tempoStopAndFlush(s.player.streams.singerTempo);
        s.engine.channelSetPosition(
            s.player.streams.singerTempo,
            s.engine.channelSeconds2Bytes(s.player.streams.singerTempo, float(seconds)));
        s.engine.streamPlay(s.engine.tempoGetResampledHandle(s.player.streams.singerTempo), false);
        return s.player.tick(false);
    };
    TickDisplay d = at(150);
    EXPECT_EQ(s.player.Label3, "Singer: Middle Break");
    EXPECT_EQ(d.position_counter, "150.0000");
    EXPECT_EQ(d.Label1, "02:30   of   05:00(05:00)");
    EXPECT_EQ(d.percent, 50);
    at(291);
    EXPECT_EQ(s.player.Label3, "Singer: Tag");
    at(5);
    EXPECT_EQ(s.player.Label3, "Singer: Intro");

    // Playing to the end: up to 80 % and after.
    s.player.playToEnd = true;
    at(240);
    EXPECT_EQ(s.player.Label3, "Playing to end");
    at(241);
    EXPECT_EQ(s.player.Label3, "last sequence");
    s.player.playToEnd = false;

    // The tempo-adjusted total follows the tempo.
    s.engine.tempoSet(s.player.streams.singerTempo, 25.0f, -1, AudioEngine::kPitchUnchanged);
    s.player.UpdatePositionLabel(0);
    EXPECT_EQ(s.player.Label2, "05:00(04:00)");

    // Stopped: the playing flag goes, and a checked playlist asks for the next singer.
    s.player.stopEverything();
    s.player.playing = true;
    d = s.player.tick(true);
    EXPECT_FALSE(s.player.playing);
    EXPECT_TRUE(d.advancePlaylist);
}

TEST(Player, TickWithNothingLoadedLeavesTheDisplaysAlone) {
    Slots s;
    const TickDisplay d = s.player.tick(false);
    EXPECT_FALSE(d.position_counter);
    EXPECT_FALSE(d.Label1);
    EXPECT_FALSE(d.percent);
    EXPECT_EQ(d.meter, 0);
    EXPECT_FALSE(d.advancePlaylist);
}

TEST(Player, HardSwitchCutsAtOnceWithoutAClick) {
    Slots s;
    // A 441 Hz sine of 60.3 s: the default marks 15 and 45.3 join it a third of a period
    // apart, where a plain cut would jump.
    writeWav(s.data.path("mp3s/Tone.wav"), sine(441, 60.3, 44100, 0.5f));
    s.player.lbCuedPatter = "Tone.wav";
    s.player.btnOpenClick(Sender::spacekey1);
    ASSERT_TRUE(s.player.hardLoop);
    ASSERT_EQ(s.player.eLoop_End, "45.3");
    s.engine.channelSetPosition(s.player.streams.copyA,
                                s.engine.channelSeconds2Bytes(s.player.streams.copyA, 44.8f));
    s.engine.channelSetPosition(s.player.streams.copyA,
                                s.engine.channelGetPosition(s.player.streams.copyA) + 4 * 37);
    const auto out = s.render(1.0);
    EXPECT_EQ(s.player.activeChannel, 2);
    // Within 10 ms of the seam only the new copy sounds.
    const std::size_t seam = std::size_t(0.5 * 44100) - 37;
    EXPECT_NEAR(s.seconds(s.player.streams.copyB), 15.0 + (44100 - seam) / 44100.0, 0.001);
    EXPECT_FALSE(s.engine.channelGetLevel(s.player.streams.copyA) & 0xFFFF);
    // No step between neighbouring samples beyond what the tone itself makes.
    float worst = 0;
    for (std::size_t i = seam - 200; i < seam + 600; ++i)
        worst = std::max(worst, std::fabs(out[(i + 1) * 2] - out[i * 2]));
    EXPECT_LT(worst, float(kTwoPi * 441 / 44100 * 0.5 * 1.05));
}
