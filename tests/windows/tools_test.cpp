// The caller's tools in the main window: the break timer's menu and countdown, as a caller
// meets them through the real menus and keys on the silent real-time output.

#include "breaktimer.h"
#include "player.h"
#include "textstore.h"
#include "waiting.h"
#include "windowrig.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
QMenu* menuNamed(Window& w, const char* name) {
    return w.main->menuBar()->findChild<QMenu*>(name);
}

QAction* item(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu())
            if (QAction* inner = item(action->menu(), text))
                return inner;
    }
    return nullptr;
}
} // namespace

TEST(BreakTimerWindow, TheMenuWritesTheFileAndTheCountdownTurnsRedInBothWindows) {
    Window w;
    QMenu* timer = menuNamed(w, "Timer");
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->title(), "Timer: ON");
    EXPECT_TRUE(item(timer, "11 min")->isChecked());
    item(timer, "5 min")->trigger();
    EXPECT_TRUE(item(timer, "5 min")->isChecked());
    EXPECT_FALSE(item(timer, "11 min")->isChecked());
    EXPECT_EQ(textstore::readList(w.data.path("ini/timer.txt")).value(0), "5");
    item(timer, "off")->trigger();
    EXPECT_EQ(timer->title(), "Timer: OFF");
    item(timer, "on")->trigger();
    EXPECT_EQ(timer->title(), "Timer: ON");
    EXPECT_EQ(textstore::readList(w.data.path("ini/timer.txt")).value(2), "on");

    // Nothing to count before the first song; the clock runs in both windows.
    EXPECT_EQ(w.text("LBCountdown"), "");
    EXPECT_TRUE(waitUntil([&] { return !w.lyrics.clocker()->text().isEmpty(); }));
    EXPECT_EQ(w.lyrics.clocker()->text(), w.text("clocker"));

    // A break of no minutes is up at once: red in both windows, and the alarm in the patter.
    writeWav(w.data.path("alarm.wav"), sine(800, 2));
    w.prompter.files.push_back(w.data.path("alarm.wav"));
    item(timer, "select")->trigger();
    textstore::writeList(w.data.path("ini/timer.txt"), {"0", w.data.path("alarm.wav"), "on"});
    w.main->player().lbCuedPatter = "Patter.wav";
    QTest::keyClick(w.main.get(), Qt::Key_Space);
    ASSERT_TRUE(w.main->player().playing);
    auto* countdown = w.main->findChild<QLabel*>("LBCountdown");
    EXPECT_TRUE(waitUntil([&] { return countdown->styleSheet().contains("red"); }));
    EXPECT_TRUE(w.lyrics.LBCountdown()->styleSheet().contains("red"));
    EXPECT_TRUE(countdown->text().startsWith("0:0"));
    EXPECT_EQ(w.lyrics.LBCountdown()->text(), countdown->text());
    EXPECT_TRUE(w.engine.channelIsActive(w.main->player().streams.alarm));

    // The next song starts the countdown again in its normal colour and silences the alarm.
    textstore::writeList(w.data.path("ini/timer.txt"), {"5"});
    QTest::keyClick(w.main.get(), Qt::Key_Space); // stop
    QTest::keyClick(w.main.get(), Qt::Key_Space); // the patter again
    EXPECT_TRUE(
        waitUntil([&] { return countdown->text() == "5:00" || countdown->text() == "4:59"; }));
    EXPECT_TRUE(countdown->styleSheet().isEmpty());
    EXPECT_TRUE(w.lyrics.LBCountdown()->styleSheet().isEmpty());
    EXPECT_FALSE(w.engine.channelIsActive(w.main->player().streams.alarm));
    EXPECT_TRUE(w.prompter.shown.isEmpty()) << w.prompter.shown.join('\n').toStdString();
}
