#include "audioengine.h"

#include <QFileInfo>

#include "bpmworker.h"
#include "decodedfile.h"
#include "enginecore.h"
#include "mixer.h"
#include "output.h"
#include "outputsupervisor.h"
#include "ringbuffer.h"
#include "stream.h"
#include "taps.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace hoedeck {

namespace {
thread_local AudioError t_lastError = AudioError::Ok;

bool fail(AudioError error) {
    t_lastError = error;
    return false;
}
template <typename T> T fail(AudioError error, T value) {
    t_lastError = error;
    return value;
}
void ok() {
    t_lastError = AudioError::Ok;
}

constexpr std::size_t kBlockFrames = 256;  // a mixer block: 5.8 ms
constexpr std::size_t kRingFrames = 8192;  // room in the ring
constexpr std::size_t kAheadFrames = 1024; // how far the mixer keeps ahead: 23 ms
constexpr std::size_t kWavCopyFrames = 44100 * 2;

double tempoSpeed(float tempo, int rate) {
    return (1.0 + tempo / 100.0) * rate / AudioEngine::kSampleRate;
}
} // namespace

class AudioEngine::Impl {
public:
    Impl(Output mode, DeviceFactory devices)
        : mode(mode), devices(std::move(devices)), files(mode == Output::Offline),
          ring(kRingFrames), mixer(core) {}

    Output mode;
    DeviceFactory devices;
    DecodedFileCache files;
    EngineCore core;
    RingBuffer ring;
    Mixer mixer;
    std::shared_ptr<PortAudioHost> host = std::make_shared<PortAudioHost>();
    std::unique_ptr<OutputSupervisor> output;
    QString device;
    std::thread mixerThread;
    std::atomic<bool> running{false};
    std::atomic<std::size_t> ahead{kAheadFrames};
    bool started = false;
    std::unique_ptr<BpmWorker> bpm;
    std::shared_ptr<OutputTap> wavTap;
    TapWavWriter wavCopy;

    // Callers' side, under core.mutex.
    std::unordered_map<Handle, std::shared_ptr<Stream>> streams;
    std::unordered_map<Handle, Handle> outputs; // tempo output -> its stream
    std::unordered_map<Handle, Handle> owners;  // sync or effect -> its stream
    Handle nextHandle = 1;

    // Holds the engine's lock for one call; what the mixer let go of is released after it.
    class Locked {
    public:
        explicit Locked(Impl& impl) : m_lock(impl.core.mutex) { impl.collect(m_garbage); }

    private:
        std::vector<std::shared_ptr<void>> m_garbage; // destroyed after the lock is let go
        std::unique_lock<std::mutex> m_lock;
    };

    // With the lock held: takes what the mixer let go of, and frees one-shot sounds that
    // have played out.
    void collect(std::vector<std::shared_ptr<void>>& garbage) {
        if (!core.retired.empty()) {
            garbage.reserve(EngineCore::kRetiredCapacity);
            garbage.swap(core.retired);
        }
        if (core.ended.exchange(false, std::memory_order_acquire)) {
            std::vector<Handle> done;
            for (const auto& [h, s] : streams)
                if (s->control.autoFree && s->published.ended.load(std::memory_order_relaxed))
                    done.push_back(h);
            for (const Handle h : done)
                eraseStream(h);
        }
    }

    // A song's decoded copy, shared with other streams of it; none with the error set.
    std::shared_ptr<DecodedFile> openFile(const QString& path) {
        { Locked collect(*this); } // frees what the mixer let go of before memory is taken
        AudioError error = AudioError::Ok;
        auto file = files.open(path, error);
        if (file)
            ok();
        else
            fail(error);
        return file;
    }

    Handle newHandle() {
        Handle h = nextHandle++;
        if (nextHandle == 0)
            nextHandle = 1;
        return h;
    }

    // The stream a handle names, and whether it named the stream's tempo output.
    Stream* find(Handle h, bool* isOutput = nullptr) const {
        if (isOutput)
            *isOutput = false;
        if (auto it = streams.find(h); it != streams.end())
            return it->second.get();
        if (auto it = outputs.find(h); it != outputs.end()) {
            if (isOutput)
                *isOutput = true;
            if (auto s = streams.find(it->second); s != streams.end())
                return s->second.get();
        }
        return nullptr;
    }

    static bool isTempo(const Stream& s) { return s.control.tempoOutput != 0; }

    // The settings of an equaliser band by its handle, and the stream it belongs to.
    AudioEngine::ParamEq* findFx(Handle fx, Stream*& s) const {
        const auto owner = owners.find(fx);
        s = owner == owners.end() ? nullptr : find(owner->second);
        if (!s)
            return nullptr;
        for (auto& [handle, params] : s->control.fx)
            if (handle == fx)
                return &params;
        return nullptr;
    }

