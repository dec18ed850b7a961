#include "capture.h"
#include "ringbuffer.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
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

namespace {
using Clock = std::chrono::steady_clock;

bool waitFor(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// A line input a test can pull out and break; every input opened on it shares it.
struct StandInLine {
    std::atomic<bool> plugged{true};
    std::atomic<bool> sending{true};
    std::mutex mutex;
    QString fault;
    std::vector<Clock::time_point> opens;

    std::size_t openCount() {
        std::lock_guard lock(mutex);
        return opens.size();
    }
    void setFault(const QString& text) {
        std::lock_guard lock(mutex);
        fault = text;
    }
};

// Sends a steady half-level sound from a thread of its own, paced like a sound card.
class StandInInput : public CaptureInput {
public:
    explicit StandInInput(StandInLine& line) : m_line(line) {}
    ~StandInInput() override { stop(); }
    bool start(RingBuffer& ring, int sampleRate, QString& reason) override {
        {
            std::lock_guard lock(m_line.mutex);
            m_line.opens.push_back(Clock::now());
        }
        if (!m_line.plugged) {
            reason = "unplugged";
            return false;
        }
        m_running = true;
        m_thread = std::thread([this, &ring, sampleRate] {
            std::vector<float> period(256 * 2, 0.5f);
            const auto begin = Clock::now();
            std::uint64_t sent = 0;
            while (m_running) {
                for (; sent + 256 <= std::uint64_t(secondsSince(begin) * sampleRate); sent += 256)
                    if (m_line.sending)
                        ring.push(period.data(), 256);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
        return true;
    }
    void stop() override {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    QString fault() const override {
        std::lock_guard lock(m_line.mutex);
        return m_line.fault;
    }

private:
    StandInLine& m_line;
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

// Capturing from the stand-in line: counts what arrives, sound and silence.
struct LineCapture {
    StandInLine line;
    CaptureDevice device{{"Stand-in line"},
                         [this](const QString&) { return std::make_unique<StandInInput>(line); }};
    std::atomic<std::uint64_t> frames{0};
    std::atomic<std::uint64_t> loud{0};
    Clock::time_point started;

    void start() {
        ASSERT_TRUE(device.init());
        ASSERT_EQ(device.inputName(0), "Stand-in line");
        started = Clock::now();
        ASSERT_TRUE(device.start(44100, [this](const std::int16_t* samples, std::size_t bytes) {
            for (std::size_t i = 0; i < bytes / 4; ++i)
                if (samples[i * 2] != 0)
                    ++loud;
            frames += bytes / 4;
            return true;
        }));
        ASSERT_TRUE(waitFor([&] { return loud > 44100 / 4; }));
    }
    // The recording is as long as the time it has run.
    void expectOnTime() {
        const double ratio = double(frames) / 44100.0 / secondsSince(started);
        std::printf("recorded %.3f s a second\n", ratio);
        EXPECT_NEAR(ratio, 1.0, 0.2);
    }
};
} // namespace

TEST(CaptureWatch, SilenceKeepsTimeWhileAStoppedInputIsReopenedEverySecond) {
    LineCapture c;
    c.start();
    c.line.plugged = false;
    c.line.sending = false;
    const auto pulled = Clock::now();
    ASSERT_TRUE(waitFor([&] {
        return c.device.status() ==
               "The audio input stopped (the device stopped sending sound); trying to reopen it";
    }));
    std::printf("stall noticed after %.3f s\n", secondsSince(pulled));
    const std::uint64_t loud = c.loud;
    ASSERT_TRUE(waitFor([&] { return c.line.openCount() >= 4; }));
    {
        std::lock_guard lock(c.line.mutex);
        for (std::size_t i = 2; i < c.line.opens.size(); ++i)
            EXPECT_GE(c.line.opens[i] - c.line.opens[i - 1], std::chrono::milliseconds(900));
    }
    EXPECT_EQ(c.loud, loud);
    c.expectOnTime();

    c.line.plugged = true;
    c.line.sending = true;
    const auto back = Clock::now();
    ASSERT_TRUE(waitFor([&] { return c.loud > loud; }));
    const double recovery = secondsSince(back);
    std::printf("the input sounded again %.3f s after it came back\n", recovery);
    EXPECT_LT(recovery, 3.0);
    EXPECT_EQ(c.device.status(), "");
    c.expectOnTime();
    c.device.stop();
}

TEST(CaptureWatch, AFaultyInputIsShownWithItsReasonUntilItWorksAgain) {
    LineCapture c;
    c.start();
    c.line.setFault("the stand-in line broke");
    ASSERT_TRUE(waitFor([&] {
        return c.device.status() ==
               "The audio input stopped (the stand-in line broke); trying to reopen it";
    }));
    // Opened again but still broken, it is not listened to.
    const std::uint64_t loud = c.loud;
    ASSERT_TRUE(waitFor([&] { return c.line.openCount() >= 3; }));
    EXPECT_EQ(c.loud, loud);
    EXPECT_TRUE(c.device.isActive());

    c.line.setFault({});
    ASSERT_TRUE(waitFor([&] { return c.loud > loud; }));
    EXPECT_TRUE(waitFor([&] { return c.device.status().isEmpty(); }));
    c.device.stop();
    EXPECT_FALSE(c.device.isActive());
}
