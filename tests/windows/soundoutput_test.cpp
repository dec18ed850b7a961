#include "audioengine.h"
#include "outputview.h"
#include "qtprinters.h"
#include "scriptedprompter.h"
#include "standincard.h"
#include "tempdatafolder.h"
#include "tempo.h"
#include "waiting.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
const QString kLost =
    "The audio output stopped (the device stopped taking sound); trying to reopen it";

// The main window on an engine whose sound cards are stand-ins: the default one, and any named
// card that the test has not marked as missing.
struct CardsWindow {
    TempDataFolder data;
    ScriptedPrompter prompter;
    std::mutex mutex;
    std::map<QString, std::shared_ptr<StandInCard>> cards;
    QStringList missing;
    AudioEngine engine{AudioEngine::Output::Device, [this](const QString& d) { return open(d); }};
    std::unique_ptr<MainWindow> main;

    // Called from the engine's watching thread.
    std::unique_ptr<AudioOutput> open(const QString& device) {
        {
            std::lock_guard lock(mutex);
            if (missing.contains(device))
                return nullptr;
        }
        return std::make_unique<StandInOutput>(card(device));
    }
    std::shared_ptr<StandInCard> card(const QString& device) {
        std::lock_guard lock(mutex);
        auto& card = cards[device];
        if (!card) {
            card = std::make_shared<StandInCard>();
            card->name = device.isEmpty() ? "Default stand-in" : device;
        }
        return card;
    }
    void start() {
        main = std::make_unique<MainWindow>(data.folder(), prompter, engine);
        main->FormCreate();
        main->resize(1000, 800);
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    }
    QStatusBar* statusBar() { return main->findChild<QStatusBar*>(); }
    // Opens the menu as a caller would; a checked entry is marked with "* ".
    QStringList menuEntries() {
        QMenu* menu = main->outputView().menu();
        menu->popup(main->mapToGlobal(QPoint(20, 20)));
        EXPECT_TRUE(waitUntil([&] { return menu->isVisible(); }));
        QStringList entries;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                entries << (action->isChecked() ? "* " : "") + action->text();
        menu->hide();
        return entries;
    }
    void choose(const QString& entry) {
        for (QAction* action : main->outputView().menu()->actions())
            if (action->text() == entry)
                return action->trigger();
        ADD_FAILURE() << "no entry " << entry.toStdString();
    }
};
} // namespace

TEST(SoundOutput, FirstStartCreatesTheChoiceAndTheMenuSwitchesAndRemembers) {
    CardsWindow window;
    window.start();
    EXPECT_EQ(window.data.bytes("ini/output_device.txt"), "none\r\n");
    EXPECT_TRUE(window.prompter.shown.isEmpty()) << window.prompter.shown.join('\n').toStdString();
    EXPECT_EQ(window.engine.outputName(), "Default stand-in");

    QStringList expected{"* " + QString(OutputView::kDefaultCaption)};
    for (const QString& device : window.engine.outputDevices())
        expected << QString(device).replace('&', "&&");
    EXPECT_EQ(window.menuEntries(), expected);

    // A card PortAudio does not list yet (just plugged in, say) is still the caller's choice.
    window.main->outputView().choose("USB Caller Box");
    EXPECT_TRUE(waitUntil([&] { return window.engine.outputName() == "USB Caller Box"; }, 10000));
    EXPECT_EQ(window.data.bytes("ini/output_device.txt"), "USB Caller Box\r\n");
    expected[0] = OutputView::kDefaultCaption;
    expected << "* USB Caller Box (not found; the default plays)";
    EXPECT_EQ(window.menuEntries(), expected);

    window.choose(OutputView::kDefaultCaption);
    EXPECT_EQ(window.engine.outputDevice(), "");
    EXPECT_TRUE(waitUntil([&] { return window.engine.outputName() == "Default stand-in"; }, 10000));
    EXPECT_EQ(window.data.bytes("ini/output_device.txt"), "none\r\n");
}

