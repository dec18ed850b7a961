#include "memoryrig.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
const QString kStamp = "20261209160507";

// Settings a caller might leave on a song.
void adjust(MemoryRig& r) {
    r.player.eLoop_Start = "20.5";
    r.player.eLoop_End = "35,25";
    r.effects.setTempo(3);
    r.effects.setPitch(-2);
    r.effects.setBar(0, 4);
    r.effects.setVolume(80);
}
} // namespace

TEST(TrackMemory, ASongReopensAsItWasLeftFromAnyFolder) {
    MemoryRig r;
    r.song("Hoedown.wav", 50);
    r.openPatter("Hoedown.wav");
    adjust(r);
    r.memory.memorizeClick();
    EXPECT_EQ(r.lines("memorize.txt"),
              QStringList({"Hoedown.wav|20.5|35.25|3|-2|4|10|10|-1|80|" + kStamp}));

    // The same name in another folder, with every setting moved away meanwhile.
    QDir().mkpath(r.data.path("other"));
    r.song("hoedown.WAV", 50, 0, "other");
    r.effects.clearEffects();
    r.player.btnOpenClick(Sender::FileListBox1, r.data.path("other/hoedown.WAV"));
    EXPECT_EQ(r.player.eLoop_Start, "1"); // a singer's marks are reset after the look-up
    EXPECT_EQ(r.effects.tbTempo, 3);
    EXPECT_EQ(r.effects.tbPitch, -2);
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{4, 10, 10}));
    EXPECT_TRUE(r.effects.chkEqualizer);
    EXPECT_EQ(r.presets.text(), "Bass");

    r.openPatter("Hoedown.wav");
    EXPECT_EQ(r.player.eLoop_Start, "20.5");
    EXPECT_EQ(r.player.eLoop_End, "35.25");
    EXPECT_EQ(r.player.Label3, "Loop at: 00:35");
    EXPECT_TRUE(r.prompter.shown.isEmpty()) << r.prompter.shown.join('\n').toStdString();
}

TEST(TrackMemory, StoringReplacesOnlyTheSameNameAndSortsTheFile) {
    MemoryRig r;
    r.data.write("ini/memorize.txt", "zz.mp3|1|2|0|0|10|10|10|0|100|1\r\n"
                                     "\r\n"
                                     "song.MP3|1|2|0|0|10|10|10|0|100|1\r\n"
                                     "My Song.mp3|1|2|0|0|10|10|10|0|100|1\r\n");
    r.player.current_song = "Song.mp3";
    r.memory.memorizeClick();
    EXPECT_EQ(r.lines("memorize.txt"), QStringList({"", "My Song.mp3|1|2|0|0|10|10|10|0|100|1",
                                                    "Song.mp3|1|300|0|0|10|10|10|0|100|" + kStamp,
                                                    "zz.mp3|1|2|0|0|10|10|10|0|100|1"}));
    EXPECT_TRUE(r.data.bytes("ini/memorize.txt").endsWith("\r\n"));
}

TEST(TrackMemory, LookUpRulesForMemoriesEditedByHand) {
    MemoryRig r;
    r.player.current_song = "Song.mp3";
    r.player.ltotal_time = "95.5";
    // CR-only line ends, a Windows-1252 name, an empty line, and two matches: the last wins,
    // and gains 4,10,10 name "Bass" with the equaliser on although the line says off.
    r.data.write("ini/memorize.txt", "Caf\xe9.mp3|3|4|1|1|1|1|1|0|1|1\r"
                                     "\r"
                                     "song.mp3|10|100|9|9|9|9|9|0|100|1\r"
                                     "SONG.MP3|abc|abc|3|-2|4|10|10|0|100|1\r");
    r.memory.check_for_memorized_trackmarks();
    EXPECT_EQ(r.effects.tbTempo, 3);
    EXPECT_EQ(r.effects.tbPitch, -2);
    EXPECT_TRUE(r.effects.chkEqualizer);
    EXPECT_EQ(r.presets.text(), "Bass");
    EXPECT_EQ(r.player.eLoop_Start, "15");
    EXPECT_EQ(r.player.eLoop_End, "80.5");
    EXPECT_EQ(r.prompter.shown,
              QStringList({"There seems to be a problem with your Loop Start mark. I will set it "
                           "to 15 instead of abc",
                           "There seems to be a problem with your End Loop mark. I will set it "
                           "to 80.5 instead of abc"}));
    r.player.current_song = "Café.mp3";
    r.memory.check_for_memorized_trackmarks();
    EXPECT_EQ(r.player.eLoop_End, "4");
    EXPECT_EQ(r.effects.tbVolume, 100); // never read back
}

