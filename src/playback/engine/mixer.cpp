#include "mixer.h"

#include "bpmworker.h"
#include "taps.h"

#include <algorithm>
#include <cmath>
#include <soundtouch/SoundTouch.h>

namespace hoedeck {

namespace {
thread_local bool t_mixing = false;

struct MixingScope {
    bool before = t_mixing;
    MixingScope() { t_mixing = true; }
    ~MixingScope() { t_mixing = before; }
};

constexpr std::int64_t kFeedFrames = 2048; // source frames given to SoundTouch at a time
// Syncs fire when playback reaches their frame; a position a hair short of it through
// rounding counts as there.
constexpr double kFrameSlack = 1e-6;

double tempoSpeed(float tempo, int rate) {
    return (1.0 + tempo / 100.0) * rate / AudioEngine::kSampleRate;
}
} // namespace

Mixer::Mixer(EngineCore& core) : m_core(core) {
    m_streams.reserve(kMaxStreams);
    m_fired.reserve(256);
    m_voice.resize(kMaxPiece * 2);
    m_outgoing.resize(kMaxPiece * 2);
    m_source.resize(std::size_t(std::max<std::int64_t>(kFeedFrames, kMaxPiece * 8)) * 2 + 64);
}

bool Mixer::mixing() {
    return t_mixing;
}

void Mixer::reset() {
    m_streams.clear();
    m_fired.clear();
    for (auto& tap : m_taps)
        tap.reset();
}

void Mixer::retire(std::shared_ptr<void> item) {
    if (item)
        m_core.retired.push_back(std::move(item));
}

// Takes the queued commands. Returns false when the lock was busy and nothing was taken.
bool Mixer::apply(bool wait) {
    std::unique_lock lock(m_core.mutex, std::defer_lock);
    if (wait)
        lock.lock();
    else if (!lock.try_lock())
        return false;
    for (Stream* s : m_streams)
        if (s->render.outgoing && s->render.crossfade <= 0)
            retire(std::move(s->render.outgoing));
    auto& queue = m_core.queue;
    std::size_t done = 0;
    for (; done < queue.size(); ++done) {
        // A command that lets something go waits while the retired list is full.
        if (m_core.retired.size() + 2 > EngineCore::kRetiredCapacity)
            break;
        if (!applyOne(queue[done]))
            break;
        m_core.appliedSeq.store(queue[done].seq, std::memory_order_release);
    }
    // Erasing keeps the queue's memory; what is left is taken next time.
    queue.erase(queue.begin(), queue.begin() + std::ptrdiff_t(done));
    return true;
}

bool Mixer::applyOne(Command& c) {
    Stream* s = c.stream;
    Stream::Render* r = s ? &s->render : nullptr;
    switch (c.op) {
    case Command::Op::Add:
        if (m_streams.size() >= kMaxStreams)
            return false;
        m_streams.push_back(s);
        r->mixed = true;
        break;
    case Command::Op::Remove:
        if (const auto it = std::find(m_streams.begin(), m_streams.end(), s); it != m_streams.end())
            m_streams.erase(it);
        r->mixed = false;
        retire(std::move(c.payload));
        break;
    case Command::Op::Play:
        if (c.flag) {
            r->position = 0;
            if (r->tempo) {
                r->tempo->clear();
                r->tempo->fed = 0;
            }
        }
        // A start in the middle of the sound comes in from silence, without a click.
        r->voice.start(r->position > 0);
        s->published.runStart.store(r->position, std::memory_order_relaxed);
        s->published.ended.store(false, std::memory_order_relaxed);
        break;
    case Command::Op::Stop:
        r->voice.playing = false;
        r->voice.sliding = false;
        r->voice.stopAfterSlide = false;
        if (c.flag && r->tempo) {
            // What SoundTouch holds is dropped: the source resumes where the listener was.
            r->position = std::floor(r->position);
            r->tempo->clear();
            r->tempo->fed = r->position;
            s->published.runStart.store(r->position, std::memory_order_relaxed);
        }
        break;
    case Command::Op::Position:
        r->position = c.value;
        if (r->tempo) {
            r->tempo->clear();
            r->tempo->fed = c.value;
        }
        s->published.runStart.store(r->position, std::memory_order_relaxed);
        break;
    case Command::Op::Volume:
        r->voice.setVolume(c.a);
        break;
    case Command::Op::Slide:
        r->voice.startSlide(c.a, c.i, c.flag);
        break;
    case Command::Op::Trim:
        r->voice.setTrim(c.a, c.i);
        break;
    case Command::Op::Pan:
        r->voice.pan = c.i;
        break;
    case Command::Op::Rate:
        r->speed = double(c.i) / AudioEngine::kSampleRate;
        break;
    case Command::Op::Tempo:
        if (c.payload) {
            // A new key or rate: the new SoundTouch takes over from where the listener is,
            // crossfaded from the old one so the change does not click.
            auto fresh = std::static_pointer_cast<TempoRender>(std::move(c.payload));
            fresh->setTempo(c.a);
            if (r->tempo) {
                fresh->eqOn = r->tempo->eqOn;
                fresh->filters = r->tempo->filters;
                fresh->fed = std::floor(r->position);
                r->position = fresh->fed;
                retire(std::move(r->outgoing));
                r->crossfade = 0;
                if (r->voice.playing) {
                    r->outgoing = std::move(r->tempo);
                    r->crossfade = kCrossfadeFrames;
                }
                retire(std::move(r->tempo));
            }
            r->tempo = std::move(fresh);
        } else if (r->tempo) {
            r->tempo->setTempo(c.a);
        }
        r->speed = tempoSpeed(c.a, c.i);
        break;
    case Command::Op::TempoAttach:
        r->tempo = std::static_pointer_cast<TempoRender>(std::move(c.payload));
        r->tempo->fed = r->position;
        break;
    case Command::Op::Syncs: {
        auto list = std::static_pointer_cast<const SyncList>(std::move(c.payload));
        std::swap(r->syncs, list);
        retire(std::const_pointer_cast<SyncList>(std::move(list)));
        break;
    }
    case Command::Op::Fx: {
        auto chain = std::static_pointer_cast<FxChain>(std::move(c.payload));
        // Bands that stay keep their state, so adding a band does not click the others.
        if (r->fx)
            for (FxBand& band : *chain)
                for (const FxBand& old : *r->fx)
                    if (old.handle == band.handle) {
                        const dsp::PeakingFilter wanted = band.filter;
                        band.filter = old.filter;
                        band.filter.setPeaking(wanted.sampleRate(), wanted.centreHz(),
                                               wanted.bandwidthOctaves(), wanted.gainDb());
                    }
        std::swap(r->fx, chain);
        retire(std::move(chain));
        break;
    }
    case Command::Op::FxBand:
        if (r->fx)
            for (FxBand& band : *r->fx)
                if (band.handle == Handle(c.frame))
                    band.filter.setPeaking(AudioEngine::kSampleRate, c.a, c.b, c.c);
        break;
    case Command::Op::Eq:
        if (r->tempo) {
            if (c.flag && !r->tempo->eqOn)
                for (auto& filter : r->tempo->filters)
                    filter.reset();
            if (!c.flag)
                for (auto& filter : r->tempo->filters)
                    filter.setPeaking(AudioEngine::kSampleRate, filter.centreHz(),
                                      filter.bandwidthOctaves(), 0.0);
            r->tempo->eqOn = c.flag;
        }
        break;
    case Command::Op::EqBand:
        if (r->tempo && c.i >= 0 && c.i < 3)
            r->tempo->filters[std::size_t(c.i)].setPeaking(AudioEngine::kSampleRate, c.a, c.b, c.c);
        break;
    case Command::Op::Bpm: {
        auto feed = std::static_pointer_cast<BpmFeed>(std::move(c.payload));
        std::swap(r->bpm, feed);
        retire(std::move(feed));
        break;
    }
    case Command::Op::StartAt:
        r->startAt = c.frame;
        break;
    case Command::Op::Tap: {
        auto tap = std::static_pointer_cast<OutputTap>(std::move(c.payload));
        if (c.flag) {
            const auto free = std::find(m_taps.begin(), m_taps.end(), nullptr);
            if (free != m_taps.end())
                *free = std::move(tap);
        } else {
            const auto it = std::find(m_taps.begin(), m_taps.end(), tap);
            if (it != m_taps.end())
                retire(std::move(*it));
            retire(std::move(tap));
        }
        break;
    }
    }
    return true;
}

void Mixer::mix(float* out, std::size_t frames) {
    MixingScope scope;
    apply(false);
    std::fill(out, out + frames * 2, 0.0f);
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t piece = nextEvent(std::min(frames - done, kMaxPiece));
        renderPiece(out + done * 2, piece);
        done += piece;
        m_mixed += piece;
        m_core.mixed.store(m_mixed, std::memory_order_release);
        for (Stream* s : m_streams)
            publish(*s);
        if (!m_fired.empty()) {
            for (const Fired& fired : m_fired)
                if (fired.sync->proc)
                    fired.sync->proc(fired.sync->handle, fired.stream);
            m_fired.clear();
            // What the procedures changed sounds from the next frame on.
            apply(true);
        }
    }
    for (const auto& tap : m_taps)
        if (tap)
            tap->write(out, frames);
}

