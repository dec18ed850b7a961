#include "lyricsfolders.h"
#include "pagecaptions.h"
#include "qtprinters.h"
#include "rtfpage.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textfont.h"
#include "textstore.h"
#include "windowlayout.h"

#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

namespace {
struct Folders {
    TempDataFolder data;
    ScriptedPrompter prompter;
    LyricsFolders folders{data.folder(), prompter};
};
} // namespace

TEST(LyricsFolders, FilterIsStoredAndDamageFallsBackToAllFiles) {
    Folders f;
    EXPECT_EQ(f.folders.loadFilter(), 0);
    EXPECT_EQ(f.data.bytes("ini/combofilter.txt"), "0\r\n");
    f.folders.setFilter(3);
    EXPECT_EQ(f.data.bytes("ini/combofilter.txt"), "3\r\n");
    EXPECT_EQ(f.folders.loadFilter(), 3);
    EXPECT_TRUE(f.prompter.shown.isEmpty());
    for (const QByteArray& damaged : {QByteArray("x\r\n"), QByteArray("7\r\n")}) {
        f.data.write("ini/combofilter.txt", damaged);
        EXPECT_EQ(f.folders.loadFilter(), 0);
    }
    ASSERT_EQ(f.prompter.shown.size(), 2);
    EXPECT_TRUE(f.prompter.shown[1].contains("\"7\" is not a file filter (0 to 3)"));
}

TEST(LyricsFolders, FilesMatchTheFilterSortedWithoutRegardToCase) {
    TempDataFolder data;
    for (const char* name : {"b.HTML", "A.htm", "c.jpg", "README", "d.Rtf", "e.doc", "f.gif"})
        data.write(QStringLiteral("l/%1").arg(name), "x");
    const QString folder = data.path("l");
    EXPECT_EQ(LyricsFolders::files(folder, 0),
              QStringList({"A.htm", "b.HTML", "c.jpg", "d.Rtf", "e.doc", "f.gif", "README"}));
    EXPECT_EQ(LyricsFolders::files(folder, 1), QStringList({"A.htm", "b.HTML"}));
    EXPECT_EQ(LyricsFolders::files(folder, 2), QStringList({"c.jpg", "f.gif"}));
    EXPECT_EQ(LyricsFolders::files(folder, 3), QStringList({"d.Rtf", "e.doc"}));
    EXPECT_EQ(LyricsFolders::filters()[3].caption, "Word files (*.doc,*.rtf)");
}

TEST(LyricsFolders, RememberedFolderThatIsGoneFallsBackWithANotice) {
    Folders f;
    EXPECT_EQ(f.folders.rememberedFolder().folder, f.data.path("Lyrics/"));
    f.data.write("cues/x.html", "x");
    f.folders.rememberFolder(f.data.path("cues"));
    // Created with the music browser's default first line; the lyrics folder in the second.
    EXPECT_EQ(textstore::readList(f.data.path("ini/subdirectory.txt")),
              QStringList({f.data.path("mp3s/"), f.data.path("cues/")}));
    EXPECT_EQ(f.folders.rememberedFolder().folder, f.data.path("cues/"));
    EXPECT_TRUE(f.folders.rememberedFolder().notice.isEmpty());

    f.data.write("ini/subdirectory.txt", "/music/\r\n/no/such/lyrics/\r\n");
    const auto remembered = f.folders.rememberedFolder();
    EXPECT_EQ(remembered.folder, f.data.path("Lyrics/"));
    EXPECT_EQ(remembered.notice, "The lyrics folder /no/such/lyrics/ no longer exists; showing " +
                                     f.data.path("Lyrics/") + " instead.");
    f.folders.rememberFolder(f.data.path("cues/"));
    EXPECT_EQ(textstore::readList(f.data.path("ini/subdirectory.txt")),
              QStringList({"/music/", f.data.path("cues/")}));
}

TEST(LyricsFolders, FavouritesAddIgnoringCaseRemoveAndReorder) {
    Folders f;
    f.folders.loadFavorites();
    EXPECT_EQ(f.folders.favorites(), QStringList({QDir::cleanPath(f.data.path("Lyrics"))}));
    f.data.write("ini/favorite_lyrics_subdirectories.txt", "/c/lyrics\r\n/d\r\n/\r\n");
    f.folders.loadFavorites();
    EXPECT_FALSE(f.folders.addFavorite("/C/Lyrics"));
    EXPECT_FALSE(f.folders.addFavorite("/C/Lyrics/"));
    EXPECT_TRUE(f.folders.addFavorite("/e/"));
    EXPECT_EQ(f.data.bytes("ini/favorite_lyrics_subdirectories.txt"),
              "/c/lyrics\r\n/d\r\n/\r\n/e\r\n");

    f.folders.moveFavorite(0, 99); // dropped below the last
    EXPECT_EQ(f.folders.favorites(), QStringList({"/d", "/", "/e", "/c/lyrics"}));
    f.folders.moveFavorite(3, 1); // dropped on the second
    EXPECT_EQ(f.data.bytes("ini/favorite_lyrics_subdirectories.txt"),
              "/d\r\n/c/lyrics\r\n/\r\n/e\r\n");

    f.prompter.yesNo = {false, true};
    EXPECT_FALSE(f.folders.removeFavorite(1));
    EXPECT_TRUE(f.folders.removeFavorite(1));
    EXPECT_EQ(f.prompter.shown.last(), "Delete /c/lyrics from your lyrics favorite folders now?");
    EXPECT_EQ(f.folders.favorites(), QStringList({"/d", "/", "/e"}));
}

