#include "capture.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
// Captures through the null input with a file's sound for the given time.
struct Recording {
    QTemporaryDir dir;
    std::mutex mutex;
    std::vector<std::int16_t> captured;
    std::atomic<int> calls{0};

    explicit Recording(const std::vector<float>& sound) {
        writeWav(dir.filePath("voice.wav"), sound);
        qputenv("HOEDECK_CAPTURE_WAV", dir.filePath("voice.wav").toUtf8());
    }
    ~Recording() { qunsetenv("HOEDECK_CAPTURE_WAV"); }
    CaptureDevice::BufferCallback collect(int stopAfter = -1) {
        return [this, stopAfter](const std::int16_t* samples, std::size_t bytes) {
            EXPECT_EQ(bytes % 4, 0u);
            std::lock_guard lock(mutex);
            captured.insert(captured.end(), samples, samples + bytes / 2);
            return ++calls != stopAfter;
        };
    }
};
} // namespace

TEST(Capture, InputsAndTheirSettings) {
    Recording r(sine(440, 1.0));
    CaptureDevice device;
    EXPECT_FALSE(device.start(44100, {}));
    EXPECT_EQ(device.lastError(), AudioError::Init);
    ASSERT_TRUE(device.init());
    EXPECT_FALSE(device.init());
    EXPECT_EQ(device.lastError(), AudioError::Already);
    ASSERT_TRUE(device.inputName(0));
    EXPECT_EQ(*device.inputName(0), "voice.wav");
    EXPECT_FALSE(device.inputName(1));
    EXPECT_EQ(device.input(0) & 0xFFFF, 100u);
    EXPECT_EQ(device.input(0) & CaptureDevice::kInputOff, 0u);
    EXPECT_TRUE(device.setInput(0, CaptureDevice::kInputOff));
    EXPECT_EQ(device.input(0) & CaptureDevice::kInputOff, CaptureDevice::kInputOff);
    EXPECT_TRUE(device.setInput(0, CaptureDevice::kInputLevel + 40));
    EXPECT_EQ(device.input(0) & 0xFFFF, 40u);
    EXPECT_FALSE(device.setInput(3, CaptureDevice::kInputOn));
    device.free();
    device.free(); // harmless
    EXPECT_TRUE(device.init());
}

TEST(Capture, DeliversTheSoundInOrderWithItsLevelAndGain) {
    Recording r(sine(441, 2.0, 44100, 1.0f));
    CaptureDevice device;
    ASSERT_TRUE(device.init());
    ASSERT_TRUE(device.start(44100, r.collect()));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(device.level() & 0xFFFF, 128u);
    device.stop();
    EXPECT_FALSE(device.isActive());
    const int callsAtStop = r.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(r.calls, callsAtStop); // nothing after stop
    {
        std::lock_guard lock(r.mutex);
        ASSERT_GT(r.captured.size(), 4410u * 2);
        // The file's samples in order: a 441 Hz sine has a period of exactly 100 frames.
        for (std::size_t i = 0; i < 1000; ++i)
            EXPECT_NEAR(r.captured[(i + 100) * 2], r.captured[i * 2], 2) << i;
        EXPECT_EQ(r.captured[0], 0);
        EXPECT_NEAR(r.captured[25 * 2], 32767, 2);
    }

    // Half the level: half as loud.
    r.captured.clear();
    device.setInput(0, CaptureDevice::kInputLevel + 50);
    ASSERT_TRUE(device.start(44100, r.collect()));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    device.stop();
    std::lock_guard lock(r.mutex);
    ASSERT_GT(r.captured.size(), 100u);
    EXPECT_NEAR(r.captured[25 * 2], 16383, 2);
}

TEST(Capture, CallbackEndsCaptureAndSilenceReadsZero) {
    Recording r(std::vector<float>(44100 * 2, 0.0f));
    CaptureDevice device;
    ASSERT_TRUE(device.init());
    ASSERT_TRUE(device.start(44100, r.collect(3)));
    for (int i = 0; i < 100 && device.isActive(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(device.isActive());
    EXPECT_EQ(r.calls, 3);
    EXPECT_EQ(device.level(), 0u);
    // And it can start again.
    ASSERT_TRUE(device.start(44100, r.collect()));
    device.stop();
}

TEST(Capture, ABadCaptureFileIsRefusedWithAReason) {
    qputenv("HOEDECK_CAPTURE_WAV", "/no/such/voice.wav");
    CaptureDevice missing;
    EXPECT_FALSE(missing.init());
    EXPECT_EQ(missing.lastError(), AudioError::FileOpen);
    QTemporaryDir dir;
    QFile text(dir.filePath("voice.wav"));
    text.open(QIODevice::WriteOnly);
    text.write("not a recording");
    text.close();
    qputenv("HOEDECK_CAPTURE_WAV", text.fileName().toUtf8());
    CaptureDevice damaged;
    EXPECT_FALSE(damaged.init());
    EXPECT_EQ(damaged.lastError(), AudioError::FileForm);
    qunsetenv("HOEDECK_CAPTURE_WAV");
}
