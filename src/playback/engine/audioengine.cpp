#include "audioengine.h"

#include "decodedfile.h"
#include "output.h"
#include "ringbuffer.h"
#include "stream.h"
#include "wavwriter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <soundtouch/SoundTouch.h>
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
constexpr std::int64_t kFeedFrames = 2048; // source frames given to a tempo stream at a time
} // namespace

class AudioEngine::Impl {
public:
    explicit Impl(Output mode) : mode(mode), files(mode == Output::Offline), ring(kRingFrames) {
        mixA.resize(kBlockFrames * 4 * 2);
        voiceBuffer.resize(kBlockFrames * 4 * 2);
        source.resize(std::max<std::size_t>(kBlockFrames * 8, kFeedFrames) * 2 + 64);
        fired.reserve(8);
        reports.reserve(8);
        before.reserve(16);
    }

    Output mode;
    DecodedFileCache files;
    mutable std::recursive_mutex mutex;
    std::unordered_map<Handle, std::shared_ptr<Stream>> streams;
    std::unordered_map<Handle, Handle> outputs;     // tempo output -> its stream
    std::unordered_map<Handle, Handle> owners;      // sync or effect -> its stream
    std::vector<std::shared_ptr<Stream>> graveyard; // freed on the mixer, released elsewhere
    Handle nextHandle = 1;

    RingBuffer ring;
    std::unique_ptr<AudioOutput> output;
    std::unique_ptr<WavWriter> tap;
    std::thread mixer;
    std::atomic<bool> running{false};
    bool started = false;

    // Mixer-thread scratch, allocated once.
    std::vector<float> mixA, voiceBuffer, source;

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

    // The voice a handle plays through: a plain stream's own, or a tempo stream's output.
    Voice* voiceOf(Stream& s, bool isOutput) {
        if (s.tempo && (isOutput || s.isDecode()))
            return isOutput ? &s.tempo->voice : nullptr;
        return s.isDecode() ? nullptr : &s.voice;
    }

    // A new stream of a decoded file under a new handle.
    Handle addStream(std::shared_ptr<DecodedFile> file, std::uint32_t flags) {
        auto stream = std::make_shared<Stream>();
        stream->flags = flags;
        stream->file = std::move(file);
        stream->rate = stream->file->sampleRate();
        std::lock_guard lock(mutex);
        stream->handle = newHandle();
        streams[stream->handle] = stream;
        return stream->handle;
    }

    // Plays a new stream once from its start at the volume, then frees it.
    Handle startSample(Handle h, int volume) {
        if (!h)
            return 0;
        std::lock_guard lock(mutex);
        Stream* s = find(h);
        s->autoFree = true;
        s->voice.volume = std::clamp(volume, 0, 100) / 100.0f;
        s->voice.playing = true;
        return h;
    }

    // The equaliser band of an effect handle, with the lock held.
    FxBand* findFx(Handle fx) {
        auto owner = owners.find(fx);
        Stream* s = owner == owners.end() ? nullptr : find(owner->second);
        if (!s)
            return nullptr;
        for (FxBand& band : s->fx)
            if (band.handle == fx)
                return &band;
        return nullptr;
    }

    // Removes the sync or effect of that handle from a stream's list.
    template <typename T> bool removeOwned(std::vector<T>& list, Handle item) {
        const auto it =
            std::find_if(list.begin(), list.end(), [&](const T& x) { return x.handle == item; });
        if (it == list.end())
            return false;
        list.erase(it);
        owners.erase(item);
        return true;
    }

    void releaseGraveyard() {
        std::vector<std::shared_ptr<Stream>> dead;
        {
            std::lock_guard lock(mutex);
            dead.swap(graveyard);
        }
    }

    void eraseStream(Handle h, bool onMixer) {
        auto it = streams.find(h);
        if (it == streams.end())
            return;
        for (const Sync& sync : it->second->syncs)
            owners.erase(sync.handle);
        for (const FxBand& fx : it->second->fx)
            owners.erase(fx.handle);
        if (it->second->tempo)
            outputs.erase(it->second->tempo->output);
        if (onMixer)
            graveyard.push_back(std::move(it->second));
        streams.erase(it);
    }