TEST(TextFont, ThreeLinesWithStylesAndADamagedSize) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    const QString path = data.path("ini/font_cards.txt");
    EXPECT_EQ(textfont::load(path, prompter), textfont::defaults());
    EXPECT_EQ(data.bytes("ini/font_cards.txt"), "Verdana\r\n14\r\n\r\n");
    FontSpec font = textfont::defaults();
    font.name = "DejaVu Sans";
    font.size = 20;
    font.bold = font.strikeout = true;
    textfont::save(path, font);
    EXPECT_EQ(data.bytes("ini/font_cards.txt"), "DejaVu Sans\r\n20\r\nBold,StrikeOut\r\n");
    EXPECT_EQ(textfont::load(path, prompter), font);
    EXPECT_TRUE(prompter.shown.isEmpty());

    data.write("ini/font_cards.txt", "Arial\r\nbig\r\nItalic\r\n");
    const FontSpec read = textfont::load(path, prompter);
    EXPECT_EQ(read.name, "Arial");
    EXPECT_EQ(read.size, 14);
    EXPECT_TRUE(read.italic);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains("\"big\" is not a font size"));
}

TEST(PageCaptions, RenumberedAfterAClose) {
    EXPECT_EQ(pageCaption(3, "c.pdf"), "(3) c.pdf");
    // (2) b.html closed from (1) a.txt, (2) b.html, (3) c.pdf.
    EXPECT_EQ(renumberedCaptions({"(1) a.txt", "(3) c.pdf"}),
              QStringList({"(1) a.txt", "(2) c.pdf"}));
    // Only the first ") " ends the number.
    EXPECT_EQ(renumberedCaptions({"(4) x) y.txt"}), QStringList({"(1) x) y.txt"}));
}

TEST(LyricsWindowLayout, Proportions) {
    const LyricsWindowGeometry g = layOutLyricsWindow(1000, 800, 600, 0);
    EXPECT_EQ(g.pages, QRect(0, 0, 700, 760));
    EXPECT_EQ(g.clockTimer, QRect(700, 0, 300, 104));
    EXPECT_EQ(g.counter, QRect(700, 104, 300, 104));
    EXPECT_EQ(g.favorites, QRect(700, 208, 300, 136));
    EXPECT_EQ(g.folder, QRect(700, 344, 300, 200));
    EXPECT_EQ(g.files, QRect(700, 544, 300, 216));
    // The strip is 5% of the main window's client height, its bar 40% of that.
    EXPECT_EQ(g.progressBar.height() + g.strip.height(), 30);
    EXPECT_EQ(g.progressBar.height(), 12);
    EXPECT_EQ(g.strip.bottom(), 799);

    // Ctrl+Z makes the file list taller at its top edge, never past what leaves the folders.
    EXPECT_EQ(layOutLyricsWindow(1000, 800, 600, 10).files.top(), 534);
    EXPECT_EQ(layOutLyricsWindow(1000, 800, 600, -1).files.top(), 545);
    EXPECT_EQ(layOutLyricsWindow(1000, 800, 600, 100000).folder.height(), 20);
}

TEST(RtfPage, FormattedThroughUnrtfOrPlainWithANotice) {
    TempDataFolder data;
    data.write("song.rtf", "{\\rtf1\\ansi{\\b Allemande Left}\\par Swing your partner\\par}");
    const QString work = data.path("work");
    if (!QStandardPaths::findExecutable("unrtf").isEmpty()) {
        const RtfPage page = rtfPage(data.path("song.rtf"), work);
        EXPECT_TRUE(page.notice.isEmpty());
        const QByteArray html = data.bytes("work/page.html");
        EXPECT_TRUE(html.contains("<b>Allemande Left</b>")) << html.constData();
        EXPECT_TRUE(html.contains("Swing your partner"));
    }
    const RtfPage plain = rtfPage(data.path("song.rtf"), work, "no-such-unrtf");
    EXPECT_EQ(plain.notice, "\"no-such-unrtf\" is not installed: song.rtf is shown as plain text.");
    EXPECT_TRUE(QFile(plain.htmlPath).exists());
    EXPECT_TRUE(data.bytes("work/page.html").contains("{\\rtf1\\ansi{\\b Allemande Left}"));
    EXPECT_THROW(rtfPage(data.path("missing.rtf"), work), StoreError);
}
