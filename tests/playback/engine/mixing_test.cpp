#include "audioengine.h"
#include "ringbuffer.h"
#include "soundfiles.h"
#include "standincard.h"
#include "taps.h"
#include "testsignals.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

// Clicks of three samples every half second, at frame 1000 of each half second.
std::vector<float> clickTrack(double seconds) {
    std::vector<float> out(std::size_t(seconds * 44100) * 2, 0.0f);
    for (std::size_t at = 1000; at + 3 < out.size() / 2; at += 22050)
        for (std::size_t i = at; i < at + 3; ++i)
            out[i * 2] = out[i * 2 + 1] = 0.8f;
    return out;
}

// Output frames where a click starts: a loud sample after a stretch of quiet.
std::vector<std::size_t> clicksIn(const std::vector<float>& sound) {
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < sound.size() / 2; ++i)
        if (std::fabs(sound[i * 2]) > 0.3f && (at.empty() || i > at.back() + 4410))
            at.push_back(i);
    return at;
}

struct Offline {
    QTemporaryDir dir;
    AudioEngine engine{AudioEngine::Output::Offline};
    Offline() { engine.start(); }
    QString wav(const QString& name, const std::vector<float>& samples) {
        writeWav(dir.filePath(name), samples);
        return dir.filePath(name);
    }
    std::vector<float> render(std::size_t frames) {
        std::vector<float> out(frames * 2);
        engine.render(out.data(), frames);
        return out;
    }
};

} // namespace

TEST(TempoStream, SyncsFireWhereTheSourceFrameIsHeardAndAResumeRepeatsNothing) {
    Offline b;
    const Handle source =
        b.engine.streamCreateFile(b.wav("clicks.wav", clickTrack(20)), AudioEngine::kFlagDecode);
    ASSERT_TRUE(b.engine.tempoCreate(source));
    const Handle output = b.engine.tempoGetResampledHandle(source);
    ASSERT_TRUE(b.engine.tempoSet(source, 10.0f, -1, 0.0f)); // 1.1 source frames an output frame
    const std::int64_t click = 8 * 22050 + 1000;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> fired; // source position, mixed frame
    b.engine.channelSetSync(source, std::uint64_t(click) * 4, [&](Handle, Handle stream) {
        fired.emplace_back(b.engine.channelGetPosition(stream) / 4, b.engine.mixedFrames());
    });
    const std::uint64_t begin = b.engine.mixedFrames();
    b.engine.streamPlay(output, false);
    auto heard = b.render(44100 * 5);

    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0].first, std::uint64_t(click));
    const auto firedAt = std::size_t(fired[0].second - begin);
    EXPECT_EQ(firedAt, std::size_t(std::ceil(double(click) / 1.1)));
    // The click itself sounds there, give or take the time stretcher's own window.
    const auto clicks = clicksIn(heard);
    const auto nearest = *std::min_element(clicks.begin(), clicks.end(), [&](auto x, auto y) {
        return std::llabs(std::int64_t(x) - std::int64_t(firedAt)) <
               std::llabs(std::int64_t(y) - std::int64_t(firedAt));
    });
    EXPECT_NEAR(double(nearest), double(firedAt), 0.02 * 44100);
    // The position is the source frames heard: output frames times the speed.
    EXPECT_NEAR(double(b.engine.channelGetPosition(source) / 4), 44100 * 5 * 1.1, 2);

    // Stop just after a click is heard, resume: each click sounds once, none goes missing.
    const std::int64_t next = 10 * 22050 + 1000;
    while (std::int64_t(b.engine.channelGetPosition(source) / 4) < next + 200) {
        const auto more = b.render(64);
        heard.insert(heard.end(), more.begin(), more.end());
    }
    const std::uint64_t stoppedAt = b.engine.channelGetPosition(source) / 4;
    ASSERT_TRUE(b.engine.tempoStopAndFlush(source));
    EXPECT_NEAR(double(b.engine.channelGetPosition(source) / 4), double(stoppedAt), 1);
    const auto silence = b.render(4410);
    EXPECT_EQ(peak(silence, 0, 4410), 0.0f);
    b.engine.streamPlay(output, false);
    const auto rest = b.render(44100 * 3);
    heard.insert(heard.end(), rest.begin(), rest.end());
    const auto end = std::int64_t(b.engine.channelGetPosition(source) / 4);
    const auto sourceClicks = std::size_t((end - 1000 - 2000) / 22050 + 1);
    EXPECT_EQ(clicksIn(heard).size(), sourceClicks);
}

