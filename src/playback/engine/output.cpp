#include "output.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <portaudio.h>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <vector>

namespace hoedeck {

bool RingGate::enter(const AudioOutput* output) {
    if (m_owner.load(std::memory_order_acquire) != output)
        return false;
    bool expected = false;
    if (!m_busy.compare_exchange_strong(expected, true, std::memory_order_acquire))
        return false;
    // The gate may have been handed on between the two looks.
    if (m_owner.load(std::memory_order_acquire) != output) {
        leave();
        return false;
    }
    return true;
}

void AudioOutput::pull(RingBuffer& ring, float* out, std::size_t frames, bool countUnderrun) {
    m_asked.fetch_add(frames, std::memory_order_relaxed);
    if (m_gate && !m_gate->enter(this)) {
        std::memset(out, 0, frames * RingBuffer::kChannels * sizeof(float));
        return;
    }
    const std::size_t got = ring.pop(out, frames);
    if (got < frames) {
        std::memset(out + got * RingBuffer::kChannels, 0,
                    (frames - got) * RingBuffer::kChannels * sizeof(float));
        if (countUnderrun)
            this->countUnderrun();
    }
    m_played.fetch_add(got, std::memory_order_relaxed);
    if (m_gate) {
        m_gate->m_played.fetch_add(got, std::memory_order_relaxed);
        m_gate->leave();
    }
}

void AudioOutput::countUnderrun() {
    m_underruns.fetch_add(1, std::memory_order_relaxed);
    if (m_gate)
        m_gate->m_underruns.fetch_add(1, std::memory_order_relaxed);
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

// --- PortAudio, shared ---------------------------------------------------------------------

PortAudioHost::~PortAudioHost() {
    // Users release their references before the host goes; this only covers one that did not.
    std::lock_guard lock(m_mutex);
    for (; m_users > 0; --m_users)
        Pa_Terminate();
}

bool PortAudioHost::acquire(QString* reason) {
    std::lock_guard lock(m_mutex);
    if (m_users == 0)
        quietAudioLibraries();
    const PaError err = Pa_Initialize();
    if (err != paNoError) {
        if (reason)
            *reason = QString::fromUtf8(Pa_GetErrorText(err));
        return false;
    }
    ++m_users;
    return true;
}

void PortAudioHost::release() {
    std::lock_guard lock(m_mutex);
    if (m_users == 0)
        return;
    --m_users;
    Pa_Terminate();
}

QStringList PortAudioHost::devices(bool output) {
    QStringList names;
    if (!acquire())
        return names;
    for (int i = 0; i < Pa_GetDeviceCount(); ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && (output ? info->maxOutputChannels : info->maxInputChannels) > 0)
            names << QString::fromUtf8(info->name);
    }
    release();
    return names;
}

QStringList PortAudioHost::outputDevices() {
    return devices(true);
}
QStringList PortAudioHost::inputDevices() {
    return devices(false);
}

QString PortAudioHost::openStream(PaStream*& stream, const PaStreamParameters* input,
                                  const PaStreamParameters* output, int sampleRate,
                                  PaStreamCallback* callback, PaStreamFinishedCallback* finished,
                                  void* user) {
    PaError err = Pa_OpenStream(&stream, input, output, sampleRate, 256, paNoFlag, callback, user);
    if (err == paNoError)
        err = Pa_SetStreamFinishedCallback(stream, finished);
    if (err == paNoError)
        err = Pa_StartStream(stream);
    return err == paNoError ? QString() : QString::fromUtf8(Pa_GetErrorText(err));
}

void PortAudioHost::closeStream(PaStream*& stream, std::atomic<bool>& stopping) {
    if (!stream)
        return;
    stopping = true;
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    stream = nullptr;
    stopping = false;
}

int PortAudioHost::deviceIndex(const QString& name, bool output) {
    if (name.isEmpty()) {
        const PaDeviceIndex device =
            output ? Pa_GetDefaultOutputDevice() : Pa_GetDefaultInputDevice();
        return device == paNoDevice ? -1 : device;
    }
    const QByteArray wanted = name.toUtf8();
    for (int i = 0; i < Pa_GetDeviceCount(); ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (info && (output ? info->maxOutputChannels : info->maxInputChannels) > 0 &&
            wanted == info->name)
            return i;
    }
    return -1;
}

namespace {

class PortAudioOutput : public AudioOutput {
public:
    PortAudioOutput(std::shared_ptr<PortAudioHost> host, QString device)
        : m_host(std::move(host)), m_device(std::move(device)) {}
    ~PortAudioOutput() override { stop(); }

