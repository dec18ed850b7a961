#pragma once

#include "audioerror.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace hoedeck {

// The sound card's recording side: its inputs (each with a level and on/off), and capturing
// 16-bit stereo with a callback per buffer on a thread of its own. Without a capture device
// (or with HOEDECK_AUDIO=null) a null input paced by a real-time clock delivers silence, or
// the sound of the file that HOEDECK_CAPTURE_WAV names, so recording works everywhere.
class CaptureDevice {
public:
    // Each captured buffer: 16-bit signed stereo, `bytes` a multiple of 4. False stops.
    using BufferCallback = std::function<bool(const std::int16_t* samples, std::size_t bytes)>;

    static constexpr std::uint32_t kInputOff = 0x10000;
    static constexpr std::uint32_t kInputOn = 0x20000;
    static constexpr std::uint32_t kInputLevel = 0x40000;
    static constexpr std::uint32_t kTypeMicrophone = 0x03000000;
    static constexpr std::uint32_t kTypeLineIn = 0x02000000;
    static constexpr std::uint32_t kTypeWave = 0x08000000;

    CaptureDevice();
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

private:
    struct Input {
        QString name;
        std::uint32_t type = kTypeWave;
        int level = 100;
        bool on = false;
        int device = -1; // PortAudio's index; -1 for the null input
    };
    void deliver(std::int16_t* samples, std::size_t frames);
    void runNullInput(int sampleRate);
    bool startDevice(int device, int sampleRate);
    void runConsumer();

    std::vector<Input> m_inputs;
    bool m_initialised = false;
    bool m_portAudio = false;
    AudioError m_error = AudioError::Ok;
    BufferCallback m_callback;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_running{false};
    std::atomic<std::uint32_t> m_level{0};
    std::atomic<int> m_gain{100};
    std::thread m_thread;
    std::thread m_consumer;
    std::vector<std::int16_t> m_fileSound; // the null input's sound, stereo
    struct DeviceStream;
    std::unique_ptr<DeviceStream> m_device;
};

} // namespace hoedeck
