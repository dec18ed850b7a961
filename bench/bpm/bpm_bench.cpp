// The beat of opened songs and how soon it shows:
//   bpm_songs: songs with a known beat (kick on the beat, bass on the off-beat, hi-hat on the
//     eighths) between 118 and 134 BPM, encoded to MP3 with lame;
//   bpm_within_half: how many of them were measured within 0.5 BPM of the truth;
//   open_to_bpm_ms: from the open command to the measured speed shown (median; the max too);
//   open_call_ms: how long the open command itself takes, i.e. how soon the music starts.

#include "effects.h"
#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "speedmatching.h"
#include "tempdatafolder.h"
#include "testsignals.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace hoedeck;
using namespace hoedeck::testing;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempDataFolder data;
    QDir().mkpath(data.path("mp3s"));
    constexpr int kSongs = 24;
    std::vector<double> truth;
    for (int i = 0; i < kSongs; ++i) {
        const double bpm = 118.0 + 16.0 * i / (kSongs - 1);
        const QString wav = data.path(QStringLiteral("song%1.wav").arg(i));
        if (!writeWav(wav, beatMusic(bpm, 65)) ||
            !encodeMp3(wav, data.path(QStringLiteral("mp3s/Song %1.mp3").arg(i)))) {
            std::fprintf(stderr, "could not make the songs (is lame installed?)\n");
            return 1;
        }
        QFile::remove(wav);
        truth.push_back(bpm);
    }

    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Null);
    engine.start();
    MusicFolders folders(data.folder(), prompter);
    folders.load_favorite_subdirectories();
    folders.load_subdirectories();
    Player player(engine, folders, prompter);
    Effects effects(engine, player);
    effects.plugInto(player);
    SpeedMatching speed(engine, player, effects);
    speed.plugInto(player);

    int within = 0;
    double worstError = 0;
    std::vector<double> toBpm, openCall;
    for (int i = 0; i < kSongs; ++i) {
        QEventLoop shown;
        QObject::connect(&speed, &SpeedMatching::detected, &shown, &QEventLoop::quit);
        QTimer::singleShot(10000, &shown, &QEventLoop::quit);
        player.lbCuedPatter = QStringLiteral("Song %1.mp3").arg(i);
        QElapsedTimer clock;
        clock.start();
        player.btnOpenClick(Sender::spacekey1);
        openCall.push_back(clock.nsecsElapsed() / 1e6);
        if (!player.playing)
            std::fprintf(stderr, "song %d did not start\n", i);
        shown.exec();
        toBpm.push_back(clock.nsecsElapsed() / 1e6);
        const double error = std::fabs(effects.finalBPM.toDouble() - truth[size_t(i)]);
        worstError = std::max(worstError, error);
        within += error <= 0.5 ? 1 : 0;
        std::fprintf(stderr, "%6.2f -> %s\n", truth[size_t(i)], qPrintable(effects.finalBPM));
    }
    std::sort(toBpm.begin(), toBpm.end());
    std::sort(openCall.begin(), openCall.end());
    std::printf("bpm_songs: %d\n", kSongs);
    std::printf("bpm_within_half: %d\n", within);
    std::printf("bpm_worst_error: %.2f\n", worstError);
    std::printf("open_to_bpm_ms: %.1f\n", toBpm[toBpm.size() / 2]);
    std::printf("open_to_bpm_ms_max: %.1f\n", toBpm.back());
    std::printf("open_call_ms: %.1f\n", openCall[openCall.size() / 2]);
    return 0;
}
