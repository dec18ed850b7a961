#include "loopmarks.h"
#include "playerrig.h"
#include "ptypair.h"
#include "serialremote.h"
#include "soundfiles.h"
#include "testsignals.h"
#include "textstore.h"
#include "transport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
// The remote on port 3, a socat pair, beside a patter and a singer. The other ports name
// devices that are not there.
struct Remote : PlayerRig {
    PtyPair line{data.path("")};
    Transport transport{player, prompter};
    LoopMarks loopMarks{engine, player};
    SerialRemote remote{data.folder(), player, transport, loopMarks, prompter};
    QSignalSpy presses{&remote, &SerialRemote::pressed};

    Remote() {
        writeWav(data.path("mp3s/Patter.wav"), sine(300, 60, 44100, 0.4f));
        writeWav(data.path("mp3s/Singer.wav"), sine(500, 60, 44100, 0.4f));
        EXPECT_TRUE(line.start());
        QStringList ports;
        for (int port = 1; port <= SerialRemote::kPorts; ++port)
            ports << (port == 3 ? line.port() : data.path(QStringLiteral("nothing%1").arg(port)));
        textstore::writeList(data.path("ini/serial_ports.txt"), ports);
        remote.load_ports();
        remote.probe();
        player.lbCuedPatter = "Patter.wav";
        player.lbCuedSinger = "Singer.wav";
    }
    // One progress tick, with the button held down or not: what the program sends comes
    // back when it is down. True when an "H" went out.
    bool tick(bool held) {
        remote.keepAlive();
        if (!remote.isOpen() || remote.countdown() != 0)
            return false;
        const QByteArray sent = line.waitRead();
        EXPECT_EQ(sent, "H");
        if (held) {
            const auto before = presses.count();
            line.write(sent);
            EXPECT_TRUE(waitUntil([&] { return presses.count() > before; }));
        }
        return true;
    }
    void press() { tick(true); }
    // Lets the pause after a press run out.
    void release() {
        while (remote.countdown() > 0)
            tick(false);
    }
};
} // namespace

TEST(SerialRemote, ThePortMapIsMadeWithDefaultsAndOnlyPortsThatOpenAreUsable) {
    Remote r;
    TempDataFolder empty;
    SerialRemote fresh{empty.folder(), r.player, r.transport, r.loopMarks, r.prompter};
    fresh.load_ports();
    EXPECT_EQ(textstore::readList(empty.path("ini/serial_ports.txt")),
              SerialRemote::kDefaultDevices);

    for (int port = 1; port <= SerialRemote::kPorts; ++port)
        EXPECT_EQ(r.remote.usable(port), port == 3) << port;

    // A line that names no device is said and its port left out; an empty one is just out.
    QStringList ports = textstore::readList(r.data.path("ini/serial_ports.txt"));
    ports[4] = "ttyUSB0";
    ports[5] = "";
    textstore::writeList(r.data.path("ini/serial_ports.txt"), ports);
    r.remote.load_ports();
    ASSERT_EQ(r.prompter.shown.size(), 1);
    EXPECT_EQ(r.prompter.shown[0], "serial_ports.txt names no device (a path like /dev/ttyUSB0): "
                                   "line 5 \"ttyUSB0\". Those ports are left out of the Remote "
                                   "menu.");
    EXPECT_EQ(r.remote.device(5), "");
    EXPECT_EQ(r.remote.device(3), r.line.port());
}

TEST(SerialRemote, ChoosingPortsAndSwitchingOn) {
    Remote r;
    EXPECT_FALSE(r.remote.isOn());
    EXPECT_EQ(r.remote.port(), 1);
    EXPECT_EQ(r.remote.type(), SerialRemote::Type::ToggleStartStop);
    r.remote.keepAlive(); // off: nothing goes out
    EXPECT_EQ(r.line.waitRead(200), "");

    r.remote.choosePort(10);
    EXPECT_FALSE(r.remote.isOn());
    ASSERT_EQ(r.prompter.shown.size(), 1);
    EXPECT_TRUE(r.prompter.shown[0].startsWith("Wrong port number dude!\n\n" +
                                               r.data.path("nothing10") + ": "));
    r.remote.choosePort(3);
    EXPECT_TRUE(r.remote.isOn());
    EXPECT_EQ(r.remote.port(), 3);
    // With nothing pressed, an "H" goes out at every tick.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(r.tick(false));
    EXPECT_EQ(r.presses.count(), 0);

    r.remote.turnOff();
    EXPECT_FALSE(r.remote.isOpen());
    r.remote.turnOn(); // the checked port again
    EXPECT_TRUE(r.remote.isOpen());
    r.remote.choosePort(1);
    r.remote.turnOn();
    EXPECT_FALSE(r.remote.isOn());
    ASSERT_EQ(r.prompter.shown.size(), 3);
    EXPECT_TRUE(r.prompter.shown[2].startsWith("Wrong port number dude\n\n"));
}

