// The caller's tools in the main window: the break timer's menu and countdown, the hand
// remote and the metronome, as a caller meets them through the real menus and keys on the
// silent real-time output.

#include "U_metronome.h"
#include "breaktimer.h"
#include "callertools.h"
#include "effects.h"
#include "flashmenu.h"
#include "metronome.h"
#include "player.h"
#include "ptypair.h"
#include "remotemenu.h"
#include "serialremote.h"
#include "textstore.h"
#include "waiting.h"
#include "windowrig.h"
#include "windowset.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>

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

TEST(RemoteWindow, APressOnTheRemotePlaysTheCuedPatterBeforeAnySongWasOpened) {
    Window w;
    PtyPair line(w.data.path(""));
    ASSERT_TRUE(line.start());
    QStringList ports(SerialRemote::kPorts, QString());
    ports[1] = line.port();
    textstore::writeList(w.data.path("ini/serial_ports.txt"), ports);
    w.main->tools().probeRemote();
    QMenu* remote = menuNamed(w, "Remote");
    ASSERT_TRUE(remote);
    for (int port = 1; port <= SerialRemote::kPorts; ++port)
        EXPECT_EQ(item(remote, QString::number(port))->isVisible(), port == 2) << port;
    EXPECT_TRUE(item(remote, "off")->isChecked());
    EXPECT_TRUE(item(remote, "toggle start/stop ")->isChecked());
    EXPECT_TRUE(item(remote, "toggle flash calls")->isEnabled()); // the lyrics window's calls

    item(remote, "10")->trigger();
    ASSERT_EQ(w.prompter.shown.size(), 1);
    EXPECT_TRUE(w.prompter.shown[0].startsWith("Wrong port number dude!"));
    EXPECT_TRUE(item(remote, "off")->isChecked());
    item(remote, "2")->trigger();
    EXPECT_TRUE(item(remote, "on")->isChecked());
    EXPECT_TRUE(item(remote, "2")->isChecked());
    EXPECT_FALSE(item(remote, "10")->isChecked());
    item(remote, "off")->trigger();
    QTest::keyClick(w.main.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(w.main->tools().remote().isOn());

    // The keep-alive runs before the first song: a press starts the evening.
    EXPECT_FALSE(w.main->ProgresTimer()->isActive());
    w.main->player().lbCuedPatter = "Patter.wav";
    w.prompter.choices = {0}; // F1 with no song yet asks which: the patter
    const QByteArray sent = line.waitRead();
    ASSERT_TRUE(sent.startsWith("H"));
    line.write("H");
    EXPECT_TRUE(waitUntil([&] { return w.main->player().playing.load(); }));
    EXPECT_EQ(w.main->player().current_song, "Patter.wav");
    // The pause after the press: nothing goes out for a second.
    QTest::qWait(300);
    line.read();
    QTest::qWait(600);
    EXPECT_EQ(line.read(), "");

    item(remote, "Making the cord")->trigger();
    QFrame* cord = w.main->tools().remoteMenu().cordPanel();
    ASSERT_TRUE(cord->isVisible());
    const QPoint middle = cord->geometry().center() - cord->parentWidget()->rect().center();
    EXPECT_LE(middle.manhattanLength(), 2);
    QTest::mouseDClick(cord->findChild<QLabel*>("lblCord"), Qt::LeftButton);
    EXPECT_FALSE(cord->isVisible());
    EXPECT_EQ(w.prompter.shown.size(), 2); // the refused port and the F1 question

    // "Hilton reset - flash" of the lyrics window: from then on a press flashes a call.
    w.data.write("callerlab/mslist.txt", "Cloverleaf\r\nDixie Style\r\n");
    w.lyrics.flashCalls().chooseLevel(8);
    const QByteArray pool = w.data.bytes("callerlab/list_temp.txt");
    QMenu* flash = w.lyrics.findChild<QMenuBar*>()->actions().value(3)->menu();
    ASSERT_TRUE(flash && flash->title() == "Flash Calls");
    item(flash, "Hilton reset - flash")->trigger();
    EXPECT_TRUE(item(remote, "toggle flash calls")->isChecked());
    EXPECT_TRUE(item(remote, "on")->isChecked());
    ASSERT_TRUE(line.waitRead().startsWith("H"));
    line.write("H");
    EXPECT_TRUE(waitUntil([&] { return w.data.bytes("callerlab/list_temp.txt") != pool; }));
}

TEST(MetronomeWindow, ControlMShowsAndStartsItThenStopsAndHidesIt) {
    TempDataFolder data;
    QDir().mkpath(data.path("sounds"));
    writeWav(data.path("sounds/Tick.wav"), std::vector<float>(400, 0.5f));
    writeWav(data.path("sounds/beep.wav"), sine(880, 0.03));
    WindowSet windows(data.folder(), AudioEngine::Output::Null);
    MetronomeWindow* window = nullptr;
    for (QWidget* w : windows.all())
        if (w->objectName() == "TfmMetro")
            window = static_cast<MetronomeWindow*>(w);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Metronome");
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->ComboBox1()->count(), 2);
    EXPECT_EQ(window->ComboBox1()->currentText(), "beep.wav");
    EXPECT_EQ(window->Edit1()->value(), 125);
    EXPECT_EQ(window->Edit1()->minimum(), 40);
    EXPECT_EQ(window->Edit1()->maximum(), 240);

    MainWindow* main = windows.main();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    main->effects().setVolume(60);
    QTest::keyClick(main, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->metronome().running());
    EXPECT_EQ(window->StartBtn()->text(), "Stop");
    EXPECT_EQ(main->effects().tbVolume, 30);
    EXPECT_TRUE(waitUntil([&] { return window->metronome().beatsPlaced() >= 3; }));
    window->Edit1()->setValue(240);
    EXPECT_EQ(window->metronome().bpm(), 240);

    QTest::keyClick(main, Qt::Key_M, Qt::ControlModifier); // stopped and hidden at once
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->metronome().running());
    EXPECT_EQ(window->StartBtn()->text(), "Start");
    EXPECT_EQ(main->effects().tbVolume, 100);

    // Its own button, and closing it from the window system: stopped, the music back up.
    window->show();
    QTest::mouseClick(window->StartBtn(), Qt::LeftButton);
    EXPECT_TRUE(window->metronome().running());
    EXPECT_EQ(main->effects().tbVolume, 30);
    window->close();
    EXPECT_FALSE(window->metronome().running());
    EXPECT_EQ(window->StartBtn()->text(), "Start");
    EXPECT_EQ(main->effects().tbVolume, 100);

    // Shown and stopped: Control-M starts it, and the window goes once that run is stopped.
    window->show();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(window->metronome().running());
    EXPECT_TRUE(window->isVisible());
    QTest::mouseClick(window->StartBtn(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}
