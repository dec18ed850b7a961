#include "audioengine.h"
#include "backup.h"
#include "colors.h"
#include "copyparts.h"
#include "dialogprompter.h"
#include "lyrics.h"
#include "musicfolders.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "tempo.h"
#include "textstore.h"
#include "updatecheck.h"
#include "utilitiesmenu.h"
#include "waiting.h"
#include "whichdrive.h"
#include "windowset.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

QStringList titlesOf(const QList<QAction*>& actions) {
    QStringList titles;
    for (QAction* action : actions)
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text().remove('&'));
    return titles;
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The band colour at a row of the window's background, read in its left margin.
QColor backgroundAt(QWidget& window, int y) {
    return window.grab().toImage().pixelColor(1, y);
}

void expectRedGradient(QWidget& window) {
    window.resize(420, 512);
    // Two pixels a band: band i spans rows 2i and 2i + 1 (row 41 is below a menu bar).
    EXPECT_EQ(backgroundAt(window, 2 * 20 + 1), QColor(20, 0, 0));
    EXPECT_EQ(backgroundAt(window, 2 * 100 + 1), QColor(100, 0, 0));
    EXPECT_EQ(backgroundAt(window, 511), QColor(255, 0, 0));
}

} // namespace

TEST(UtilityWindows, BackupWindowBacksUpAndRestoresThroughItsMenu) {
    TempDataFolder data;
    write(data.path("ini/color.txt"), "clTeal\r\n");
    write(data.path("favorites/default.fvt"), "Song.mp3\r\n");
    QTemporaryDir key;
    ScriptedPrompter prompter;
    BackupWindow window(data.folder(), prompter, [&] {
        return QList<Volume>{{"System", "/"}, {"KEY", key.path()}};
    });
    EXPECT_EQ(window.objectName(), "TForm4");
    EXPECT_EQ(window.windowTitle(), "Backup/Restore");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    expectRedGradient(window);
    EXPECT_EQ(window.drives()->count(), 2);
    EXPECT_EQ(window.drives()->itemText(1), "KEY (" + key.path() + ")");
    window.drives()->setCurrentIndex(1);

    auto* menu = window.findChild<QMenuBar*>();
    ASSERT_TRUE(menu);
    EXPECT_EQ(titlesOf(menu->actions()), QStringList({"Backup", "Restore"}));
    prompter.yesNo = {true};
    menu->actions()[0]->trigger();
    EXPECT_FALSE(menu->isEnabled());
    EXPECT_TRUE(window.progress()->cancelButton()->isEnabled());
    ASSERT_TRUE(window.job().waitForFinished(10000));
    EXPECT_EQ(prompter.shown.last(), "Done");
    EXPECT_TRUE(menu->isEnabled());
    EXPECT_FALSE(window.progress()->cancelButton()->isEnabled());
    EXPECT_EQ(textstore::readList(key.path() + "/Hoedeck backup/ini/color.txt"),
              QStringList({"clTeal"}));

    write(data.path("ini/color.txt"), "clRed\r\n");
    prompter.yesNo = {true};
    menu->actions()[1]->trigger();
    ASSERT_TRUE(window.job().waitForFinished(10000));
    EXPECT_EQ(prompter.shown.last(), "Done");
    EXPECT_EQ(data.bytes("ini/color.txt"), "clTeal\r\n");
}