    // --- Mixing -------------------------------------------------------------------------

    struct Fired {
        AudioEngine::SyncProc proc;
        Handle sync;
        Handle stream;
    };
    struct BpmReport {
        AudioEngine::BpmProc proc;
        Handle stream;
        float bpm;
    };

    // Renders a plain stream's next `frames` output frames into voiceBuffer; returns the
    // frames that carry sound (the rest is silence).
    std::size_t renderPlain(Stream& s, std::size_t frames) {
        float* out = voiceBuffer.data();
        std::fill(out, out + frames * 2, 0.0f);
        const double step = double(s.rate) / kSampleRate;
        const int ch = s.channels();
        const std::int64_t length = s.frames();
        const bool complete = s.file->complete();
        std::size_t done = 0;
        while (done < frames) {
            const auto first = std::int64_t(std::floor(s.pos));
            if (complete && first >= length) {
                s.voice.playing = false;
                break;
            }
            const std::size_t want = std::min<std::size_t>(frames - done, kBlockFrames);
            // Source frames this piece needs, with one more for interpolation.
            const auto need =
                std::int64_t(std::ceil((s.pos - double(first)) + step * double(want))) + 2;
            const std::int64_t got =
                s.file->read(first, source.data(),
                             std::min<std::int64_t>(need, std::int64_t(source.size() / 2)));
            if (got <= 0)
                break; // not decoded yet: wait without moving
            std::size_t i = 0;
            for (; i < want; ++i) {
                const double at = s.pos - double(first);
                const auto idx = std::int64_t(at);
                if (idx + 1 >= got && !(complete && first + idx + 1 >= length && idx < got))
                    break;
                const double frac = at - double(idx);
                for (int c = 0; c < 2; ++c) {
                    const int sc = ch == 1 ? 0 : c;
                    const float a = source[size_t(idx * ch + sc)];
                    const float b = idx + 1 < got ? source[size_t((idx + 1) * ch + sc)] : 0.0f;
                    out[(done + i) * 2 + size_t(c)] = frac == 0.0 ? a : float(a + (b - a) * frac);
                }
                s.pos += step;
            }
            done += i;
            if (i < want)
                break;
        }
        for (FxBand& band : s.fx)
            band.filter.process(out, done, 2);
        s.voice.applyVolume(out, done);
        s.voice.meter(out, done);
        return done;
    }

    std::size_t renderTempo(Stream& s, std::size_t frames, std::vector<BpmReport>& reports) {
        TempoState& t = *s.tempo;
        float* out = voiceBuffer.data();
        std::fill(out, out + frames * 2, 0.0f);
        const int ch = s.channels();
        std::size_t done = 0;
        int guard = 0;
        while (done < frames && guard++ < 64) {
            const std::size_t ready = t.st->numSamples();
            if (ready > 0) {
                // SoundTouch gives the file's channels; the mix is stereo.
                const std::size_t take = std::min(frames - done, ready);
                if (ch == 2) {
                    done += t.st->receiveSamples(out + done * 2, uint(take));
                    continue;
                }
                float* dst = source.data();
                const auto got =
                    t.st->receiveSamples(dst, uint(std::min<std::size_t>(take, source.size() / 2)));
                for (std::size_t i = 0; i < got; ++i)
                    for (int c = 0; c < 2; ++c)
                        out[(done + i) * 2 + size_t(c)] =
                            dst[i * size_t(ch) + size_t(ch == 1 ? 0 : c)];
                done += got;
                continue;
            }
            const auto at = std::int64_t(s.pos);
            const std::int64_t got = s.file->read(at, source.data(), kFeedFrames);
            if (got > 0) {
                t.st->putSamples(source.data(), uint(got));
                if (t.bpmLive) {
                    t.bpmLive->feed(source.data(), std::size_t(got));
                    if (t.bpmLive->seconds() >= t.bpmPeriod) {
                        s.detectedBpm = float(t.bpmLive->bpm());
                        reports.push_back({t.bpmProc, s.handle, s.detectedBpm});
                        t.bpmLive->clear();
                    }
                }
                s.pos = double(at + got);
            } else if (s.file->complete() && at >= s.frames()) {
                if (!t.flushed) {
                    t.st->flush();
                    t.flushed = true;
                    continue;
                }
                t.voice.playing = false;
                break;
            } else {
                break; // waiting for the decoder
            }
        }
        if (t.eqOn)
            dsp::PeakingFilter::processStereoChain(t.filters.data(), int(t.filters.size()), out,
                                                   done);
        t.voice.applyVolume(out, done);
        t.voice.meter(out, done);
        return done;
    }