// Output frames until the next position sync of a playing stream or a timed start.
std::size_t Mixer::nextEvent(std::size_t limit) const {
    std::size_t next = limit;
    for (const Stream* s : m_streams) {
        const Stream::Render& r = s->render;
        if (!r.voice.playing)
            continue;
        if (r.startAt > m_mixed) {
            next = std::min<std::size_t>(next, std::size_t(r.startAt - m_mixed));
            continue;
        }
        if (!r.syncs || r.speed <= 0)
            continue;
        for (const auto& sync : *r.syncs) {
            const double ahead = double(sync->frame) - r.position;
            if (ahead <= kFrameSlack)
                continue;
            const auto k = std::size_t(std::ceil(ahead / r.speed - 1e-9));
            if (k >= 1 && k < next)
                next = k;
        }
    }
    return next;
}

void Mixer::renderPiece(float* out, std::size_t frames) {
    for (Stream* s : m_streams) {
        Stream::Render& r = s->render;
        if (!r.voice.playing || r.startAt > m_mixed)
            continue;
        const double from = r.position;
        const std::size_t n = r.tempo ? renderTempo(*s, frames) : renderPlain(*s, frames);
        for (std::size_t i = 0; i < n * 2; ++i)
            out[i] += m_voice[i];
        s->published.level.store(meterLevel(m_voice.data(), n), std::memory_order_relaxed);
        if (r.syncs)
            fireSyncs(*s, from, r.position);
        if (!r.voice.playing && s->control.autoFree) {
            s->published.ended.store(true, std::memory_order_relaxed);
            m_core.ended.store(true, std::memory_order_release);
        }
    }
}