TEST(UtilityWindows, CopyToKeyShowsTheSongBeingCopiedWithoutCueingIt) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    folders.load_favorite_subdirectories();
    folders.load_subdirectories();
    write(data.path("music/One.mp3"), "one");
    write(data.path("music/Two.mp3"), "two");
    write(data.path("music/Three.mp3"), "three");
    folders.setBrowserFolder(data.path("music"));
    QListWidget patter, singers;
    patter.addItems({"One.mp3", "Missing.mp3", "Two.mp3"});
    singers.addItems({"Three.mp3"});
    patter.setCurrentRow(0);
    QTemporaryDir key;
    WhichDriveWindow window(folders, prompter, &patter, &singers, [&] {
        return QList<Volume>{{"KEY", key.path()}};
    });
    EXPECT_EQ(window.objectName(), "TfmWhichDrive");
    EXPECT_EQ(window.windowTitle(), "Copy Favorites to Key");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    expectRedGradient(window);

    QList<int> selected;
    QList<int> barRange;
    QObject::connect(&window.job(), &CopyJob::progressed, &window, [&] {
        const QModelIndexList rows = patter.selectionModel()->selectedRows();
        selected << (rows.isEmpty() ? -1 : rows[0].row());
        barRange << window.progress()->bar()->maximum();
    });
    QTest::mouseClick(window.findChild<QPushButton*>("btnCopyPatter"), Qt::LeftButton);
    ASSERT_TRUE(window.job().waitForFinished(10000));
    EXPECT_EQ(QDir(key.path()).entryList(QDir::Files), QStringList({"One.mp3", "Two.mp3"}));
    // The progress bar runs over the half's rows; the list's selection follows.
    EXPECT_EQ(barRange, QList<int>({2, 2, 2}));
    EXPECT_EQ(selected, QList<int>({0, 1, 2}));
    EXPECT_EQ(patter.currentRow(), 0);
    EXPECT_TRUE(prompter.shown.isEmpty());

    // "Copy Both": the singer is new, the patter songs are on the key already.
    prompter.choices = {0, 0};
    QTest::mouseClick(window.findChild<QPushButton*>("btnCopyBoth"), Qt::LeftButton);
    ASSERT_TRUE(window.job().waitForFinished(10000));
    EXPECT_EQ(QDir(key.path()).entryList(QDir::Files),
              QStringList({"One.mp3", "Three.mp3", "Two.mp3"}));
    ASSERT_EQ(prompter.shown.size(), 2);
    // A half of one song and the bar at rest: a range, never the endless "busy" bar.
    EXPECT_EQ(barRange.mid(3, 1), QList<int>({1}));
    EXPECT_GT(window.progress()->bar()->maximum(), 0);
    EXPECT_TRUE(prompter.shown[0].startsWith("can't copy " + data.path("music/One.mp3") + " to " +
                                             key.path() + "/One.mp3"));
    EXPECT_TRUE(prompter.shown[0].endsWith(": a file of that name is already there"));

    // An empty half: said, and nothing runs.
    singers.clear();
    QTest::mouseClick(window.findChild<QPushButton*>("btnCopySingers"), Qt::LeftButton);
    EXPECT_EQ(prompter.shown.last(), "The singers list is empty: there is nothing to copy.");
    EXPECT_FALSE(window.job().running());
}

TEST(UtilityWindows, TheMainWindowsMenusShowTheUtilityWindows) {
    TempDataFolder data;
    WindowSet windows(data.folder());
    QMainWindow* main = windows.main();
    EXPECT_EQ(titlesOf(main->menuBar()->actions()).filter("Updates").size(), 1);
    EXPECT_EQ(titlesOf(main->menuBar()->actions()).last(), "Help");
    auto* file = main->menuBar()->findChild<QMenu*>("File1");
    const QStringList entries = titlesOf(file->actions());
    EXPECT_EQ(entries.mid(entries.indexOf("Backup/Restore"), 4),
              QStringList({"Backup/Restore", "Copy Favorite mp3s to Key", "-", "Exit"}));
    QWidget* backup = nullptr;
    QWidget* whichDrive = nullptr;
    for (QWidget* window : windows.all()) {
        if (window->objectName() == "TForm4")
            backup = window;
        if (window->objectName() == "TfmWhichDrive")
            whichDrive = window;
    }
    ASSERT_TRUE(backup && whichDrive);
    main->findChild<QAction*>("BackupRestore1")->trigger();
    EXPECT_TRUE(backup->isVisible());
    main->findChild<QAction*>("CopyFavoritemp3stoKey1")->trigger();
    EXPECT_TRUE(whichDrive->isVisible());
    EXPECT_EQ(titlesOf(main->findChild<QMenu*>("Updates1")->actions()),
              QStringList({"Automatic Update"}));
}

