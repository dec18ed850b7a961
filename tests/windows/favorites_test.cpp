#include "favorites.h"
#include "favoritesview.h"
#include "musicfolders.h"
#include "player.h"
#include "songlist.h"
#include "songslots.h"
#include "textstore.h"
#include "windowrig.h"

#include <QMimeData>
#include <QUrl>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct Favourites : Window {
    QListWidget* patter = main->findChild<QListWidget*>("lbFavorite_Patter");
    QListWidget* singers = main->findChild<QListWidget*>("lbFavorite_Singers");

    Favourites() {
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }
    void fill(const QStringList& patterSongs, const QStringList& singerSongs) {
        FavoritesLists& lists = main->favorites();
        lists.patter = patterSongs;
        lists.singers = singerSongs;
        lists.save(true);
        lists.save(false);
        main->showFavorites();
    }
    QColor colourAt(QListWidget* list, int row) {
        const QRect rect = list->visualItemRect(list->item(row));
        return list->viewport()->grab().toImage().pixelColor(rect.right() - 3, rect.center().y());
    }
    void rightClick(QWidget* widget, QPoint at) {
        QTest::mouseClick(widget, Qt::RightButton, {}, at);
    }
};
} // namespace

TEST(Favourites, PlayedSongsShowInTheHistoryColoursUntilUnmarked) {
    Favourites f;
    f.fill({"Patter.wav"}, {"Singer.wav"});
    const QColor normal = f.colourAt(f.patter, 0);
    QTest::mouseClick(f.patter->viewport(), Qt::LeftButton, {},
                      f.patter->visualItemRect(f.patter->item(0)).center());
    QTest::keyClick(f.patter, Qt::Key_Space);
    EXPECT_EQ(f.text("current_song"), "Patter.wav");
    EXPECT_EQ(textstore::readList(f.data.path("ini/default.fvthighlight_patter.txt")),
              QStringList({"-1", "Patter.wav"}));
    EXPECT_EQ(f.colourAt(f.patter, 0), QColor(0xFF, 0xFF, 0x80));
    QTest::keyClick(f.patter, Qt::Key_Space);

    // Every opening is logged; the current song's label reads the log back.
    f.prompter.yesNo = {true};
    auto* label = f.main->findChild<QLabel*>("current_song");
    emit label->customContextMenuRequested({1, 1});
    QListWidget* info = f.main->songSlots().lbInfo();
    ASSERT_EQ(info->count(), 2);
    EXPECT_EQ(info->item(0)->text(), "Patter.wav log:");

    // A right click unmarks; on a singer it also logs the cancellation, marked or not.
    f.rightClick(f.patter->viewport(), f.patter->visualItemRect(f.patter->item(0)).center());
    EXPECT_NE(f.colourAt(f.patter, 0), QColor(0xFF, 0xFF, 0x80)); // selected, not played
    f.rightClick(f.singers->viewport(), f.singers->visualItemRect(f.singers->item(0)).center());
    EXPECT_TRUE(
        textstore::readList(f.data.path("ini/log.txt")).last().startsWith("CANCEL: Singer.wav|"));

    f.main->favorites().history.mark("default.fvt", false, "Singer.wav");
    f.main->favoritesView().repaint();
    EXPECT_EQ(f.colourAt(f.singers, 0), QColor(0xFF, 0xFF, 0x80));
    f.main->favoritesView().clearHistory(true, true);
    EXPECT_EQ(f.colourAt(f.singers, 0), normal);
    EXPECT_EQ(textstore::readList(f.data.path("ini/default.fvthighlight_singer.txt")),
              QStringList({"-1"}));
}

TEST(Favourites, ArrowKeysHopBetweenTheThreeListsAtTheSameRow) {
    Favourites f;
    f.fill({"a.wav", "b.wav", "c.wav"}, {"x.wav", "y.wav"});
    QListWidget* files = f.files();
    ASSERT_EQ(files->count(), 2);
    f.patter->setFocus();
    f.patter->setCurrentRow(1);
    QTest::keyClick(f.patter, Qt::Key_Right);
    EXPECT_TRUE(f.singers->hasFocus());
    EXPECT_EQ(f.singers->currentRow(), 1);
    EXPECT_EQ(f.main->player().lbCuedSinger, "y.wav");
    EXPECT_FALSE(f.patter->item(1)->isSelected());
    QTest::keyClick(f.singers, Qt::Key_Right);
    EXPECT_TRUE(files->hasFocus());
    EXPECT_EQ(files->currentRow(), 1);
    QTest::keyClick(files, Qt::Key_Left);
    EXPECT_TRUE(f.singers->hasFocus());

    // No such row in the target: only the focus moves.
    f.patter->setCurrentRow(2);
    f.patter->setFocus();
    QTest::keyClick(f.patter, Qt::Key_Right);
    EXPECT_TRUE(f.singers->hasFocus());
    EXPECT_EQ(f.main->player().lbCuedSinger, "y.wav");
}

TEST(Favourites, DeleteKeyAndDesktopDrops) {
    Favourites f;
    f.fill({"a.wav", "b.wav"}, {});
    f.main->favorites().history.mark("default.fvt", true, "b.wav");
    f.patter->setFocus();
    f.patter->setCurrentRow(1);
    f.prompter.yesNo = {true, true};
    QTest::keyClick(f.patter, Qt::Key_Delete);
    EXPECT_EQ(f.patter->count(), 1);
    EXPECT_EQ(f.text("lPatterCaption"), "Patter: 1");
    EXPECT_EQ(textstore::readList(f.data.path("ini/default.fvthighlight_patter.txt")),
              QStringList({"-1"}));

    // Files dropped from the desktop: no question, and their folder joins the favourite
    // folders even when it is there already.
    QDir().mkpath(f.data.path("elsewhere"));
    writeWav(f.data.path("elsewhere/New Song.wav"), sine(440, 1));
    f.main->musicFolders().appendFavoriteFolder(f.data.path("elsewhere/"));
    const int before = f.main->musicFolders().favoriteFolders().size();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(f.data.path("elsewhere/New Song.wav"))});
    const QPoint below(5, f.patter->viewport()->height() - 5);
    QDragEnterEvent enter(below, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(f.patter->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(below), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(f.patter->viewport(), &drop);
    EXPECT_EQ(f.main->favorites().patter, QStringList({"a.wav", "New Song.wav"}));
    EXPECT_EQ(f.main->musicFolders().favoriteFolders().size(), before + 1);
    EXPECT_EQ(f.prompter.shown.size(), 2); // the two questions of the Delete key
}
