#include "stream.h"

#include <algorithm>
#include <cmath>
#include <soundtouch/SoundTouch.h>

namespace hoedeck {

void Voice::start(bool fromSilence) {
    if (!playing)
        gain = fromSilence ? 0.0f : volume;
    playing = true;
}

void Voice::startSlide(float target, int milliseconds, bool stopAtEnd) {
    const int frames =
        std::max(1, int(std::lround(milliseconds * AudioEngine::kSampleRate / 1000.0)));
    sliding = true;
    slideTarget = target;
    slideFrames = frames;
    slideStep = (target - volume) / float(frames);
    stopAfterSlide = stopAtEnd;
}

void Voice::setVolume(float value) {
    sliding = false;
    volume = value;
}

void Voice::setTrim(float target, int milliseconds) {
    trimTarget = target;
    trimFrames = std::max(0, int(std::lround(milliseconds * AudioEngine::kSampleRate / 1000.0)));
    if (trimFrames == 0)
        trim = target;
    else
        trimStep = (target - trim) / float(trimFrames);
}

void Voice::applyVolume(float* stereo, std::size_t frames) {
    // Pan as a balance: the far side is turned down, the near side stays.
    const float left = pan > 0 ? 1.0f - pan / 100.0f : 1.0f;
    const float right = pan < 0 ? 1.0f + pan / 100.0f : 1.0f;
    if (!sliding && !stopAfterSlide && gain == volume && trimFrames == 0) {
        // Steady: one gain for the whole block.
        if (gain * trim == 1.0f && pan == 0)
            return;
        const float l = gain * trim * left, r = gain * trim * right;
        for (std::size_t i = 0; i < frames; ++i) {
            stereo[i * 2] *= l;
            stereo[i * 2 + 1] *= r;
        }
        return;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        if (sliding) {
            if (slideFrames > 0) {
                volume += slideStep;
                --slideFrames;
            }
            if (slideFrames <= 0) {
                volume = slideTarget;
                sliding = false;
            }
        }
        if (trimFrames > 0 && --trimFrames == 0)
            trim = trimTarget;
        else if (trimFrames > 0)
            trim += trimStep;
        if (gain < volume)
            gain = std::min(volume, gain + kRampStep);
        else if (gain > volume)
            gain = std::max(volume, gain - kRampStep);
        // A slide to a stop ends when the sound has reached silence, not before.
        if (stopAfterSlide && !sliding && gain <= 0.0f) {
            stopAfterSlide = false;
            playing = false;
            std::fill(stereo + i * 2, stereo + frames * 2, 0.0f);
            return;
        }
        stereo[i * 2] *= gain * trim * left;
        stereo[i * 2 + 1] *= gain * trim * right;
    }
}

std::uint32_t meterLevel(const float* stereo, std::size_t frames) {
    float l = 0, r = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        l = std::max(l, std::fabs(stereo[i * 2]));
        r = std::max(r, std::fabs(stereo[i * 2 + 1]));
    }
    const auto scale = [](float v) {
        return std::uint32_t(std::min(128.0f, std::round(v * 128.0f)));
    };
    return scale(l) | scale(r) << 16;
}

TempoRender::TempoRender(int fileRate, int channels, float tempo, int rate, float pitch)
    : st(std::make_unique<soundtouch::SoundTouch>()) {
    st->setSampleRate(uint(fileRate));
    st->setChannels(uint(channels));
    // SoundTouch grows its buffers on first use. Running some sound through it here, at the
    // slowest and the fastest tempos a caller uses, lets the mixer use it without allocating.
    std::vector<float> warm(std::size_t(16384 * channels), 0.0f);
    for (const float warmTempo : {-40.0f, 60.0f}) {
        set(warmTempo, rate, pitch);
        st->putSamples(warm.data(), 16384);
        while (st->receiveSamples(warm.data(), 4096) > 0) {
        }
        st->clear();
    }
    set(tempo, rate, pitch);
}

TempoRender::~TempoRender() = default;

void TempoRender::set(float newTempo, int newRate, float newPitch) {
    tempo = newTempo;
    rate = newRate;
    pitch = newPitch;
    st->setTempoChange(tempo);
    st->setPitchSemiTones(pitch);
    // Playing the source at `rate` Hz on the mixing rate: faster and higher together.
    st->setRate(double(rate) / AudioEngine::kSampleRate);
}

void TempoRender::setTempo(float value) {
    tempo = value;
    st->setTempoChange(tempo);
}

void TempoRender::clear() {
    st->clear();
    flushed = false;
}

} // namespace hoedeck
