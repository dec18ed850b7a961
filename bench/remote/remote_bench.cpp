// The hand remote over a real serial line (a socat pty pair), the keep-alive on its 33 ms
// timer as the window runs it:
//   press_to_action_ms: from the moment the button goes down (the cord starts echoing what
//     the program sends) to the press's action running, mean of 15 presses;
//   press_to_action_max_ms: the slowest of them. A press waits for the next "H" to go out, so
//     one tick (33 ms) is what the line itself adds at most.

#include "loopmarks.h"
#include "musicfolders.h"
#include "player.h"
#include "ptypair.h"
#include "scriptedprompter.h"
#include "serialremote.h"
#include "tempdatafolder.h"
#include "textstore.h"
#include "transport.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    MusicFolders folders(data.folder(), prompter);
    Player player(engine, folders, prompter);
    Transport transport(player, prompter);
    LoopMarks loopMarks(engine, player);
    SerialRemote remote(data.folder(), player, transport, loopMarks, prompter);
    PtyPair line(data.path(""));
    if (!line.start()) {
        std::fprintf(stderr, "bench remote: socat could not make a pty pair\n");
        return 1;
    }
    textstore::writeList(data.path("ini/serial_ports.txt"), {line.port()});
    remote.load_ports();
    remote.flashCall = [] {};
    remote.chooseType(SerialRemote::Type::ToggleFlashCalls);
    if (!remote.isOn()) {
        std::fprintf(stderr, "bench remote: the port did not open\n");
        return 1;
    }

    // The cord on its own thread: while the button is down it echoes what comes in.
    std::atomic<bool> down{false}, done{false};
    std::atomic<Clock::rep> pressedAt{0};
    std::thread cord([&] {
        while (!done) {
            const QByteArray got = line.read();
            if (!got.isEmpty() && down)
                line.write(got);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::vector<double> delays;
    QObject::connect(&remote, &SerialRemote::pressed, [&] {
        delays.push_back(double((Clock::now().time_since_epoch().count() - pressedAt)) / 1e6);
        down = false;
        if (delays.size() == 15)
            QCoreApplication::quit();
        // The next press after the pause, at a random point of a tick.
        QTimer::singleShot(1500 + QRandomGenerator::global()->bounded(33), [&] {
            pressedAt = Clock::now().time_since_epoch().count();
            down = true;
        });
    });
    QTimer tick;
    tick.setInterval(33);
    QObject::connect(&tick, &QTimer::timeout, &remote, &SerialRemote::keepAlive);
    tick.start();
    QTimer::singleShot(200, [&] {
        pressedAt = Clock::now().time_since_epoch().count();
        down = true;
    });
    QCoreApplication::exec();
    done = true;
    cord.join();

    double sum = 0;
    for (const double d : delays)
        sum += d;
    std::printf("press_to_action_ms: %.1f\n", sum / double(delays.size()));
    std::printf("press_to_action_max_ms: %.1f\n", *std::max_element(delays.begin(), delays.end()));
    return 0;
}
