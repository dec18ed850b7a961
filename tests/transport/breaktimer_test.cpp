#include "breaktimer.h"
#include "playerrig.h"
#include "soundfiles.h"
#include "testsignals.h"
#include "textstore.h"
#include "transport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
constexpr qint64 kMinute = 60'000;

// The timer on a clock the test moves, beside a patter and a singer.
struct Timer : PlayerRig {
    qint64 nowMs = 20 * 60 * kMinute; // 20:00:00
    Transport transport{player, prompter};
    BreakTimer timer{data.folder(), engine, player, prompter, [this] { return nowMs; }};

    Timer() {
        writeWav(data.path("mp3s/Patter.wav"), sine(300, 20, 44100, 0.4f));
        writeWav(data.path("mp3s/Singer.wav"), sine(500, 20, 44100, 0.4f));
        // The alarm: a DC level, so its volume shows in the sound.
        QDir().mkpath(data.path("media"));
        writeWav(data.path("media/battlow.wav"), std::vector<float>(44100 * 2, 0.5f));
        player.lbCuedPatter = "Patter.wav";
        player.lbCuedSinger = "Singer.wav";
        timer.plugInto(player, transport);
    }
    QStringList timerFile() { return textstore::readList(data.path("ini/timer.txt")); }
    void writeTimerFile(const QByteArray& content) { data.write("ini/timer.txt", content); }
    void open(const QString& song) {
        player.current_song = song;
        player.btnOpenClick(Sender::Other);
    }
    bool alarmPlays() { return engine.channelIsActive(player.streams.alarm); }
};
} // namespace

TEST(BreakTimer, AnEmptyIniFolderGetsBothFilesWithTheirDefaults) {
    Timer t;
    t.timer.load_timer();
    EXPECT_EQ(t.timerFile(),
              (QStringList{"11", "media/battlow.wav", "on"})); // moves with the folder
    EXPECT_EQ(textstore::readList(t.data.path("ini/times_up.txt")), QStringList{"50"});
    EXPECT_EQ(t.timer.checkedMinutes(), 11);
    EXPECT_TRUE(t.timer.soundOn());
    EXPECT_EQ(t.timer.caption(), "Timer: ON");
    EXPECT_TRUE(t.prompter.shown.isEmpty());
}

TEST(BreakTimer, LoadingChecksOnlyAnItemsOwnNumberAndReadsTheSoundSwitch) {
    Timer t;
    t.writeTimerFile("5\r\n/x/bell.mp3\r\noff\r\n");
    t.timer.load_timer();
    EXPECT_EQ(t.timer.checkedMinutes(), 5);
    EXPECT_EQ(t.timer.alarmPath(), "/x/bell.mp3");
    EXPECT_EQ(t.timer.caption(), "Timer: OFF");

    t.writeTimerFile(" 7\r\n/x/bell.mp3\r\nOn\r\n"); // only "on" itself is on
    t.timer.load_timer();
    EXPECT_EQ(t.timer.checkedMinutes(), 0);
    EXPECT_FALSE(t.timer.soundOn());

    // Two lines or fewer leave the switch as it is; one line gives the default alarm.
    t.timer.setSound(true);
    t.writeTimerFile("3\r\n");
    t.timer.load_timer();
    EXPECT_EQ(t.timer.checkedMinutes(), 3);
    EXPECT_TRUE(t.timer.soundOn());
    EXPECT_EQ(t.timer.alarmPath(), BreakTimer::kShippedAlarm);
}

TEST(BreakTimer, TheSoundSwitchWritesItsLineInAFileOfAnyLength) {
    Timer t;
    const QString alarm = BreakTimer::kShippedAlarm;
    // Two lines: the switch is added as the third (it used to fail and write nothing).
    t.writeTimerFile("9\r\n/x/bell.wav\r\n");
    t.timer.setSound(false);
    EXPECT_EQ(t.timerFile(), (QStringList{"9", "/x/bell.wav", "off"}));
    EXPECT_EQ(t.timer.caption(), "Timer: OFF");
    t.timer.setSound(true);
    EXPECT_EQ(t.timerFile(), (QStringList{"9", "/x/bell.wav", "on"}));
    // One line: the default alarm and the switch.
    t.writeTimerFile("9\r\n");
    t.timer.setSound(false);
    EXPECT_EQ(t.timerFile(), (QStringList{"9", alarm, "off"}));
    // Empty: the minutes in force as well.
    t.writeTimerFile("");
    t.timer.setSound(true);
    EXPECT_EQ(t.timerFile(), (QStringList{"11", alarm, "on"}));
    // No file: only the menu changes.
    QFile::remove(t.data.path("ini/timer.txt"));
    t.timer.setSound(false);
    EXPECT_FALSE(QFile::exists(t.data.path("ini/timer.txt")));
    EXPECT_EQ(t.timer.caption(), "Timer: OFF");
}

TEST(BreakTimer, ChoosingMinutesAppliesFromTheNextSongAndSelectSetsTheAlarm) {
    Timer t;
    t.timer.chooseMinutes(4); // no file yet: it is made with the minutes alone
    EXPECT_EQ(t.timerFile(), QStringList{"4"});
    t.timer.load_timer();
    t.open("Patter.wav");
    EXPECT_EQ(t.timer.countdown().text, "4:00");
    t.timer.chooseMinutes(5);
    EXPECT_EQ(t.timer.checkedMinutes(), 5);
    t.nowMs += kMinute;
    EXPECT_EQ(t.timer.countdown().text, "3:00"); // the running countdown is not shortened
    t.open("Singer.wav");
    EXPECT_EQ(t.timer.countdown().text, "5:00");

    t.prompter.files.push_back(QString("/x/horn.mp3"));
    t.timer.select();
    EXPECT_EQ(t.timerFile(), (QStringList{"5", "/x/horn.mp3", "on"}));
    t.timer.select(); // cancelled
    EXPECT_EQ(t.timer.alarmPath(), "/x/horn.mp3");
    t.timer.setSound(false);
    t.writeTimerFile("5\r\n");
    t.prompter.files.push_back(QString("/x/bell.wav"));
    t.timer.select(); // a one-line file gets the path and the switch as the menu has it
    EXPECT_EQ(t.timerFile(), (QStringList{"5", "/x/bell.wav", "off"}));
}

