#include "browserpane.h"
#include "css.h"
#include "documentpages.h"
#include "flashmenu.h"
#include "locationspanel.h"
#include "lyricsbrowser.h"
#include "pagescript.h"
#include "player.h"
#include "textstore.h"
#include "waiting.h"
#include "windowrig.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabBar>
#include <QTimer>
#include <QWebEngineView>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

bool showsFile(QWebEngineView* view, const QString& name) {
    return showsLoaded(view, [&] { return view->url().fileName() == name; });
}

// The lyrics window alone over a data folder, with what the main window would tell it.
struct Lyrics {
    TempDataFolder data;
    ScriptedPrompter prompter;
    QString currentSong = "none";
    QString cuedSinger = "none";
    QStringList opened;
    int fades = 0;
    LyricsWindow window{data.folder(), prompter};

    Lyrics() {
        data.write("mp3s/.keep", "");
        data.write("nomatch/No Match.html", "<html><head><title>No Match</title></head></html>");
        window.connectToMain({[this] { return currentSong; }, [this] { return cuedSinger; },
                              [this] { return data.path("mp3s/"); },
                              [this](const QString& path) { opened << path; }, [this] { ++fades; },
                              [] { return 600; }, [] { return false; }});
        window.resize(1000, 700);
    }
    void show() {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QListWidget* files() { return window.FileListBox1(); }
    void click(const QString& name) {
        const QList<QListWidgetItem*> found = files()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        const QRect rect = files()->visualItemRect(found.first());
        QTest::mouseClick(files()->viewport(), Qt::LeftButton, {}, rect.center());
    }
    QWebEngineView* view() { return window.WebBrowser1()->existingView(); }
};

void writePdf(const QString& path, const QString& text) {
    QPdfWriter pdf(path);
    QPainter painter(&pdf);
    painter.setFont(QFont("DejaVu Sans", 24));
    painter.drawText(QPointF(500, 1000), text);
}

const QByteArray kRtf = "{\\rtf1\\ansi{\\b Allemande Left}\\par Swing your partner\\par}";

} // namespace

TEST(LyricsWindow, FirstShowMakesTheBrowserAndAGoneFolderFallsBackWithANotice) {
    Lyrics l;
    l.data.write("Lyrics/Jambalaya.html", "<html><body>x</body></html>");
    l.data.write("ini/subdirectory.txt", "/music/\r\n/no/such/lyrics/\r\n");
    EXPECT_EQ(l.view(), nullptr); // nothing of the browser before the window is shown
    l.show();
    ASSERT_NE(l.view(), nullptr);
    EXPECT_TRUE(l.window.notice()->isVisible());
    EXPECT_TRUE(l.window.notice()->text().startsWith(
        "The lyrics folder /no/such/lyrics/ no longer exists; showing"));
    // The window is whole: the default folder's files, the favourites, the caption.
    EXPECT_EQ(l.window.lyricsBrowser().folder(), l.data.path("Lyrics/"));
    ASSERT_EQ(l.files()->count(), 1);
    EXPECT_EQ(l.window.lyricsBrowser().filesGroup()->title(), "Lyric Files: 1");
    EXPECT_EQ(l.window.lyricsBrowser().lbFavorite_Lyrics_Folder()->count(), 1);
    EXPECT_EQ(textstore::readList(l.data.path("ini/subdirectory.txt")).value(1),
              l.data.path("Lyrics/"));
    EXPECT_TRUE(l.prompter.shown.isEmpty());
    // The layout's proportions: the pages on the left 70%.
    EXPECT_EQ(l.window.OvcNotebook1()->width(),
              l.window.OvcNotebook1()->parentWidget()->width() * 70 / 100);
}