    // Whether a handle plays: a plain stream, or a tempo stream's output.
    static bool hasVoice(const Stream& s, bool isOutput) {
        return isTempo(s) ? isOutput : !s.isDecode();
    }

    bool pending(std::uint64_t seq) const {
        return seq > core.appliedSeq.load(std::memory_order_acquire);
    }

    bool playing(const Stream& s) const {
        return pending(s.control.playSeq) ? s.control.playing
                                          : s.published.playing.load(std::memory_order_acquire);
    }

    // Where the listener is in the stream's source, in frames.
    double position(const Stream& s) const {
        if (s.isDecode() && !isTempo(s))
            return s.control.decodePosition;
        if (pending(s.control.positionSeq))
            return s.control.position;
        const Published::Place place = s.published.place();
        // A sync procedure asks where the mixer is; everyone else hears the queued sound
        // first: what was mixed after the frames the output has taken.
        if (Mixer::mixing() || !playing(s) || mode == Output::Offline)
            return place.position;
        const auto consumed = std::uint64_t(ring.consumed());
        const double queued = place.mixedAt > consumed ? double(place.mixedAt - consumed) : 0.0;
        return std::max(s.published.runStart.load(std::memory_order_relaxed),
                        place.position - queued * s.published.speed.load());
    }

    // A new stream of a decoded file under a new handle; `prepare` sets what it starts with.
    template <typename Prepare>
    Handle addStream(std::shared_ptr<DecodedFile> file, std::uint32_t flags, Prepare&& prepare) {
        auto stream = std::make_shared<Stream>();
        stream->flags = flags;
        stream->file = std::move(file);
        stream->control.rate = stream->file->sampleRate();
        stream->render.speed = double(stream->control.rate) / kSampleRate;
        stream->published.speed.store(stream->render.speed);
        prepare(*stream);
        Locked lock(*this);
        stream->handle = newHandle();
        streams[stream->handle] = stream;
        core.push(Command::Op::Add, stream.get());
        return stream->handle;
    }

    // Takes a stream out of the handle tables; the mixer lets go of it, then a caller frees it.
    void eraseStream(Handle h) {
        auto it = streams.find(h);
        if (it == streams.end())
            return;
        Stream& s = *it->second;
        for (const auto& sync : *s.control.syncs)
            owners.erase(sync->handle);
        for (const auto& fx : s.control.fx)
            owners.erase(fx.first);
        if (s.control.tempoOutput)
            outputs.erase(s.control.tempoOutput);
        if (s.control.bpm && bpm)
            bpm->remove(s.control.bpm);
        core.push(Command::Op::Remove, &s).payload = std::move(it->second);
        streams.erase(it);
    }

    void setSyncs(Stream& s, std::shared_ptr<SyncList> list) {
        s.control.syncs = list;
        core.push(Command::Op::Syncs, &s).payload = std::move(list);
    }

    void setFx(Stream& s) {
        auto chain = std::make_shared<FxChain>();
        for (const auto& [handle, eq] : s.control.fx) {
            FxBand& band = chain->emplace_back();
            band.handle = handle;
            band.filter.setPeaking(kSampleRate, eq.centre, dsp::semitonesToOctaves(eq.bandwidth),
                                   eq.gain);
        }
        core.push(Command::Op::Fx, &s).payload = std::move(chain);
    }

    struct Tuning {
        float tempo = 0;
        int rate = 0;
        float pitch = 0;
        int fileRate = 0; // the file's own rate
    };

    // Changes a tempo stream's tempo, rate or key. A new rate or key needs a new SoundTouch
    // (its anti-alias filter is designed anew, which allocates): it is made here, outside the
    // lock, and the mixer crossfades to it.
    bool retune(Handle h, const std::function<bool(Tuning&)>& change) {
        std::shared_ptr<TempoRender> fresh;
        for (;;) {
            int fileRate = 0, channels = 0;
            Tuning want;
            {
                Locked lock(*this);
                Stream* s = find(h);
                if (!s || !isTempo(*s))
                    return fail(AudioError::Handle);
                Stream::Control& c = s->control;
                want = {c.tempo, c.rate, c.pitch, s->file->sampleRate()};
                if (!change(want))
                    return false;
                const bool rebuild = want.rate != c.builtRate || want.pitch != c.builtPitch;
                if (!rebuild || (fresh && fresh->rate == want.rate && fresh->pitch == want.pitch)) {
                    c.tempo = want.tempo;
                    c.rate = want.rate;
                    c.pitch = want.pitch;
                    Command& command = core.push(Command::Op::Tempo, s);
                    command.a = c.tempo;
                    command.i = c.rate;
                    command.b = c.pitch;
                    if (rebuild) {
                        command.payload = std::move(fresh);
                        c.builtRate = want.rate;
                        c.builtPitch = want.pitch;
                    }
                    ok();
                    return true;
                }
                fileRate = s->file->sampleRate();
                channels = s->channels();
            }
            fresh = std::make_shared<TempoRender>(fileRate, channels, want.tempo, want.rate,
                                                  want.pitch);
        }
    }

