// The audio engine's figures, each beside its peer where there is one:
//   offline render speed of the singer chain and of the patter loop (soundstretch and sox do the
//   same tempo, pitch and equaliser work on the same WAV), open to first sound of a 6-minute
//   MP3, process memory with a 6-minute song in each slot;
//   soft_seam_step_ratio: the largest sample step across a crossfading loop seam on a pure tone
//     over the tone's own largest step (1.0 or less: the seam adds no step);
//   gapless_error_frames: how far a LAME MP3 lies from its source WAV (offset plus length);
//   vbr_length_error_ms: a VBR MP3 without an info header, the length told at open against the
//     length that plays (and, for information, what plays against the source);
//   device_recover_ms: a sound card gone for 3 s, from its return to sound reaching it;
//   underruns over minutes of null-output playback with commands hammering the engine and both
//   cores kept busy by other processes.
//   bench_engine [UNDERRUN_SECONDS]   (default 600)

#include "alignment.h"
#include "audioengine.h"
#include "playerrig.h"
#include "processmemory.h"
#include "seams.h"
#include "soundfiles.h"
#include "standincard.h"
#include "testsignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

constexpr double kSongSeconds = 300;

double seconds(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e9;
}

double singerChain(const QString& wav) {
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    QElapsedTimer timer;
    timer.start();
    const Handle source = engine.streamCreateFile(wav, AudioEngine::kFlagDecode);
    engine.tempoCreate(source);
    const Handle out = engine.tempoGetResampledHandle(source);
    engine.tempoSet(source, 10.0f, -1, 2.0f);
    engine.dspSetPeakingEq(source);
    const float centres[3] = {125, 1000, 8000};
    for (int band = 0; band < 3; ++band)
        engine.dspSetParameters(source, {band, 44100, 2.5f, 0, centres[band], 3.0f});
    engine.streamPlay(out, false);
    std::vector<float> block(4096 * 2);
    while (engine.channelIsActive(out))
        engine.render(block.data(), 4096);
    return kSongSeconds / seconds(timer);
}

double patterLoop(const QString& wav) {
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    QElapsedTimer timer;
    timer.start();
    Handle copies[2];
    for (Handle& copy : copies) {
        copy = engine.streamCreateFile(wav, AudioEngine::kFlagFx);
        engine.channelSetAttributes(copy, int(44100 * 1.03), 100, -101);
        const float centres[3] = {125, 1000, 8000};
        for (float centre : centres)
            engine.fxSetParameters(engine.channelSetFx(copy), {centre, 18.0f, -3.0f});
    }
    // A seam every 20 s of the song: loop 10 s to 30 s, crossfading as the patter does.
    const float loopStart = 10, loopEnd = 30;
    for (int i = 0; i < 2; ++i) {
        const Handle self = copies[i], other = copies[1 - i];
        engine.channelSetSync(
            self, engine.channelSeconds2Bytes(self, loopEnd), [&, self, other](Handle, Handle) {
                engine.channelSetPosition(other, engine.channelSeconds2Bytes(other, loopStart));
                engine.channelSetAttributes(other, -1, 66, -101);
                engine.channelSlideAttributes(other, -1, 100, -101, 2000);
                engine.channelSlideAttributes(self, -1, 0, -101, 4000);
                engine.streamPlay(other, false);
            });
    }
    engine.streamPlay(copies[0], false);
    std::vector<float> block(4096 * 2);
    for (std::size_t done = 0; done < std::size_t(kSongSeconds * 44100); done += 4096)
        engine.render(block.data(), 4096);
    return kSongSeconds / seconds(timer);
}

// A peer's run; its output file is removed (and the disk settled) before the next run, so
// writing it back does not land on whichever run comes next.
double peer(const QString& program, const QStringList& args, const QString& output) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        return -1;
    const double speed = kSongSeconds / seconds(timer);
    QFile::remove(output);
    ::sync();
    return speed;
}