TEST(Mixing, ATimedOneShotStartsAtItsFrameAndATapHearsTheMix) {
    Offline b;
    QFile file(b.wav("dc.wav", std::vector<float>(4410 * 2, 0.5f)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    const auto tap = b.engine.tapOpen(44100);
    b.render(300); // the clock is not at zero
    const std::uint64_t at = b.engine.mixedFrames() + 1000;
    ASSERT_NE(b.engine.playSampleAt(image, 100, at), 0u);
    const auto out = b.render(2205);
    EXPECT_EQ(peak(out, 0, 1000), 0.0f);
    EXPECT_EQ(out[1000 * 2], 0.5f); // from the top of its file: at once, no entry ramp
    EXPECT_EQ(out[2204 * 2 + 1], 0.5f);
    // A frame already past: at once.
    b.engine.playSampleAt(image, 50, 0);
    const auto both = b.render(10);
    EXPECT_NEAR(both[0], 0.75f, 1e-5);

    std::vector<float> tapped(2515 * 2);
    ASSERT_EQ(tap->read(tapped.data(), 2515), 2515u);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), tapped.begin() + 300 * 2));
    b.engine.tapClose(tap);
    b.render(10);
    EXPECT_EQ(tap->available(), 0u);
}

TEST(Mixing, TheRingKeepsOrderAcrossThreadsAndItsFillIsNeverOutOfRange) {
    RingBuffer ring(1024);
    constexpr std::size_t kFrames = 100000;
    std::atomic<bool> done{false};
    std::atomic<bool> outOfRange{false};
    std::thread watcher([&] {
        while (!done)
            if (ring.available() > ring.capacity())
                outOfRange = true;
    });
    std::thread producer([&] {
        std::vector<float> block(100 * 2);
        for (std::size_t sent = 0; sent < kFrames;) {
            const std::size_t n = std::min<std::size_t>(100, kFrames - sent);
            for (std::size_t i = 0; i < n; ++i)
                block[i * 2] = block[i * 2 + 1] = float(sent + i);
            sent += ring.push(block.data(), n);
        }
    });
    std::vector<float> block(77 * 2);
    bool inOrder = true;
    for (std::size_t got = 0; got < kFrames;) {
        const std::size_t n = ring.pop(block.data(), 77);
        for (std::size_t i = 0; i < n; ++i)
            inOrder = inOrder && block[i * 2] == float(got + i) && block[i * 2 + 1] == block[i * 2];
        got += n;
    }
    producer.join();
    done = true;
    watcher.join();
    EXPECT_TRUE(inOrder);
    EXPECT_FALSE(outOfRange);
}