TEST(UtilityWindows, TextAndFontReachBothWindowsAndApplyWritesNothing) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    LyricsWindow lyrics{data.folder(), prompter};
    MainWindow window(data.folder(), prompter, engine);
    window.setLyricsWindow(&lyrics);
    window.FormCreate();
    auto* colors = window.menuBar()->findChild<QMenu*>("Color1");
    EXPECT_EQ(titlesOf(colors->actions()), QStringList({"Background", "Default", "Text", "Font"}));
    auto* panel = window.findChild<QFrame*>("Panel10");
    auto* clock = window.findChild<QLabel*>("clocker");

    prompter.colors = {color::clYellow};
    colors->actions()[2]->trigger();
    EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(lyrics.palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(1), "clYellow");

    // Apply shows the font and sizes the clock, counter and countdown; Cancel writes nothing.
    FontSpec applied;
    applied.name = "DejaVu Serif";
    applied.size = 15;
    applied.bold = true;
    prompter.appliedFonts = {applied};
    prompter.fonts = {std::nullopt};
    colors->actions()[3]->trigger();
    EXPECT_EQ(panel->font().family(), "DejaVu Serif");
    EXPECT_TRUE(lyrics.font().bold());
    for (const char* name : {"clocker", "position_counter", "LBCountdown"})
        EXPECT_EQ(window.findChild<QLabel*>(name)->font().pointSize(), 19) << name;
    EXPECT_TRUE(clock->font().bold());
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(2),
              "\"Arial\", 10, [], [cl3DLight]");

    // OK writes the font, with the text colour on show.
    FontSpec chosen = applied;
    chosen.size = 12;
    chosen.italic = true;
    prompter.fonts = {chosen};
    colors->actions()[3]->trigger();
    EXPECT_EQ(lyrics.font().pointSize(), 12);
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(2),
              "\"DejaVu Serif\", 12, [Bold|Italic], [clYellow]");
}

TEST(UtilityWindows, TheFontDialogHasAnApplyButton) {
    DialogPrompter prompter;
    FontSpec initial;
    initial.name = "DejaVu Sans";
    initial.size = 11;
    QList<FontSpec> applied;
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        auto* buttons = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
        if (buttons && buttons->button(QDialogButtonBox::Apply)) {
            found = true;
            QFont bigger = dialog->currentFont();
            bigger.setPointSize(20);
            dialog->setCurrentFont(bigger);
            buttons->button(QDialogButtonBox::Apply)->click();
        }
        if (dialog)
            dialog->reject();
    });
    const auto answer =
        prompter.chooseFontWithApply(initial, [&](const FontSpec& font) { applied << font; });
    EXPECT_TRUE(found);
    EXPECT_FALSE(answer);
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied[0].size, 20);
    EXPECT_EQ(applied[0].color, initial.color);
}

TEST(UtilityWindows, AutomaticUpdateReportsAnUnreachableServer) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    QMainWindow main;
    main.menuBar()->addMenu("File")->setObjectName("File1");
    QWidget backup, whichDrive;
    UtilitiesMenu menu(&main, &backup, &whichDrive, data.folder(), prompter,
                       [](const QUrl&) { ADD_FAILURE() << "nothing to open"; });
    textstore::writeList(data.path("ini/update.ini"), {"server=http://127.0.0.1:1/"});
    main.findChild<QAction*>("AutomaticUpdate1")->trigger();
    ASSERT_TRUE(waitUntil([&] { return !menu.updateCheck().running(); }, 10000));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].startsWith("The update server could not be asked"));
}
