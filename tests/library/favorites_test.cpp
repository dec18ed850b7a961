#include "favorites.h"
#include "qtprinters.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

namespace {
// A fresh data folder with its current list loaded, as at start-up.
class Favorites : public ::testing::Test {
protected:
    TempDataFolder data;
    ScriptedPrompter prompter;
    FavoritesLists favorites{data.folder(), prompter};
    void SetUp() override { favorites.load_current_favorites(); }
};
} // namespace

TEST_F(Favorites, StartUpLoadsTheCurrentListAndSortsItsHalves) {
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

TEST_F(Favorites, NewListsAndUnsafeNames) {
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

TEST_F(Favorites, AStoredListNameThatIsAPathFallsBackToTheDefaultList) {
    QTemporaryDir elsewhere;
    const QString absolute = elsewhere.filePath("abs.fvt");
    const QString longPath = QString(5000, 'x') + "/y.fvt";
    for (const QString& stored :
         {QStringLiteral("../../../x.fvt"), absolute, QStringLiteral("sub/list.fvt"),
          QStringLiteral("back\\slash.fvt"), QStringLiteral("tab\there.fvt"), longPath}) {
        SCOPED_TRACE(stored.left(80).toStdString());
        data.write("ini/current_favorite.txt", (stored + "\r\n").toUtf8());
        prompter.shown.clear();
        favorites.load_current_favorites();
        EXPECT_EQ(favorites.current(), "default.fvt");
        ASSERT_EQ(prompter.shown.size(), 1);
        const QString notice = prompter.shown.first();
        EXPECT_TRUE(notice.contains("default.fvt")) << notice.toStdString();
        EXPECT_TRUE(notice.contains(textstore::excerpt(stored))) << notice.toStdString();
        EXPECT_LT(notice.size(), 250) << "the notice quotes the bad name briefly";
        EXPECT_FALSE(notice.contains('\n') || notice.contains('\t')) << notice.toStdString();

        // Saving goes to the default list in the data folder, never where the name pointed.
        favorites.setSorted(false, false);
        EXPECT_TRUE(favorites.drop(false, {"kept.mp3"}, -1));
        EXPECT_TRUE(textstore::readList(data.path("favorites/default.fvt")).contains("kept.mp3"));
        EXPECT_FALSE(QFileInfo::exists(absolute));
        EXPECT_FALSE(QFileInfo::exists(data.path("favorites/sub")));
        EXPECT_FALSE(QFileInfo::exists(data.path("favorites/../../../x.fvt")));
        // The file keeps what it held until the caller chooses a list: nothing is lost.
        EXPECT_EQ(data.bytes("ini/current_favorite.txt"), (stored + "\r\n").toUtf8());
    }

    // A typed name meets the same check.
    prompter.inputs = {QString("tab\there")};
    EXPECT_FALSE(favorites.newList());
    EXPECT_TRUE(prompter.shown.last().contains("control characters"))
        << prompter.shown.last().toStdString();

    // A good stored name still loads without a word.
    data.write("favorites/Friday.fvt", "f.mp3\r\n");
    data.write("ini/current_favorite.txt", "Friday.fvt\r\n");
    prompter.shown.clear();
    favorites.load_current_favorites();
    EXPECT_EQ(favorites.current(), "Friday.fvt");
    EXPECT_EQ(favorites.singers, QStringList({"f.mp3"}));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(Favorites, DropsInsertMoveAndAsk) {
    favorites.setSorted(true, false);
    EXPECT_TRUE(favorites.drop(true, {"b.mp3", "c.mp3"}, -1));
    EXPECT_TRUE(favorites.drop(true, {"a.mp3"}, 0));
    EXPECT_EQ(favorites.patter, QStringList({"a.mp3", "b.mp3", "c.mp3"}));
    // A present song moves to the drop row; a drop below the last appends.
    favorites.drop(true, {"C.MP3"}, 0);
    EXPECT_EQ(favorites.patter, QStringList({"c.mp3", "a.mp3", "b.mp3"}));
    EXPECT_EQ(textstore::readList(data.path("favorites/default.fvt.ptr")), favorites.patter);
    // Several songs dragged within the list: only the first moves.
    favorites.drop(true, {"a.mp3", "b.mp3"}, 0, true);
    EXPECT_EQ(favorites.patter, QStringList({"a.mp3", "c.mp3", "b.mp3"}));
    favorites.drop(true, {"c.mp3", "a.mp3"}, -1);
    EXPECT_EQ(favorites.patter, QStringList({"b.mp3", "c.mp3", "a.mp3"}));
    EXPECT_TRUE(QFileInfo::exists(data.path("favorites/default.fvt")));
    // A sorted list asks first; No leaves it.
    prompter.yesNo = {false, true};
    EXPECT_FALSE(favorites.drop(false, {"x.mp3"}, 0));
    EXPECT_EQ(prompter.shown.last(), "If you continue, you will lose your unsorted order.");
    EXPECT_TRUE(favorites.drop(false, {"x.mp3", "B.mp3"}, 0));
    EXPECT_EQ(favorites.singers, QStringList({"B.mp3", "x.mp3"}));
}

TEST_F(Favorites, DuplicateAndDeleteLists) {
    favorites.singers = {"s1.mp3", "s2.mp3"};
    favorites.patter = {"p1.mp3"};
    data.write("favorites/N.fvt", "old singer.mp3\r\n");
    data.write("favorites/N.fvt.ptr", "old patter.mp3\r\n");

    // "Duplicate Patter" into an existing list: its patter file is replaced, its singers file
    // kept, and the singers shown empty.
    prompter.inputs = {QString("N")};
    EXPECT_TRUE(favorites.duplicate(false, true));
    EXPECT_EQ(favorites.current(), "N.fvt");
    EXPECT_EQ(textstore::readList(data.path("favorites/N.fvt.ptr")), QStringList({"p1.mp3"}));
    EXPECT_EQ(textstore::readList(data.path("favorites/N.fvt")), QStringList({"old singer.mp3"}));
    EXPECT_TRUE(favorites.singers.isEmpty());
    EXPECT_EQ(favorites.patter, QStringList({"p1.mp3"}));

    prompter.inputs = {QString("Both")};
    favorites.singers = {"s1.mp3"};
    EXPECT_TRUE(favorites.duplicate(true, true));
    EXPECT_EQ(textstore::readList(data.path("favorites/Both.fvt")), QStringList({"s1.mp3"}));

    // Delete: refused without a selection, asked, and the history goes with the list.
    EXPECT_FALSE(favorites.deleteList(QString()));
    EXPECT_EQ(prompter.shown.last(), "Select a file first");
    favorites.history.mark("N.fvt", true, "p1.mp3");
    favorites.history.mark("N.fvt", false, "s.mp3");
    prompter.yesNo = {false, true};
    EXPECT_FALSE(favorites.deleteList("N.fvt"));
    EXPECT_TRUE(QFileInfo::exists(data.path("favorites/N.fvt")));
    EXPECT_TRUE(favorites.deleteList("N.fvt"));
    EXPECT_EQ(prompter.shown.last(),
              "Delete " + data.path("favorites/N.fvt") + " from your favorites now?");
    EXPECT_EQ(favorites.current(), "default.fvt");
    for (const char* gone : {"favorites/N.fvt", "favorites/N.fvt.ptr",
                             "ini/N.fvthighlight_patter.txt", "ini/N.fvthighlight_singer.txt"})
        EXPECT_FALSE(QFileInfo::exists(data.path(gone))) << gone;
    EXPECT_TRUE(QFileInfo::exists(data.path("favorites/default.fvt.ptr")));
}

TEST_F(Favorites, DeletingSongsTakesTheirLastHistoryLine) {
    favorites.setSorted(false, false);
    favorites.drop(false, {"a.mp3", "Song.mp3", "c.mp3"}, -1);
    data.write("ini/default.fvthighlight_singer.txt",
               "-1\r\nSong.mp3\r\nsong.mp3\r\nSong.mp3\r\nz.mp3\r\nSong.mp3\r\n");
    prompter.yesNo = {false};
    EXPECT_FALSE(favorites.removeSongs(false, {1}));
    EXPECT_EQ(favorites.singers.size(), 3);
    prompter.yesNo = {true};
    EXPECT_TRUE(favorites.removeSongs(false, {1, 2}));
    EXPECT_EQ(favorites.singers, QStringList({"a.mp3"}));
    EXPECT_EQ(textstore::readList(data.path("favorites/default.fvt")), QStringList({"a.mp3"}));
    EXPECT_EQ(textstore::readList(data.path("ini/default.fvthighlight_singer.txt")),
              QStringList({"-1", "Song.mp3", "song.mp3", "Song.mp3", "z.mp3"}));

    // A sorted list asks a second time.
    favorites.setSorted(false, true);
    prompter.yesNo = {true, false};
    EXPECT_FALSE(favorites.removeSongs(false, {0}));
    EXPECT_TRUE(prompter.shown.last().startsWith("If you proceed, you will lose"));
}

TEST_F(Favorites, ShellDropsAndTheHandMadeOrder) {
    favorites.setSorted(true, false);
    favorites.drop(true, {"b.mp3", "c.mp3"}, -1);
    // No question for the desktop; a present name moves, the others go in at the row.
    EXPECT_EQ(favorites.shellDrop(true, {"/x/songs/C.mp3", "/x/songs/a.mp3"}, 0), "/x/songs");
    EXPECT_EQ(favorites.patter, QStringList({"a.mp3", "c.mp3", "b.mp3"}));
    EXPECT_TRUE(prompter.shown.isEmpty());

    // Sorted: appended, sorted, duplicates dropped; unchecking brings back the file's order.
    favorites.setSorted(true, true);
    favorites.patter << "A.MP3";
    favorites.shellDrop(true, {"/y/d.mp3"}, 0);
    EXPECT_EQ(favorites.patter, QStringList({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}));
    favorites.patter = {"unsaved.mp3"};
    favorites.setSorted(true, false);
    EXPECT_EQ(favorites.patter, QStringList({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}));
}

TEST_F(Favorites, ANameWithALineBreakIsRefusedAndTheRestGoIn) {
    favorites.setSorted(true, false);
    favorites.shellDrop(true, {"/x/Two\nLines.mp3", "/x/Good.mp3"}, -1);
    EXPECT_EQ(favorites.patter, QStringList({"Good.mp3"}));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains("cannot be kept in a favorites list"));
    EXPECT_FALSE(prompter.shown[0].contains('\n')); // quoted on one line
    favorites.drop(true, {"Tab\there.mp3"}, -1);
    EXPECT_EQ(favorites.patter, QStringList({"Good.mp3"}));
    // The file holds one name a line, so it reads back as it was.
    EXPECT_EQ(data.bytes("favorites/default.fvt.ptr"), QByteArray("Good.mp3\r\n"));
}