// Everything a caller does while the music plays, from several threads at once: opening and
// freeing songs, syncs, jumps, tempo changes, one-shot sounds and the displays' polling. Run
// under the thread and address sanitizers too.
TEST(EngineThreads, CommandsFromSeveralThreadsWhileTheMusicPlays) {
    QTemporaryDir dir;
    const QString tone = dir.filePath("tone.wav");
    writeWav(tone, sine(440, 20.0));
    const QString ding = dir.filePath("ding.wav");
    writeWav(ding, sine(880, 0.05));
    AudioEngine engine(AudioEngine::Output::Null);
    ASSERT_TRUE(engine.start());

    // A patter copy nobody moves: its position only ever goes forward.
    const Handle steady = engine.streamCreateFile(tone, AudioEngine::kFlagFx);
    std::atomic<int> steadySyncs{0};
    for (int s = 1; s < 20; ++s)
        engine.channelSetSync(steady, engine.channelSeconds2Bytes(steady, s * 0.25f),
                              [&](Handle, Handle) { ++steadySyncs; });
    engine.streamPlay(steady, false);

    std::atomic<bool> running{true};
    std::atomic<int> rounds{0};
    std::vector<std::thread> threads;
    threads.emplace_back([&] { // songs come and go, with syncs that move them
        for (int n = 0; running; ++n) {
            const Handle h = engine.streamCreateFile(tone, AudioEngine::kFlagFx);
            engine.channelSetSync(h, engine.channelSeconds2Bytes(h, 0.01f), [&](Handle, Handle s) {
                engine.channelSetPosition(s, engine.channelSeconds2Bytes(s, 5.0f));
                engine.channelSlideAttributes(s, -1, AudioEngine::kVolumeSlideToStop, -101, 20);
            });
            engine.fxSetParameters(engine.channelSetFx(h), {1000.0f, 12.0f, 3.0f});
            engine.streamPlay(h, false);
            std::this_thread::sleep_for(3ms);
            engine.channelSetPosition(h, engine.channelSeconds2Bytes(h, float(n % 15)));
            engine.streamFree(h);
            ++rounds;
        }
    });
    threads.emplace_back([&] { // a singer with tempo, stopped and resumed
        for (int n = 0; running; ++n) {
            const Handle source = engine.streamCreateFile(tone, AudioEngine::kFlagDecode);
            engine.tempoCreate(source);
            const Handle out = engine.tempoGetResampledHandle(source);
            engine.dspSetPeakingEq(source);
            engine.streamPlay(out, false);
            for (int i = 0; i < 10 && running; ++i) {
                engine.tempoSet(source, float(i * 3 - 10), -1, float(i % 3));
                engine.tempoStopAndFlush(source);
                engine.streamPlay(out, false);
                std::this_thread::sleep_for(1ms);
            }
            engine.streamFree(n % 2 ? source : out);
        }
    });
    threads.emplace_back([&] { // one-shot sounds
        while (running) {
            engine.playSample(ding, 30);
            std::this_thread::sleep_for(4ms);
        }
    });
    bool forward = true;
    double last = 0;
    const auto begin = Clock::now();
    while (secondsSince(begin) < 2.0) { // the displays' polling
        const double now = engine.channelBytes2Seconds(steady, engine.channelGetPosition(steady));
        forward = forward && now >= last;
        last = now;
        engine.channelGetLevel(steady);
        AudioEngine::Slide slide;
        engine.channelGetSlide(steady, slide);
        engine.channelIsActive(steady);
        std::this_thread::sleep_for(1ms);
    }
    running = false;
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(forward);
    EXPECT_GT(rounds.load(), 20);
    EXPECT_GT(last, 1.0);
    EXPECT_LT(last, 3.0);
    EXPECT_TRUE(waitFor([&] { return steadySyncs.load() >= 8; }));
    engine.free();
}

