// The hand remote's port map, serial_ports.txt: ten lines, the device of each port, read at
// start-up. Reading only: the devices a map names are not opened.

#include "audioengine.h"
#include "harness.h"
#include "loopmarks.h"
#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "serialremote.h"
#include "transport.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;
AudioEngine* engine = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("serialports");
    engine = new AudioEngine(AudioEngine::Output::Offline);
    engine->start();
}

int testOne(const std::uint8_t* data, std::size_t size) {
    workspace->reset();
    workspace->write("ini/serial_ports.txt", fuzz::bytesOf(data, size));
    testing::ScriptedPrompter prompter;
    MusicFolders folders(workspace->folder(), prompter);
    Player player(*engine, folders, prompter);
    Transport transport(player, prompter);
    LoopMarks loopMarks(*engine, player);
    SerialRemote remote(workspace->folder(), player, transport, loopMarks, prompter);

    remote.load_ports();
    fuzz::check(prompter.shown.size() <= 1, "the damaged lines are said more than once",
                prompter.shown.join('\n'));
    fuzz::check(prompter.shown.isEmpty() || prompter.shown[0].size() < 1500,
                "the message quotes too much", QString::number(prompter.shown.value(0).size()));
    for (int port = 1; port <= SerialRemote::kPorts; ++port) {
        const QString device = remote.device(port);
        fuzz::check(device.isEmpty() || (device.startsWith('/') && device == device.trimmed()),
                    "a port names no absolute device path", device);
        for (const QChar c : device)
            fuzz::check(c.category() != QChar::Other_Control, "a device holds a control character",
                        device);
    }
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