    void setVolume(Stream& s, float volume) {
        Command& c = core.push(Command::Op::Volume, &s);
        c.a = volume;
        s.control.volumeSeq = c.seq;
        s.control.volume = volume;
    }

    void play(Stream& s, bool restart) {
        Command& c = core.push(Command::Op::Play, &s);
        c.flag = restart;
        s.control.playSeq = c.seq;
        s.control.playing = true;
        if (restart) {
            s.control.positionSeq = c.seq;
            s.control.position = 0;
        }
    }

    // Plays a new stream once from its start at the volume, from a mixed frame, then frees it.
    Handle startSample(std::shared_ptr<DecodedFile> file, int volume, std::uint64_t at) {
        if (!file)
            return 0;
        const float v = std::clamp(volume, 0, 100) / 100.0f;
        const Handle h = addStream(std::move(file), 0, [&](Stream& s) {
            s.control.autoFree = true;
            s.control.volume = v;
            s.render.voice.volume = s.render.voice.gain = v;
            s.published.volume.store(v);
        });
        Locked lock(*this);
        Stream* s = find(h);
        core.push(Command::Op::StartAt, s).frame = at;
        play(*s, false);
        return h;
    }

    void mixerLoop() {
        std::vector<float> block(kBlockFrames * 2);
        while (running.load(std::memory_order_relaxed)) {
            if (ring.available() >= ahead.load(std::memory_order_relaxed) ||
                ring.space() < kBlockFrames) {
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                continue;
            }
            mixer.mix(block.data(), kBlockFrames);
            ring.push(block.data(), kBlockFrames);
        }
    }

    // Keeps the mixer ahead of what the device takes at a time.
    void updateAhead() {
        if (output)
            ahead.store(std::max<std::size_t>(kAheadFrames, std::size_t(output->bufferFrames()) +
                                                                2 * kBlockFrames));
    }

    // Drops every stream, tap and command; only while nothing mixes.
    void clearAll() {
        std::vector<std::shared_ptr<void>> garbage;
        std::unordered_map<Handle, std::shared_ptr<Stream>> gone;
        std::vector<Command> queue;
        {
            std::lock_guard lock(core.mutex);
            garbage.swap(core.retired);
            core.retired.reserve(EngineCore::kRetiredCapacity);
            gone.swap(streams);
            queue.swap(core.queue);
            core.queue.reserve(1024);
            outputs.clear();
            owners.clear();
            core.appliedSeq.store(core.seq);
            mixer.reset();
        }
    }
};

// --- The engine ---------------------------------------------------------------------------

AudioEngine::Output AudioEngine::outputFromEnvironment() {
    return qEnvironmentVariable("HOEDECK_AUDIO").compare("null", Qt::CaseInsensitive) == 0
               ? Output::Null
               : Output::Device;
}

AudioEngine::AudioEngine(Output output, DeviceFactory devices)
    : m(std::make_unique<Impl>(output, std::move(devices))) {}

AudioEngine::~AudioEngine() {
    free();
    if (m->mixerThread.joinable())
        m->mixerThread.join();
}

bool AudioEngine::start(QString* reason) {
    if (m->started)
        return fail(AudioError::Already);
    if (m->mixerThread.joinable()) // freed from a sync procedure
        m->mixerThread.join();
    m->started = true;
    ok();
    if (m->mode == Output::Offline)
        return true;
    m->output = std::make_unique<OutputSupervisor>(m->ring, kSampleRate, m->devices, m->host);
    QString why;
    const bool deviceOk = m->output->start(m->mode == Output::Device, m->device, &why);
    if (!deviceOk)
        m->mode = Output::Null;
    m->updateAhead();
    const QString wav = qEnvironmentVariable("HOEDECK_OUTPUT_WAV");
    if (!wav.isEmpty()) {
        m->wavTap = tapOpen(kWavCopyFrames);
        if (!m->wavCopy.start(wav, kSampleRate, m->wavTap)) {
            if (!why.isEmpty())
                why += "; ";
            why += QStringLiteral("the output copy \"%1\" cannot be written").arg(wav);
            tapClose(m->wavTap);
            m->wavTap.reset();
        }
    }
    m->running = true;
    m->mixerThread = std::thread([this] { m->mixerLoop(); });
    raisePriority(m->mixerThread, kMixerPriority);
    if (reason)
        *reason = why;
    if (!deviceOk)
        return fail(AudioError::Driver);
    return true;
}