    // Output frames until the first sync of a playing plain stream would be passed.
    std::size_t framesToNextSync(std::size_t limit) const {
        std::size_t next = limit;
        for (const auto& [h, s] : streams) {
            if (s->tempo || s->isDecode() || !s->voice.playing || s->syncs.empty())
                continue;
            const double step = double(s->rate) / kSampleRate;
            if (step <= 0)
                continue;
            for (const Sync& sync : s->syncs) {
                const double ahead = double(sync.frame) - s->pos;
                if (ahead <= 0)
                    continue;
                const auto k = std::size_t(std::ceil(ahead / step - 1e-9));
                if (k >= 1 && k < next)
                    next = k;
            }
        }
        return next;
    }

    // Mixes one block; syncs split it at their exact frame and run between the parts, so what
    // they start sounds from that very frame.
    std::vector<Fired> fired;
    std::vector<BpmReport> reports;
    std::vector<std::pair<Stream*, double>> before;

    void mixBlock(float* out, std::size_t frames) {
        fired.clear();
        reports.clear();
        std::fill(out, out + frames * 2, 0.0f);
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t part = framesToNextSync(frames - done);
            before.clear();
            for (auto& [h, s] : streams) {
                if (s->tempo) {
                    if (!s->tempo->voice.playing)
                        continue;
                    const std::size_t n = renderTempo(*s, part, reports);
                    for (std::size_t i = 0; i < n * 2; ++i)
                        out[done * 2 + i] += voiceBuffer[i];
                } else if (!s->isDecode() && s->voice.playing) {
                    before.emplace_back(s.get(), s->pos);
                    const std::size_t n = renderPlain(*s, part);
                    for (std::size_t i = 0; i < n * 2; ++i)
                        out[done * 2 + i] += voiceBuffer[i];
                }
            }
            done += part;
            for (const auto& [s, from] : before)
                for (const Sync& sync : s->syncs)
                    if (from < double(sync.frame) && s->pos >= double(sync.frame))
                        fired.push_back({sync.proc, sync.handle, s->handle});
            for (Fired& f : fired)
                if (f.proc)
                    f.proc(f.sync, f.stream);
            fired.clear();
        }
        for (auto& [h, s] : streams)
            if (!s->voice.playing && !(s->tempo && s->tempo->voice.playing))
                s->voice.level.store(0, std::memory_order_relaxed);
        // One-shot sounds that ended go.
        std::vector<Handle> ended;
        for (auto& [h, s] : streams)
            if (s->autoFree && !s->voice.playing)
                ended.push_back(h);
        for (Handle h : ended)
            eraseStream(h, true);
        for (BpmReport& r : reports)
            if (r.proc)
                r.proc(r.stream, r.bpm);
    }

    void mixerLoop() {
        std::vector<float> block(kBlockFrames * 2);
        while (running.load(std::memory_order_relaxed)) {
            if (ring.available() >= kAheadFrames || ring.space() < kBlockFrames) {
                std::this_thread::sleep_for(std::chrono::microseconds(700));
                continue;
            }
            {
                std::lock_guard lock(mutex);
                mixBlock(block.data(), kBlockFrames);
            }
            if (tap)
                tap->write(block.data(), kBlockFrames);
            ring.push(block.data(), kBlockFrames);
        }
    }
};

// --- The engine ---------------------------------------------------------------------------

AudioEngine::Output AudioEngine::outputFromEnvironment() {
    return qEnvironmentVariable("HOEDECK_AUDIO").compare("null", Qt::CaseInsensitive) == 0
               ? Output::Null
               : Output::Device;
}