TEST(LyricsWindow, PagesOpenCloseRenumberAndTurnWithKeysFromAnyWindow) {
    Lyrics l;
    l.data.write("docs/a.txt", "first line\r\nsecond line\r\n");
    l.data.write("docs/b.html", "<html><body>b</body></html>");
    writePdf(l.data.path("docs/c.pdf"), "Cue");
    l.data.write("docs/song.rtf", kRtf);
    l.show();
    DocumentPages* pages = l.window.OvcNotebook1();
    for (const char* name : {"a.txt", "b.html", "c.pdf"})
        l.prompter.files.push_back(l.data.path(QStringLiteral("docs/%1").arg(name)));
    for (int i = 0; i < 3; ++i)
        pages->openFromDialog();
    EXPECT_EQ(pages->captions(), QStringList({"Lyrics", "(1) a.txt", "(2) b.html", "(3) c.pdf"}));
    auto* text = qobject_cast<QPlainTextEdit*>(pages->widget(1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), "first line\nsecond line");
    EXPECT_EQ(text->font().family(), "Verdana"); // the text-file font of font_cards.txt

    QTest::keyClick(&l.window, Qt::Key_5); // no fifth page: nothing changes
    EXPECT_EQ(pages->currentIndex(), 3);
    QTest::keyClick(&l.window, Qt::Key_2);
    EXPECT_EQ(pages->currentIndex(), 2);
    pages->closeSelected();
    EXPECT_EQ(pages->captions(), QStringList({"Lyrics", "(1) a.txt", "(2) c.pdf"}));
    QTest::keyClick(&l.window, Qt::Key_0);
    EXPECT_EQ(pages->currentIndex(), 0);
    pages->closeSelected(); // the lyrics page stays
    EXPECT_EQ(pages->count(), 3);

    // One page per key press, wrapping, while another window has the focus.
    QWidget other;
    other.show();
    QTest::keyClick(&other, Qt::Key_Right);
    EXPECT_EQ(pages->currentIndex(), 1);
    QTest::keyClick(&other, Qt::Key_Right);
    QTest::keyClick(&other, Qt::Key_Right);
    EXPECT_EQ(pages->currentIndex(), 0);
    QTest::keyClick(&other, Qt::Key_Left);
    EXPECT_EQ(pages->currentIndex(), 2);
    // Control-F fades from anywhere, and the key goes no further.
    QTest::keyClick(&other, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(l.fades, 1);

    // song.rtf opened shows its markup as text.
    l.prompter.files.push_back(l.data.path("docs/song.rtf"));
    pages->openFromDialog();
    EXPECT_EQ(pages->tabText(3), "(3) song.rtf");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(pages->widget(3))->toPlainText(), kRtf);
    pages->closeAll();
    EXPECT_EQ(pages->captions(), QStringList({"Lyrics"}));

    // Hidden, the window's keys leave the others' alone.
    l.window.hide();
    QTest::keyClick(&other, Qt::Key_Right);
    EXPECT_EQ(pages->currentIndex(), 0);
}

TEST(LyricsWindow, RtfAndPdfShowInTheBrowserAndOtherKindsOfferTheDesktopApplication) {
    Lyrics l;
    l.data.write("Lyrics/song.rtf", kRtf);
    l.data.write("Lyrics/SONG2.RTF", kRtf);
    l.data.write("Lyrics/notes.doc", "binary");
    writePdf(l.data.path("Lyrics/cue.pdf"), "Cue");
    l.show();
    ASSERT_EQ(l.files()->count(), 4);

    l.click("cue.pdf");
    EXPECT_TRUE(showsFile(l.view(), "cue.pdf"));
    // The view's own PDF viewer takes the document.
    EXPECT_EQ(evaluate(l.view(), "document.querySelector('embed') ? "
                                 "document.querySelector('embed').type : document.body.innerHTML"),
              "application/pdf");

    l.click("song.rtf"); // formatted by unrtf, in the rich-text view
    BrowserPane* rich = l.window.RichEdit1();
    EXPECT_TRUE(rich->isVisible());
    ASSERT_NE(rich->existingView(), nullptr);
    EXPECT_TRUE(showsFile(rich->existingView(), "page.html"));
    if (!QStandardPaths::findExecutable("unrtf").isEmpty()) {
        EXPECT_EQ(evaluate(rich->existingView(), "document.querySelector('b').textContent"),
                  "Allemande Left");
        EXPECT_FALSE(l.window.notice()->isVisible());
    }

    // SONG2.RTF: only ".rtf" as written is rich text; the browser cannot show it.
    l.click("SONG2.RTF");
    EXPECT_FALSE(rich->isVisible());
    EXPECT_TRUE(l.window.WebBrowser1()->showsCannotShowPage());
    EXPECT_TRUE(l.window.WebBrowser1()->openOutsideButton()->isEnabled());
    l.click("notes.doc");
    EXPECT_TRUE(l.window.WebBrowser1()->showsCannotShowPage());
}

