// The take's way from the capture thread through the ring and the writer thread into the real
// encoder process, with the encoder stalled and killed on the way. Runs under the thread
// sanitizer (scripts/sanitize).

#include "capture.h"
#include "decodedsound.h"
#include "takewriter.h"
#include "voice.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
using Clock = std::chrono::steady_clock;
constexpr double kRate = 44100.0;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool waitFor(const std::function<bool()>& done, int ms = 5000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        sleepMs(5);
    }
    return true;
}

// The null input playing the voice, captured into a take.
struct Take {
    Voice voice;
    TakeWriter writer;
    CaptureDevice device; // stops before the writer goes
    std::atomic<int> ended{0};
    QString mp3 = voice.path("take.mp3");

    explicit Take(std::size_t ringFrames = TakeWriter::kRingFrames) : writer(ringFrames) {}
    void start() {
        ASSERT_TRUE(device.init());
        QString reason;
        ASSERT_TRUE(writer.start(mp3, reason, [this] { ++ended; })) << qPrintable(reason);
        ASSERT_TRUE(device.start(44100, [this](const std::int16_t* samples, std::size_t bytes) {
            return writer.capture(samples, bytes);
        }));
    }
    double capturedSeconds() const { return double(writer.capturedBytes()) / 4 / kRate; }
};
} // namespace

TEST(TakeWriter, EverySampleCapturedReachesTheMp3) {
    SKIP_WITHOUT_LAME();
    Take take;
    take.start();
    sleepMs(1200);
    take.device.stop();
    const TakeWriter::Result result = take.writer.finish();
    EXPECT_EQ(result.fault, "");
    EXPECT_EQ(result.lostFrames, 0u);
    EXPECT_EQ(result.gaps, 0u);
    EXPECT_EQ(take.ended, 0);
    EXPECT_NEAR(double(result.capturedFrames) / kRate, 1.2, 0.2);

    int rate = 0;
    const std::vector<float> sound = decodeSound(take.mp3, &rate);
    EXPECT_EQ(rate, 44100);
    // Decoded with the encoder's delay and padding trimmed: as long as what was captured.
    EXPECT_NEAR(double(sound.size() / 2), double(result.capturedFrames), 0.005 * kRate);
    EXPECT_NEAR(toneFrequency(sound, 2000, sound.size() / 2 - 2000), kVoiceHz, 0.5);
    EXPECT_NEAR(rms(sound, 2000, sound.size() / 2 - 2000), 0.5 / std::sqrt(2.0), 0.02);
}

TEST(TakeWriter, AStalledEncoderNeverHoldsUpTheCaptureAndWhatItCostsIsCounted) {
    SKIP_WITHOUT_LAME();
    // A fifth of a second of ring; the encoder's input socket holds about as much again.
    Take take(8820);
    take.start();
    sleepMs(300);
    ASSERT_EQ(::kill(take.writer.encoderPid(), SIGSTOP), 0);
    const auto stalled = Clock::now();
    const double before = take.capturedSeconds();
    sleepMs(1500);
    const double stallSeconds = std::chrono::duration<double>(Clock::now() - stalled).count();
    // The capture went on at its own pace all the while, and said what it could not keep.
    EXPECT_NEAR(take.capturedSeconds() - before, stallSeconds, 0.25);
    EXPECT_GT(take.writer.lostFrames(), 0u);
    EXPECT_TRUE(take.writer.encoderAlive());
    ::kill(take.writer.encoderPid(), SIGCONT);
    sleepMs(400);
    take.device.stop();
    const TakeWriter::Result result = take.writer.finish();
    EXPECT_EQ(result.fault, "");
    EXPECT_EQ(result.gaps, 1u);
    std::printf("lost %.2f s of %.2f s\n", double(result.lostFrames) / kRate,
                double(result.capturedFrames) / kRate);
    EXPECT_GT(double(result.lostFrames) / kRate, 0.4);
    // What was not lost is in the file, to the sample.
    const std::vector<float> sound = decodeSound(take.mp3);
    EXPECT_NEAR(double(sound.size() / 2), double(result.capturedFrames - result.lostFrames),
                0.005 * kRate);
}

TEST(TakeWriter, AnEncoderThatDiesEndsTheCaptureSaysWhyAndKeepsItsFile) {
    SKIP_WITHOUT_LAME();
    Take take;
    take.start();
    sleepMs(1500);
    ASSERT_EQ(::kill(take.writer.encoderPid(), SIGKILL), 0);
    ASSERT_TRUE(waitFor([&] { return take.ended == 1; }));
    EXPECT_FALSE(take.writer.encoderAlive());
    // The capture is told at its next buffer and ends.
    ASSERT_TRUE(waitFor([&] { return !take.device.isActive(); }));
    take.device.stop();
    const TakeWriter::Result result = take.writer.finish();
    EXPECT_EQ(result.fault, "lame was killed by signal 9 (Killed)");
    EXPECT_EQ(take.ended, 1);
    // What the encoder wrote before it died is sound.
    const std::vector<float> sound = decodeSound(take.mp3);
    ASSERT_GT(double(sound.size() / 2) / kRate, 0.5);
    // Without the header the encoder writes last, its delay is not trimmed: the tone starts
    // about a frame late.
    EXPECT_NEAR(toneFrequency(sound, 4410, 22050), kVoiceHz, 0.5);
}

TEST(TakeWriter, WithoutTheEncoderNoTakeStarts) {
    WithoutEncoder none;
    TakeWriter writer;
    QString reason;
    EXPECT_FALSE(writer.start(QDir::temp().filePath("never.mp3"), reason));
    EXPECT_EQ(reason, "lame was not found on PATH");
    // Finishing a take that never started is harmless.
    const TakeWriter::Result result = writer.finish();
    EXPECT_EQ(result.fault, "");
    EXPECT_EQ(result.capturedFrames, 0u);
}
