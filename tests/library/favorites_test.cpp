#include "favorites.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

TEST(Favorites, StartUpLoadsTheCurrentListAndSortsItsHalves) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    FavoritesLists favorites(data.folder(), prompter);
    favorites.load_current_favorites();
    favorites.Sorted_Checked();
    EXPECT_EQ(favorites.current(), "default.fvt");
    EXPECT_EQ(textstore::readList(data.path("ini/current_favorite.txt")),
              QStringList({"default.fvt"}));
    EXPECT_EQ(textstore::readList(data.path("ini/sorted_checked.txt")), QStringList({"-1", "-1"}));

    data.write("favorites/Saturday.fvt", "b.mp3\r\nA.mp3\r\n");
    data.write("favorites/Saturday.fvt.ptr", "z.mp3\r\ny.mp3\r\n");
    data.write("ini/current_favorite.txt", "Saturday.fvt\r\nignored\r\n");
    data.write("ini/sorted_checked.txt", "0\r\n-1\r\n");
    favorites.load_current_favorites();
    favorites.Sorted_Checked();
    EXPECT_EQ(favorites.singers, QStringList({"A.mp3", "b.mp3"})); // sorted, ignoring case
    EXPECT_EQ(favorites.patter, QStringList({"z.mp3", "y.mp3"}));  // hand-made order kept
    EXPECT_EQ(favorites.lists(), QStringList({"Saturday.fvt"}));
}

TEST(Favorites, NewListsAndUnsafeNames) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    FavoritesLists favorites(data.folder(), prompter);
    favorites.load_current_favorites();
    prompter.inputs = {QString("N.fvt"), QString("../outside"), QString(""), std::nullopt};
    EXPECT_TRUE(favorites.newList());
    EXPECT_EQ(favorites.current(), "N.fvt.fvt"); // the name is taken as typed
    EXPECT_TRUE(QFileInfo::exists(data.path("favorites/N.fvt.fvt.ptr")));
    EXPECT_FALSE(favorites.newList()); // would write outside the favourites folder
    EXPECT_TRUE(prompter.shown.last().contains("cannot be a list name"));
    EXPECT_FALSE(QFileInfo::exists(data.path("outside.fvt")));
    EXPECT_FALSE(favorites.newList()); // empty
    EXPECT_FALSE(favorites.newList()); // cancelled
    EXPECT_EQ(textstore::readList(data.path("ini/current_favorite.txt")).value(0), "N.fvt.fvt");

    // "New" of an existing name opens it unchanged.
    data.write("favorites/Old.fvt", "kept.mp3\r\n");
    prompter.inputs = {QString("Old")};
    EXPECT_TRUE(favorites.newList());
    EXPECT_EQ(favorites.singers, QStringList({"kept.mp3"}));
}

TEST(Favorites, DropsInsertMoveAndAsk) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    FavoritesLists favorites(data.folder(), prompter);
    favorites.load_current_favorites();
    favorites.setSorted(true, false);
    EXPECT_TRUE(favorites.drop(true, {"b.mp3", "c.mp3"}, -1));
    EXPECT_TRUE(favorites.drop(true, {"a.mp3"}, 0));
    EXPECT_EQ(favorites.patter, QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    // A present song moves to the drop row; a drop below the last appends.
    favorites.drop(true, {"C.MP3"}, 0);
    EXPECT_EQ(favorites.patter, QStringList({"c.mp3", "a.mp3", "b.mp3"}));
    EXPECT_EQ(textstore::readList(data.path("favorites/default.fvt.ptr")), favorites.patter);
    EXPECT_TRUE(QFileInfo::exists(data.path("favorites/default.fvt")));
    // A sorted list asks first; No leaves it.
    prompter.yesNo = {false, true};
    EXPECT_FALSE(favorites.drop(false, {"x.mp3"}, 0));
    EXPECT_EQ(prompter.shown.last(), "If you continue, you will lose your unsorted order.");
    EXPECT_TRUE(favorites.drop(false, {"x.mp3", "B.mp3"}, 0));
    EXPECT_EQ(favorites.singers, QStringList({"B.mp3", "x.mp3"}));
}