    bool start(RingBuffer& ring, int sampleRate, QString& reason) override {
        if (!m_host->acquire(&reason))
            return false;
        m_acquired = true;
        m_ring = &ring;
        m_finished = false;
        const int device = PortAudioHost::deviceIndex(m_device, true);
        if (device < 0) {
            reason = m_device.isEmpty()
                         ? QStringLiteral("there is no default output device")
                         : QStringLiteral("there is no output device called \"%1\"").arg(m_device);
            stop();
            return false;
        }
        PaStreamParameters params{};
        params.device = device;
        params.channelCount = RingBuffer::kChannels;
        params.sampleFormat = paFloat32;
        params.suggestedLatency = Pa_GetDeviceInfo(device)->defaultLowOutputLatency;
        reason =
            PortAudioHost::openStream(m_stream, nullptr, &params, sampleRate,
                                      &PortAudioOutput::callback, &PortAudioOutput::finished, this);
        if (!reason.isEmpty()) {
            stop();
            return false;
        }
        const PaStreamInfo* info = Pa_GetStreamInfo(m_stream);
        m_bufferFrames = info ? int(info->outputLatency * sampleRate) : 256;
        m_name = QString::fromUtf8(Pa_GetDeviceInfo(device)->name);
        return true;
    }

    void stop() override {
        PortAudioHost::closeStream(m_stream, m_stopping);
        if (m_acquired) {
            m_host->release();
            m_acquired = false;
        }
    }

    QString name() const override { return m_name; }
    int bufferFrames() const override { return m_bufferFrames; }

    QString fault() const override {
        if (!m_stream)
            return {};
        // PortAudio ends the stream by itself when its host API reports an error, as ALSA does
        // for a USB interface pulled out.
        const PaError active = Pa_IsStreamActive(m_stream);
        if (active < 0)
            return QString::fromUtf8(Pa_GetErrorText(active));
        if (m_finished.load() || active == 0)
            return QStringLiteral("the device ended the stream");
        return {};
    }

private:
    static int callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags flags, void* self) {
        auto* me = static_cast<PortAudioOutput*>(self);
        // The device ran dry before this callback came: the caller heard a gap.
        if (flags & paOutputUnderflow)
            me->countUnderrun();
        me->pull(*me->m_ring, static_cast<float*>(output), frames, true);
        return paContinue;
    }
    static void finished(void* self) {
        auto* me = static_cast<PortAudioOutput*>(self);
        if (!me->m_stopping.load())
            me->m_finished = true;
    }

    std::shared_ptr<PortAudioHost> m_host;
    QString m_device;
    PaStream* m_stream = nullptr;
    bool m_acquired = false;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stopping{false};
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
        raisePriority(m_thread, kDevicePriority);
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

std::unique_ptr<AudioOutput> makePortAudioOutput(std::shared_ptr<PortAudioHost> host,
                                                 const QString& device) {
    return std::make_unique<PortAudioOutput>(std::move(host), device);
}
std::unique_ptr<AudioOutput> makePortAudioOutput() {
    return makePortAudioOutput(std::make_shared<PortAudioHost>());
}
std::unique_ptr<AudioOutput> makeNullOutput() {
    return std::make_unique<NullOutput>();
}

// Real-time scheduling keeps the sound on time on a busy machine; where the system does not
// allow it the thread runs as an ordinary one, quietly.
bool raisePriority(std::thread& thread, int level) {
    sched_param param{};
    param.sched_priority =
        std::min(sched_get_priority_min(SCHED_FIFO) + level, sched_get_priority_max(SCHED_FIFO));
    return pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param) == 0;
}

} // namespace hoedeck