// A metronome's way: one held sound, decoded once, placed again and again at exact frames.
TEST(Mixing, OneShotsOfAHeldSoundStartAtTheirFramesAndOutliveIt) {
    Offline b;
    QFile file(b.wav("tick.wav", std::vector<float>(300 * 2, 0.5f)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const Handle held = b.engine.streamCreateMemory(file.readAll(), AudioEngine::kFlagDecode);
    ASSERT_NE(held, 0u);
    b.render(100);
    const std::uint64_t first = b.engine.mixedFrames() + 500;
    ASSERT_NE(b.engine.playSampleOf(held, 100, first), 0u);
    ASSERT_NE(b.engine.playSampleOf(held, 50, first + 1000), 0u);
    EXPECT_TRUE(b.engine.streamFree(held)); // the placed ones keep their sound
    EXPECT_EQ(b.engine.playSampleOf(held, 100, 0), 0u);
    EXPECT_EQ(b.engine.errorGetCode(), AudioError::Handle);
    const auto out = b.render(2000);
    EXPECT_EQ(peak(out, 0, 500), 0.0f);
    EXPECT_EQ(out[500 * 2], 0.5f);
    EXPECT_EQ(out[799 * 2], 0.5f);
    EXPECT_EQ(out[800 * 2], 0.0f);
    EXPECT_EQ(out[1499 * 2], 0.0f);
    EXPECT_FLOAT_EQ(out[1500 * 2], 0.25f);
    EXPECT_EQ(out[1800 * 2], 0.0f);
}

// One-shots placed from a held sound while another thread replaces and frees that sound, as
// a metronome does when the caller picks another tick. Run under the sanitizers too.
TEST(EngineThreads, OneShotsOfAHeldSoundWhileItIsReplaced) {
    QTemporaryDir dir;
    writeWav(dir.filePath("tick.wav"), sine(1200, 0.02));
    QFile file(dir.filePath("tick.wav"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    AudioEngine engine(AudioEngine::Output::Null);
    ASSERT_TRUE(engine.start());
    std::atomic<Handle> held{engine.streamCreateMemory(image, AudioEngine::kFlagDecode)};
    std::atomic<bool> running{true};
    std::atomic<int> placed{0};
    std::thread replacer([&] {
        while (running) {
            const Handle fresh = engine.streamCreateMemory(image, AudioEngine::kFlagDecode);
            engine.streamFree(held.exchange(fresh));
            std::this_thread::sleep_for(7ms);
        }
    });
    const auto begin = Clock::now();
    while (secondsSince(begin) < 1.0) {
        if (engine.playSampleOf(held, 80, engine.mixedFrames() + 441))
            ++placed;
        engine.queuedFrames();
        std::this_thread::sleep_for(2ms);
    }
    running = false;
    replacer.join();
    EXPECT_GT(placed.load(), 100);
    engine.free();
}

TEST(EngineThreads, FreeingTheEngineFromASyncProcedure) {
    QTemporaryDir dir;
    writeWav(dir.filePath("tone.wav"), sine(440, 5.0));
    AudioEngine engine(AudioEngine::Output::Null);
    ASSERT_TRUE(engine.start());
    std::atomic<bool> freed{false};
    const Handle h = engine.streamCreateFile(dir.filePath("tone.wav"), 0);
    engine.channelSetSync(h, engine.channelSeconds2Bytes(h, 0.1f), [&](Handle, Handle) {
        engine.free();
        freed = true;
    });
    engine.streamPlay(h, false);
    ASSERT_TRUE(waitFor([&] { return freed.load(); }));
    EXPECT_FALSE(engine.channelIsActive(h));
    EXPECT_EQ(engine.errorGetCode(), AudioError::Handle);
    // It starts again as it did the first time.
    ASSERT_TRUE(engine.start());
    const Handle again = engine.streamCreateFile(dir.filePath("tone.wav"), 0);
    engine.streamPlay(again, false);
    EXPECT_TRUE(waitFor([&] { return engine.channelGetPosition(again) > 4410 * 4; }));
}

TEST(EngineThreads, ALostOutputKeepsTheMusicsTimeAndTheMusicGoesOnWhenItIsBack) {
    QTemporaryDir dir;
    writeWav(dir.filePath("tone.wav"), sine(440, 30.0));
    auto card = std::make_shared<StandInCard>();
    card->name = "Stand-in card";
    AudioEngine engine(AudioEngine::Output::Device, [&](const QString&) {
        return std::unique_ptr<AudioOutput>(std::make_unique<StandInOutput>(card));
    });
    ASSERT_TRUE(engine.start());
    const Handle h = engine.streamCreateFile(dir.filePath("tone.wav"), AudioEngine::kFlagFx);
    std::atomic<int> syncs{0};
    engine.channelSetSync(h, engine.channelSeconds2Bytes(h, 1.5f),
                          [&](Handle, Handle) { ++syncs; });
    engine.streamPlay(h, false);
    ASSERT_TRUE(waitFor([&] { return card->heard > 4410; }));

    card->plugged = false;
    card->pulling = false;
    ASSERT_TRUE(waitFor([&] { return !engine.outputStatus().isEmpty(); }));
    EXPECT_EQ(engine.outputStatus(),
              "The audio output stopped (the device stopped taking sound); trying to reopen it");
    // The clock keeps time: the sync on the song still fires, the position moves on.
    EXPECT_TRUE(waitFor([&] { return syncs.load() == 1; }));
    const std::uint64_t whileLost = engine.channelGetPosition(h);
    EXPECT_GT(whileLost, 44100u * 4);

    const std::uint64_t heardBefore = card->heard;
    card->plugged = true;
    card->pulling = true;
    ASSERT_TRUE(waitFor([&] { return card->heard > heardBefore + 4410; }));
    EXPECT_TRUE(waitFor([&] { return engine.outputStatus().isEmpty(); }));
    EXPECT_TRUE(engine.channelIsActive(h));
    EXPECT_GT(engine.channelGetPosition(h), whileLost);
    engine.free();
}

TEST(TempoStream, ANewKeyComesInWithoutAClickAndKeepsThePlace) {
    Offline b;
    const Handle source =
        b.engine.streamCreateFile(b.wav("tone.wav", sine(440, 10.0)), AudioEngine::kFlagDecode);
    b.engine.tempoCreate(source);
    b.engine.streamPlay(b.engine.tempoGetResampledHandle(source), false);
    b.render(44100);
    const std::uint64_t before = b.engine.channelGetPosition(source);
    ASSERT_TRUE(b.engine.tempoSet(source, AudioEngine::kTempoUnchanged, -1, 2.0f));
    EXPECT_EQ(b.engine.channelGetPosition(source), before);
    const auto out = b.render(44100);
    EXPECT_NEAR(toneFrequency(out, 22050, 44100), 440 * std::pow(2.0, 2.0 / 12), 1.5);
    // No sample jumps further than the higher tone itself moves from one sample to the next.
    const double ownStep = 0.5 * kTwoPi * 494 / 44100;
    float step = 0;
    for (std::size_t i = 0; i + 1 < 4410; ++i)
        step = std::max(step, std::fabs(out[(i + 1) * 2] - out[i * 2]));
    EXPECT_LE(step, ownStep * 1.1);
    EXPECT_NEAR(double(b.engine.channelGetPosition(source) - before) / 4, 44100, 2);
}

// What the caller is shown is what the hall hears: the sound mixed ahead and still waiting in
// the ring does not count yet.
TEST(EngineThreads, ThePositionIsWhatReachedTheSoundCard) {
    QTemporaryDir dir;
    writeWav(dir.filePath("dc.wav"), std::vector<float>(44100 * 10 * 2, 0.5f));
    auto card = std::make_shared<StandInCard>();
    card->name = "Stand-in card";
    AudioEngine engine(AudioEngine::Output::Device, [&](const QString&) {
        return std::unique_ptr<AudioOutput>(std::make_unique<StandInOutput>(card));
    });
    ASSERT_TRUE(engine.start());
    const Handle h = engine.streamCreateFile(dir.filePath("dc.wav"), 0);
    engine.streamPlay(h, false);
    ASSERT_TRUE(waitFor([&] { return card->heard > 44100; }));
    // The card stops taking sound; the mixer fills the ring and waits. (Half a second later
    // the engine would call the card lost and go on without it: a reading taken after that
    // does not count, and is taken again.)
    bool measured = false;
    for (int attempt = 0; attempt < 5 && !measured; ++attempt) {
        ASSERT_TRUE(waitFor([&] { return engine.outputStatus().isEmpty(); }));
        card->pulling = false;
        ASSERT_TRUE(waitFor([&] { return engine.queuedFrames() >= 1024; }, 2s));
        const double heard = double(card->heard);
        const double shown = double(engine.channelGetPosition(h) / 4);
        if (engine.outputStatus().isEmpty()) {
            EXPECT_NEAR(shown, heard, 256);
            measured = true;
        }
        card->pulling = true;
    }
    EXPECT_TRUE(measured);
    engine.free();
}

// The level gain under the volume: set at once, slid over a second without a step, and acting
// together with the volume, on a plain stream and a tempo stream alike.
TEST(Mixing, TheLevelGainSlidesUnderTheVolume) {
    Offline o;
    const QString path = o.wav("tone.wav", sine(1000, 6, 44100, 0.4f));
    const Handle plain = o.engine.streamCreateFile(path, 0);
    o.engine.streamPlay(plain, false);
    o.render(4410);
    ASSERT_TRUE(o.engine.channelSetGain(plain, -6.0206f, 0));
    EXPECT_NEAR(peak(o.render(4410), 0, 4410), 0.2, 0.005);
    o.engine.channelSetAttributes(plain, AudioEngine::kRateUnchanged, 50,
                                  AudioEngine::kPanUnchanged);
    o.render(4410); // the volume's own 5 ms ramp
    EXPECT_NEAR(peak(o.render(4410), 0, 4410), 0.1, 0.005);
    o.engine.channelSetAttributes(plain, AudioEngine::kRateUnchanged, 100,
                                  AudioEngine::kPanUnchanged);
    // Up by 12 dB over a second: half way after half a second, and no jump on the way.
    ASSERT_TRUE(o.engine.channelSetGain(plain, 6.0206f, 1000));
    EXPECT_FLOAT_EQ(o.engine.channelGetGain(plain), 6.0206f);
    const std::vector<float> slide = o.render(44100);
    EXPECT_NEAR(peak(slide, 21000, 23100), 0.2 + 0.6 * 0.5, 0.03);
    EXPECT_NEAR(peak(slide, 42000, 44100), 0.8, 0.01);
    float step = 0;
    for (std::size_t i = 1; i < slide.size() / 2; ++i)
        step = std::max(step, std::fabs(slide[i * 2] - slide[(i - 1) * 2]));
    EXPECT_LT(step, 0.2f); // a 1 kHz wave of 0.8 moves at most 0.114 a sample
    o.engine.streamFree(plain);

    const Handle decode = o.engine.streamCreateFile(path, AudioEngine::kFlagDecode);
    ASSERT_TRUE(o.engine.tempoCreate(decode));
    const Handle tempo = o.engine.tempoGetResampledHandle(decode);
    o.engine.channelSetGain(tempo, -12.041f, 0);
    o.engine.streamPlay(tempo, false);
    o.render(8820);
    EXPECT_NEAR(peak(o.render(4410), 0, 4410), 0.1, 0.01);
}