TEST(BreakTimer, CountsDownThenShowsTheOvertimeInRed) {
    Timer t;
    t.timer.load_timer();
    EXPECT_FALSE(t.timer.countdown().started); // before the first song: nothing to show
    t.open("Patter.wav");
    auto shown = t.timer.countdown();
    EXPECT_EQ(shown.text, "11:00");
    EXPECT_FALSE(shown.overtime);
    t.nowMs += 10 * kMinute + 59'500;
    EXPECT_EQ(t.timer.countdown().text, "0:00");
    EXPECT_FALSE(t.timer.countdown().overtime);
    t.nowMs += 500; // 20:11:00
    shown = t.timer.countdown();
    EXPECT_EQ(shown.text, "0:00");
    EXPECT_TRUE(shown.overtime);
    t.nowMs += kMinute + 30'000; // 20:12:30
    EXPECT_EQ(t.timer.countdown().text, "1:30");
    t.nowMs += 70 * kMinute; // not wrapped at the hour
    EXPECT_EQ(t.timer.countdown().text, "71:30");

    // F1 starts it again.
    t.transport.playStop(); // stops
    t.transport.playStop(); // opens the patter again
    shown = t.timer.countdown();
    EXPECT_EQ(shown.text, "11:00");
    EXPECT_FALSE(shown.overtime);
}

TEST(BreakTimer, TheAlarmSoundsOncePerSongOnlyInThePatterAtItsVolume) {
    Timer t;
    t.timer.load_timer();
    t.data.write("ini/times_up.txt", "30\r\n");
    t.open("Patter.wav");
    t.nowMs += 11 * kMinute;
    t.timer.countdown();
    ASSERT_TRUE(t.alarmPlays());
    const Handle first = t.player.streams.alarm;
    AudioEngine::Attributes attributes;
    t.engine.channelGetAttributes(first, attributes);
    EXPECT_EQ(attributes.volume, 30);
    t.render(0.2);
    t.timer.countdown();
    EXPECT_EQ(t.player.streams.alarm, first); // once: the next ticks leave it alone

    // Another song re-arms it and silences the one sounding.
    t.open("Patter.wav");
    EXPECT_FALSE(t.alarmPlays());
    t.nowMs += 11 * kMinute;
    t.timer.countdown();
    EXPECT_TRUE(t.alarmPlays());

    // Over time in a singing call: red, but silent.
    t.open("Singer.wav");
    t.nowMs += 11 * kMinute;
    EXPECT_TRUE(t.timer.countdown().overtime);
    EXPECT_TRUE(t.player.alarmSounded);
    EXPECT_FALSE(t.alarmPlays());

    // Sound off: silent in the patter too.
    t.timer.setSound(false);
    t.open("Patter.wav");
    t.nowMs += 11 * kMinute;
    t.timer.countdown();
    EXPECT_FALSE(t.alarmPlays());
    EXPECT_TRUE(t.prompter.shown.isEmpty());
}

TEST(BreakTimer, DamagedFilesAreSaidOnceAndTheSongStillOpens) {
    Timer t;
    t.timer.load_timer();
    t.writeTimerFile("eleven\r\n/x/none.wav\r\non\r\n");
    t.timer.load_timer();
    t.open("Patter.wav");
    EXPECT_TRUE(t.player.playing);
    EXPECT_EQ(t.timer.countdown().text, "11:00");
    ASSERT_EQ(t.prompter.shown.size(), 1);
    EXPECT_EQ(t.prompter.shown[0], "Line 1 of timer.txt (\"eleven\") is not a whole number of "
                                   "minutes from 0 to 1440; the break timer counts down 11 "
                                   "minutes.");
    t.open("Patter.wav"); // not said again at every song
    EXPECT_EQ(t.prompter.shown.size(), 1);

    // An alarm that is not there, and a volume that is not a number: said when it is time.
    t.data.write("ini/times_up.txt", QByteArray(5000, 'x'));
    t.nowMs += 11 * kMinute;
    t.timer.countdown();
    t.timer.countdown();
    ASSERT_EQ(t.prompter.shown.size(), 3);
    EXPECT_TRUE(t.prompter.shown[1].startsWith("Line 1 of times_up.txt (\"xxx"));
    EXPECT_LT(t.prompter.shown[1].size(), 200);
    EXPECT_EQ(t.prompter.shown[2],
              "The break timer's alarm \"/x/none.wav\" cannot be played: the file does not exist.");

    // A file from an older installation names another system's alarm: the shipped one plays.
    t.writeTimerFile("11\r\nC:\\Windows\\Media\\battlow.wav\r\non\r\n");
    t.data.write("ini/times_up.txt", "50\r\n");
    t.timer.load_timer();
    t.open("Patter.wav");
    t.nowMs += 11 * kMinute;
    t.timer.countdown();
    EXPECT_TRUE(t.alarmPlays());
    EXPECT_EQ(t.prompter.shown.size(), 3);
}
