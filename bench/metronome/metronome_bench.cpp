// The metronome's beat, measured where the listener hears it: the frames where each tick
// starts in the output.
//   beat_interval_error_ms, drift_ms: ten minutes at 125 BPM rendered offline on the audio
//     clock (the largest error of one beat's length, and how far the last beat is from where
//     the first one and the BPM put it);
//   realtime_beat_interval_error_ms, realtime_drift_ms: 20 s on the real-time (null) output,
//     the window's event loop polling, heard through a tap of the output;
//   peer_realtime_beat_interval_error_ms, peer_realtime_drift_ms: the same 20 s for a loop
//     that polls a counter every millisecond and starts each tick when it sees it due, timing
//     the next beat from then (a common way of timing beats).

#include "effects.h"
#include "metronome.h"
#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "taps.h"
#include "tempdatafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
constexpr int kBpm = 125;
constexpr double kBeatFrames = 44100.0 * 60 / kBpm;

struct Figures {
    double intervalErrorMs = 0;
    double driftMs = 0;
};

// Onsets: the first sounding frame after silence.
struct Onsets {
    std::vector<std::uint64_t> frames;
    std::uint64_t at = 0;
    bool silent = true;
    void feed(const float* stereo, std::size_t frames_) {
        for (std::size_t i = 0; i < frames_; ++i, ++at) {
            const bool sounding = stereo[i * 2] != 0.0f;
            if (sounding && silent)
                frames.push_back(at);
            silent = !sounding;
        }
    }
    Figures figures() const {
        Figures f;
        for (std::size_t i = 1; i < frames.size(); ++i)
            f.intervalErrorMs =
                std::max(f.intervalErrorMs,
                         std::fabs(double(frames[i] - frames[i - 1]) - kBeatFrames) / 44.1);
        if (frames.size() > 1) {
            const double expected =
                double(frames.front()) + double(frames.size() - 1) * kBeatFrames;
            f.driftMs = std::fabs(double(frames.back()) - expected) / 44.1;
        }
        return f;
    }
};

struct Setup {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine;
    MusicFolders folders{data.folder(), prompter};
    Player player{engine, folders, prompter};
    Effects effects{engine, player};
    explicit Setup(AudioEngine::Output output) : engine(output) {
        QDir().mkpath(data.path("sounds"));
        QFile::copy(QStringLiteral(HOEDECK_SOUNDS) + "/Click.wav", data.path("sounds/Click.wav"));
        engine.start();
    }
};

Figures offline(double seconds) {
    Setup s(AudioEngine::Output::Offline);
    Metronome metronome(s.data.folder(), s.engine, s.effects, s.prompter);
    metronome.listSounds();
    metronome.setBpm(kBpm);
    metronome.start();
    Onsets onsets;
    constexpr std::size_t kBlock = 441;
    std::vector<float> block(kBlock * 2);
    for (std::size_t done = 0; done < std::size_t(seconds * 44100); done += kBlock) {
        metronome.poll();
        s.engine.render(block.data(), kBlock);
        onsets.feed(block.data(), kBlock);
    }
    return onsets.figures();
}

// Runs `beat` on the event loop for the time while a tap hears the output.
Figures realtime(Setup& s, double seconds, const std::function<void()>& start) {
    const auto tap = s.engine.tapOpen(44100 * 4);
    Onsets onsets;
    std::vector<float> block(4096 * 2);
    QTimer drain;
    QObject::connect(&drain, &QTimer::timeout, [&] {
        while (const std::size_t n = tap->read(block.data(), 4096))
            onsets.feed(block.data(), n);
    });
    drain.start(20);
    start();
    QTimer::singleShot(int(seconds * 1000), [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    s.engine.tapClose(tap);
    return onsets.figures();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Figures exact = offline(600);
    std::printf("beat_interval_error_ms: %.3f\n", exact.intervalErrorMs);
    std::printf("drift_ms: %.3f\n", exact.driftMs);

    {
        Setup s(AudioEngine::Output::Null);
        Metronome metronome(s.data.folder(), s.engine, s.effects, s.prompter);
        metronome.listSounds();
        metronome.setBpm(kBpm);
        const Figures ours = realtime(s, 20, [&] { metronome.start(); });
        std::printf("realtime_beat_interval_error_ms: %.3f\n", ours.intervalErrorMs);
        std::printf("realtime_drift_ms: %.3f\n", ours.driftMs);
    }
    {
        Setup s(AudioEngine::Output::Null);
        QFile file(s.data.path("sounds/Click.wav"));
        file.open(QIODevice::ReadOnly);
        const QByteArray tick = file.readAll();
        using Clock = std::chrono::steady_clock;
        const auto interval = std::chrono::nanoseconds(std::int64_t(60e9 / kBpm));
        Clock::time_point last;
        QTimer poll; // a 1 ms poll, each beat timed from when it was seen
        poll.setTimerType(Qt::PreciseTimer);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            if (now - last > interval) {
                s.engine.playSample(tick);
                last = now;
            }
        });
        const Figures peer = realtime(s, 20, [&] {
            last = Clock::now() - interval;
            poll.start(1);
        });
        std::printf("peer_realtime_beat_interval_error_ms: %.3f\n", peer.intervalErrorMs);
        std::printf("peer_realtime_drift_ms: %.3f\n", peer.driftMs);
    }
    return 0;
}
