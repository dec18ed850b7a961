// Measuring a song's loudness and true peak, the whole file decoded:
//   measure_x_realtime: seconds of a five-minute MP3 measured per second (best of 3;
//     target >= 200)
//   level_spread_db: ten songs made 10 dB apart (the loudest 10 dB over the quietest) played
//     one after another with Even Loudness on, each heard for 25 seconds once its figure has
//     arrived and its gain has slid in: the loudest heard minus the quietest heard (target
//     <= 0.5)

#include "evenloudness.h"
#include "loudness.h"
#include "playerrig.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace hoedeck;

namespace {

bool make(const QStringList& arguments) {
    QProcess process;
    process.start(arguments.first(), arguments.mid(1));
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The even level: ten songs 10 dB apart, as they are heard.
std::optional<double> levelSpread() {
    testing::PlayerRig rig;
    EvenLoudness level(rig.data.folder(), rig.engine, rig.player);
    level.plugInto(rig.player);
    level.setEnabled(true);
    double lowest = 1e9, highest = -1e9;
    for (int song = 0; song < 10; ++song) {
        const QString path = rig.data.path(QStringLiteral("mp3s/song%1.wav").arg(song));
        const double volume = 0.05 * std::pow(10.0, (10.0 * song / 9.0) / 20.0);
        if (!make({"sox", "-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", "30",
                   "pinknoise", "vol", QString::number(volume)}))
            return std::nullopt;
        rig.player.btnOpenClick(Sender::FileListBox1, path);
        QDeadlineTimer deadline(60000);
        while (level.busy() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (level.busy())
            return std::nullopt;
        rig.render(1.2); // the gain's slide
        const std::vector<float> heard = rig.render(25.0);
        double sum = 0;
        for (const float sample : heard)
            sum += double(sample) * sample;
        const double db = 10 * std::log10(sum / double(heard.size()));
        lowest = std::min(lowest, db);
        highest = std::max(highest, db);
    }
    return highest - lowest;
}

} // namespace

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
    const auto spread = levelSpread();
    if (!spread) {
        std::fprintf(stderr, "bench_loudness: the ten songs could not be made or measured\n");
        return 1;
    }
    std::printf("level_spread_db: %.2f\n", *spread);
    return 0;
}
