#include "lyricsearch.h"
#include "qtprinters.h"
#include "tempdatafolder.h"

#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;

namespace {
// A favourite folder holding empty files of these names.
QString folderWith(const TempDataFolder& data, const QString& name, const QStringList& files) {
    for (const QString& file : files)
        data.write(name + "/" + file, "x");
    return data.path(name);
}
} // namespace

TEST(LyricSearch, TakesTheLongestSharedBeginningWhenLongerThanAThird) {
    TempDataFolder data;
    const QString folder = folderWith(data, "a", {"jambalaya.html", "Jam Session.htm"});
    // "jambalaya." is 10 characters of 13.
    const LyricSearchResult found = searchLyrics("Jambalaya.mp3", {folder}, 0);
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.fileName, "jambalaya.html");
    EXPECT_EQ(found.folder, folder);
}

TEST(LyricSearch, AShortSharedBeginningGoesOnToTheNextFolder) {
    TempDataFolder data;
    const QString first = folderWith(data, "a", {"Hey Joe.htm"});
    const QString second = folderWith(data, "b", {"Hey Good Looking.html"});
    // "hey " is 4 characters of 20: not more than a third.
    EXPECT_FALSE(searchLyrics("Hey Good Looking.mp3", {first}, 0).found);
    const LyricSearchResult found = searchLyrics("Hey Good Looking.mp3", {first, second}, 0);
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.folder, second);
    EXPECT_EQ(found.fileName, "Hey Good Looking.html");

    // Nothing anywhere: the last folder stays with its best entry.
    const LyricSearchResult none = searchLyrics("Heyday Blues.mp3", {second, first}, 0);
    EXPECT_FALSE(none.found);
    EXPECT_EQ(none.folder, first);
    EXPECT_EQ(none.fileName, "Hey Joe.htm");
    EXPECT_FALSE(searchLyrics("Anything.mp3", {}, 0).found);
}

TEST(LyricSearch, ThresholdIsMoreThanAThirdOfTheSongName) {
    EXPECT_EQ(QString("Abcde.mp3").size(), 9);
    EXPECT_TRUE(acceptedBeginning(4, 9));
    EXPECT_FALSE(acceptedBeginning(3, 9));
    EXPECT_TRUE(acceptedBeginning(5, 12));
    EXPECT_FALSE(acceptedBeginning(4, 12));

    TempDataFolder data;
    const QString three = folderWith(data, "three", {"abcX.htm"});
    const QString four = folderWith(data, "four", {"abcdX.htm"});
    EXPECT_FALSE(searchLyrics("Abcde.mp3", {three}, 0).found);
    EXPECT_TRUE(searchLyrics("Abcde.mp3", {four}, 0).found);
    const QString twelveFour = folderWith(data, "t4", {"abcdX.htm"});
    const QString twelveFive = folderWith(data, "t5", {"abcdeX.htm"});
    EXPECT_FALSE(searchLyrics("Abcdefgh.mp3", {twelveFour}, 0).found);
    EXPECT_TRUE(searchLyrics("Abcdefgh.mp3", {twelveFive}, 0).found);
}

TEST(LyricSearch, LongerMatchWinsAndTiesGoToTheFirstListedIgnoringCase) {
    TempDataFolder data;
    const QString roses = folderWith(data, "roses", {"Rose.htm", "rose garden.htm"});
    EXPECT_EQ(searchLyrics("Rose Garden.mp3", {roses}, 0).fileName, "rose garden.htm");
    EXPECT_EQ(searchLyrics("Rose.mp3", {roses}, 0).fileName, "Rose.htm");

    // Sorted ignoring case, "song-1" comes before "Song-2" although "S" sorts before "s".
    const QString tie = folderWith(data, "tie", {"Song-2.htm", "song-1.htm"});
    EXPECT_EQ(searchLyrics("Song.mp3", {tie}, 0).fileName, "song-1.htm");

    // The filter decides what is listed: only pictures here.
    const QString mixed = folderWith(data, "mixed", {"Waltz.html", "Waltz.JPG"});
    EXPECT_EQ(searchLyrics("Waltz.mp3", {mixed}, 2).fileName, "Waltz.JPG");
}

TEST(LyricSearch, LongestSharedBeginningOverAList) {
    const QStringList names{"alpha", "Beta", "beta gamma", "delta"};
    EXPECT_EQ(longestSharedBeginning("Beta Gamma.mp3", names).index, 2);
    EXPECT_EQ(longestSharedBeginning("Beta Gamma.mp3", names).length, 10);
    EXPECT_EQ(longestSharedBeginning("zeta", names).index, -1);
    EXPECT_EQ(longestSharedBeginning("", names).index, -1);
    // Letter case aside beyond ASCII too.
    EXPECT_EQ(
        longestSharedBeginning(QStringLiteral("Été.mp3"), {QStringLiteral("été.html")}).length, 4);
}
