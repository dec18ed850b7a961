#include "musicfolders.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

TEST(MusicFolders, StartUpDefaultsAndDuplicateRemoval) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    folders.load_favorite_subdirectories();
    folders.load_subdirectories();
    EXPECT_EQ(folders.favoriteFolders(), QStringList({data.path("mp3s/")}));
    EXPECT_EQ(textstore::readList(data.path("ini/subdirectory.txt")),
              QStringList({data.path("mp3s/"), data.path("Lyrics/")}));

    // Each folder once, at its last place; the file is left as it is.
    data.write("ini/favorite_subdirectories.txt", "/m/A\r\n/m/B\r\n/m/a\r\n/m/C\r\n");
    folders.load_favorite_subdirectories();
    EXPECT_EQ(folders.favoriteFolders(), QStringList({"/m/B", "/m/a", "/m/C"}));
    EXPECT_EQ(textstore::readList(data.path("ini/favorite_subdirectories.txt")).size(), 4);

    // A remembered folder that has gone: start in the default music folder.
    data.write("ini/subdirectory.txt", "/no/such/folder/\r\n/lyrics/\r\n");
    folders.load_subdirectories();
    EXPECT_EQ(folders.browserFolder(), data.path("mp3s/"));
}

TEST(MusicFolders, BrowserFolderIsRememberedAndSongsListed) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    folders.load_subdirectories();
    for (const char* name : {"b.MP3", "a.mp3", "c.ogg", "d.wav", "e.flac", "notes.txt", "f.mp3x"})
        data.write(QStringLiteral("music/%1").arg(name), "x");
    folders.setBrowserFolder(data.path("music"));
    EXPECT_EQ(textstore::readList(data.path("ini/subdirectory.txt")),
              QStringList({data.path("music/"), data.path("Lyrics/")}));
    EXPECT_EQ(QDir::currentPath() + "/", data.path("music/"));
    EXPECT_EQ(MusicFolders::songFiles(folders.browserFolder()),
              QStringList({"a.mp3", "b.MP3", "c.ogg", "d.wav", "e.flac"}));

    // A folder that disappears under the browser: the nearest parent that exists.
    QDir(data.path("music/deep/er")).mkpath(".");
    const QString deep = data.path("music/deep/er");
    QDir(data.path("music/deep")).removeRecursively();
    EXPECT_EQ(MusicFolders::existingFolderOrParent(deep), data.path("music/"));
}

TEST(MusicFolders, SearchOrderBrowserThenFavouritesInFileOrder) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    data.write("X/song.mp3", "x");
    data.write("Y/song.mp3", "y");
    data.write("Y/only.mp3", "y");
    data.write("elsewhere/other.mp3", "o");
    data.write("ini/favorite_subdirectories.txt",
               (data.path("X") + "\r\n" + data.path("Y/") + "\r\n").toUtf8());
    folders.load_favorite_subdirectories();
    folders.setBrowserFolder(data.path("elsewhere"));

    EXPECT_EQ(folders.locate("song.mp3"), data.path("X/song.mp3"));
    EXPECT_EQ(folders.locate("only.mp3"), data.path("Y/only.mp3"));
    EXPECT_EQ(folders.locate("other.mp3"), data.path("elsewhere/other.mp3"));
    EXPECT_EQ(folders.locate("missing.mp3"), QString());
    EXPECT_EQ(folders.locate(""), QString());
    // A folder of the song's name is not a song.
    QDir(data.path("X")).mkpath("dir.mp3");
    EXPECT_EQ(folders.locate("dir.mp3"), QString());
}

