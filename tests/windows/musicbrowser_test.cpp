#include "musicbrowser.h"
#include "musicfolders.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include "waiting.h"
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;
using hoedeck::testing::waitUntil;

namespace {
struct Browser {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders{data.folder(), prompter};
    QWidget window;
    QWidget* foldersPanel = new QWidget(&window);
    QWidget* filesPanel = new QWidget(&window);
    MusicBrowser browser{folders, prompter, foldersPanel, filesPanel};

    Browser() {
        for (const char* name : {"one.mp3", "two.mp3", "three.ogg"})
            data.write(QStringLiteral("songs/%1").arg(name), "x");
        window.resize(600, 800);
        foldersPanel->setGeometry(0, 0, 300, 800);
        filesPanel->setGeometry(300, 0, 300, 800);
        folders.load_favorite_subdirectories();
        folders.load_subdirectories();
        browser.goToFolder(data.path("songs"));
        window.show();
    }
};
} // namespace

TEST(MusicBrowser, ShowsTheFolderItsSongsAndCountInTheCaption) {
    Browser b;
    EXPECT_EQ(b.browser.filesCaption()->text(), "mp3Files: 3");
    ASSERT_EQ(b.browser.FileListBox1()->count(), 3);
    EXPECT_EQ(b.browser.FileListBox1()->item(0)->text(), "one.mp3");
    EXPECT_EQ(textstore::readList(b.data.path("ini/subdirectory.txt")).value(0),
              b.data.path("songs/"));
    // The tree opens down to the folder once the model has read its parents.
    auto* tree = b.browser.DirectoryListBox1();
    const auto* model = static_cast<QFileSystemModel*>(tree->model());
    EXPECT_TRUE(waitUntil([&] {
        return model->filePath(tree->currentIndex()) == QDir::cleanPath(b.data.path("songs"));
    }));
    EXPECT_TRUE(tree->isExpanded(tree->currentIndex().parent()));
}

TEST(MusicBrowser, KeyboardSelectionCountsAsAClick) {
    Browser b;
    QSignalSpy clicked(&b.browser, &MusicBrowser::fileClicked);
    QListWidget* files = b.browser.FileListBox1();
    files->setFocus();
    files->setCurrentRow(0);
    QTest::keyClick(files, Qt::Key_Down);
    ASSERT_GE(clicked.size(), 2);
    EXPECT_EQ(clicked.last().value(0).toString(), "three.ogg");

    // A mouse click on the item that is already current still checks it, once.
    clicked.clear();
    const QRect row = files->visualItemRect(files->item(1));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(clicked.size(), 1);
}

TEST(MusicBrowser, FolderRemovedUnderTheBrowserMovesToItsParent) {
    Browser b;
    b.data.write("songs/deeper/four.mp3", "x");
    b.browser.goToFolder(b.data.path("songs/deeper"));
    EXPECT_EQ(b.browser.filesCaption()->text(), "mp3Files: 1");
    QDir(b.data.path("songs/deeper")).removeRecursively();
    EXPECT_TRUE(waitUntil([&] { return b.folders.browserFolder() == b.data.path("songs/"); }));
    EXPECT_EQ(b.browser.filesCaption()->text(), "mp3Files: 3");
}

TEST(MusicBrowser, FavouriteFolderCommands) {
    Browser b;
    b.prompter.yesNo = {false, true};
    b.browser.offerFolderAsFavorite(); // No: nothing changes
    EXPECT_EQ(b.folders.favoriteFolders().size(), 1);
    b.browser.offerFolderAsFavorite();
    EXPECT_EQ(b.prompter.shown.last(), "Would you like to add " +
                                           QDir::cleanPath(b.data.path("songs")) +
                                           " to your favorite subdirectories list?");
    EXPECT_EQ(b.browser.lbFavorite_mp3_folders()->count(), 2);

    // Deleting from the pop-up menu with nothing selected asks for a selection.
    b.browser.lbFavorite_mp3_folders()->clearSelection();
    b.browser.lbFavorite_mp3_folders()->setCurrentRow(-1);
    b.browser.deleteSelectedFavorite(true);
    EXPECT_EQ(b.prompter.shown.last(), "Select a file first");
    b.prompter.yesNo = {true};
    b.browser.lbFavorite_mp3_folders()->setCurrentRow(0);
    b.browser.deleteSelectedFavorite(false);
    EXPECT_EQ(b.folders.favoriteFolders(), QStringList({QDir::cleanPath(b.data.path("songs"))}));
    EXPECT_EQ(b.browser.lbFavorite_mp3_folders()->count(), 1);
}

TEST(MusicBrowser, SongsWhoseNamesAreNotUtf8AreReportedOnceNotLeftOutSilently) {
    Browser b;
    // Written by an older system in Latin-1: "Café.mp3" with a bare 0xE9 byte.
    const QByteArray raw = QFile::encodeName(b.data.path("songs/")) + "Caf\xe9.mp3";
    FILE* made = std::fopen(raw.constData(), "wb");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    b.prompter.shown.clear();
    b.browser.refresh();
    ASSERT_EQ(b.prompter.shown.size(), 1);
    EXPECT_TRUE(b.prompter.shown[0].startsWith("1 song file(s) in "));
    EXPECT_TRUE(b.prompter.shown[0].contains(QString::fromLatin1("Caf\xe9.mp3")));
    b.browser.refresh(); // the folder shown again: not said again
    EXPECT_EQ(b.prompter.shown.size(), 1);
    EXPECT_EQ(b.browser.FileListBox1()->count(), 3); // the others are listed as ever
}