void AudioEngine::free() {
    if (Mixer::mixing()) {
        // From a sync procedure: the mixer cannot wait for itself. It stops after this block
        // and lets every stream go; the thread is joined by the next start or the destructor.
        m->running = false;
        Impl::Locked lock(*m);
        std::vector<Handle> all;
        for (const auto& entry : m->streams)
            all.push_back(entry.first);
        for (const Handle h : all)
            m->eraseStream(h);
        m->started = false;
        return;
    }
    m->running = false;
    if (m->mixerThread.joinable())
        m->mixerThread.join();
    m->wavCopy.stop();
    m->wavTap.reset();
    if (m->output) {
        m->output->stop();
        m->output.reset();
    }
    m->bpm.reset();
    m->clearAll();
    m->started = false;
}

AudioEngine::Output AudioEngine::output() const {
    return m->mode;
}
QString AudioEngine::outputName() const {
    return m->output ? m->output->name() : QStringLiteral("Offline");
}
std::uint64_t AudioEngine::underruns() const {
    return m->output ? m->output->underruns() : 0;
}
std::uint64_t AudioEngine::framesPlayed() const {
    return m->output ? m->output->framesPlayed() : 0;
}
int AudioEngine::outputBufferFrames() const {
    return m->output ? m->output->bufferFrames() : 0;
}
int AudioEngine::queuedFrames() const {
    return int(m->ring.available());
}
std::uint64_t AudioEngine::mixedFrames() const {
    return m->core.mixed.load(std::memory_order_acquire);
}
AudioError AudioEngine::errorGetCode() const {
    return t_lastError;
}

QStringList AudioEngine::outputDevices() const {
    if (m->output)
        return m->output->deviceNames();
    return m->mode == Output::Offline ? QStringList() : m->host->outputDevices();
}
QString AudioEngine::outputDevice() const {
    return m->device;
}
void AudioEngine::setOutputDevice(const QString& device) {
    m->device = device;
    if (m->output)
        m->output->setDevice(device);
}
QString AudioEngine::outputStatus() const {
    if (!m->output)
        return {};
    m->updateAhead();
    return m->output->status();
}
std::shared_ptr<PortAudioHost> AudioEngine::portAudioHost() const {
    return m->host;
}

Handle AudioEngine::streamCreateFile(const QString& path, std::uint32_t flags) {
    auto file = m->openFile(path);
    return file ? m->addStream(std::move(file), flags, [](Stream&) {}) : 0;
}

Handle AudioEngine::streamCreateMemory(const QByteArray& image, std::uint32_t flags) {
    AudioError error = AudioError::Ok;
    auto file = DecodedFile::fromMemory(image, error);
    if (!file)
        return fail(error, Handle(0));
    ok();
    return m->addStream(std::move(file), flags, [](Stream&) {});
}

bool AudioEngine::streamFree(Handle h) {
    Impl::Locked lock(*m);
    Handle id = h;
    if (auto it = m->outputs.find(h); it != m->outputs.end())
        id = it->second;
    if (!m->streams.count(id))
        return fail(AudioError::Handle);
    m->eraseStream(id);
    ok();
    return true;
}

bool AudioEngine::streamPlay(Handle h, bool restart) {
    Impl::Locked lock(*m);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    if (!Impl::hasVoice(*s, isOutput))
        return fail(AudioError::Decode);
    m->play(*s, restart);
    ok();
    return true;
}

bool AudioEngine::channelStop(Handle h) {
    Impl::Locked lock(*m);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    if (Impl::hasVoice(*s, isOutput)) {
        const Command& c = m->core.push(Command::Op::Stop, s);
        s->control.playSeq = c.seq;
        s->control.playing = false;
    }
    ok();
    return true;
}

bool AudioEngine::channelIsActive(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    ok();
    if (s->isDecode() && !Impl::isTempo(*s))
        return !(s->file->complete() && s->control.decodePosition >= double(s->frames()));
    return m->playing(*s);
}

std::uint64_t AudioEngine::streamGetLength(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint64_t(-1));
    ok();
    return std::uint64_t(s->frames()) * s->bytesPerFrame();
}

std::uint64_t AudioEngine::channelGetPosition(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint64_t(-1));
    ok();
    // A hair below a whole frame through rounding is that frame.
    return std::uint64_t(std::max(0.0, std::floor(m->position(*s) + 1e-6))) * s->bytesPerFrame();
}

bool AudioEngine::channelSetPosition(Handle h, std::uint64_t bytes) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    const auto frame = std::int64_t(bytes / s->bytesPerFrame());
    if (s->file->complete() && frame > s->frames())
        return fail(AudioError::Position);
    s->file->willRead(frame);
    if (s->isDecode() && !Impl::isTempo(*s)) {
        s->control.decodePosition = double(frame);
    } else {
        Command& c = m->core.push(Command::Op::Position, s);
        c.value = double(frame);
        s->control.positionSeq = c.seq;
        s->control.position = double(frame);
    }
    ok();
    return true;
}