AudioEngine::AudioEngine(Output output) : m(std::make_unique<Impl>(output)) {}

AudioEngine::~AudioEngine() {
    free();
}

bool AudioEngine::start(QString* reason) {
    if (m->started)
        return fail(AudioError::Already);
    m->started = true;
    ok();
    if (m->mode == Output::Offline)
        return true;
    bool deviceOk = true;
    QString why;
    if (m->mode == Output::Device) {
        m->output = makePortAudioOutput();
        if (!m->output->start(m->ring, kSampleRate, why)) {
            deviceOk = false;
            m->mode = Output::Null;
        }
    }
    if (m->mode == Output::Null) {
        m->output = makeNullOutput();
        QString unused;
        m->output->start(m->ring, kSampleRate, unused);
    }
    const QString wav = qEnvironmentVariable("HOEDECK_OUTPUT_WAV");
    if (!wav.isEmpty()) {
        m->tap = std::make_unique<WavWriter>();
        if (!m->tap->open(wav, kSampleRate)) {
            if (!why.isEmpty())
                why += "; ";
            why += QStringLiteral("the output copy \"%1\" cannot be written").arg(wav);
            m->tap.reset();
        }
    }
    m->running = true;
    m->mixer = std::thread([this] { m->mixerLoop(); });
    if (reason)
        *reason = why;
    if (!deviceOk)
        return fail(AudioError::Driver);
    return true;
}

void AudioEngine::free() {
    if (m->running.exchange(false) && m->mixer.joinable())
        m->mixer.join();
    if (m->output) {
        m->output->stop();
        m->output.reset();
    }
    m->tap.reset();
    std::lock_guard lock(m->mutex);
    m->streams.clear();
    m->outputs.clear();
    m->owners.clear();
    m->graveyard.clear();
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
AudioError AudioEngine::errorGetCode() const {
    return t_lastError;
}

Handle AudioEngine::streamCreateFile(const QString& path, std::uint32_t flags) {
    m->releaseGraveyard();
    AudioError error = AudioError::Ok;
    auto file = m->files.open(path, error);
    if (!file)
        return fail(error, Handle(0));
    ok();
    return m->addStream(std::move(file), flags);
}

Handle AudioEngine::streamCreateMemory(const QByteArray& image, std::uint32_t flags) {
    AudioError error = AudioError::Ok;
    auto file = DecodedFile::fromMemory(image, error);
    if (!file)
        return fail(error, Handle(0));
    ok();
    return m->addStream(std::move(file), flags);
}

bool AudioEngine::streamFree(Handle h) {
    std::shared_ptr<Stream> keep; // released after the lock
    {
        std::lock_guard lock(m->mutex);
        Handle id = h;
        if (auto it = m->outputs.find(h); it != m->outputs.end())
            id = it->second;
        auto it = m->streams.find(id);
        if (it == m->streams.end())
            return fail(AudioError::Handle);
        keep = it->second;
        m->eraseStream(id, false);
    }
    m->releaseGraveyard();
    ok();
    return true;
}

bool AudioEngine::streamPlay(Handle h, bool restart) {
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    Voice* voice = m->voiceOf(*s, isOutput);
    if (!voice)
        return fail(AudioError::Decode);
    if (restart) {
        s->pos = 0;
        if (s->tempo) {
            s->tempo->st->clear();
            s->tempo->flushed = false;
        }
    }
    voice->playing = true;
    ok();
    return true;
}

bool AudioEngine::channelStop(Handle h) {
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    if (Voice* voice = m->voiceOf(*s, isOutput)) {
        voice->playing = false;
        voice->sliding = false;
    }
    ok();
    return true;
}

bool AudioEngine::channelIsActive(Handle h) const {
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    ok();
    if (s->tempo)
        return isOutput ? s->tempo->voice.playing : s->tempo->voice.playing;
    if (s->isDecode())
        return !(s->file->complete() && s->pos >= double(s->frames()));
    return s->voice.playing;
}

std::uint64_t AudioEngine::streamGetLength(Handle h) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint64_t(-1));
    ok();
    return std::uint64_t(s->frames()) * s->bytesPerFrame();
}