TEST(SoundOutput, TheRememberedCardIsGivenToTheEngineAndKeptWhileItIsMissing) {
    // Written by hand: the spaces around the name are not part of it.
    CardsWindow plugged;
    plugged.data.write("ini/output_device.txt", "  USB Caller Box \n");
    plugged.start();
    EXPECT_EQ(plugged.engine.outputName(), "USB Caller Box");

    CardsWindow unplugged;
    unplugged.missing << "USB Caller Box";
    unplugged.data.write("ini/output_device.txt", "USB Caller Box\r\n");
    unplugged.start();
    EXPECT_EQ(unplugged.engine.outputDevice(), "USB Caller Box");
    EXPECT_EQ(unplugged.engine.outputName(), "Default stand-in");
    EXPECT_EQ(unplugged.data.bytes("ini/output_device.txt"), "USB Caller Box\r\n");
    EXPECT_TRUE(unplugged.prompter.shown.isEmpty());

    // Plugged in later and chosen again from the menu, it plays.
    {
        std::lock_guard lock(unplugged.mutex);
        unplugged.missing.clear();
    }
    const QString entry = "USB Caller Box (not found; the default plays)";
    EXPECT_TRUE(unplugged.menuEntries().contains("* " + entry));
    unplugged.choose(entry);
    EXPECT_TRUE(
        waitUntil([&] { return unplugged.engine.outputName() == "USB Caller Box"; }, 10000));
}

TEST(SoundOutput, ALostCardShowsItsLineBelowThePanelsUntilItIsBack) {
    CardsWindow window;
    window.start();
    auto card = window.card("");
    auto* strip = window.main->findChild<QWidget*>("panel_progress");
    const int clientHeight = window.main->centralWidget()->height();
    EXPECT_FALSE(window.statusBar()->isVisible());

    card->plugged = false;
    card->pulling = false;
    ASSERT_TRUE(waitUntil([&] { return window.statusBar()->isVisible(); }, 10000));
    EXPECT_EQ(window.main->findChild<QLabel*>("outputStatus")->text(), kLost);
    // The panels make room for the line rather than being covered by it.
    ASSERT_TRUE(waitUntil([&] { return window.main->centralWidget()->height() < clientHeight; }));
    EXPECT_EQ(strip->geometry().bottom(), window.main->centralWidget()->height() - 1);
    EXPECT_GE(window.statusBar()->geometry().top(),
              window.main->centralWidget()->geometry().bottom());

    card->plugged = true;
    card->pulling = true;
    ASSERT_TRUE(waitUntil([&] { return !window.statusBar()->isVisible(); }, 10000));
    EXPECT_EQ(window.engine.outputStatus(), "");
    ASSERT_TRUE(waitUntil([&] { return window.main->centralWidget()->height() == clientHeight; }));
    EXPECT_EQ(strip->geometry().bottom(), clientHeight - 1);
}

TEST(SoundOutput, AChoiceThatCannotBeReadOrWrittenStillLeavesTheSoundPlaying) {
    // Unreadable at start: reported, the default plays, and the rest of the settings load.
    CardsWindow window;
    QDir().mkpath(window.data.path("ini/output_device.txt"));
    window.start();
    ASSERT_EQ(window.prompter.shown.size(), 1);
    EXPECT_TRUE(window.prompter.shown[0].contains("output_device.txt"));
    EXPECT_EQ(window.engine.outputName(), "Default stand-in");
    EXPECT_EQ(window.data.bytes("ini/color.txt").left(6), "clTeal");

    // Not writable (the data folder's stick pulled out): the card is switched all the same and
    // the old file is kept whole.
    QDir().rmdir(window.data.path("ini/output_device.txt"));
    window.data.write("ini/output_device.txt", "none\r\n");
    QDir().rename(window.data.path("ini"), window.data.path("away"));
    window.main->outputView().choose("USB Caller Box");
    EXPECT_TRUE(waitUntil([&] { return window.engine.outputName() == "USB Caller Box"; }, 10000));
    ASSERT_EQ(window.prompter.shown.size(), 2);
    EXPECT_TRUE(window.prompter.shown[1].contains("output_device.txt"));
    EXPECT_EQ(window.data.bytes("away/output_device.txt"), "none\r\n");
}