void Mixer::fireSyncs(const Stream& s, double from, double to) {
    for (const auto& sync : *s.render.syncs) {
        const auto frame = double(sync->frame);
        if (from < frame - kFrameSlack && to >= frame - kFrameSlack &&
            m_fired.size() < m_fired.capacity())
            m_fired.push_back({sync.get(), s.handle});
    }
}

// A plain stream's next frames into m_voice, resampled by linear interpolation when it plays
// at another rate; returns the frames that carry sound (the rest is silence).
std::size_t Mixer::renderPlain(Stream& s, std::size_t frames) {
    Stream::Render& r = s.render;
    float* out = m_voice.data();
    std::fill(out, out + frames * 2, 0.0f);
    const double step = r.speed;
    const int ch = s.channels();
    const std::int64_t length = s.frames();
    const bool complete = s.file->complete();
    std::size_t done = 0;
    while (done < frames) {
        const auto first = std::int64_t(std::floor(r.position));
        if (complete && first >= length) {
            r.voice.playing = false;
            break;
        }
        const std::size_t want = std::min<std::size_t>(frames - done, 256);
        // Source frames this piece needs, with one more for interpolation.
        const auto need =
            std::int64_t(std::ceil((r.position - double(first)) + step * double(want))) + 2;
        const std::int64_t got =
            s.file->read(first, m_source.data(),
                         std::min<std::int64_t>(need, std::int64_t(m_source.size() / 2)));
        if (got <= 0)
            break; // not decoded yet: wait without moving
        std::size_t i = 0;
        for (; i < want; ++i) {
            const double at = r.position - double(first);
            const auto idx = std::int64_t(at);
            if (idx + 1 >= got && !(complete && first + idx + 1 >= length && idx < got))
                break;
            const double frac = at - double(idx);
            for (int c = 0; c < 2; ++c) {
                const int sc = ch == 1 ? 0 : c;
                const float a = m_source[size_t(idx * ch + sc)];
                const float b = idx + 1 < got ? m_source[size_t((idx + 1) * ch + sc)] : 0.0f;
                out[(done + i) * 2 + size_t(c)] = frac == 0.0 ? a : float(a + (b - a) * frac);
            }
            r.position += step;
        }
        done += i;
        if (i < want)
            break;
    }
    if (r.fx)
        for (FxBand& band : *r.fx)
            band.filter.process(out, done, 2);
    r.voice.applyVolume(out, done);
    return done;
}

