#include "browserpane.h"
#include "lyricsbrowser.h"
#include "musicfolders.h"
#include "pagescript.h"
#include "player.h"
#include "textstore.h"
#include "waiting.h"
#include "windowrig.h"

#include <QApplication>
#include <QWebEngineView>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

bool showsTitle(QWebEngineView* view, const QString& title) {
    return showsLoaded(view, [&] { return view->title() == title; });
}

QByteArray cueSheet(const QString& title) {
    return QStringLiteral("<html><head><title>%1</title><link rel=\"stylesheet\" "
                          "href=\"cuesheet2.css\"></head><body><p class=\"title\">%1</p>"
                          "</body></html>")
        .arg(title)
        .toUtf8();
}

// The caller presses the key in the main window, which is then the active one.
void pressInMain(Window& w, Qt::Key key) {
    QApplication::setActiveWindow(w.main.get());
    QTest::keyClick(w.main.get(), key);
}

int rowOf(QListWidget* list, const QString& name) {
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? -1 : list->row(found.first());
}

void rightClick(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      list->visualItemRect(list->item(row)).center());
}

} // namespace

TEST(LyricSearch, F12FindsTheCueSheetThenTheMarriageAndTheStyleSheetApplies) {
    Window w;
    w.data.write("nomatch/No Match.html", "<html><head><title>No Match</title></head></html>");
    w.data.write("Lyrics/singer.html", cueSheet("Singer cue"));
    w.data.write("Lyrics/Other Song.html", cueSheet("Other cue"));
    w.main->player().lbCuedSinger = "Singer.wav";

    // Before any song is opened, F12 shows the window and looks for nothing.
    pressInMain(w, Qt::Key_F12);
    EXPECT_TRUE(w.lyrics.isVisible());
    ASSERT_NE(w.lyrics.WebBrowser1()->existingView(), nullptr);
    EXPECT_TRUE(w.lyrics.WebBrowser1()->shownFile().isEmpty());
    pressInMain(w, Qt::Key_F12);
    EXPECT_FALSE(w.lyrics.isVisible());

    w.doubleClick(w.files(), 1);
    ASSERT_EQ(w.text("current_song"), "Singer.wav");
    pressInMain(w, Qt::Key_F12);
    QWebEngineView* view = w.lyrics.WebBrowser1()->existingView();
    // "singer." shares 7 of the 10 characters of "Singer.wav".
    EXPECT_TRUE(showsTitle(view, "Singer cue"));
    EXPECT_EQ(w.lyrics.lyricsBrowser().selectedFileName(), "singer.html");
    // The folder had no style sheets: it has the default ones now.
    EXPECT_EQ(textstore::readList(w.data.path("Lyrics/cuesheet2.css")).value(0),
              ".title { font-size: 18pt; font-weight: bold; }");
    EXPECT_EQ(evaluate(view, "getComputedStyle(document.querySelector('.title')).fontSize"),
              "24px");

    // Marry the other cue sheet to the current song: from now on F12 shows it.
    QListWidget* lyricsFiles = w.lyrics.FileListBox1();
    ASSERT_GE(rowOf(lyricsFiles, "Other Song.html"), 0);
    w.prompter.choices = {0};
    rightClick(lyricsFiles, rowOf(lyricsFiles, "Other Song.html"));
    const QString married = w.data.path("Lyrics/Other Song.html");
    EXPECT_EQ(w.prompter.shown.last(), "Would you like to marry " + married + " to Singer.wav?");
    EXPECT_EQ(w.prompter.captions.last(), "Marriage Proposal");
    EXPECT_EQ(textstore::readList(w.data.path("ini/marriage.txt")),
              QStringList({married + "|" + w.data.path("mp3s/Singer.wav")}));
    pressInMain(w, Qt::Key_F12);
    pressInMain(w, Qt::Key_F12);
    EXPECT_TRUE(showsTitle(view, "Other cue"));
    EXPECT_EQ(w.lyrics.marriedLyrics, married);

    // The caller's sizes reach the page on show.
    w.lyrics.applyUserStyleSheet({"28", "10", "10", "12", "14", "14"});
    EXPECT_TRUE(waitUntil(
        [&] {
            return evaluate(view, "getComputedStyle(document.querySelector('.title')).fontSize")
                .startsWith("37.3");
        },
        20000));

    // A double click on the married cue sheet opens its song.
    w.doubleClick(w.files(), 0);
    ASSERT_EQ(w.text("current_song"), "Patter.wav");
    w.doubleClick(lyricsFiles, rowOf(lyricsFiles, "Other Song.html"));
    EXPECT_EQ(w.lyrics.eMarried_mp3, w.data.path("mp3s/Singer.wav"));
    EXPECT_EQ(w.text("current_song"), "Singer.wav");

    // Divorced, the search goes by name again.
    w.prompter.choices = {1};
    rightClick(lyricsFiles, rowOf(lyricsFiles, "Other Song.html"));
    EXPECT_TRUE(textstore::readList(w.data.path("ini/marriage.txt")).isEmpty());
    pressInMain(w, Qt::Key_F12);
    pressInMain(w, Qt::Key_F12);
    EXPECT_TRUE(showsTitle(view, "Singer cue"));
}

TEST(LyricSearch, NothingCloseEnoughLeavesNoMatch) {
    Window w;
    w.data.write("nomatch/No Match.html", "<html><head><title>No Match</title></head></html>");
    w.data.write("Lyrics/Sing Along.html", cueSheet("Sing Along"));
    w.doubleClick(w.files(), 1);
    // "sing" is 4 of the 22 characters: not more than a third.
    w.main->player().lbCuedSinger = "Singer Of The Year.wav";
    pressInMain(w, Qt::Key_F12);
    EXPECT_TRUE(showsTitle(w.lyrics.WebBrowser1()->existingView(), "No Match"));
    EXPECT_EQ(w.lyrics.lyricsBrowser().selectedFileName(), "Sing Along.html");
}
