#pragma once

#include "audioerror.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace hoedeck {

class PortAudioHost;
class RingBuffer;

// Where captured sound comes from: a sound card's input, or a stand-in in tests. It pushes
// stereo float frames into the ring from a thread of its own (the device's callback).
class CaptureInput {
public:
    virtual ~CaptureInput() = default;
    virtual bool start(RingBuffer& ring, int sampleRate, QString& reason) = 0;
    // A device that vanished may take a while to let go: called where waiting harms nothing.
    virtual void stop() = 0;
    // Why the input cannot go on, empty while it is well. Asked from the capture's own thread.
    virtual QString fault() const { return {}; }
};

// The sound card's recording side: its inputs (each with a level and on/off), and capturing
// 16-bit stereo with a callback per buffer on a thread of its own. Without a capture device
// (or with HOEDECK_AUDIO=null) a null input paced by a real-time clock delivers silence, or
// the sound of the file that HOEDECK_CAPTURE_WAV names, so recording works everywhere.
//
// An input that reports a fault or stops delivering is noticed on the capture's own thread:
// silence then keeps the recording's timeline going, status() says so, and the input is
// opened again every second until it delivers sound.
class CaptureDevice {
public:
    // Each captured buffer: 16-bit signed stereo, `bytes` a multiple of 4. False stops.
    using BufferCallback = std::function<bool(const std::int16_t* samples, std::size_t bytes)>;
    // Opens the input of that name.
    using InputFactory = std::function<std::unique_ptr<CaptureInput>(const QString& input)>;

    // How long an input may go without delivering before it counts as stopped.
    static constexpr std::chrono::milliseconds kStallTime{500};
    // An input just opened may take longer for its first sound.
    static constexpr std::chrono::milliseconds kFirstSoundTime{1500};
    static constexpr std::chrono::milliseconds kRetryInterval{1000};

    static constexpr std::uint32_t kInputOff = 0x10000;
    static constexpr std::uint32_t kInputOn = 0x20000;
    static constexpr std::uint32_t kInputLevel = 0x40000;
    static constexpr std::uint32_t kTypeMicrophone = 0x03000000;
    static constexpr std::uint32_t kTypeLineIn = 0x02000000;
    static constexpr std::uint32_t kTypeWave = 0x08000000;

    // The sound card's inputs through `host` (one of its own when none); the program's output
    // should share it.
    explicit CaptureDevice(std::shared_ptr<PortAudioHost> host = {});
    // Inputs of the caller's own, by name, opened by `factory`, instead of the sound card's.
    CaptureDevice(QStringList inputs, InputFactory factory);
    ~CaptureDevice();
    CaptureDevice(const CaptureDevice&) = delete;
    CaptureDevice& operator=(const CaptureDevice&) = delete;

    bool init();
    void free();
    bool isInitialised() const { return m_initialised; }
    // The name of input `index`; nothing after the last.
    std::optional<QString> inputName(int index) const;
    // Low 16 bits the level 0..100, kInputOff when off, the top byte the input's type.
    std::uint32_t input(int index) const;
    // kInputOff, kInputOn, or kInputLevel + a level 0..100; false for no such input.
    bool setInput(int index, std::uint32_t setting);
    bool start(int sampleRate, BufferCallback callback);
    void stop();
    bool isActive() const { return m_active.load(); }
    // Left 0..128 in the low 16 bits, right in the high 16 bits, of the latest buffer.
    std::uint32_t level() const { return m_level.load(); }
    AudioError lastError() const { return m_error; }
    // "" while well, else "The audio input stopped (<reason>); trying to reopen it".
    QString status() const;

private:
    struct Input {
        QString name;
        std::uint32_t type = kTypeWave;
        int level = 100;
        bool on = false;
        bool device = false; // a sound card's input, or else the null input
    };
    void deliver(std::int16_t* samples, std::size_t frames);
    void runNullInput(int sampleRate);
    std::unique_ptr<CaptureInput> openInput(const QString& name, int sampleRate, QString& reason);
    void runConsumer(QString name, int sampleRate);
    void setStatus(const QString& status);

    std::shared_ptr<PortAudioHost> m_host;
    InputFactory m_factory;
    QStringList m_ownInputs;
    std::vector<Input> m_inputs;
    bool m_initialised = false;
    AudioError m_error = AudioError::Ok;
    BufferCallback m_callback;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_running{false};
    std::atomic<std::uint32_t> m_level{0};
    std::atomic<int> m_gain{100};
    std::thread m_thread;
    std::thread m_consumer;
    std::vector<std::int16_t> m_fileSound; // the null input's sound, stereo
    // The input capturing and what it has delivered: the consumer thread's while it runs.
    std::unique_ptr<RingBuffer> m_inputRing;
    std::unique_ptr<CaptureInput> m_input;
    mutable std::mutex m_statusMutex;
    QString m_status;
};

} // namespace hoedeck
