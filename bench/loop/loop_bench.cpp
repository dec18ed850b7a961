// The patter loop's seam and the Space key's delay:
//   loop_switch_error_frames_max: over 1,000 loop switches rendered offline, the largest
//     distance between the loop end and the frame where the switch happened (and between the
//     loop start and where the other copy took over);
//   space_to_sound_ms: from the Space command to the patter's first sound leaving the null
//     output (the time to the first mixed sound plus what is queued ahead of it), median of
//     ten.

#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "tempdatafolder.h"
#include "testsignals.h"
#include "transport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempDataFolder data;
    QDir().mkpath(data.path("mp3s"));
    writeWav(data.path("mp3s/Loop.wav"), beatMusic(126, 12));
    ScriptedPrompter prompter;

    std::int64_t worst = 0;
    int switches = 0;
    {
        AudioEngine engine(AudioEngine::Output::Offline);
        engine.start();
        MusicFolders folders(data.folder(), prompter);
        folders.load_favorite_subdirectories();
        folders.load_subdirectories();
        Player player(engine, folders, prompter);
        // Marks that fall between frames, as nudged marks do.
        const QString start = "1.2345", end = "3.0123";
        player.hooks.restoreTrackMemory = [&] {
            player.eLoop_Start = start;
            player.eLoop_End = end;
        };
        const auto startFrame = std::int64_t(std::llround(double(1.2345f) * 44100));
        const auto endFrame = std::int64_t(std::llround(double(3.0123f) * 44100));
        player.hooks.applyPatterBandGains = [&] {
            if (player.current_song == Player::kNone || !player.playing)
                return;
            const int channel = player.activeChannel;
            const Handle target = channel == 1 ? player.streams.copyA : player.streams.copyB;
            const Handle source = channel == 1 ? player.streams.copyB : player.streams.copyA;
            const auto at = std::int64_t(engine.channelGetPosition(source) / 4);
            const auto from = std::int64_t(engine.channelGetPosition(target) / 4);
            if (switches > 0 || at > 0) {
                worst = std::max({worst, std::abs(at - endFrame), std::abs(from - startFrame)});
                ++switches;
            }
        };
        player.lbCuedPatter = "Loop.wav";
        player.btnOpenClick(Sender::spacekey1);
        std::vector<float> block(4096 * 2);
        while (switches < 1000)
            engine.render(block.data(), 4096);
    }
    std::printf("loop_switches: %d\n", switches);
    std::printf("loop_switch_error_frames_max: %lld\n", static_cast<long long>(worst));

    std::vector<double> delays;
    {
        AudioEngine engine(AudioEngine::Output::Null);
        engine.start();
        MusicFolders folders(data.folder(), prompter);
        folders.load_favorite_subdirectories();
        folders.load_subdirectories();
        Player player(engine, folders, prompter);
        Transport transport(player, prompter);
        player.lbCuedPatter = "Loop.wav";
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            QElapsedTimer timer;
            timer.start();
            transport.spacekey1Click();
            while ((engine.channelGetLevel(player.streams.copyA) & 0xFFFF) == 0 &&
                   timer.elapsed() < 2000)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            delays.push_back(double(timer.nsecsElapsed()) / 1e6 +
                             engine.queuedFrames() * 1000.0 / 44100);
            transport.spacekey1Click(); // stop
        }
        std::printf("output_buffer_ms: %.1f\n", engine.outputBufferFrames() * 1000.0 / 44100);
    }
    std::sort(delays.begin(), delays.end());
    std::printf("space_to_sound_ms: %.1f\n", delays[delays.size() / 2]);
    return 0;
}