float AudioEngine::channelBytes2Seconds(Handle h, std::uint64_t bytes) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, -1.0f);
    ok();
    return float(double(bytes / s->bytesPerFrame()) / s->file->sampleRate());
}

std::uint64_t AudioEngine::channelSeconds2Bytes(Handle h, float seconds) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint64_t(-1));
    ok();
    if (seconds <= 0)
        return 0;
    return std::uint64_t(std::llround(double(seconds) * s->file->sampleRate())) *
           s->bytesPerFrame();
}

bool AudioEngine::channelGetAttributes(Handle h, Attributes& attributes) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    attributes.rate = s->control.rate;
    const float volume = m->pending(s->control.volumeSeq)
                             ? s->control.volume
                             : s->published.volume.load(std::memory_order_relaxed);
    attributes.volume = int(std::lround(volume * 100));
    attributes.pan = s->control.pan;
    ok();
    return true;
}

bool AudioEngine::channelSetAttributes(Handle h, int rate, int volume, int pan) {
    bool tempoStream = false;
    int value = 0;
    if (rate != kRateUnchanged) {
        {
            Impl::Locked lock(*m);
            Stream* s = m->find(h);
            if (!s)
                return fail(AudioError::Handle);
            value = rate == kRateOriginal ? s->file->sampleRate() : rate;
            tempoStream = Impl::isTempo(*s);
        }
        if (value < 100 || value > 1000000)
            return fail(AudioError::Frequency);
        if (tempoStream && !m->retune(h, [&](Impl::Tuning& t) {
                t.rate = value;
                return true;
            }))
            return false;
    }
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    if (rate != kRateUnchanged && !tempoStream) {
        s->control.rate = value;
        m->core.push(Command::Op::Rate, s).i = value;
    }
    if (volume >= 0)
        m->setVolume(*s, std::min(volume, 100) / 100.0f);
    if (pan != kPanUnchanged) {
        s->control.pan = std::clamp(pan, -100, 100);
        m->core.push(Command::Op::Pan, s).i = s->control.pan;
    }
    ok();
    return true;
}

bool AudioEngine::channelSlideAttributes(Handle h, int rate, int volume, int pan,
                                         int milliseconds) {
    if (rate != kRateUnchanged || pan != kPanUnchanged)
        if (!channelSetAttributes(h, rate, kVolumeUnchanged, pan))
            return false;
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    if (volume == kVolumeSlideToStop || volume >= 0) {
        Command& c = m->core.push(Command::Op::Slide, s);
        c.a = volume == kVolumeSlideToStop ? 0.0f : std::min(volume, 100) / 100.0f;
        c.i = std::max(0, milliseconds);
        c.flag = volume == kVolumeSlideToStop;
        s->control.slideSeq = c.seq;
        s->control.slide = {c.a * 100, c.i, c.flag};
    }
    ok();
    return true;
}

bool AudioEngine::channelSetGain(Handle h, float decibels, int milliseconds) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    const float db = std::clamp(decibels, -60.0f, 24.0f);
    Command& c = m->core.push(Command::Op::Trim, s);
    c.a = std::pow(10.0f, db / 20.0f);
    c.i = std::max(0, milliseconds);
    s->control.trimDb = db;
    ok();
    return true;
}

float AudioEngine::channelGetGain(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, 0.0f);
    ok();
    return s->control.trimDb;
}

bool AudioEngine::channelGetSlide(Handle h, Slide& slide) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    ok();
    const Stream::Control& c = s->control;
    if (m->pending(c.slideSeq) || m->pending(c.volumeSeq) || m->pending(c.playSeq)) {
        // The latest of a slide, a volume set or a stop not yet taken decides.
        if (c.slideSeq > c.volumeSeq && !(c.playSeq > c.slideSeq && !c.playing)) {
            slide = c.slide;
            return true;
        }
        if (m->pending(c.volumeSeq) || m->pending(c.playSeq))
            return false;
    }
    const int frames = s->published.slideFrames.load(std::memory_order_relaxed);
    if (frames <= 0)
        return false;
    slide.volume = s->published.slideTarget.load(std::memory_order_relaxed) * 100;
    slide.remainingMs = int(std::lround(frames * 1000.0 / kSampleRate));
    slide.stops = s->published.slideStops.load(std::memory_order_relaxed);
    return true;
}

std::uint32_t AudioEngine::channelGetLevel(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint32_t(-1));
    ok();
    return m->playing(*s) ? s->published.level.load(std::memory_order_relaxed) : 0;
}