std::uint64_t AudioEngine::channelGetPosition(Handle h) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint64_t(-1));
    ok();
    return std::uint64_t(std::max(0.0, std::floor(s->heardPosition()))) * s->bytesPerFrame();
}

bool AudioEngine::channelSetPosition(Handle h, std::uint64_t bytes) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    const auto frame = std::int64_t(bytes / s->bytesPerFrame());
    if (s->file->complete() && frame > s->frames())
        return fail(AudioError::Position);
    s->pos = double(frame);
    if (s->tempo) {
        s->tempo->st->clear();
        s->tempo->flushed = false;
    }
    ok();
    return true;
}

float AudioEngine::channelBytes2Seconds(Handle h, std::uint64_t bytes) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, -1.0f);
    ok();
    return float(double(bytes / s->bytesPerFrame()) / s->file->sampleRate());
}

std::uint64_t AudioEngine::channelSeconds2Bytes(Handle h, float seconds) const {
    std::lock_guard lock(m->mutex);
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
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    const Voice& voice = s->tempo && isOutput ? s->tempo->voice : s->voice;
    attributes.rate = s->tempo ? s->tempo->rate : s->rate;
    attributes.volume = int(std::lround(voice.volume * 100));
    attributes.pan = voice.pan;
    ok();
    return true;
}

bool AudioEngine::channelSetAttributes(Handle h, int rate, int volume, int pan) {
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    if (rate != kRateUnchanged) {
        const int value = rate == kRateOriginal ? s->file->sampleRate() : rate;
        if (value < 100 || value > 1000000)
            return fail(AudioError::Frequency);
        if (s->tempo) {
            s->tempo->rate = value;
            s->tempo->applySettings(s->file->sampleRate());
        } else {
            s->rate = value;
        }
    }
    Voice& voice = s->tempo && isOutput ? s->tempo->voice : s->voice;
    if (volume >= 0) {
        voice.sliding = false;
        voice.volume = std::min(volume, 100) / 100.0f;
    }
    if (pan != kPanUnchanged)
        voice.pan = std::clamp(pan, -100, 100);
    ok();
    return true;
}

bool AudioEngine::channelSlideAttributes(Handle h, int rate, int volume, int pan,
                                         int milliseconds) {
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle);
    if (rate != kRateUnchanged || pan != kPanUnchanged)
        channelSetAttributes(h, rate, kVolumeUnchanged, pan);
    Voice& voice = s->tempo && isOutput ? s->tempo->voice : s->voice;
    if (volume == kVolumeSlideToStop)
        voice.startSlide(0.0f, milliseconds, true);
    else if (volume >= 0)
        voice.startSlide(std::min(volume, 100) / 100.0f, milliseconds, false);
    ok();
    return true;
}

std::uint32_t AudioEngine::channelGetLevel(Handle h) const {
    std::lock_guard lock(m->mutex);
    bool isOutput = false;
    Stream* s = m->find(h, &isOutput);
    if (!s)
        return fail(AudioError::Handle, std::uint32_t(-1));
    ok();
    const Voice& voice = s->tempo ? s->tempo->voice : s->voice;
    return voice.playing ? voice.level.load(std::memory_order_relaxed) : 0;
}

std::uint32_t AudioEngine::channelGetFlags(Handle h) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, std::uint32_t(-1));
    ok();
    return (s->channels() == 1 ? kChannelFlagMono : 0u) |
           (s->flags & ~(kChannelFlagMono | kChannelFlag8Bit));
}

Handle AudioEngine::channelSetSync(Handle h, std::uint64_t bytes, SyncProc proc) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, Handle(0));
    Sync sync;
    sync.handle = m->newHandle();
    sync.frame = std::int64_t(bytes / s->bytesPerFrame());
    sync.proc = std::move(proc);
    s->syncs.push_back(std::move(sync));
    m->owners[s->syncs.back().handle] = s->handle;
    ok();
    return s->syncs.back().handle;
}

