#include "outputsupervisor.h"
#include "standincard.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

using namespace hoedeck;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using hoedeck::testing::Listener;
using hoedeck::testing::StandInCard;
using hoedeck::testing::StandInOutput;

namespace {
constexpr int kRate = 44100;
const QString kLostStall =
    "The audio output stopped (the device stopped taking sound); trying to reopen it";

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

double secondsSince(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

// A ring fed like the mixer feeds it, numbering its frames, drained by a supervised output
// whose factory opens the stand-in cards by name ("" the default).
class OutputSupervisorTest : public ::testing::Test {
protected:
    OutputSupervisorTest() {
        card("", "Stand-in card");
        m_producer = std::thread([this] {
            std::vector<float> block(256 * 2);
            while (m_producing) {
                if (ring.available() >= 1024) {
                    std::this_thread::sleep_for(700us);
                    continue;
                }
                for (std::size_t i = 0; i < 256; ++i)
                    block[i * 2] = block[i * 2 + 1] = float(pushed + i + 1);
                pushed += ring.push(block.data(), 256);
            }
        });
    }
    ~OutputSupervisorTest() override {
        supervisor.stop();
        stopFeeding();
    }
    void stopFeeding() {
        m_producing = false;
        if (m_producer.joinable())
            m_producer.join();
    }

    std::shared_ptr<StandInCard> card(const QString& device, const QString& name) {
        auto c = std::make_shared<StandInCard>();
        c->name = name;
        c->listener = &listener;
        std::lock_guard lock(m_mutex);
        return m_cards[device] = c;
    }
    std::shared_ptr<StandInCard> cardFor(const QString& device) {
        std::lock_guard lock(m_mutex);
        auto it = m_cards.find(device);
        return it == m_cards.end() ? nullptr : it->second;
    }
    std::unique_ptr<AudioOutput> open(const QString& device) {
        std::lock_guard lock(m_mutex);
        asked.push_back(device);
        auto it = m_cards.find(device);
        return it == m_cards.end() ? nullptr : std::make_unique<StandInOutput>(it->second);
    }
    std::size_t timesAsked(const QString& device) {
        std::lock_guard lock(m_mutex);
        return std::size_t(std::count(asked.begin(), asked.end(), device));
    }
    // Every frame the mixer made was taken once or is still waiting in the ring.
    void expectEveryFrameOnce() {
        supervisor.stop();
        stopFeeding();
        EXPECT_EQ(supervisor.framesPlayed() + ring.available(), pushed.load());
        EXPECT_FALSE(listener.outOfOrder);
    }

    Listener listener;
    RingBuffer ring{8192};
    std::atomic<std::uint64_t> pushed{0};
    std::mutex m_mutex;
    std::vector<QString> asked;
    std::map<QString, std::shared_ptr<StandInCard>> m_cards;
    std::atomic<bool> m_producing{true};
    std::thread m_producer;
    OutputSupervisor supervisor{ring, kRate, [this](const QString& d) { return open(d); }};
};
} // namespace

TEST_F(OutputSupervisorTest, TheClockCoversAStalledDeviceUntilItIsPluggedBackIn) {
    auto card = cardFor("");
    QString reason;
    ASSERT_TRUE(supervisor.start(true, "", &reason)) << reason.toStdString();
    EXPECT_EQ(supervisor.name(), "Stand-in card");
    EXPECT_EQ(supervisor.status(), "");
    ASSERT_TRUE(waitFor([&] { return card->heard > kRate / 4; }));

    // Pulled out: it stops asking for frames, and cannot be opened again.
    card->plugged = false;
    card->pulling = false;
    const auto pulled = Clock::now();
    ASSERT_TRUE(waitFor([&] { return supervisor.status() == kLostStall; }));
    std::printf("stall noticed after %.3f s\n", secondsSince(pulled));
    EXPECT_EQ(supervisor.name(), "Null output");

    // Time goes on: the clock drains the ring at about the real rate.
    const std::uint64_t heardWhileGone = card->heard;
    const std::uint64_t before = supervisor.framesPlayed();
    const auto from = Clock::now();
    std::this_thread::sleep_for(1s);
    const double rate = double(supervisor.framesPlayed() - before) / secondsSince(from);
    std::printf("the clock played %.0f frames a second\n", rate);
    EXPECT_NEAR(rate, kRate, kRate * 0.3);
    EXPECT_LE(ring.available(), 1024u + 256u);

    // Retries once a second, no more often.
    ASSERT_TRUE(waitFor([&] {
        std::lock_guard lock(card->mutex);
        return card->opens.size() >= 4;
    }));
    {
        std::lock_guard lock(card->mutex);
        for (std::size_t i = 2; i < card->opens.size(); ++i)
            EXPECT_GE(card->opens[i] - card->opens[i - 1], 900ms);
    }
    EXPECT_EQ(card->heard, heardWhileGone);
    EXPECT_EQ(supervisor.status(), kLostStall);

    card->plugged = true;
    card->pulling = true;
    const auto back = Clock::now();
    ASSERT_TRUE(waitFor([&] { return card->heard > heardWhileGone; }));
    const double recovery = secondsSince(back);
    std::printf("the device played again %.3f s after it came back\n", recovery);
    EXPECT_LT(recovery, 3.0);
    EXPECT_TRUE(waitFor([&] { return supervisor.status().isEmpty(); }));
    EXPECT_EQ(supervisor.name(), "Stand-in card");
    expectEveryFrameOnce();
}

TEST_F(OutputSupervisorTest, AFaultShowsItsReasonAndABrokenDeviceIsNotHandedTheRing) {
    auto card = cardFor("");
    ASSERT_TRUE(supervisor.start(true, "", nullptr));
    ASSERT_TRUE(waitFor([&] { return card->heard > 0; }));
    {
        std::lock_guard lock(card->mutex);
        card->fault = "the stand-in broke";
    }
    const auto broke = Clock::now();
    ASSERT_TRUE(waitFor([&] {
        return supervisor.status() ==
               "The audio output stopped (the stand-in broke); trying to reopen it";
    }));
    std::printf("fault noticed after %.3f s\n", secondsSince(broke));

    // It opens again but keeps reporting its fault: the clock keeps the ring.
    const std::uint64_t heard = card->heard;
    const std::uint64_t played = supervisor.framesPlayed();
    ASSERT_TRUE(waitFor([&] {
        std::lock_guard lock(card->mutex);
        return card->opens.size() >= 3;
    }));
    EXPECT_EQ(card->heard, heard);
    EXPECT_GT(supervisor.framesPlayed(), played);
    EXPECT_EQ(supervisor.name(), "Null output");

    {
        std::lock_guard lock(card->mutex);
        card->fault.clear();
    }
    ASSERT_TRUE(waitFor([&] { return supervisor.status().isEmpty(); }));
    ASSERT_TRUE(waitFor([&] { return card->heard > heard; }));
    expectEveryFrameOnce();
}

TEST_F(OutputSupervisorTest, ANamedDeviceThatStaysAwayGivesWayToTheDefault) {
    auto usb = card("USB", "USB interface");
    auto builtIn = cardFor("");
    ASSERT_TRUE(supervisor.start(true, "USB", nullptr));
    EXPECT_EQ(supervisor.name(), "USB interface");
    ASSERT_TRUE(waitFor([&] { return usb->heard > 0; }));
    usb->plugged = false;
    usb->pulling = false;
    ASSERT_TRUE(waitFor([&] { return builtIn->heard > 0; }));
    EXPECT_TRUE(waitFor([&] { return supervisor.status().isEmpty(); }));
    EXPECT_EQ(supervisor.name(), "Stand-in card");
    EXPECT_EQ(supervisor.device(), "USB");
    expectEveryFrameOnce();
}

TEST_F(OutputSupervisorTest, WithoutADeviceTheClockPlays) {
    auto card = cardFor("");
    card->plugged = false;
    QString reason;
    EXPECT_FALSE(supervisor.start(true, "", &reason));
    EXPECT_EQ(reason, "the stand-in is unplugged");
    EXPECT_EQ(supervisor.name(), "Null output");
    EXPECT_EQ(supervisor.status(), "");
    ASSERT_TRUE(waitFor([&] { return supervisor.framesPlayed() > kRate / 4; }));

    // The silent output on purpose never asks for a device.
    const std::size_t opened = timesAsked("");
    reason.clear();
    EXPECT_TRUE(supervisor.start(false, "", &reason));
    EXPECT_TRUE(reason.isEmpty());
    const std::uint64_t played = supervisor.framesPlayed();
    ASSERT_TRUE(waitFor([&] { return supervisor.framesPlayed() > played + kRate / 4; }));
    EXPECT_EQ(timesAsked(""), opened);
    EXPECT_EQ(supervisor.name(), "Null output");
    expectEveryFrameOnce();
}

TEST_F(OutputSupervisorTest, ChoosingAnotherDeviceWhilePlayingHandsOverWithoutLosingAFrame) {
    auto first = cardFor("");
    auto second = card("Headphones", "Headphones");
    ASSERT_TRUE(supervisor.start(true, "", nullptr));
    ASSERT_TRUE(waitFor([&] { return first->heard > kRate / 10; }));

    // A device that cannot be opened leaves the music where it is.
    supervisor.setDevice("Missing");
    EXPECT_EQ(supervisor.device(), "Missing");
    ASSERT_TRUE(waitFor([&] { return timesAsked("Missing") == 1; }));
    const std::uint64_t heard = first->heard;
    ASSERT_TRUE(waitFor([&] { return first->heard > heard; }));
    EXPECT_EQ(supervisor.name(), "Stand-in card");

    supervisor.setDevice("Headphones");
    ASSERT_TRUE(waitFor([&] { return second->heard > kRate / 10; }));
    EXPECT_EQ(supervisor.name(), "Headphones");
    EXPECT_EQ(supervisor.status(), "");
    const std::uint64_t firstHeard = first->heard;
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(first->heard, firstHeard);
    expectEveryFrameOnce();
}

namespace {
// A frame's number in both channels, exact for any count a test reaches.
void number(float* frame, std::uint32_t n) {
    frame[0] = float(n >> 16) + 1;
    frame[1] = float(n & 0xFFFF) + 1;
}
std::uint32_t numberOf(const float* frame) {
    return std::uint32_t(frame[0] - 1) << 16 | std::uint32_t(frame[1] - 1);
}

// Pulls as fast as it can and keeps every frame number it took.
class Racer : public AudioOutput {
public:
    ~Racer() override { stop(); }
    bool start(RingBuffer& ring, int, QString&) override {
        m_taken.reserve(1 << 22);
        m_running = true;
        m_thread = std::thread([this, &ring] {
            std::vector<float> buffer(32 * 2);
            while (m_running) {
                pull(ring, buffer.data(), 32, false);
                for (std::size_t i = 0; i < 32; ++i)
                    if (buffer[i * 2] != 0)
                        m_taken.push_back(numberOf(&buffer[i * 2]));
            }
        });
        return true;
    }
    void stop() override {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    QString name() const override { return "racer"; }
    int bufferFrames() const override { return 32; }
    const std::vector<std::uint32_t>& taken() const { return m_taken; }

private:
    std::atomic<bool> m_running{false};
    std::thread m_thread;
    std::vector<std::uint32_t> m_taken;
};
} // namespace

// The worst a handover can meet: two outputs pulling without pause while the gate passes
// between them thousands of times. Every frame still comes out exactly once.
TEST(RingGate, OutputsPullingAtOnceTakeEachFrameOnce) {
    constexpr int kHandovers = 4000;
    RingBuffer ring(4096);
    RingGate gate;
    Racer a, b;
    a.attach(gate);
    b.attach(gate);
    QString unused;
    a.start(ring, kRate, unused);
    b.start(ring, kRate, unused);
    std::atomic<int> handovers{0};
    std::uint32_t pushed = 0;
    std::thread producer([&] {
        std::vector<float> block(64 * 2);
        while (handovers < kHandovers) {
            for (std::uint32_t i = 0; i < 64; ++i)
                number(&block[i * 2], pushed + i);
            pushed += std::uint32_t(ring.push(block.data(), 64));
        }
    });
    while (handovers < kHandovers) {
        gate.handTo(handovers++ % 2 ? &a : &b);
        std::this_thread::sleep_for(20us);
    }
    producer.join();
    while (ring.available() > 0)
        std::this_thread::sleep_for(1ms);
    a.stop();
    b.stop();
    std::printf("%u frames over %d handovers\n", pushed, kHandovers);
    EXPECT_EQ(gate.framesPlayed(), pushed);
    for (const Racer* r : {&a, &b})
        EXPECT_TRUE(std::is_sorted(r->taken().begin(), r->taken().end()));
    std::vector<std::uint32_t> all = a.taken();
    all.insert(all.end(), b.taken().begin(), b.taken().end());
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), pushed);
    for (std::uint32_t i = 0; i < pushed; ++i)
        ASSERT_EQ(all[i], i) << i;
}

// The real sound card where there is one: a device that is not there gives way to the default
// output, and with no card at all to the clock, each with its reason.
TEST(OutputSupervisorPortAudio, AMissingDeviceGivesWayToTheDefaultOrTheClock) {
    RingBuffer ring(8192);
    OutputSupervisor supervisor(ring, kRate);
    QString reason;
    const bool opened = supervisor.start(true, "No such card", &reason);
    EXPECT_EQ(supervisor.device(), "No such card");
    EXPECT_EQ(supervisor.status(), "");
    if (opened) {
        EXPECT_NE(supervisor.name(), "Null output");
        EXPECT_TRUE(supervisor.deviceNames().contains(supervisor.name()));
    } else {
        EXPECT_TRUE(reason.startsWith("there is no output device called \"No such card\"; "))
            << reason.toStdString();
        EXPECT_EQ(supervisor.name(), "Null output");
        const std::vector<float> tenth(4410 * 2, 0.5f);
        ring.push(tenth.data(), 4410);
        EXPECT_TRUE(waitFor([&] { return supervisor.framesPlayed() == 4410; }));
    }
    supervisor.stop();
    EXPECT_EQ(supervisor.name(), "");
}