TEST(TrackMemory, ADamagedRecordEndsTheLookUpSilently) {
    MemoryRig r;
    r.data.write("ini/EQ_default.txt", "Hall|7|10|12\r\n");
    r.player.current_song = "Song.mp3";
    r.data.write("ini/memorize.txt", "Song.mp3|22|44|5|x|1|1|1\r\nSong.mp3|1|2|9|9|9|9|9\r\n");
    r.memory.check_for_memorized_trackmarks();
    // The tempo before the bad pitch stays, the second line is never read, and the default
    // equaliser is not applied because a line matched.
    EXPECT_EQ(r.effects.tbTempo, 5);
    EXPECT_EQ(r.effects.tbPitch, 0);
    EXPECT_EQ(r.player.eLoop_Start, "22");
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{10, 10, 10}));
    EXPECT_TRUE(r.prompter.shown.isEmpty());

    r.data.write("ini/memorize.txt", "Song.mp3\r\n");
    r.memory.check_for_memorized_trackmarks();
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{10, 10, 10}));

    // No match at all: the default preset.
    r.player.current_song = "Other.mp3";
    r.memory.check_for_memorized_trackmarks();
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{7, 10, 12}));
}

TEST(TrackMemory, AThousandRecordsStayInOrder) {
    MemoryRig r;
    QByteArray content;
    for (int i = 999; i >= 0; --i)
        content += QStringLiteral("Song %1.mp3|1|2|%2|0|10|10|10|0|100|1\r\n")
                       .arg(i, 4, 10, QLatin1Char('0'))
                       .arg(i % 50)
                       .toUtf8();
    r.data.write("ini/memorize.txt", content);
    r.player.current_song = "song 0777.mp3";
    r.memory.check_for_memorized_trackmarks();
    EXPECT_EQ(r.effects.tbTempo, 777 % 50);
    r.memory.memorizeClick();
    const QStringList lines = r.lines("memorize.txt");
    ASSERT_EQ(lines.size(), 1000);
    EXPECT_TRUE(lines.first().startsWith("Song 0000.mp3|"));
    EXPECT_TRUE(lines[777].startsWith("song 0777.mp3|1|2|27|"));
}

// A memory a caller has grown over years, and damage no caller makes: both are read in one pass.
TEST(TrackMemory, AHugeMemoryAndAHugeDamagedLineAreRead) {
    MemoryRig r;
    // About 20 MB of records, kept in order, as the stores leave the file.
    QByteArray content;
    const int records = 200000;
    const QByteArray padding(60, 'x');
    for (int i = 0; i < records; ++i)
        content += QStringLiteral("Song %1 ").arg(i, 6, 10, QLatin1Char('0')).toUtf8() + padding +
                   QStringLiteral(".mp3|1|2|%1|0|10|10|10|0|100|1\r\n").arg(i % 50).toUtf8();
    ASSERT_GT(content.size(), 20'000'000);
    r.data.write("ini/memorize.txt", content);
    const QString song = "song 123456 " + QString(padding) + ".mp3";
    r.player.current_song = song;
    r.memory.check_for_memorized_trackmarks();
    EXPECT_EQ(r.effects.tbTempo, 123456 % 50);
    r.effects.setTempo(3);
    r.memory.memorizeClick();
    const QStringList lines = r.lines("memorize.txt");
    ASSERT_EQ(lines.size(), records);
    EXPECT_TRUE(lines[123456].startsWith(song + "|1|2|3|")) << lines[123456].toStdString();
    EXPECT_TRUE(lines[123455].startsWith("Song 123455 "));
    EXPECT_TRUE(lines[123457].startsWith("Song 123457 "));

    // A line of millions of bars: the name is everything before the last ten fields.
    const QString bars(5'000'000, '|');
    const QStringList fields = TrackMemory::splitRecord("a" + bars + "|1|2|3|4|5|6|7|8|9|10|");
    ASSERT_EQ(fields.size(), 11);
    EXPECT_EQ(fields[0], "a" + bars);
    EXPECT_EQ(fields[10], "10");
    EXPECT_EQ(TrackMemory::splitRecord(bars).size(), 11);
    EXPECT_EQ(TrackMemory::splitRecord("a|b|"), QStringList({"a", "b"}));
    EXPECT_EQ(TrackMemory::splitRecord("|"), QStringList({""}));
    EXPECT_TRUE(TrackMemory::splitRecord("").isEmpty());
}

