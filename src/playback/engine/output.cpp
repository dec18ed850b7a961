#include "output.h"

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <portaudio.h>
#include <thread>
#include <vector>

namespace hoedeck {

void AudioOutput::pull(RingBuffer& ring, float* out, std::size_t frames, bool countUnderrun) {
    const std::size_t got = ring.pop(out, frames);
    if (got < frames) {
        std::memset(out + got * RingBuffer::kChannels, 0,
                    (frames - got) * RingBuffer::kChannels * sizeof(float));
        if (countUnderrun)
            m_underruns.fetch_add(1, std::memory_order_relaxed);
    }
    m_played.fetch_add(got, std::memory_order_relaxed);
}

namespace {

void ignoreAlsa(const char*, int, const char*, int, const char*, ...) {}
void ignoreJack(const char*) {}

} // namespace

// ALSA and JACK write their probing to stderr when PortAudio looks for devices; a caller
// starting the program from a terminal should not see a page of it. Found at run time so that
// neither library is needed to build.
void quietAudioLibraries() {
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetAlsaHandler = int (*)(AlsaHandler);
    if (auto set =
            reinterpret_cast<SetAlsaHandler>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
        set(&ignoreAlsa);
    using JackHandler = void (*)(const char*);
    using SetJackHandler = void (*)(JackHandler);
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"})
        if (auto set = reinterpret_cast<SetJackHandler>(dlsym(RTLD_DEFAULT, name)))
            set(&ignoreJack);
    setenv("JACK_NO_START_SERVER", "1", 0);
}

namespace {

class PortAudioOutput : public AudioOutput {
public:
    ~PortAudioOutput() override { stop(); }

    bool start(RingBuffer& ring, int sampleRate, QString& reason) override {
        quietAudioLibraries();
        PaError err = Pa_Initialize();
        if (err != paNoError) {
            reason = QString::fromUtf8(Pa_GetErrorText(err));
            return false;
        }
        m_initialised = true;
        m_ring = &ring;
        const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
        if (device == paNoDevice) {
            reason = QStringLiteral("there is no default output device");
            stop();
            return false;
        }
        PaStreamParameters params{};
        params.device = device;
        params.channelCount = RingBuffer::kChannels;
        params.sampleFormat = paFloat32;
        params.suggestedLatency = Pa_GetDeviceInfo(device)->defaultLowOutputLatency;
        err = Pa_OpenStream(&m_stream, nullptr, &params, sampleRate, 256, paNoFlag,
                            &PortAudioOutput::callback, this);
        if (err == paNoError)
            err = Pa_StartStream(m_stream);
        if (err != paNoError) {
            reason = QString::fromUtf8(Pa_GetErrorText(err));
            stop();
            return false;
        }
        const PaStreamInfo* info = Pa_GetStreamInfo(m_stream);
        m_bufferFrames = info ? int(info->outputLatency * sampleRate) : 256;
        m_name = QString::fromUtf8(Pa_GetDeviceInfo(device)->name);
        return true;
    }

    void stop() override {
        if (m_stream) {
            Pa_StopStream(m_stream);
            Pa_CloseStream(m_stream);
            m_stream = nullptr;
        }
        if (m_initialised) {
            Pa_Terminate();
            m_initialised = false;
        }
    }

    QString name() const override { return m_name; }
    int bufferFrames() const override { return m_bufferFrames; }

private:
    static int callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto* me = static_cast<PortAudioOutput*>(self);
        me->pull(*me->m_ring, static_cast<float*>(output), frames, true);
        return paContinue;
    }

    PaStream* m_stream = nullptr;
    bool m_initialised = false;
    RingBuffer* m_ring = nullptr;
    int m_bufferFrames = 256;
    QString m_name;
};

// No sound card: takes frames at the pace of a real-time clock, so everything timed by
// playback (syncs, the progress display, a recording) runs as it would with one.
class NullOutput : public AudioOutput {
public:
    ~NullOutput() override { stop(); }

    bool start(RingBuffer& ring, int sampleRate, QString&) override {
        m_running = true;
        m_thread = std::thread([this, &ring, sampleRate] { run(ring, sampleRate); });
        return true;
    }
    void stop() override {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    QString name() const override { return QStringLiteral("Null output"); }
    int bufferFrames() const override { return kPeriod; }

private:
    static constexpr int kPeriod = 256;

    void run(RingBuffer& ring, int sampleRate) {
        std::vector<float> scratch(kPeriod * RingBuffer::kChannels);
        const auto begin = std::chrono::steady_clock::now();
        std::uint64_t taken = 0;
        // Playback begins once the mixer has put something in: a silent start is not an
        // underrun.
        bool started = false;
        while (m_running.load(std::memory_order_relaxed)) {
            const double elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            const auto due = std::uint64_t(elapsed * sampleRate);
            while (taken + kPeriod <= due) {
                started = started || ring.available() > 0;
                pull(ring, scratch.data(), kPeriod, started);
                taken += kPeriod;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

} // namespace

std::unique_ptr<AudioOutput> makePortAudioOutput() {
    return std::make_unique<PortAudioOutput>();
}
std::unique_ptr<AudioOutput> makeNullOutput() {
    return std::make_unique<NullOutput>();
}

} // namespace hoedeck