std::uint32_t AudioEngine::channelGetFlags(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint32_t(-1));
    ok();
    return (s->channels() == 1 ? kChannelFlagMono : 0u) |
           (s->file->eightBit() ? kChannelFlag8Bit : 0u) |
           (s->flags & ~(kChannelFlagMono | kChannelFlag8Bit));
}

Handle AudioEngine::channelSetSync(Handle h, std::uint64_t bytes, SyncProc proc) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, Handle(0));
    auto sync = std::make_shared<SyncEntry>();
    sync->handle = m->newHandle();
    sync->frame = std::int64_t(bytes / s->bytesPerFrame());
    sync->proc = std::move(proc);
    auto list = std::make_shared<SyncList>(*s->control.syncs);
    list->push_back(sync);
    m->owners[sync->handle] = s->handle;
    m->setSyncs(*s, std::move(list));
    ok();
    return sync->handle;
}

bool AudioEngine::channelRemoveSync(Handle h, Handle sync) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    auto list = std::make_shared<SyncList>(*s->control.syncs);
    const auto it = std::find_if(list->begin(), list->end(),
                                 [&](const auto& entry) { return entry->handle == sync; });
    if (it == list->end())
        return fail(AudioError::Handle);
    // A sync removed by its own procedure is safe: the mixer keeps the old list until the
    // procedure has returned.
    list->erase(it);
    m->owners.erase(sync);
    m->setSyncs(*s, std::move(list));
    ok();
    return true;
}

Handle AudioEngine::channelSetFx(Handle h) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, Handle(0));
    if (!(s->flags & kFlagFx) || s->isDecode())
        return fail(AudioError::NoEffect, Handle(0));
    const Handle fx = m->newHandle();
    s->control.fx.emplace_back(fx, ParamEq{});
    m->owners[fx] = s->handle;
    m->setFx(*s);
    ok();
    return fx;
}

bool AudioEngine::fxSetParameters(Handle fx, const ParamEq& eq) {
    Impl::Locked lock(*m);
    Stream* s = nullptr;
    ParamEq* band = m->findFx(fx, s);
    if (!band)
        return fail(AudioError::Handle);
    if (eq.bandwidth <= 0 || eq.centre <= 0)
        return fail(AudioError::IllegalParam);
    *band = eq;
    Command& c = m->core.push(Command::Op::FxBand, s);
    c.frame = fx;
    c.a = eq.centre;
    c.b = float(dsp::semitonesToOctaves(eq.bandwidth));
    c.c = eq.gain;
    ok();
    return true;
}

bool AudioEngine::fxGetParameters(Handle fx, ParamEq& eq) const {
    Impl::Locked lock(*m);
    Stream* s = nullptr;
    const ParamEq* band = m->findFx(fx, s);
    if (!band)
        return fail(AudioError::Handle);
    eq = *band;
    ok();
    return true;
}

bool AudioEngine::channelRemoveFx(Handle h, Handle fx) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    auto& bands = s->control.fx;
    const auto it =
        std::find_if(bands.begin(), bands.end(), [&](const auto& b) { return b.first == fx; });
    if (it == bands.end())
        return fail(AudioError::Handle);
    bands.erase(it);
    m->owners.erase(fx);
    m->setFx(*s);
    ok();
    return true;
}

bool AudioEngine::tempoCreate(Handle h) {
    int rate = 0, channels = 0;
    {
        Impl::Locked lock(*m);
        Stream* s = m->find(h);
        if (!s)
            return fail(AudioError::Handle);
        if (!s->isDecode())
            return fail(AudioError::Decode);
        if (Impl::isTempo(*s))
            return fail(AudioError::Already);
        rate = s->file->sampleRate();
        channels = s->channels();
    }
    // SoundTouch is made and warmed up outside the lock: it takes a few milliseconds.
    auto tempo = std::make_shared<TempoRender>(rate, channels, 0.0f, rate, 0.0f);
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    if (Impl::isTempo(*s))
        return fail(AudioError::Already);
    s->control.tempoOutput = m->newHandle();
    m->outputs[s->control.tempoOutput] = s->handle;
    s->control.rate = s->control.builtRate = rate;
    s->control.builtPitch = 0;
    s->control.position = s->control.decodePosition;
    {
        Command& c = m->core.push(Command::Op::Position, s);
        c.value = s->control.decodePosition;
        s->control.positionSeq = c.seq;
    }
    m->core.push(Command::Op::TempoAttach, s).payload = std::move(tempo);
    ok();
    return true;
}

Handle AudioEngine::tempoGetResampledHandle(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle, Handle(0));
    ok();
    return s->control.tempoOutput;
}

