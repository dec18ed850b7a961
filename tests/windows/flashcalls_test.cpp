// The "Flash Calls" menu and the locations panel as a caller uses them.

#include "flashmenu.h"
#include "locationspanel.h"
#include "multilevel.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

namespace {
struct Menu {
    TempDataFolder data;
    ScriptedPrompter prompter;
    QMenu menu;
    MultiLevelWindow levels;
    std::unique_ptr<FlashCallsMenu> flash;
    QStringList pages, captions;

    Menu() {
        data.write("callerlab/pluslist.txt", "Acey Deucey\r\nCoordinate\r\nTrack Two\r\n");
        data.write("callerlab/mslist.txt", "Cloverleaf\r\n");
    }
    void start() {
        flash = std::make_unique<FlashCallsMenu>(data.folder(), prompter, &menu, &levels);
        flash->showPage = [this](const QString& page) { pages << page; };
        flash->setTabCaption = [this](const QString& caption) { captions << caption; };
        flash->flash().callerlab().createDefaults();
    }
};
} // namespace

TEST(FlashCallsMenu, AnIntervalChosenWhileStoppedFlashesAtOnceAndKeepsFlashing) {
    Menu m;
    m.start();
    EXPECT_EQ(m.flash->markedInterval(), "10"); // the file was missing: "10", written
    EXPECT_EQ(m.data.bytes("ini/flash_timer.txt"), QByteArray("10\r\n"));

    m.flash->pick(); // no level chosen yet
    EXPECT_TRUE(m.prompter.shown.value(0).startsWith("Choose a level first"));
    EXPECT_TRUE(m.pages.isEmpty());

    m.flash->chooseLevel(7); // Plus
    EXPECT_EQ(m.flash->markedLevel(), "Plus");
    ASSERT_EQ(m.pages.size(), 1);
    m.flash->chooseInterval("30");
    EXPECT_TRUE(m.flash->timer()->isActive());
    EXPECT_EQ(m.flash->timer()->interval(), 30000);
    EXPECT_FALSE(m.flash->toggleAction()->isChecked());
    EXPECT_EQ(m.data.bytes("ini/flash_timer.txt"), QByteArray("30\r\n"));
    EXPECT_EQ(m.pages.size(), 2);
    m.flash->toggleTimer(); // running, so it stops
    EXPECT_FALSE(m.flash->timer()->isActive());
    EXPECT_EQ(m.captions, QStringList({"Lyrics"}));

    // A level whose list is missing is named; nothing is flashed.
    m.data.write("callerlab/callerlab.ini", QByteArray("c3blist.txt\r\n").repeated(25));
    m.flash->chooseLevel(1);
    EXPECT_TRUE(m.prompter.shown.last().contains("c3blist.txt"))
        << m.prompter.shown.last().toStdString();
    EXPECT_EQ(m.pages.size(), 2);
}

TEST(FlashCallsMenu, AnUnknownIntervalMarksNoneAndTheTimerKeepsTenSeconds) {
    Menu m;
    m.data.write("ini/flash_timer.txt", "7\r\n");
    m.start();
    EXPECT_EQ(m.flash->markedInterval(), "");
    m.flash->chooseLevel(8);
    m.flash->toggleTimer();
    EXPECT_TRUE(m.flash->toggleAction()->isChecked());
    EXPECT_EQ(m.flash->timer()->interval(), 10000);
    EXPECT_EQ(m.captions, QStringList({"Flash"}));
    m.flash->stop(); // "Lyric Search"
    EXPECT_FALSE(m.flash->timer()->isActive());

    // Several levels at once from the chooser: their calls make the list of a new cycle.
    m.levels.levels()->item(6)->setSelected(true); // Plus
    m.levels.levels()->item(7)->setSelected(true); // MS
    m.levels.findChild<QPushButton*>()->click();
    EXPECT_FALSE(m.levels.isVisible());
    EXPECT_EQ(textstore::readList(m.flash->flash().listPath()),
              QStringList({"Acey Deucey", "Coordinate", "Track Two", "Cloverleaf"}));
    EXPECT_EQ(textstore::readList(m.flash->flash().poolPath()).size(), 3); // one flashed
}

TEST(LocationsPanel, ADoubleClickStoresEveryEntryChosenOrNot) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    QWidget window;
    LocationsPanel panel(data.folder(), prompter, &window);
    window.resize(800, 700);
    window.show();
    panel.toggle();
    ASSERT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.entry(12)->text(), "Advance_List_(05-08-29).pdf");
    panel.entry(3)->setText("my c2.txt"); // typed: not stored yet
    EXPECT_FALSE(data.bytes("callerlab/callerlab.ini").contains("my c2.txt"));
    prompter.files.push_back(std::nullopt); // the dialog cancelled
    QTest::mouseDClick(panel.entry(1), Qt::LeftButton);
    const QStringList lines = textstore::readList(data.path("callerlab/callerlab.ini"));
    ASSERT_EQ(lines.size(), 25);
    EXPECT_EQ(lines[2], "my c2.txt");
    EXPECT_EQ(lines[0], "c3blist.txt");
    panel.toggle();
    EXPECT_FALSE(panel.isVisible());
}