TEST(SerialRemote, APressTogglesTheMusicAndAHeldButtonActsOnlyAfterThePause) {
    Remote r;
    r.remote.choosePort(3);
    r.prompter.choices = {0}; // F1 with no song yet asks: the patter
    r.press();
    EXPECT_TRUE(r.player.playing);
    EXPECT_EQ(r.player.current_song, "Patter.wav");
    // Held down for three seconds of ticks: acted on once at the press and again after each
    // 40-tick pause, not at every tick.
    int sent = 1;
    for (int i = 1; i < 90; ++i)
        sent += r.tick(true);
    EXPECT_EQ(sent, 3);
    EXPECT_EQ(r.presses.count(), 3);
    EXPECT_TRUE(r.player.playing); // on, off, on
}

TEST(SerialRemote, EachTypeActsOnAPressAndTheSingerIsLeftAlone) {
    Remote r;
    r.remote.choosePort(3);
    r.remote.chooseType(SerialRemote::Type::ToggleStopResume);
    EXPECT_TRUE(r.remote.isOn());
    r.player.current_song = "Patter.wav";
    r.player.btnOpenClick(Sender::spacekey1);
    r.render(2.0);
    r.press(); // stop
    EXPECT_FALSE(r.player.playing);
    r.release();
    r.press(); // resume where it stopped
    EXPECT_TRUE(r.player.playing);
    EXPECT_NEAR(r.seconds(r.player.streams.copyA), 2.0, 0.05);

    r.release();
    r.remote.chooseType(SerialRemote::Type::ClassicHiltonReset);
    r.press(); // loop start 1: to 15 s
    EXPECT_NEAR(r.seconds(r.player.streams.copyA), 15.0, 0.05);
    r.release();
    r.player.eLoop_Start = "22.5";
    r.press();
    EXPECT_NEAR(r.seconds(r.player.streams.copyA), 22.5, 0.05);
    EXPECT_NEAR(r.seconds(r.player.streams.copyB), 22.5, 0.05);
    r.release();
    r.player.eLoop_Start = "abc"; // not a number: 1, so 15 s
    r.press();
    EXPECT_EQ(r.player.eLoop_Start, "1");
    EXPECT_NEAR(r.seconds(r.player.streams.copyA), 15.0, 0.05);

    // The cued singer playing: a press does nothing (the pause does not start either)...
    r.release();
    r.player.current_song = "Singer.wav";
    r.player.btnOpenClick(Sender::ControlSpaceKey);
    r.remote.keepAlive();
    ASSERT_EQ(r.line.waitRead(), "H");
    r.line.write("H");
    QTest::qWait(200);
    EXPECT_EQ(r.presses.count(), 5);
    EXPECT_EQ(r.remote.countdown(), 0);
    EXPECT_TRUE(r.player.playing);
    // ...except flashing a call.
    int flashed = 0;
    r.remote.flashCall = [&] { ++flashed; };
    r.remote.chooseType(SerialRemote::Type::ToggleFlashCalls);
    r.press();
    EXPECT_EQ(flashed, 1);
    EXPECT_TRUE(r.player.playing);
}

TEST(SerialRemote, APortThatVanishesIsClosedAndSaidOnceAndWorksWhenChosenAgain) {
    Remote r;
    r.remote.choosePort(3);
    ASSERT_TRUE(r.tick(false));
    r.line.stop(); // the adapter is pulled out mid-evening
    for (int i = 0; i < 30; ++i) {
        r.remote.keepAlive();
        QTest::qWait(5);
    }
    EXPECT_TRUE(waitUntil([&] { return !r.remote.isOn(); }));
    EXPECT_FALSE(r.remote.isOpen());
    QTest::qWait(100);
    ASSERT_EQ(r.prompter.shown.size(), 1);
    EXPECT_TRUE(r.prompter.shown[0].startsWith(
        QStringLiteral("The remote's port 3 (%1) stopped working: ").arg(r.line.port())));

    // Plugged in again and chosen again: presses act.
    ASSERT_TRUE(r.line.start());
    r.remote.choosePort(3);
    EXPECT_TRUE(r.remote.isOn());
    r.prompter.choices = {0};
    r.press();
    EXPECT_TRUE(r.player.playing);
    EXPECT_EQ(r.prompter.shown.size(), 2); // the F1 question, nothing more
}
