#include "marriage.h"
#include "qtprinters.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;

TEST(Marriages, IDoAddsOnceSortedAndDivorceRemoves) {
    TempDataFolder data;
    Marriages marriages(data.folder());
    marriages.propose("/lyrics/Zebra.html", "/music/Zebra.mp3", true);
    marriages.propose("/lyrics/apple.html", "/music/Apple.mp3", true);
    marriages.propose("/LYRICS/APPLE.HTML", "/MUSIC/APPLE.MP3", true); // the same, in capitals
    EXPECT_EQ(data.bytes("ini/marriage.txt"),
              "/lyrics/apple.html|/music/Apple.mp3\r\n/lyrics/Zebra.html|/music/Zebra.mp3\r\n");

    marriages.propose("/lyrics/zebra.html", "/music/zebra.mp3", false);
    EXPECT_EQ(data.bytes("ini/marriage.txt"), "/lyrics/apple.html|/music/Apple.mp3\r\n");
}

TEST(Marriages, DivorceOfANeverMarriedPairWritesTheFileUnchanged) {
    TempDataFolder data;
    Marriages marriages(data.folder());
    marriages.propose("/l/a.html", "/m/a.mp3", false);
    EXPECT_TRUE(QFileInfo::exists(data.path("ini/marriage.txt"))); // created, empty
    EXPECT_EQ(data.bytes("ini/marriage.txt"), "");
    marriages.propose("/l/a.html", "/m/a.mp3", true);
    marriages.propose("/l/b.html", "/m/b.mp3", false);
    EXPECT_EQ(data.bytes("ini/marriage.txt"), "/l/a.html|/m/a.mp3\r\n");
}

TEST(Marriages, LookUpIsTiedToTheMusicFolderOfTheMarriage) {
    TempDataFolder data;
    Marriages marriages(data.folder());
    EXPECT_EQ(marriages.lyricsFor("/A/Song.mp3"), ""); // no file: no marriages
    marriages.propose("/lyrics/Song.html", "/A/Song.mp3", true);
    EXPECT_EQ(marriages.lyricsFor("/A/Song.mp3"), "/lyrics/Song.html");
    EXPECT_EQ(marriages.lyricsFor("/B/Song.mp3"), "");
    EXPECT_EQ(marriages.lyricsFor("/a/song.mp3"), ""); // paths compare with case
    // A folder whose path only ends the same is another folder.
    EXPECT_EQ(marriages.lyricsFor("/Song.mp3"), "");
    EXPECT_EQ(marriages.lyricsFor("A/Song.mp3"), "");
}

TEST(Marriages, TwoMarriagesFirstLyricsLastSong) {
    TempDataFolder data;
    data.write("ini/marriage.txt", "a line without a bar\r\n");
    Marriages marriages(data.folder());
    marriages.propose("/l/Second.html", "/m/Song.mp3", true);
    marriages.propose("/l/First.html", "/m/Song.mp3", true);
    marriages.propose("/l/First.html", "/m/Other.mp3", true);
    // Sorted: the line without a bar, then First for Other, First for Song, Second.
    EXPECT_EQ(marriages.lyricsFor("/m/Song.mp3"), "/l/First.html");
    EXPECT_EQ(marriages.songFor("/l/First.html"), "/m/Song.mp3");
    EXPECT_EQ(marriages.songFor("/l/Second.html"), "/m/Song.mp3");
    EXPECT_EQ(marriages.songFor("/l/Third.html"), "");
    EXPECT_EQ(marriages.songFor("a line without a bar"), "");
    // A song path holding a bar keeps it: only the first bar separates.
    marriages.propose("/l/x.html", "/m/odd|name.mp3", true);
    EXPECT_EQ(marriages.songFor("/l/x.html"), "/m/odd|name.mp3");
    EXPECT_EQ(marriages.lyricsFor("/m/odd|name.mp3"), "/l/x.html");
}