TEST(MusicFolders, ANameInOtherCaseFindsTheOneFileItCanMean) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    data.write("here/Demo Singer.mp3", "d");
    data.write("here/Twice.mp3", "1");
    data.write("here/TWICE.mp3", "2");
    data.write("here/exact.mp3", "e");
    data.write("here/Exact.mp3", "E");
    data.write("fav/twice.MP3", "f");
    data.write("ini/favorite_subdirectories.txt", (data.path("fav") + "\r\n").toUtf8());
    folders.load_favorite_subdirectories();
    folders.setBrowserFolder(data.path("here"));

    EXPECT_EQ(folders.locate("demo singer.mp3"), data.path("here/Demo Singer.mp3"));
    // The exact name wins over one in other case.
    EXPECT_EQ(folders.locate("Exact.mp3"), data.path("here/Exact.mp3"));
    EXPECT_EQ(MusicFolders::fileIn(data.path("here"), "exact.mp3"), data.path("here/exact.mp3"));
    // Two files that differ only in case: neither is taken, and the search goes on.
    EXPECT_EQ(MusicFolders::fileIn(data.path("here"), "twice.mp3"), QString());
    EXPECT_EQ(folders.locate("twice.mp3"), data.path("fav/twice.MP3"));
    EXPECT_EQ(MusicFolders::fileIn(data.path("here"), "EXACT.MP3"), QString());
    EXPECT_EQ(folders.locate("EXACT.MP3"), QString());
    // Neither a folder nor a name that only starts alike.
    QDir(data.path("here")).mkpath("Album.mp3");
    EXPECT_EQ(folders.locate("album.mp3"), QString());
    EXPECT_EQ(folders.locate("demo"), QString());
}

TEST(MusicFolders, AddRemoveAndReorderFavourites) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    folders.load_favorite_subdirectories();
    EXPECT_TRUE(folders.add_to_favorite_folders("/music/A"));
    EXPECT_FALSE(folders.add_to_favorite_folders("/MUSIC/a"));  // once, ignoring case
    EXPECT_FALSE(folders.add_to_favorite_folders("/music/A/")); // and its closing separator
    EXPECT_FALSE(folders.add_to_favorite_folders(QDir::cleanPath(data.path("mp3s/"))));
    folders.appendFavoriteFolder("/music/A"); // a desktop drop adds it anyway
    EXPECT_EQ(folders.favoriteFolders().size(), 3);

    folders.moveFavoriteFolder(0, 99);
    EXPECT_EQ(folders.favoriteFolders().last(), data.path("mp3s/"));
    folders.moveFavoriteFolder(2, 0);
    EXPECT_EQ(folders.favoriteFolders().first(), data.path("mp3s/"));

    prompter.yesNo = {false, true, true, true};
    EXPECT_FALSE(folders.removeFavoriteFolder(0)); // answered No: nothing changes
    EXPECT_EQ(prompter.shown.last(),
              "Delete " + data.path("mp3s/") + " from your favorite mp3 folders now?");
    EXPECT_EQ(folders.favoriteFolders().size(), 3);
    EXPECT_TRUE(folders.removeFavoriteFolder(0));
    EXPECT_TRUE(folders.removeFavoriteFolder(0));
    EXPECT_TRUE(folders.removeFavoriteFolder(0));
    EXPECT_FALSE(folders.removeFavoriteFolder(0));
    // The last one gone leaves an empty file, not a missing one.
    EXPECT_TRUE(QFileInfo::exists(data.path("ini/favorite_subdirectories.txt")));
    EXPECT_EQ(data.bytes("ini/favorite_subdirectories.txt"), QByteArray());
}

TEST(MusicFolders, ArchiveMovesButNeverReplaces) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    data.write("music/old.mp3", "old");
    const QString archive = data.path("archived");
    bool released = false;

    prompter.yesNo = {false};
    EXPECT_FALSE(folders.archive(data.path("music/old.mp3"), archive, [&] { released = true; }));
    EXPECT_EQ(prompter.shown.last(), "Would you like to move" + data.path("music/old.mp3") +
                                         " to the \"" + archive + "\" folder?");
    EXPECT_FALSE(released);

    prompter.yesNo = {true};
    EXPECT_TRUE(folders.archive(data.path("music/old.mp3"), archive, [&] { released = true; }));
    EXPECT_TRUE(released);
    EXPECT_EQ(data.bytes("archived/old.mp3"), QByteArray("old"));
    EXPECT_FALSE(QFileInfo::exists(data.path("music/old.mp3")));

    // A song of the same name already archived stays; the new one stays where it is.
    data.write("music/old.mp3", "new");
    prompter.yesNo = {true};
    EXPECT_FALSE(folders.archive(data.path("music/old.mp3"), archive, {}));
    EXPECT_TRUE(prompter.shown.last().startsWith("That file is in use."));
    EXPECT_EQ(data.bytes("archived/old.mp3"), QByteArray("old"));
    EXPECT_EQ(data.bytes("music/old.mp3"), QByteArray("new"));
}