bool AudioEngine::tempoSet(Handle h, float tempo, int rate, float pitch) {
    return m->retune(h, [&](Impl::Tuning& t) {
        if (tempo > kTempoUnchanged)
            t.tempo = std::clamp(tempo, -95.0f, 5000.0f);
        if (rate > 0)
            t.rate = rate;
        else if (rate == kRateOriginal)
            t.rate = t.fileRate;
        if (pitch > kPitchUnchanged)
            t.pitch = std::clamp(pitch, -60.0f, 60.0f);
        return true;
    });
}

bool AudioEngine::tempoStopAndFlush(Handle h) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle);
    // The mixer drops what SoundTouch holds; the source resumes where the mixed sound ends,
    // so nothing is heard twice.
    const double at = m->pending(s->control.positionSeq)
                          ? s->control.position
                          : s->published.position.load(std::memory_order_relaxed);
    Command& c = m->core.push(Command::Op::Stop, s);
    c.flag = true;
    s->control.playSeq = s->control.positionSeq = c.seq;
    s->control.playing = false;
    s->control.position = std::floor(at);
    ok();
    return true;
}

float AudioEngine::tempoGetApproxSeconds(Handle h, float seconds) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle, -1.0f);
    const double speed =
        tempoSpeed(s->control.tempo, s->control.rate) * kSampleRate / double(s->file->sampleRate());
    ok();
    return float(seconds / speed);
}

float AudioEngine::tempoGetApproxPercents(Handle h) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle, 0.0f);
    const double speed =
        tempoSpeed(s->control.tempo, s->control.rate) * kSampleRate / double(s->file->sampleRate());
    ok();
    return float((speed - 1.0) * 100.0);
}

bool AudioEngine::dspSetPeakingEq(Handle h) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle);
    if (!s->control.eqOn) {
        s->control.eqOn = true;
        m->core.push(Command::Op::Eq, s).flag = true;
    }
    ok();
    return true;
}

bool AudioEngine::dspRemovePeakingEq(Handle h) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle);
    s->control.eqOn = false;
    for (auto& band : s->control.bands)
        band.gain = 0;
    m->core.push(Command::Op::Eq, s).flag = false;
    ok();
    return true;
}

bool AudioEngine::dspSetParameters(Handle h, const PeakingEq& eq) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle);
    if (!s->control.eqOn)
        return fail(AudioError::NoEffect);
    if (eq.band < 0 || eq.band > 2 || eq.centre <= 0 || eq.bandwidth <= 0)
        return fail(AudioError::IllegalParam);
    s->control.bands[size_t(eq.band)] = eq;
    // The band is heard on the mixed output, so it is tuned for the output's rate whatever
    // rate the source plays at.
    Command& c = m->core.push(Command::Op::EqBand, s);
    c.i = eq.band;
    c.a = eq.centre;
    c.b = eq.bandwidth;
    c.c = eq.gain;
    ok();
    return true;
}

bool AudioEngine::dspGetParameters(Handle h, PeakingEq& eq) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle);
    if (!s->control.eqOn)
        return fail(AudioError::NoEffect);
    if (eq.band < 0 || eq.band > 2)
        return fail(AudioError::IllegalParam);
    eq = s->control.bands[size_t(eq.band)];
    ok();
    return true;
}

float AudioEngine::bpmDecodeGet(Handle h, float startSeconds, float endSeconds) {
    std::shared_ptr<DecodedFile> file;
    {
        Impl::Locked lock(*m);
        Stream* s = m->find(h);
        if (!s)
            return fail(AudioError::Handle, -1.0f);
        file = s->file;
    }
    const int rate = file->sampleRate();
    auto first = std::int64_t(double(std::max(0.0f, startSeconds)) * rate);
    auto last = std::int64_t(double(std::max(startSeconds, endSeconds)) * rate);
    // Wait for the decoder to get there (a long song decodes in a few seconds).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!file->complete() && file->decodedFrames() <= last &&
           std::chrono::steady_clock::now() < deadline)
        file->waitFor(last, 200);
    const std::int64_t length = file->decodedFrames();
    // A song shorter than the window is measured on what it has.
    if (last > length) {
        last = length;
        first = std::max<std::int64_t>(0, std::min(first, length - std::int64_t(rate) * 10));
    }
    dsp::BpmDetector detector(file->channels(), rate);
    std::vector<float> block(size_t(8192 * file->channels()));
    for (std::int64_t at = first; at < last;) {
        const std::int64_t got =
            file->read(at, block.data(), std::min<std::int64_t>(8192, last - at));
        if (got <= 0)
            break;
        detector.feed(block.data(), std::size_t(got));
        at += got;
    }
    const auto bpm = float(detector.bpm());
    Impl::Locked lock(*m);
    if (Stream* s = m->find(h))
        s->control.detectedBpm = bpm;
    ok();
    return bpm;
}