bool AudioEngine::channelRemoveSync(Handle h, Handle sync) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    // A sync removed by its own procedure is safe: the mixer holds a copy of the procedure
    // for the call.
    if (!s || !m->removeOwned(s->syncs, sync))
        return fail(AudioError::Handle);
    ok();
    return true;
}

Handle AudioEngine::channelSetFx(Handle h) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, Handle(0));
    if (!(s->flags & kFlagFx) || s->isDecode())
        return fail(AudioError::NoEffect, Handle(0));
    FxBand band;
    band.handle = m->newHandle();
    band.filter.setPeaking(kSampleRate, band.eq.centre, dsp::semitonesToOctaves(band.eq.bandwidth),
                           band.eq.gain);
    s->fx.push_back(std::move(band));
    m->owners[s->fx.back().handle] = s->handle;
    ok();
    return s->fx.back().handle;
}

bool AudioEngine::fxSetParameters(Handle fx, const ParamEq& eq) {
    std::lock_guard lock(m->mutex);
    FxBand* band = m->findFx(fx);
    if (!band)
        return fail(AudioError::Handle);
    if (eq.bandwidth <= 0 || eq.centre <= 0)
        return fail(AudioError::IllegalParam);
    band->eq = eq;
    band->filter.setPeaking(kSampleRate, eq.centre, dsp::semitonesToOctaves(eq.bandwidth), eq.gain);
    ok();
    return true;
}

bool AudioEngine::fxGetParameters(Handle fx, ParamEq& eq) const {
    std::lock_guard lock(m->mutex);
    const FxBand* band = m->findFx(fx);
    if (!band)
        return fail(AudioError::Handle);
    eq = band->eq;
    ok();
    return true;
}

bool AudioEngine::channelRemoveFx(Handle h, Handle fx) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !m->removeOwned(s->fx, fx))
        return fail(AudioError::Handle);
    ok();
    return true;
}

bool AudioEngine::tempoCreate(Handle h) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    if (!s->isDecode())
        return fail(AudioError::Decode);
    if (s->tempo)
        return fail(AudioError::Already);
    s->tempo = std::make_unique<TempoState>(s->file->sampleRate(), s->channels());
    s->tempo->output = m->newHandle();
    m->outputs[s->tempo->output] = s->handle;
    ok();
    return true;
}

Handle AudioEngine::tempoGetResampledHandle(Handle h) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle, Handle(0));
    ok();
    return s->tempo->output;
}

bool AudioEngine::tempoSet(Handle h, float tempo, int rate, float pitch) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    TempoState& t = *s->tempo;
    if (tempo > kTempoUnchanged)
        t.tempo = std::clamp(tempo, -95.0f, 5000.0f);
    if (rate > 0)
        t.rate = rate;
    else if (rate == kRateOriginal)
        t.rate = s->file->sampleRate();
    if (pitch > kPitchUnchanged)
        t.pitch = std::clamp(pitch, -60.0f, 60.0f);
    t.applySettings(s->file->sampleRate());
    ok();
    return true;
}

bool AudioEngine::tempoStopAndFlush(Handle h) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    // What was pushed ahead is dropped: the source resumes where the listener was.
    s->pos = std::floor(s->heardPosition());
    s->tempo->voice.playing = false;
    s->tempo->voice.sliding = false;
    s->tempo->st->clear();
    s->tempo->flushed = false;
    ok();
    return true;
}

float AudioEngine::tempoGetApproxSeconds(Handle h, float seconds) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle, -1.0f);
    const double speed =
        (1.0 + s->tempo->tempo / 100.0) * s->tempo->rate / double(s->file->sampleRate());
    ok();
    return float(seconds / speed);
}

float AudioEngine::tempoGetApproxPercents(Handle h) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle, 0.0f);
    const double speed =
        (1.0 + s->tempo->tempo / 100.0) * s->tempo->rate / double(s->file->sampleRate());
    ok();
    return float((speed - 1.0) * 100.0);
}

bool AudioEngine::dspSetPeakingEq(Handle h) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    if (!s->tempo->eqOn) {
        for (auto& filter : s->tempo->filters)
            filter.reset();
        s->tempo->eqOn = true;
    }
    ok();
    return true;
}