double openToFirstSound(const QString& mp3) {
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        AudioEngine engine(AudioEngine::Output::Null);
        engine.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // output running
        QElapsedTimer timer;
        timer.start();
        const Handle h = engine.streamCreateFile(mp3, AudioEngine::kFlagFx);
        engine.streamPlay(h, false);
        while ((engine.channelGetLevel(h) & 0xFFFF) == 0 && timer.elapsed() < 5000)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        // The sound is mixed; it reaches the listener after what is queued ahead of it.
        runs.push_back(double(timer.nsecsElapsed()) / 1e6 + engine.queuedFrames() * 1000.0 / 44100);
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

double twoSongsMemory(const QString& patter, const QString& singer) {
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    // The patter slot: two copies, the tempo reference and the BPM stream.
    const Handle a = engine.streamCreateFile(patter, AudioEngine::kFlagFx);
    engine.streamCreateFile(patter, AudioEngine::kFlagFx);
    const Handle reference = engine.streamCreateFile(patter, AudioEngine::kFlagDecode);
    engine.tempoCreate(reference);
    engine.streamCreateFile(patter, AudioEngine::kFlagDecode);
    // The singer slot: its tempo stream and BPM stream.
    const Handle s = engine.streamCreateFile(singer, AudioEngine::kFlagDecode);
    engine.tempoCreate(s);
    engine.streamCreateFile(singer, AudioEngine::kFlagDecode);
    engine.streamPlay(a, false);
    engine.streamPlay(engine.tempoGetResampledHandle(s), false);
    std::vector<float> block(4096 * 2);
    for (int i = 0; i < 100; ++i)
        engine.render(block.data(), 4096);
    return rssMb();
}

double softSeamStepRatio() {
    PlayerRig rig;
    writeWav(rig.data.path("mp3s/Tone.wav"), sine(441, 30, 44100, 0.3f));
    rig.player.lbCuedPatter = "Tone.wav";
    rig.player.hooks.restoreTrackMemory = [&] {
        rig.player.eLoop_Start = "5";
        rig.player.eLoop_End = "20";
    };
    rig.player.btnOpenClick(Sender::spacekey1);
    return seamStepRatio(rig.render(20.5), 20 * 44100);
}

std::vector<float> decodeWhole(const QString& path) {
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    const Handle h = engine.streamCreateFile(path, 0);
    const auto frames = std::size_t(engine.streamGetLength(h) / 4);
    engine.streamPlay(h, false);
    std::vector<float> out(frames * 2);
    engine.render(out.data(), frames);
    return out;
}

long gaplessErrorFrames(QTemporaryDir& dir) {
    const QString wav = dir.filePath("gapless.wav");
    const auto source = beatMusic(126, 20);
    writeWav(wav, source);
    const QString mp3 = dir.filePath("gapless.mp3");
    if (!encodeMp3(wav, mp3))
        return -1;
    const auto decoded = decodeWhole(mp3);
    const long lengthError = std::labs(long(decoded.size() / 2) - long(source.size() / 2));
    const Match start = bestMatch(source, decoded, 44100, 44100, 2000);
    const Match end = bestMatch(source, decoded, source.size() / 2 - 3 * 44100, 44100, 2000);
    return lengthError + std::max(std::labs(start.lag), std::labs(end.lag));
}

void vbrLength(QTemporaryDir& dir) {
    const QString wav = dir.filePath("patter91.wav");
    const auto source = beatMusic(128, 91);
    writeWav(wav, source);
    const QString mp3 = dir.filePath("patter91.mp3");
    QProcess lame;
    lame.start("lame", {"--quiet", "-t", "-V", "2", wav, mp3});
    if (!lame.waitForFinished(60000) || lame.exitCode() != 0) {
        std::printf("vbr_length_error_ms: -1\n");
        return;
    }
    AudioEngine engine(AudioEngine::Output::Null);
    engine.start();
    const Handle h = engine.streamCreateFile(mp3, 0);
    const double told = engine.channelBytes2Seconds(h, engine.streamGetLength(h));
    engine.streamFree(h);
    const double plays = double(decodeWhole(mp3).size() / 2) / 44100;
    std::printf("vbr_length_error_ms: %.1f\n", std::fabs(told - plays) * 1000);
    std::printf("vbr_plays_s: %.3f\n", plays);
    std::printf("vbr_source_s: %.3f\n", double(source.size() / 2) / 44100);
}

// A stand-in sound card pulled out for 3 s and put back: the time from its return until the
// music reaches it again, median of three.
double deviceRecoverMs(const QString& wav) {
    std::vector<double> runs;
    for (int run = 0; run < 3; ++run) {
        auto card = std::make_shared<StandInCard>();
        card->name = "Stand-in card";
        AudioEngine engine(AudioEngine::Output::Device, [&](const QString&) {
            return std::unique_ptr<AudioOutput>(std::make_unique<StandInOutput>(card));
        });
        engine.start();
        const Handle h = engine.streamCreateFile(wav, 0);
        engine.streamPlay(h, false);
        waitFor([&] { return card->heard > 4410; });
        card->plugged = false;
        card->pulling = false;
        std::this_thread::sleep_for(3s);
        const std::uint64_t before = card->heard;
        const auto back = Clock::now();
        card->plugged = true;
        card->pulling = true;
        if (!waitFor([&] { return card->heard > before; }))
            return -1;
        runs.push_back(secondsSince(back) * 1000);
        engine.free();
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

std::uint64_t underruns(const QString& wav, int playSeconds) {
    AudioEngine engine(AudioEngine::Output::Null);
    engine.start();
    Handle copies[2] = {engine.streamCreateFile(wav, AudioEngine::kFlagFx),
                        engine.streamCreateFile(wav, AudioEngine::kFlagFx)};
    for (Handle copy : copies)
        for (float centre : {125.0f, 1000.0f, 8000.0f})
            engine.fxSetParameters(engine.channelSetFx(copy), {centre, 18.0f, 2.0f});
    const Handle source = engine.streamCreateFile(wav, AudioEngine::kFlagDecode);
    engine.tempoCreate(source);
    const Handle singer = engine.tempoGetResampledHandle(source);
    engine.streamPlay(copies[0], false);
    engine.streamPlay(singer, false);

    std::atomic<bool> running{true};
    // Both cores kept busy by other programs, as a browser and a video call would.
    std::vector<std::unique_ptr<QProcess>> busy;
    for (int core = 0; core < 2; ++core) {
        busy.push_back(std::make_unique<QProcess>());
        busy.back()->start("sh", {"-c", "while :; do :; done"});
        busy.back()->waitForStarted();
    }
    std::thread hammer([&] {
        int n = 0;
        while (running) {
            const Handle copy = copies[n % 2];
            engine.channelSetAttributes(copy, 44100 + (n % 50) * 100, 60 + n % 40, -101);
            engine.channelGetLevel(copy);
            engine.channelGetPosition(copy);
            engine.tempoSet(source, float(n % 20 - 10), -1, float(n % 5 - 2));
            if (n % 50 == 0) {
                engine.channelSetPosition(copy, engine.channelSeconds2Bytes(copy, float(n % 200)));
                engine.streamPlay(copy, false);
            }
            if (n % 200 == 0) {
                engine.tempoStopAndFlush(source);
                engine.streamPlay(singer, false);
            }
            ++n;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    for (int s = 0; s < playSeconds; ++s) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (!engine.channelIsActive(singer)) {
            engine.channelSetPosition(source, 0);
            engine.streamPlay(singer, false);
        }
    }
    running = false;
    hammer.join();
    for (auto& process : busy) {
        process->kill();
        process->waitForFinished();
    }
    return engine.underruns();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int playSeconds = argc > 1 ? std::max(1, atoi(argv[1])) : 600;
    QTemporaryDir dir;
    const QString wav = dir.filePath("song.wav");
    writeWav(wav, beatMusic(125, kSongSeconds));
    const QString six = dir.filePath("six.wav");
    writeWav(six, beatMusic(126, 360));
    const QString sixMp3 = dir.filePath("six.mp3");
    const QString otherMp3 = dir.filePath("other.mp3");
    encodeMp3(six, sixMp3);
    QFile::copy(sixMp3, otherMp3);

    // Each speed is the best of five runs, taken in turns with the peers, so a busy moment of
    // the machine does not count against one side only.
    double singer = 0, patter = 0, stretch = 0, sox = 0;
    for (int run = 0; run < 5; ++run) {
        singer = std::max(singer, singerChain(wav));
        const QString stretched = dir.filePath("stretch.wav");
        stretch = std::max(
            stretch, peer("soundstretch", {wav, stretched, "-tempo=10", "-pitch=2"}, stretched));
        patter = std::max(patter, patterLoop(wav));
        const QString soxed = dir.filePath("sox.wav");
        sox = std::max(
            sox, peer("sox",
                      {wav, soxed, "tempo", "1.1", "pitch", "200", "equalizer", "125", "2.5o", "3",
                       "equalizer", "1000", "2.5o", "3", "equalizer", "8000", "2.5o", "3"},
                      soxed));
    }
    std::printf("singer_chain_x_realtime: %.1f\n", singer);
    std::printf("patter_loop_x_realtime: %.1f\n", patter);
    std::printf("soundstretch_x_realtime: %.1f\n", stretch);
    std::printf("sox_x_realtime: %.1f\n", sox);
    std::fflush(stdout);
    std::printf("open_to_sound_ms: %.1f\n", openToFirstSound(sixMp3));
    std::printf("rss_two_songs_mb: %.1f\n", twoSongsMemory(sixMp3, otherMp3));
    std::fflush(stdout);
    std::printf("soft_seam_step_ratio: %.3f\n", softSeamStepRatio());
    std::printf("gapless_error_frames: %ld\n", gaplessErrorFrames(dir));
    vbrLength(dir);
    std::printf("device_recover_ms: %.0f\n", deviceRecoverMs(wav));
    std::fflush(stdout);
    std::printf("underrun_test_seconds: %d\n", playSeconds);
    std::printf("underruns: %llu\n", static_cast<unsigned long long>(underruns(wav, playSeconds)));
    return 0;
}