bool AudioEngine::bpmCallbackSet(Handle h, BpmProc proc, float periodSeconds) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s || !Impl::isTempo(*s))
        return fail(AudioError::Handle);
    if (periodSeconds <= 0)
        return fail(AudioError::IllegalParam);
    if (!m->bpm)
        m->bpm = std::make_unique<BpmWorker>([this](BpmFeed& feed, float bpm) {
            {
                Impl::Locked lock(*m);
                if (Stream* measured = m->find(feed.stream))
                    measured->control.detectedBpm = bpm;
            }
            if (const auto report = feed.proc())
                report(feed.stream, bpm);
        });
    auto& feed = s->control.bpm;
    if (feed && feed->periodSeconds == periodSeconds) {
        feed->setProc(std::move(proc));
    } else {
        if (feed)
            m->bpm->remove(feed);
        feed = std::make_shared<BpmFeed>(s->handle, s->channels(), s->file->sampleRate(),
                                         periodSeconds, std::move(proc));
        m->bpm->add(feed);
        m->core.push(Command::Op::Bpm, s).payload = feed;
    }
    ok();
    return true;
}

bool AudioEngine::bpmFree(Handle h) {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    if (s->control.bpm) {
        if (m->bpm)
            m->bpm->remove(s->control.bpm);
        s->control.bpm.reset();
        m->core.push(Command::Op::Bpm, s);
    }
    ok();
    return true;
}

float AudioEngine::bpmPercents2Bpm(Handle h, float percents) const {
    Impl::Locked lock(*m);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, -1.0f);
    ok();
    if (s->control.detectedBpm <= 0)
        return -1.0f;
    return s->control.detectedBpm * (1.0f + percents / 100.0f);
}

Handle AudioEngine::playSample(const QString& path, int volume) {
    return playSampleAt(path, volume, 0);
}

Handle AudioEngine::playSample(const QByteArray& image, int volume) {
    return playSampleAt(image, volume, 0);
}

Handle AudioEngine::playSampleAt(const QString& path, int volume, std::uint64_t mixedFrame) {
    auto file = m->openFile(path);
    return file ? m->startSample(std::move(file), volume, mixedFrame) : 0;
}

Handle AudioEngine::playSampleAt(const QByteArray& image, int volume, std::uint64_t mixedFrame) {
    AudioError error = AudioError::Ok;
    auto file = DecodedFile::fromMemory(image, error);
    if (!file)
        return fail(error, Handle(0));
    ok();
    return m->startSample(std::move(file), volume, mixedFrame);
}

Handle AudioEngine::playSampleOf(Handle stream, int volume, std::uint64_t mixedFrame) {
    std::shared_ptr<DecodedFile> file;
    {
        Impl::Locked lock(*m);
        const Stream* s = m->find(stream);
        if (!s)
            return fail(AudioError::Handle, Handle(0));
        file = s->file;
    }
    ok();
    return m->startSample(std::move(file), volume, mixedFrame);
}

std::shared_ptr<OutputTap> AudioEngine::tapOpen(std::size_t capacityFrames) {
    auto tap = std::make_shared<OutputTap>(std::max<std::size_t>(capacityFrames, 1024));
    Impl::Locked lock(*m);
    Command& c = m->core.push(Command::Op::Tap, nullptr);
    c.flag = true;
    c.payload = tap;
    return tap;
}

void AudioEngine::tapClose(const std::shared_ptr<OutputTap>& tap) {
    if (!tap)
        return;
    Impl::Locked lock(*m);
    m->core.push(Command::Op::Tap, nullptr).payload = tap;
}

void AudioEngine::render(float* out, std::size_t frames) {
    // Exactly what the mixer thread does; what it lets go of is freed by the next call.
    m->mixer.mix(out, frames);
}

QString AudioEngine::errorText(const QString& message, int code, int effectsCode) {
    return QStringLiteral("%1\n\nBASS Error Code: %2\nBASS_FX Error Code: %3")
        .arg(message, QString::number(code), QString::number(effectsCode));
}

QString AudioEngine::reasonText(AudioError error, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (!info.isFile())
        return QStringLiteral("not a file");
    if (!info.isReadable())
        return QStringLiteral("the file may not be read");
    switch (error) {
    case AudioError::Empty:
        return info.size() == 0 ? QStringLiteral("empty file")
                                : QStringLiteral("a file without sound in it");
    case AudioError::Memory:
        return QStringLiteral("not enough memory");
    case AudioError::Frequency:
        return QStringLiteral("a sample rate that cannot be played");
    case AudioError::FileOpen:
        return QStringLiteral("the file could not be opened");
    default:
        return QStringLiteral("not audio that can be read");
    }
}

QString AudioEngine::recorderErrorText(const QString& message, int code) {
    return QStringLiteral("%1\n(error code: %2)").arg(message, QString::number(code));
}

} // namespace hoedeck
