// Measuring a song's loudness and true peak, the whole file decoded:
//   measure_x_realtime: seconds of a five-minute MP3 measured per second (best of 3;
//     target >= 200)

#include "loudness.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace hoedeck;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath("song.wav"), mp3 = dir.filePath("song.mp3");
    // Made by sox and lame in their own processes.
    QProcess sox;
    sox.start("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "300", "pinknoise",
                      "vol", "0.3"});
    QProcess lame;
    if (!sox.waitForFinished(120000) || sox.exitCode() != 0 ||
        (lame.start("lame", {"--quiet", "--preset", "standard", wav, mp3}),
         !lame.waitForFinished(120000)) ||
        lame.exitCode() != 0) {
        std::fprintf(stderr, "bench_loudness: the song could not be made\n");
        return 1;
    }
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!measureLoudness(mp3)) {
            std::fprintf(stderr, "bench_loudness: the song did not measure\n");
            return 1;
        }
        best = std::max(best, 300.0 / (double(timer.nsecsElapsed()) / 1e9));
    }
    std::printf("measure_x_realtime: %.0f\n", best);
    return 0;
}
