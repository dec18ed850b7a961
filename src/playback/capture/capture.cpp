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

// A PortAudio input: its callback only copies into the ring; the consumer thread does the rest.
struct CaptureDevice::DeviceStream {
    PaStream* stream = nullptr;
    RingBuffer ring{44100};
    int channels = 2;
};

CaptureDevice::CaptureDevice() = default;
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
    if (!nullRequested()) {
        quietAudioLibraries();
        if (Pa_Initialize() == paNoError) {
            m_portAudio = true;
            for (int i = 0; i < Pa_GetDeviceCount(); ++i) {
                const PaDeviceInfo* device = Pa_GetDeviceInfo(i);
                if (device && device->maxInputChannels > 0) {
                    const QString name = QString::fromUtf8(device->name);
                    m_inputs.push_back({name, typeOf(name), 100, false, i});
                }
            }
            if (m_inputs.empty()) {
                Pa_Terminate();
                m_portAudio = false;
            }
        }
    }
    if (m_inputs.empty()) {
        const QString wav = qEnvironmentVariable("HOEDECK_CAPTURE_WAV");
        if (!wav.isEmpty() && !loadSound(wav, m_fileSound, m_error))
            return false;
        m_inputs.push_back(
            {wav.isEmpty() ? QStringLiteral("Null input") : QFileInfo(wav).fileName(), kTypeWave,
             100, false, -1});
    }
    m_inputs.front().on = true;
    m_initialised = true;
    m_error = AudioError::Ok;
    return true;
}

void CaptureDevice::free() {
    stop();
    if (m_portAudio) {
        Pa_Terminate();
        m_portAudio = false;
    }
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

bool CaptureDevice::startDevice(int device, int sampleRate) {
    m_device = std::make_unique<DeviceStream>();
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    m_device->channels = info && info->maxInputChannels >= 2 ? 2 : 1;
    PaStreamParameters params{};
    params.device = device;
    params.channelCount = m_device->channels;
    params.sampleFormat = paFloat32;
    params.suggestedLatency = info ? info->defaultLowInputLatency : 0.05;
    const auto callback = [](const void* input, void*, unsigned long frames,
                             const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags,
                             void* self) -> int {
        auto* stream = static_cast<DeviceStream*>(self);
        const auto* in = static_cast<const float*>(input);
        if (!in)
            return paContinue;
        if (stream->channels == 2) {
            stream->ring.push(in, frames);
        } else {
            float pair[2];
            for (unsigned long i = 0; i < frames; ++i) {
                pair[0] = pair[1] = in[i];
                stream->ring.push(pair, 1);
            }
        }
        return paContinue;
    };
    if (Pa_OpenStream(&m_device->stream, &params, nullptr, sampleRate, 256, paNoFlag, callback,
                      m_device.get()) != paNoError ||
        Pa_StartStream(m_device->stream) != paNoError) {
        if (m_device->stream)
            Pa_CloseStream(m_device->stream);
        m_device.reset();
        return false;
    }
    m_consumer = std::thread([this] { runConsumer(); });
    return true;
}

void CaptureDevice::runConsumer() {
    std::vector<float> block(1024 * 2);
    std::vector<std::int16_t> samples(1024 * 2);
    while (m_running.load()) {
        const std::size_t got = m_device->ring.pop(block.data(), 1024);
        if (got == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPeriodMs / 2));
            continue;
        }
        for (std::size_t i = 0; i < got * 2; ++i)
            samples[i] =
                std::int16_t(std::clamp(std::lround(block[i] * 32767.0f), -32768L, 32767L));
        deliver(samples.data(), got);
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
    if (chosen.device >= 0) {
        if (!startDevice(chosen.device, sampleRate)) {
            m_running = false;
            m_active = false;
            m_error = AudioError::Start;
            return false;
        }
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
    if (m_device) {
        Pa_StopStream(m_device->stream);
        Pa_CloseStream(m_device->stream);
        m_device.reset();
    }
    m_level = 0;
}

} // namespace hoedeck