TEST(LyricsWindow, FavouritesAndFileDeletion) {
    Lyrics l;
    for (const char* name : {"a.html", "b.html", "c.html"})
        l.data.write(QStringLiteral("Lyrics/%1").arg(name), "x");
    l.data.write("ini/favorite_lyrics_subdirectories.txt", "/first\r\n/second\r\n");
    l.show();
    QListWidget* favorites = l.window.lyricsBrowser().lbFavorite_Lyrics_Folder();
    ASSERT_EQ(favorites->count(), 2);
    l.prompter.yesNo = {true};
    l.window.lyricsBrowser().offerFolderAsFavorite();
    EXPECT_EQ(l.prompter.shown.last(), "Would you like to add " +
                                           QDir::cleanPath(l.data.path("Lyrics")) +
                                           " to your favorite lyrics subdirectories list?");
    EXPECT_EQ(favorites->count(), 3);

    favorites->setCurrentRow(0);
    l.prompter.yesNo = {true};
    QTest::keyClick(favorites, Qt::Key_Delete);
    EXPECT_EQ(l.prompter.shown.last(), "Delete /first from your lyrics favorite folders now?");
    EXPECT_EQ(textstore::readList(l.data.path("ini/favorite_lyrics_subdirectories.txt")),
              QStringList({"/second", QDir::cleanPath(l.data.path("Lyrics"))}));

    // Deleting the last file of the list leaves nothing selected.
    l.files()->setCurrentRow(2);
    l.prompter.yesNo = {true};
    QTest::keyClick(l.files(), Qt::Key_Delete);
    EXPECT_EQ(l.prompter.shown.last(), "Are you sure you want to delete the seleted item?");
    EXPECT_FALSE(QFileInfo::exists(l.data.path("Lyrics/c.html")));
    EXPECT_EQ(l.files()->count(), 2);
    EXPECT_TRUE(l.window.lyricsBrowser().selectedFilePath().isEmpty());
    // The first: the next file takes its place, selected.
    l.files()->setCurrentRow(0);
    l.prompter.yesNo = {true};
    QTest::keyClick(l.files(), Qt::Key_Delete);
    EXPECT_EQ(l.window.lyricsBrowser().selectedFileName(), "b.html");
}

TEST(StyleSheetMaker, EveryTypedSizeIsWrittenIntoEveryFavouriteFolderAndTheLyricsFolder) {
    Lyrics l;
    l.data.write("A/a.html", "x");
    l.data.write("B/b.html", "x");
    l.data.write("C/c.html", "x");
    l.data.write("ini/favorite_lyrics_subdirectories.txt",
                 (l.data.path("A") + "\r\n" + l.data.path("B") + "\r\n").toUtf8());
    l.data.write("ini/subdirectory.txt", ("/music/\r\n" + l.data.path("C/") + "\r\n").toUtf8());
    CssWindow maker(l.data.folder(), l.prompter);
    QObject::connect(&maker, &CssWindow::sizesChanged, &l.window,
                     &LyricsWindow::applyUserStyleSheet);
    EXPECT_EQ(l.data.bytes("Lyrics/user.txt"), "18|10|10|12|14|14\r\n");
    EXPECT_EQ(maker.sizes(), QStringList({"18", "10", "10", "12", "14", "14"}));
    l.show();

    QSignalSpy changes(&maker, &CssWindow::sizesChanged);
    QComboBox* title = maker.boxes().first();
    EXPECT_EQ(title->objectName(), "cb_title");
    title->lineEdit()->selectAll();
    QTest::keyClicks(title->lineEdit(), "16");
    // Written at each character: first with 1pt, then with 16pt.
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes[0].value(0).toStringList().value(0), "1");
    EXPECT_EQ(l.data.bytes("Lyrics/user.txt"), "16|10|10|12|14|14|\r\n");
    for (const char* folder : {"A", "B", "C"})
        EXPECT_TRUE(l.data.bytes(QStringLiteral("%1/cuesheet.css").arg(folder))
                        .startsWith(".title { font-size: 16pt; font-weight: bold; }"))
            << folder;
    EXPECT_EQ(textstore::readList(l.data.path("ini/favorite_lyrics_subdirectories.txt")),
              QStringList({l.data.path("A"), l.data.path("B"), QDir::cleanPath(l.data.path("C"))}));

    // The background: black at the top to pure red at the bottom.
    maker.resize(256, 512);
    const QImage painted = maker.grab().toImage();
    EXPECT_EQ(painted.pixelColor(200, 0), QColor(0, 0, 0));
    EXPECT_EQ(painted.pixelColor(200, 511), QColor(255, 0, 0));
    EXPECT_EQ(painted.pixelColor(200, 2 * 128 + 1), QColor(128, 0, 0));
}

