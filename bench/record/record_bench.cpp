// A take of the caller's voice, recorded the way the program records one: the null input plays
// a generated 1 kHz tone as its microphone (HOEDECK_CAPTURE_WAV), the real lame encodes it, and
// the take is decoded back.
//   take_length_error_ms   the decoded take against the time between Record and Stop (<= 100)
//   tone_error_hz          the tone's frequency in the decoded take against 1000 Hz (<= 1)
//   record_cpu_pct         processor time of the program and its encoder over the take, in
//                          percent of one core (<= 5); for reading, the two apart
//   bench_record [SECONDS]   (default 60)

#include "decodedsound.h"
#include "encoder.h"
#include "recorder.h"
#include "scriptedprompter.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

using namespace hoedeck;

namespace {
double cpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    constexpr double kToneHz = 1000.0;
    if (Mp3Encoder::program().isEmpty()) {
        std::fprintf(stderr, "bench_record: lame is not installed\n");
        return 1;
    }
    QTemporaryDir dir;
    // Ten seconds hold exactly 10000 periods, so the looping input has no seam.
    const QString tone = dir.filePath("tone.wav");
    testing::writeWav(tone, testing::sine(kToneHz, 10.0, 44100, 0.5f));
    qputenv("HOEDECK_CAPTURE_WAV", tone.toUtf8());
    qputenv("HOEDECK_AUDIO", "null");

    testing::ScriptedPrompter prompter;
    // Offline: no mixer thread runs, so the processor time is the recording's own.
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    Recorder recorder(DataFolder(dir.path()), engine, prompter);
    recorder.initialise();
    recorder.btRecordName = "Bench";

    const double selfBefore = cpuSeconds(RUSAGE_SELF);
    const double childrenBefore = cpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    recorder.bRecordClick();
    if (!recorder.recording()) {
        std::fprintf(stderr, "bench_record: no take started: %s\n",
                     qPrintable(prompter.shown.join(" | ")));
        return 1;
    }
    // The recorder tick runs as it does while the panel shows.
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &recorder, &Recorder::TimerRecTimer);
    tick.start(200);
    QEventLoop wait;
    QTimer::singleShot(int(seconds * 1000), &wait, &QEventLoop::quit);
    wait.exec();
    tick.stop();
    // The take is as long as the time from pressing Record to pressing Stop.
    const double taken = double(clock.nsecsElapsed()) / 1e9;
    recorder.bRecordClick();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double self = cpuSeconds(RUSAGE_SELF) - selfBefore;
    const double encoder = cpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    if (!prompter.shown.isEmpty())
        std::fprintf(stderr, "bench_record: %s\n", qPrintable(prompter.shown.join(" | ")));

    const std::vector<float> sound = testing::decodeSound(recorder.lastTake());
    const double length = double(sound.size() / 2) / 44100.0;
    const double hz = testing::toneFrequency(sound, 0, sound.size() / 2);
    std::printf("take_seconds: %.3f\n", length);
    std::printf("take_length_error_ms: %.1f\n", std::abs(length - taken) * 1000.0);
    std::printf("tone_error_hz: %.3f\n", std::abs(hz - kToneHz));
    std::printf("record_cpu_pct: %.2f\n", (self + encoder) / wall * 100.0);
    std::printf("program_cpu_pct: %.2f\n", self / wall * 100.0);
    std::printf("encoder_cpu_pct: %.2f\n", encoder / wall * 100.0);
    return 0;
}
