// Memory of a long song: an hour-long practice recording opened as a singing call (its tempo
// stream, decoded in full) and played a little at a dozen places across the hour, measured as
// the process's resident memory then and at its highest.
//   rss_one_hour_song_mb    target <= 400
//   peak_rss_mb             (for reading: the most held at any moment, decoding included)

#include "audioengine.h"
#include "processmemory.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <vector>

using namespace hoedeck;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wav = dir.filePath("hour.wav");
    // Made by sox in its own process, so none of its memory counts here.
    QProcess sox;
    sox.start("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "3600", "pinknoise",
                      "vol", "0.3"});
    if (!sox.waitForFinished(600000) || sox.exitCode() != 0) {
        std::fprintf(stderr, "bench_memory: sox could not make the song\n");
        return 1;
    }
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    const Handle singer = engine.streamCreateFile(wav, AudioEngine::kFlagDecode);
    if (!singer || !engine.tempoCreate(singer)) {
        std::fprintf(stderr, "bench_memory: the song did not open\n");
        return 1;
    }
    const Handle played = engine.tempoGetResampledHandle(singer);
    engine.streamPlay(played, false);
    std::vector<float> block(4096 * 2);
    for (int place = 0; place < 12; ++place) {
        engine.channelSetPosition(played, engine.channelSeconds2Bytes(played, place * 300.0f));
        for (int i = 0; i < 100; ++i) // about 9 s
            engine.render(block.data(), 4096);
        // A caller takes a breath between places; the player tidies up meanwhile.
        QThread::msleep(150);
    }
    std::printf("rss_one_hour_song_mb: %.1f\n", testing::rssMb());
    std::printf("peak_rss_mb: %.1f\n", testing::peakRssMb());
    return 0;
}