namespace {
QAction* menuItem(QWidget* window, const QStringList& path) {
    QList<QAction*> actions = window->findChild<QMenuBar*>()->actions();
    QAction* found = nullptr;
    for (const QString& caption : path) {
        found = nullptr;
        for (QAction* action : actions)
            if (action->text() == caption)
                found = action;
        if (!found)
            return nullptr;
        if (found->menu())
            actions = found->menu()->actions();
    }
    return found;
}
} // namespace

TEST(LyricsWindow, CallListsOpenReferencePagesAndFlashedCallsShowOnTheLyricsPage) {
    Lyrics l;
    // The table of locations came with the window.
    const QStringList table = textstore::readList(l.data.path("callerlab/callerlab.ini"));
    ASSERT_EQ(table.size(), 25);
    EXPECT_EQ(table[16], "2006.html");
    l.data.write("callerlab/2006.html", "<html><body>C4 calls</body></html>");
    l.data.write("callerlab/pluslist.txt", "Acey Deucey\r\nCoordinate\r\nTrack Two\r\n");
    l.show();

    // Every command opens a page of its own, also for a document already open.
    DocumentPages* pages = l.window.OvcNotebook1();
    QAction* c4 = menuItem(&l.window, {"Lists", "C4"});
    ASSERT_TRUE(c4);
    c4->trigger();
    c4->trigger();
    EXPECT_EQ(pages->captions(), QStringList({"Lyrics", "(1) 2006.html", "(2) 2006.html"}));
    auto* page = qobject_cast<BrowserPane*>(pages->widget(2));
    ASSERT_TRUE(page && page->existingView());
    EXPECT_TRUE(showsFile(page->existingView(), "2006.html"));

    // Shift+F6 chooses Plus and flashes its first call on the lyrics page, whichever page is
    // selected; F9 keeps flashing.
    QTest::keyClick(&l.window, Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(menuItem(&l.window, {"Flash Calls", "Choose Level", "Plus"})->isChecked());
    EXPECT_EQ(pages->currentIndex(), 2);
    ASSERT_TRUE(showsFile(l.view(), "list_temp.html"));
    const QString flashed = evaluate(l.view(), "document.body.innerText").trimmed();
    EXPECT_TRUE(QStringList({"Acey Deucey", "Coordinate"}).contains(flashed))
        << flashed.toStdString();
    // The keys reach the menu also while the page's view has the keyboard: a flashed page
    // takes the focus when it loads.
    l.window.activateWindow();
    l.view()->setFocus();
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == l.view()->focusProxy(); }));
    const QByteArray pool = l.data.bytes("callerlab/list_temp.txt");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    EXPECT_NE(l.data.bytes("callerlab/list_temp.txt"), pool);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F9);
    FlashCallsMenu& flash = l.window.flashCalls();
    EXPECT_TRUE(flash.timer()->isActive());
    EXPECT_EQ(pages->tabText(0), "Flash");

    // Hidden, the window keeps flashing; only the mark goes.
    l.window.hide();
    EXPECT_FALSE(flash.toggleAction()->isChecked());
    EXPECT_TRUE(flash.timer()->isActive());
    // The lyric search stops the timer and brings the lyrics page back.
    l.window.OpenLyricsClick(true);
    EXPECT_FALSE(flash.timer()->isActive());
    EXPECT_EQ(pages->tabText(0), "Lyrics");
    EXPECT_EQ(pages->currentIndex(), 0);

    QAction* locations = menuItem(&l.window, {"Locations"});
    locations->trigger();
    EXPECT_TRUE(l.window.locations()->isVisible());
    EXPECT_EQ(l.window.locations()->entry(17)->text(), "2006.html");
    locations->trigger();
    EXPECT_FALSE(l.window.locations()->isVisible());
}