// A tempo stream's next frames. Its position is what the listener hears: the frames that
// came out of SoundTouch times the speed, counted from where the stream started. SoundTouch
// keeps some sound inside; counting what went in would put the position ahead of the ear.
std::size_t Mixer::renderTempo(Stream& s, std::size_t frames) {
    Stream::Render& r = s.render;
    float* out = m_voice.data();
    bool ended = false;
    std::size_t done = pullTempo(s, *r.tempo, out, frames, r.bpm.get(), ended);
    if (r.outgoing && r.crossfade > 0) {
        float* old = m_outgoing.data();
        bool oldEnded = false;
        const std::size_t got = pullTempo(s, *r.outgoing, old, frames, nullptr, oldEnded);
        const std::size_t span = std::min<std::size_t>(frames, std::size_t(r.crossfade));
        for (std::size_t i = 0; i < span; ++i) {
            const float w = float(r.crossfade - int(i)) / float(kCrossfadeFrames);
            for (std::size_t c = 0; c < 2; ++c)
                out[i * 2 + c] = out[i * 2 + c] * (1.0f - w) + old[i * 2 + c] * w;
        }
        r.crossfade -= int(span);
        done = std::max(done, std::min(got, span));
    }
    if (ended)
        r.voice.playing = false;
    const std::int64_t length = s.frames();
    TempoRender& t = *r.tempo;
    // Never past what went in, nor past the end.
    r.position = std::min(r.position + double(done) * r.speed, t.fed);
    if (s.file->complete())
        r.position = std::min(r.position, double(length));
    if (ended)
        r.position = double(length);
    if (t.eqOn)
        dsp::PeakingFilter::processStereoChain(t.filters.data(), int(t.filters.size()), out, done);
    r.voice.applyVolume(out, done);
    return done;
}

// What one SoundTouch gives for the next `frames` output frames, fed from the source as it
// asks; `ended` once the source is through and SoundTouch empty.
std::size_t Mixer::pullTempo(const Stream& s, TempoRender& t, float* out, std::size_t frames,
                             BpmFeed* bpm, bool& ended) {
    std::fill(out, out + frames * 2, 0.0f);
    const int ch = s.channels();
    const std::int64_t length = s.frames();
    std::size_t done = 0;
    for (int guard = 0; done < frames && guard < 64; ++guard) {
        const std::size_t ready = t.st->numSamples();
        if (ready > 0) {
            // SoundTouch gives the file's channels; the mix is stereo.
            const std::size_t take = std::min(frames - done, ready);
            if (ch == 2) {
                done += t.st->receiveSamples(out + done * 2, uint(take));
                continue;
            }
            float* mono = m_source.data();
            const auto got =
                t.st->receiveSamples(mono, uint(std::min<std::size_t>(take, m_source.size() / 2)));
            for (std::size_t i = 0; i < got; ++i)
                out[(done + i) * 2] = out[(done + i) * 2 + 1] = mono[i];
            done += got;
            continue;
        }
        const auto at = std::int64_t(t.fed);
        const std::int64_t got = s.file->read(at, m_source.data(), kFeedFrames);
        if (got > 0) {
            t.st->putSamples(m_source.data(), uint(got));
            if (bpm)
                bpm->push(m_source.data(), std::size_t(got));
            t.fed = double(at + got);
        } else if (s.file->complete() && at >= length) {
            if (!t.flushed) {
                t.st->flush();
                t.flushed = true;
                continue;
            }
            ended = true;
            break;
        } else {
            break; // waiting for the decoder
        }
    }
    return done;
}

void Mixer::publish(Stream& s) {
    const Stream::Render& r = s.render;
    Published& p = s.published;
    p.storePlace(r.position, m_mixed);
    p.speed.store(r.speed, std::memory_order_relaxed);
    p.volume.store(r.voice.volume, std::memory_order_relaxed);
    p.slideTarget.store(r.voice.slideTarget, std::memory_order_relaxed);
    p.slideStops.store(r.voice.stopAfterSlide, std::memory_order_relaxed);
    p.slideFrames.store(r.voice.sliding ? std::max(1, r.voice.slideFrames) : 0,
                        std::memory_order_relaxed);
    if (!r.voice.playing)
        p.level.store(0, std::memory_order_relaxed);
    p.playing.store(r.voice.playing, std::memory_order_release);
}

} // namespace hoedeck
