#pragma once

#include "output.h"
#include "ringbuffer.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace hoedeck {

// Owns the output that drains one ring at one sample rate, and keeps the music's time going
// whatever the sound card does. A watching thread of its own (never the audio callback, never
// the mixer) notices an output that reports a fault or stops asking for frames; the silent
// clock then takes the ring over at once, so positions move and syncs fire, while the thread
// tries every second to open the device again, and hands the ring back as soon as the device
// asks for frames. Opening and closing devices, which can take a while on a vanished one,
// happen only on that thread, never under a lock the audio path takes.
class OutputSupervisor {
public:
    // Makes a device output for a device name ("" = the default output). Tests pass stand-ins.
    using DeviceFactory = std::function<std::unique_ptr<AudioOutput>(const QString& device)>;
    // Told of every change of status(), on the watching thread (or the one calling start() or
    // stop()); it must not call stop().
    using StatusCallback = std::function<void(const QString& status)>;

    // An empty factory opens PortAudio's devices through `host` (one of its own when none).
    OutputSupervisor(RingBuffer& ring, int sampleRate, DeviceFactory factory = {},
                     std::shared_ptr<PortAudioHost> host = {});
    ~OutputSupervisor();
    OutputSupervisor(const OutputSupervisor&) = delete;
    OutputSupervisor& operator=(const OutputSupervisor&) = delete;

    // useDevice false: the null clock only. true: the named device, else the default, else the
    // null clock with the reason returned (false).
    bool start(bool useDevice, const QString& device, QString* reason = nullptr);
    void stop();
    // Plays on another device from the moment it asks for frames; until then, and if it cannot
    // be opened, what plays goes on. Returns at once: the opening happens on the watching
    // thread. Before start() it only chooses the device start() opens.
    void setDevice(const QString& device);
    // Set before start().
    void setStatusCallback(StatusCallback callback);

    QString device() const; // the chosen device name ("" = default)
    QString name() const;   // what is playing now ("Null output" while lost)
    // "" while well, else "The audio output stopped (<reason>); trying to reopen it".
    QString status() const;
    std::uint64_t underruns() const;    // summed over every output used
    std::uint64_t framesPlayed() const; // monotonic across output switches
    int bufferFrames() const;
    // The output devices by name, as PortAudio found them when nothing held it open.
    QStringList deviceNames() const;

    // How long an output may go without asking for frames before it counts as stopped.
    static constexpr std::chrono::milliseconds kStallTime{500};
    // A device just opened may take longer for its first request.
    static constexpr std::chrono::milliseconds kFirstPullTime{1500};
    static constexpr std::chrono::milliseconds kRetryInterval{1000};

private:
    using Clock = std::chrono::steady_clock;
    // An output the watching thread follows: whether it still asks for frames.
    struct Watched {
        std::unique_ptr<AudioOutput> output;
        std::uint64_t asked = 0;
        bool heard = false;
        Clock::time_point since;
    };

    void watch();
    void check(Clock::time_point now);
    std::unique_ptr<AudioOutput> open(const QString& device, QString& reason);
    void follow(Watched& watched, std::unique_ptr<AudioOutput> output, Clock::time_point now);
    // Whether the output still asks for frames; otherwise the reason.
    QString stalled(Watched& watched, Clock::time_point now) const;
    void lose(const QString& reason, Clock::time_point now);
    void switchTo(const QString& device, Clock::time_point now);
    void promoteCandidate();
    void retry(Clock::time_point now);
    void startClock();
    void stopClock();
    void publish(const QString& status);

    RingBuffer& m_ring;
    const int m_rate;
    std::shared_ptr<PortAudioHost> m_host;
    DeviceFactory m_factory;
    RingGate m_gate;

    // Only the watching thread touches these while it runs; start() and stop() before and
    // after it.
    Watched m_device;    // the device playing, when one is
    Watched m_candidate; // a device opened that has not yet asked for frames
    std::unique_ptr<AudioOutput> m_clock;
    bool m_lost = false;
    Clock::time_point m_nextRetry;

    mutable std::mutex m_mutex; // guards what follows; never held while opening or closing
    std::condition_variable m_wake;
    bool m_quit = false;
    bool m_switch = false; // a device was chosen while running
    bool m_running = false;
    bool m_useDevice = false;
    QString m_chosen;
    QString m_name;
    QString m_status;
    int m_bufferFrames = 0;
    StatusCallback m_onStatus;
    std::thread m_watcher;
};

} // namespace hoedeck
