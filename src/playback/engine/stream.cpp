#include "stream.h"

#include <algorithm>
#include <cmath>
#include <soundtouch/SoundTouch.h>

namespace hoedeck {

void Voice::startSlide(float target, int milliseconds, bool stopAtEnd) {
    const int frames =
        std::max(1, int(std::lround(milliseconds * AudioEngine::kSampleRate / 1000.0)));
    sliding = true;
    slideTarget = target;
    slideFrames = frames;
    slideStep = (target - volume) / float(frames);
    stopAfterSlide = stopAtEnd;
}

void Voice::applyVolume(float* stereo, std::size_t frames) {
    // Pan as a balance: the far side is turned down, the near side stays.
    const float left = pan > 0 ? 1.0f - pan / 100.0f : 1.0f;
    const float right = pan < 0 ? 1.0f + pan / 100.0f : 1.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        if (sliding) {
            if (slideFrames > 0) {
                volume += slideStep;
                --slideFrames;
            }
            if (slideFrames <= 0) {
                volume = slideTarget;
                sliding = false;
                if (stopAfterSlide) {
                    playing = false;
                    std::fill(stereo + i * 2, stereo + frames * 2, 0.0f);
                    return;
                }
            }
        }
        stereo[i * 2] *= volume * left;
        stereo[i * 2 + 1] *= volume * right;
    }
}

void Voice::meter(const float* stereo, std::size_t frames) {
    float l = 0, r = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        l = std::max(l, std::fabs(stereo[i * 2]));
        r = std::max(r, std::fabs(stereo[i * 2 + 1]));
    }
    const auto scale = [](float v) {
        return std::uint32_t(std::min(128.0f, std::round(v * 128.0f)));
    };
    level.store(scale(l) | scale(r) << 16, std::memory_order_relaxed);
}

TempoState::TempoState(int fileRate, int channels)
    : st(std::make_unique<soundtouch::SoundTouch>()), rate(fileRate) {
    st->setSampleRate(uint(fileRate));
    st->setChannels(uint(channels));
    applySettings(fileRate);
    for (int band = 0; band < 3; ++band)
        bands[size_t(band)].band = band;
}

TempoState::~TempoState() = default;

void TempoState::applySettings(int) {
    st->setTempoChange(tempo);
    st->setPitchSemiTones(pitch);
    // Playing the source at `rate` Hz on a 44100 Hz output: faster and higher together.
    st->setRate(double(rate) / AudioEngine::kSampleRate);
}

double Stream::heardPosition() const {
    if (!tempo)
        return pos;
    const double speed = (1.0 + tempo->tempo / 100.0) * tempo->rate / AudioEngine::kSampleRate;
    const double ahead = tempo->st->numUnprocessedSamples() + tempo->st->numSamples() * speed;
    return std::max(0.0, pos - ahead);
}

} // namespace hoedeck
