#include "capture.h"

#include "output.h"
#include "ringbuffer.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <portaudio.h>
#include <sndfile.h>

namespace hoedeck {

namespace {
constexpr int kPeriodMs = 10;

bool nullRequested() {
    return qEnvironmentVariable("HOEDECK_AUDIO").compare("null", Qt::CaseInsensitive) == 0 ||
           !qEnvironmentVariableIsEmpty("HOEDECK_CAPTURE_WAV");
}

std::uint32_t typeOf(const QString& name) {
    const QString lower = name.toLower();
    if (lower.contains("mic"))
        return CaptureDevice::kTypeMicrophone;
    if (lower.contains("line"))
        return CaptureDevice::kTypeLineIn;
    return CaptureDevice::kTypeWave;
}

// The file's sound as 44100 Hz 16-bit stereo: mono doubled, other rates resampled linearly.
bool loadSound(const QString& path, std::vector<std::int16_t>& out, AudioError& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file) {
        error = QFileInfo::exists(path) ? AudioError::FileForm : AudioError::FileOpen;
        return false;
    }
    std::vector<float> raw(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t got = sf_readf_float(file, raw.data(), info.frames);
    sf_close(file);
    if (got <= 0) {
        error = AudioError::Empty;
        return false;
    }
    const double step = double(info.samplerate) / 44100.0;
    const auto frames = std::size_t(double(got) / step);
    out.resize(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double at = double(i) * step;
        const auto idx = std::size_t(at);
        const double frac = at - double(idx);
        for (int c = 0; c < 2; ++c) {
            const int sc = std::min(c, info.channels - 1);
            const float a = raw[idx * std::size_t(info.channels) + std::size_t(sc)];
            const float b = idx + 1 < std::size_t(got)
                                ? raw[(idx + 1) * std::size_t(info.channels) + std::size_t(sc)]
                                : a;
            const double v = (a + (b - a) * frac) * 32767.0;
            out[i * 2 + std::size_t(c)] = std::int16_t(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return true;
}
} // namespace

namespace {
// A sound card's input through PortAudio: its callback only copies into the ring; the
// capture's consumer thread does the rest.
class PortAudioInput : public CaptureInput {
public:
    PortAudioInput(std::shared_ptr<PortAudioHost> host, QString name)
        : m_host(std::move(host)), m_name(std::move(name)) {}
    ~PortAudioInput() override { stop(); }

    bool start(RingBuffer& ring, int sampleRate, QString& reason) override {
        if (!m_host->acquire(&reason))
            return false;
        m_acquired = true;
        m_ring = &ring;
        // Looked up by name each time: PortAudio numbers its devices afresh when it looks again.
        const int device = PortAudioHost::deviceIndex(m_name, false);
        if (device < 0) {
            reason = QStringLiteral("there is no input device called \"%1\"").arg(m_name);
            stop();
            return false;
        }
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        m_channels = info && info->maxInputChannels >= 2 ? 2 : 1;
        PaStreamParameters params{};
        params.device = device;
        params.channelCount = m_channels;
        params.sampleFormat = paFloat32;
        params.suggestedLatency = info ? info->defaultLowInputLatency : 0.05;
        reason =
            PortAudioHost::openStream(m_stream, &params, nullptr, sampleRate,
                                      &PortAudioInput::callback, &PortAudioInput::finished, this);
        if (!reason.isEmpty()) {
            stop();
            return false;
        }
        return true;
    }

    void stop() override {
        PortAudioHost::closeStream(m_stream, m_stopping);
        if (m_acquired) {
            m_host->release();
            m_acquired = false;
        }
    }

    QString fault() const override {
        if (!m_stream)
            return {};
        const PaError active = Pa_IsStreamActive(m_stream);
        if (active < 0)
            return QString::fromUtf8(Pa_GetErrorText(active));
        if (m_finished.load() || active == 0)
            return QStringLiteral("the device ended the stream");
        return {};
    }

private:
    static int callback(const void* input, void*, unsigned long frames,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto* me = static_cast<PortAudioInput*>(self);
        const auto* in = static_cast<const float*>(input);
        if (!in)
            return paContinue;
        if (me->m_channels == 2) {
            me->m_ring->push(in, frames);
        } else {
            float pair[2];
            for (unsigned long i = 0; i < frames; ++i) {
                pair[0] = pair[1] = in[i];
                me->m_ring->push(pair, 1);
            }
        }
        return paContinue;
    }
    static void finished(void* self) {
        auto* me = static_cast<PortAudioInput*>(self);
        if (!me->m_stopping.load())
            me->m_finished = true;
    }

    std::shared_ptr<PortAudioHost> m_host;
    QString m_name;
    PaStream* m_stream = nullptr;
    RingBuffer* m_ring = nullptr;
    int m_channels = 2;
    bool m_acquired = false;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stopping{false};
};

QString lostText(const QString& reason) {
    return QStringLiteral("The audio input stopped (%1); trying to reopen it").arg(reason);
}
} // namespace

CaptureDevice::CaptureDevice(std::shared_ptr<PortAudioHost> host)
    : m_host(host ? std::move(host) : std::make_shared<PortAudioHost>()) {}

CaptureDevice::CaptureDevice(QStringList inputs, InputFactory factory)
    : m_factory(std::move(factory)), m_ownInputs(std::move(inputs)) {}

CaptureDevice::~CaptureDevice() {
    free();
}

bool CaptureDevice::init() {
    if (m_initialised) {
        m_error = AudioError::Already;
        return false;
    }
    m_inputs.clear();
    m_fileSound.clear();
    // The device list is taken and PortAudio let go of at once, so that the output, reopening
    // a device that was pulled out and plugged back in, can have PortAudio look again.
    QStringList devices = m_factory ? m_ownInputs : QStringList();
    if (!m_factory && !nullRequested())
        devices = m_host->inputDevices();
    for (const QString& name : devices)
        m_inputs.push_back({name, typeOf(name), 100, false, true});
    if (m_inputs.empty()) {
        const QString wav = qEnvironmentVariable("HOEDECK_CAPTURE_WAV");
        if (!wav.isEmpty() && !loadSound(wav, m_fileSound, m_error))
            return false;
        m_inputs.push_back(
            {wav.isEmpty() ? QStringLiteral("Null input") : QFileInfo(wav).fileName(), kTypeWave,
             100, false, false});
    }
    m_inputs.front().on = true;
    m_initialised = true;
    m_error = AudioError::Ok;
    return true;
}

void CaptureDevice::free() {
    stop();
    m_inputs.clear();
    m_initialised = false;
}

std::optional<QString> CaptureDevice::inputName(int index) const {
    if (index < 0 || index >= int(m_inputs.size()))
        return std::nullopt;
    return m_inputs[std::size_t(index)].name;
}

std::uint32_t CaptureDevice::input(int index) const {
    if (index < 0 || index >= int(m_inputs.size()))
        return std::uint32_t(-1);
    const Input& in = m_inputs[std::size_t(index)];
    return std::uint32_t(in.level) | (in.on ? 0u : kInputOff) | in.type;
}

bool CaptureDevice::setInput(int index, std::uint32_t setting) {
    if (index < 0 || index >= int(m_inputs.size())) {
        m_error = AudioError::IllegalParam;
        return false;
    }
    Input& in = m_inputs[std::size_t(index)];
    if (setting & kInputOff)
        in.on = false;
    if (setting & kInputOn)
        in.on = true;
    if (setting & kInputLevel) {
        in.level = std::clamp(int(setting & 0xFFFF), 0, 100);
        if (in.on)
            m_gain = in.level;
    }
    m_error = AudioError::Ok;
    return true;
}

void CaptureDevice::deliver(std::int16_t* samples, std::size_t frames) {
    // The input level is a gain on the captured sound: 100 as it comes, 50 half as loud.
    const int gain = m_gain.load();
    int left = 0, right = 0;
    for (std::size_t i = 0; i < frames * 2; ++i) {
        if (gain != 100)
            samples[i] = std::int16_t(int(samples[i]) * gain / 100);
        int& peak = i % 2 ? right : left;
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    const auto scale = [](int v) {
        return std::uint32_t(std::min(128, (v * 128 + 16384) / 32767));
    };
    m_level = scale(left) | scale(right) << 16;
    if (m_callback && !m_callback(samples, frames * 4)) {
        m_running = false;
        m_active = false;
    }
}

void CaptureDevice::runNullInput(int sampleRate) {
    const auto period = std::size_t(sampleRate * kPeriodMs / 1000);
    std::vector<std::int16_t> buffer(period * 2);
    std::size_t at = 0;
    const auto begin = std::chrono::steady_clock::now();
    std::size_t delivered = 0;
    while (m_running.load()) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        while (m_running.load() && delivered + period <= std::size_t(elapsed * sampleRate)) {
            for (std::size_t i = 0; i < period; ++i) {
                const bool sound = !m_fileSound.empty();
                buffer[i * 2] = sound ? m_fileSound[at * 2] : 0;
                buffer[i * 2 + 1] = sound ? m_fileSound[at * 2 + 1] : 0;
                if (sound)
                    at = (at + 1) % (m_fileSound.size() / 2);
            }
            deliver(buffer.data(), period);
            delivered += period;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::unique_ptr<CaptureInput> CaptureDevice::openInput(const QString& name, int sampleRate,
                                                       QString& reason) {
    std::unique_ptr<CaptureInput> input =
        m_factory ? m_factory(name) : std::make_unique<PortAudioInput>(m_host, name);
    if (!input) {
        reason = QStringLiteral("there is no input called \"%1\"").arg(name);
        return nullptr;
    }
    if (!input->start(*m_inputRing, sampleRate, reason))
        return nullptr;
    return input;
}

void CaptureDevice::setStatus(const QString& status) {
    std::lock_guard lock(m_statusMutex);
    m_status = status;
}

QString CaptureDevice::status() const {
    std::lock_guard lock(m_statusMutex);
    return m_status;
}

// Takes the input's sound out of its ring and delivers it, and watches the input on the way:
// one that reports a fault or goes quiet for kStallTime is closed, and silence paced by the
// clock goes on from the moment its sound stopped, so the recording keeps time with the
// music. Every second the input is opened again; its sound takes over from the silence as soon
// as it delivers some.
void CaptureDevice::runConsumer(QString name, int sampleRate) {
    using Clock = std::chrono::steady_clock;
    constexpr std::size_t kBlock = 1024;
    const auto period = std::size_t(sampleRate * kPeriodMs / 1000);
    std::vector<float> block(kBlock * 2);
    std::vector<std::int16_t> samples(std::max(kBlock, period) * 2);
    const auto deliverRing = [&] {
        const std::size_t got = m_inputRing->pop(block.data(), kBlock);
        for (std::size_t i = 0; i < got * 2; ++i)
            samples[i] =
                std::int16_t(std::clamp(std::lround(block[i] * 32767.0f), -32768L, 32767L));
        if (got)
            deliver(samples.data(), got);
        return got;
    };
    auto lastSound = Clock::now();
    bool heard = false;
    bool lost = false;
    Clock::time_point silenceFrom, nextRetry;
    std::uint64_t silenceSent = 0;
    while (m_running.load()) {
        const auto now = Clock::now();
        if (m_input) {
            QString why = m_input->fault();
            if (why.isEmpty() && deliverRing()) {
                lastSound = now;
                heard = true;
                if (lost) {
                    lost = false;
                    setStatus({});
                }
                continue;
            }
            if (why.isEmpty() && now - lastSound > (heard ? kStallTime : kFirstSoundTime))
                why = QStringLiteral("the device stopped sending sound");
            if (!why.isEmpty()) {
                m_input->stop();
                m_input.reset();
                while (m_running.load() && deliverRing()) {
                }
                if (!lost) {
                    lost = true;
                    silenceFrom = lastSound;
                    silenceSent = 0;
                    nextRetry = now + kRetryInterval;
                    setStatus(lostText(why));
                }
            }
        }
        if (lost) {
            const auto due = std::uint64_t(
                std::chrono::duration<double>(now - silenceFrom).count() * sampleRate);
            while (m_running.load() && silenceSent + period <= due) {
                std::fill(samples.begin(), samples.begin() + std::ptrdiff_t(period * 2), 0);
                deliver(samples.data(), period);
                silenceSent += period;
            }
            if (!m_input && now >= nextRetry && m_running.load()) {
                nextRetry = now + kRetryInterval;
                QString unused;
                m_input = openInput(name, sampleRate, unused);
                lastSound = Clock::now();
                heard = false;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs / 2));
    }
    if (m_input) {
        m_input->stop();
        m_input.reset();
    }
}

bool CaptureDevice::start(int sampleRate, BufferCallback callback) {
    if (!m_initialised) {
        m_error = AudioError::Init;
        return false;
    }
    if (m_active) {
        m_error = AudioError::Already;
        return false;
    }
    stop(); // threads of a capture its callback ended
    m_callback = std::move(callback);
    const auto on =
        std::find_if(m_inputs.begin(), m_inputs.end(), [](const Input& i) { return i.on; });
    const Input& chosen = on == m_inputs.end() ? m_inputs.front() : *on;
    m_gain = chosen.level;
    m_running = true;
    m_active = true;
    if (chosen.device) {
        m_inputRing = std::make_unique<RingBuffer>(44100);
        QString reason;
        m_input = openInput(chosen.name, sampleRate, reason);
        if (!m_input) {
            m_running = false;
            m_active = false;
            m_error = AudioError::Start;
            return false;
        }
        m_consumer =
            std::thread([this, name = chosen.name, sampleRate] { runConsumer(name, sampleRate); });
    } else {
        m_thread = std::thread([this, sampleRate] { runNullInput(sampleRate); });
    }
    m_error = AudioError::Ok;
    return true;
}

void CaptureDevice::stop() {
    m_running = false;
    m_active = false;
    const auto self = std::this_thread::get_id();
    if (m_thread.joinable() && m_thread.get_id() != self)
        m_thread.join();
    if (m_consumer.joinable() && m_consumer.get_id() != self)
        m_consumer.join();
    // The consumer closes its input on the way out, unless the callback ended the capture from
    // the consumer itself.
    if (m_input && !(m_consumer.joinable() && m_consumer.get_id() == self)) {
        m_input->stop();
        m_input.reset();
    }
    m_level = 0;
    setStatus({});
}

} // namespace hoedeck