TEST(TrackMemory, TheStoresRepairMarksAndNeedASong) {
    MemoryRig r;
    r.player.current_song = Player::kNone;
    r.memory.memorizeClick();
    r.memory.goldmem1Click();
    r.memory.memorizeClick_for_automemorizer();
    r.marks.bStart_Mark();
    EXPECT_EQ(r.prompter.shown, QStringList(4, TrackMemory::kNoSong));
    EXPECT_FALSE(QFileInfo::exists(r.data.path("ini/memorize.txt")));

    r.prompter.shown.clear();
    r.player.current_song = "Song.mp3";
    r.player.ltotal_time = "60";
    r.player.eLoop_Start = "";
    r.player.eLoop_End = "x";
    r.memory.memorizeClick();
    EXPECT_EQ(r.prompter.shown,
              QStringList({"There seems to be a problem with your Loop Start mark. I will set it "
                           "to 15 instead of ",
                           "There seems to be a problem with your End Loop mark. I will set it "
                           "to 45 instead of  x"}));
    EXPECT_EQ(r.lines("memorize.txt").value(0).section('|', 0, 2), "Song.mp3|15|45");
}

TEST(TrackMemory, AGoldenRecordWinsAndTheSpaceStopKeepsItGolden) {
    MemoryRig r;
    r.song("Hoedown.wav", 50);
    writeWav(r.data.path("chaching.wav"), sine(880, 0.5, 44100, 0.4f));
    r.data.write("ini/memorize.txt", "Hoedown.wav|5|30|-4|0|10|10|10|-1|100|1\r\n");
    r.openPatter("Hoedown.wav");
    EXPECT_EQ(r.effects.tbTempo, -4);
    EXPECT_FALSE(r.player.golden);

    r.player.eLoop_Start = "12";
    r.player.eLoop_End = "40";
    r.effects.setTempo(2);
    r.memory.goldmem1Click();
    EXPECT_EQ(r.lines("goldmem.txt"),
              QStringList({"Hoedown.wav|12|40|2|0|10|10|10|-1|100|" + kStamp}));
    // The ring of the till confirms it.
    const auto heard = r.render(0.3);
    EXPECT_GT(peak(heard, 0, heard.size() / 2), 0.2f);

    r.effects.setTempo(0);
    r.openPatter("Hoedown.wav");
    EXPECT_TRUE(r.player.golden);
    EXPECT_EQ(r.effects.tbTempo, 2);
    EXPECT_EQ(r.player.Label3, "Golden Loop at: 00:40");

    r.effects.setTempo(1);
    r.memory.memorizeClick_for_automemorizer();
    EXPECT_EQ(r.lines("goldmem.txt").value(0).section('|', 0, 3), "Hoedown.wav|12|40|1");
    EXPECT_EQ(r.lines("memorize.txt").value(0).section('|', 0, 3), "Hoedown.wav|5|30|-4");
}

TEST(TrackMemory, ANameHoldingBarsIsRecalledAndReplacedInBothFiles) {
    MemoryRig r;
    r.song("Red | Hot.wav", 50);
    r.song("Red.wav", 50);
    // A song whose name is the start of the other's must keep its own record.
    r.data.write("ini/memorize.txt", "Red.wav|5|30|-4|0|10|10|10|-1|100|1\r\n");
    r.openPatter("Red | Hot.wav");
    adjust(r);
    r.memory.memorizeClick();
    r.effects.setTempo(4);
    r.memory.memorizeClick();
    EXPECT_EQ(r.lines("memorize.txt"),
              QStringList({"Red | Hot.wav|20.5|35.25|4|-2|4|10|10|-1|80|" + kStamp,
                           "Red.wav|5|30|-4|0|10|10|10|-1|100|1"}));

    r.effects.clearEffects();
    r.openPatter("Red | Hot.wav");
    EXPECT_EQ(r.player.eLoop_Start, "20.5");
    EXPECT_EQ(r.player.eLoop_End, "35.25");
    EXPECT_EQ(r.effects.tbTempo, 4);
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{4, 10, 10}));
    r.openPatter("Red.wav");
    EXPECT_EQ(r.effects.tbTempo, -4);

    // The golden file keeps the same records; names ending in a bar round-trip as well.
    r.song("Blue |.wav", 50);
    for (const QString name : {"Red | Hot.wav", "Blue |.wav"}) {
        r.openPatter(name);
        r.effects.setTempo(7);
        r.memory.goldmem1Click();
        r.effects.setTempo(-7);
        r.memory.goldmem1Click();
        r.effects.setTempo(0);
        r.openPatter(name);
        EXPECT_TRUE(r.player.golden) << name.toStdString();
        EXPECT_EQ(r.effects.tbTempo, -7) << name.toStdString();
        r.effects.setTempo(2);
        r.memory.memorizeClick_for_automemorizer();
    }
    EXPECT_EQ(r.lines("goldmem.txt"),
              QStringList({"Blue |.wav|15|35|2|0|10|10|10|-1|100|" + kStamp,
                           "Red | Hot.wav|20.5|35.25|2|-2|4|10|10|-1|100|" + kStamp}));
    EXPECT_EQ(r.lines("memorize.txt").size(), 2);
}