bool AudioEngine::dspRemovePeakingEq(Handle h) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    s->tempo->eqOn = false;
    for (auto& band : s->tempo->bands)
        band.gain = 0;
    for (auto& filter : s->tempo->filters)
        filter.setPeaking(kSampleRate, filter.centreHz(), filter.bandwidthOctaves(), 0.0);
    ok();
    return true;
}

bool AudioEngine::dspSetParameters(Handle h, const PeakingEq& eq) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    if (!s->tempo->eqOn)
        return fail(AudioError::NoEffect);
    if (eq.band < 0 || eq.band > 2 || eq.centre <= 0 || eq.bandwidth <= 0)
        return fail(AudioError::IllegalParam);
    s->tempo->bands[size_t(eq.band)] = eq;
    // The band is heard on the mixed output, so it is tuned for the output's rate whatever
    // rate the source plays at.
    s->tempo->filters[size_t(eq.band)].setPeaking(kSampleRate, eq.centre, eq.bandwidth, eq.gain);
    ok();
    return true;
}

bool AudioEngine::dspGetParameters(Handle h, PeakingEq& eq) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    if (!s->tempo->eqOn)
        return fail(AudioError::NoEffect);
    if (eq.band < 0 || eq.band > 2)
        return fail(AudioError::IllegalParam);
    eq = s->tempo->bands[size_t(eq.band)];
    ok();
    return true;
}

float AudioEngine::bpmDecodeGet(Handle h, float startSeconds, float endSeconds) {
    std::shared_ptr<DecodedFile> file;
    {
        std::lock_guard lock(m->mutex);
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
    std::lock_guard lock(m->mutex);
    if (Stream* s = m->find(h))
        s->detectedBpm = bpm;
    ok();
    return bpm;
}

bool AudioEngine::bpmCallbackSet(Handle h, BpmProc proc, float periodSeconds) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s || !s->tempo)
        return fail(AudioError::Handle);
    if (periodSeconds <= 0)
        return fail(AudioError::IllegalParam);
    TempoState& t = *s->tempo;
    t.bpmProc = std::move(proc);
    if (!t.bpmLive || t.bpmPeriod != periodSeconds) {
        t.bpmPeriod = periodSeconds;
        t.bpmLive = std::make_unique<dsp::BpmDetector>(s->channels(), s->file->sampleRate());
    }
    ok();
    return true;
}

bool AudioEngine::bpmFree(Handle h) {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle);
    if (s->tempo) {
        s->tempo->bpmLive.reset();
        s->tempo->bpmProc = nullptr;
    }
    ok();
    return true;
}

float AudioEngine::bpmPercents2Bpm(Handle h, float percents) const {
    std::lock_guard lock(m->mutex);
    Stream* s = m->find(h);
    if (!s)
        return fail(AudioError::Handle, -1.0f);
    ok();
    if (s->detectedBpm <= 0)
        return -1.0f;
    return s->detectedBpm * (1.0f + percents / 100.0f);
}

Handle AudioEngine::playSample(const QString& path, int volume) {
    return m->startSample(streamCreateFile(path, 0), volume);
}

Handle AudioEngine::playSample(const QByteArray& image, int volume) {
    return m->startSample(streamCreateMemory(image, 0), volume);
}

void AudioEngine::render(float* out, std::size_t frames) {
    {
        std::lock_guard lock(m->mutex);
        for (std::size_t done = 0; done < frames;) {
            const std::size_t n = std::min(kBlockFrames, frames - done);
            m->mixBlock(out + done * 2, n);
            done += n;
        }
    }
    m->releaseGraveyard();
}

QString AudioEngine::errorText(const QString& message, int code, int effectsCode) {
    return QStringLiteral("%1\n\nBASS Error Code: %2\nBASS_FX Error Code: %3")
        .arg(message)
        .arg(code)
        .arg(effectsCode);
}

QString AudioEngine::recorderErrorText(const QString& message, int code) {
    return QStringLiteral("%1\n(error code: %2)").arg(message).arg(code);
}

} // namespace hoedeck
