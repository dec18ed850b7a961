#include "audioengine.h"
#include "output.h"
#include "soundfiles.h"
#include "standincard.h"
#include "testsignals.h"

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <new>
#include <sndfile.h>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

// Counts allocations made on a thread that asks for it, to show the device side never
// allocates.
namespace {
thread_local bool t_counting = false;
std::atomic<int> g_allocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (t_counting)
        g_allocations.fetch_add(1);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {
// Runs the device side of an output by hand.
class ProbeOutput : public AudioOutput {
public:
    bool start(RingBuffer&, int, QString&) override { return true; }
    void stop() override {}
    QString name() const override { return "probe"; }
    int bufferFrames() const override { return 256; }
    void device(RingBuffer& ring, float* out, std::size_t frames) { pull(ring, out, frames, true); }
};
} // namespace

TEST(Output, DeviceSideTakesFramesWithoutAllocatingAndCountsUnderruns) {
    RingBuffer ring(1024);
    std::vector<float> in(512 * 2, 0.25f), out(512 * 2);
    ring.push(in.data(), 512);
    ProbeOutput output;
    t_counting = true;
    output.device(ring, out.data(), 256);
    output.device(ring, out.data(), 512); // only 256 left: an underrun, silence after them
    t_counting = false;
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(out[255 * 2], 0.25f);
    EXPECT_EQ(out[256 * 2], 0.0f);
    EXPECT_EQ(output.underruns(), 1u);
    EXPECT_EQ(output.framesPlayed(), 512u);
}

// The mixer's block path: patter copies with their equaliser and a loop sync, a singer through
// SoundTouch with its equaliser and the live BPM measurement, while the caller changes volume,
// tempo, key and position between blocks.
TEST(Output, MixingAllocatesNothing) {
    QTemporaryDir dir;
    writeWav(dir.filePath("song.wav"), beatMusic(125, 30.0));
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    const QString song = dir.filePath("song.wav");
    Handle copies[2];
    for (Handle& copy : copies) {
        copy = engine.streamCreateFile(song, AudioEngine::kFlagFx);
        for (float centre : {125.0f, 1000.0f, 8000.0f})
            engine.fxSetParameters(engine.channelSetFx(copy), {centre, 18.0f, 3.0f});
        engine.channelSetSync(copy, engine.channelSeconds2Bytes(copy, 1.0f), [](Handle, Handle) {});
    }
    const Handle source = engine.streamCreateFile(song, AudioEngine::kFlagDecode);
    engine.tempoCreate(source);
    engine.dspSetPeakingEq(source);
    for (int band = 0; band < 3; ++band)
        engine.dspSetParameters(source, {band, 44100, 2.5f, 0, 500.0f * (band + 1), 4.0f});
    engine.bpmCallbackSet(
        source, [](Handle, float) {}, 5.0f);
    engine.streamPlay(copies[0], false);
    engine.streamPlay(engine.tempoGetResampledHandle(source), false);
    std::vector<float> block(2048 * 2);
    for (int i = 0; i < 30; ++i)
        engine.render(block.data(), 2048);

    for (int round = 0; round < 40; ++round) {
        const Handle copy = copies[round % 2];
        engine.channelSetAttributes(copy, 44100 + round * 50, 50 + round, -101);
        engine.channelSlideAttributes(copy, -1, 100 - round, -101, 300);
        engine.streamPlay(copy, false);
        engine.channelSetPosition(copy, engine.channelSeconds2Bytes(copy, float(round % 20)));
        engine.tempoSet(source, float(round % 20 - 10), -1, float(round % 5 - 2));
        engine.dspSetParameters(source, {1, 44100, 2.5f, 0, 1000.0f, float(round % 7)});
        t_counting = true;
        for (int i = 0; i < 5; ++i)
            engine.render(block.data(), 2048);
        t_counting = false;
    }
    EXPECT_EQ(g_allocations.load(), 0);
}

TEST(Output, NullOutputKeepsRealTimeAndTheWavCopyHoldsWhatPlayed) {
    QTemporaryDir dir;
    writeWav(dir.filePath("tone.wav"), sine(440, 5.0));
    const QString copy = dir.filePath("played.wav");
    qputenv("HOEDECK_OUTPUT_WAV", copy.toUtf8());
    {
        AudioEngine engine(AudioEngine::Output::Null);
        QString reason;
        ASSERT_TRUE(engine.start(&reason)) << reason.toStdString();
        qunsetenv("HOEDECK_OUTPUT_WAV");
        EXPECT_EQ(engine.output(), AudioEngine::Output::Null);
        const Handle h = engine.streamCreateFile(dir.filePath("tone.wav"), 0);
        ASSERT_TRUE(engine.streamPlay(h, false));
        // The clock never runs ahead of real time, and a clock held up by a busy machine
        // catches up: measured, not raced (underruns are the benchmark's business).
        const auto begin = Clock::now();
        const std::uint64_t before = engine.framesPlayed();
        std::this_thread::sleep_for(2s);
        const std::uint64_t played = engine.framesPlayed() - before;
        const auto due = std::uint64_t(secondsSince(begin) * 44100);
        EXPECT_LE(played, due + 512);
        EXPECT_TRUE(waitFor([&] { return engine.framesPlayed() - before + 512 >= due; }));
        EXPECT_GT(engine.channelGetPosition(h), 44100u * 4);
        engine.free();
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(copy).constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_GT(info.frames, 44100 * 2 - 4410);
    std::vector<float> played(std::size_t(info.frames) * 2);
    sf_readf_float(file, played.data(), info.frames);
    sf_close(file);
    EXPECT_NEAR(toneFrequency(played, 0, 44100), 440.0, 1.0);
}

TEST(Output, DeviceRequestRunsOnTheNullOutputWhenNoneOpens) {
    // This machine may or may not have a sound card; either way the engine must run.
    AudioEngine engine(AudioEngine::Output::Device);
    QString reason;
    const bool opened = engine.start(&reason);
    if (!opened) {
        EXPECT_EQ(engine.output(), AudioEngine::Output::Null);
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_EQ(engine.errorGetCode(), AudioError::Driver);
    }
    EXPECT_FALSE(engine.outputName().isEmpty());
    engine.free();
}

TEST(Output, ErrorBoxTexts) {
    EXPECT_EQ(AudioEngine::errorText("Couldn't create a resampled stream!", 41, 0),
              "Couldn't create a resampled stream!\n\nBASS Error Code: 41\nBASS_FX Error Code: 0");
    EXPECT_EQ(AudioEngine::recorderErrorText("Can't start recording", 3),
              "Can't start recording\n(error code: 3)");
}
