// Makes the sounds shipped in the program folder: two demo songs for a caller's first start
// (a patter and a singing call, written as WAV for lame to encode), the break timer's alarm and
// the golden-record confirmation. Everything is synthesised, the same on every build.
//   hoedeck_demo_songs patter|singer|alarm|chaching OUT.wav

#include <QFile>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sndfile.h>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

struct Mix {
    std::vector<float> left, right;
    explicit Mix(double seconds) : left(std::size_t(seconds * kRate)), right(left.size()) {}
    void add(std::size_t at, const std::vector<float>& sound, float gain, float pan) {
        const float l = gain * (pan <= 0 ? 1.0f : 1.0f - pan);
        const float r = gain * (pan >= 0 ? 1.0f : 1.0f + pan);
        for (std::size_t i = 0; i < sound.size() && at + i < left.size(); ++i) {
            left[at + i] += sound[i] * l;
            right[at + i] += sound[i] * r;
        }
    }
};

double noteHz(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// A plucked string (Karplus-Strong): the banjo and guitar of the band.
std::vector<float> pluck(double hz, double seconds, unsigned seed, double brightness = 0.5) {
    const auto period = std::size_t(std::max(2.0, kRate / hz));
    std::vector<float> line(period);
    unsigned state = seed * 2654435761u + 1;
    for (float& v : line) {
        state = state * 1664525u + 1013904223u;
        v = float((state >> 8) / double(1 << 24) * 2 - 1);
    }
    std::vector<float> out(std::size_t(seconds * kRate));
    std::size_t at = 0;
    for (float& v : out) {
        const std::size_t next = (at + 1) % period;
        const float sample = line[at];
        line[at] = float(0.996 * (brightness * line[at] + (1 - brightness) * line[next]));
        v = sample;
        at = next;
    }
    return out;
}

std::vector<float> kick() {
    std::vector<float> out(std::size_t(0.25 * kRate));
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        phase += 2 * kPi * (50 + 90 * std::exp(-t * 35)) / kRate;
        out[i] = float(std::exp(-t * 14) * std::sin(phase));
    }
    return out;
}

std::vector<float> bassNote(double hz, double seconds) {
    std::vector<float> out(std::size_t(seconds * kRate));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double env = std::min(1.0, t * 200) * std::exp(-t * 5);
        out[i] = float(env * (std::sin(2 * kPi * hz * t) + 0.3 * std::sin(4 * kPi * hz * t)));
    }
    return out;
}

std::vector<float> hat(unsigned seed) {
    std::vector<float> out(std::size_t(0.05 * kRate));
    unsigned state = seed;
    float previous = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const float noise = float((state >> 8) / double(1 << 24) * 2 - 1);
        out[i] = float((noise - previous) * std::exp(-double(i) / kRate * 90));
        previous = noise;
    }
    return out;
}

// The band: kick on the beat, bass on the root and fifth, chords plucked on the off-beats,
// a hi-hat on the eighths, over a progression of one chord per bar.
void band(Mix& mix, double bpm, const std::vector<int>& roots, int bars) {
    const double beat = 60.0 / bpm;
    const auto k = kick();
    unsigned seed = 1;
    for (int bar = 0; bar < bars; ++bar) {
        const int root = roots[std::size_t(bar) % roots.size()];
        for (int b = 0; b < 4; ++b) {
            const double t = (bar * 4 + b) * beat;
            const auto at = std::size_t(t * kRate);
            const auto off = std::size_t((t + beat / 2) * kRate);
            mix.add(at, k, 0.55f, 0);
            const int bassNoteMidi = root - 24 + (b % 2 ? 7 : 0);
            mix.add(at, bassNote(noteHz(bassNoteMidi), beat * 0.9), 0.35f, 0);
            for (const int interval : {0, 4, 7})
                mix.add(off, pluck(noteHz(root + interval), beat * 1.5, seed++, 0.4), 0.09f, -0.3f);
            mix.add(at, hat(seed++), 0.06f, 0.4f);
            mix.add(off, hat(seed++), 0.09f, 0.4f);
        }
    }
}

std::vector<float> interleave(const Mix& mix, double fadeSeconds) {
    std::vector<float> out(mix.left.size() * 2);
    float loudest = 0;
    for (std::size_t i = 0; i < mix.left.size(); ++i)
        loudest = std::max({loudest, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    const float gain = loudest > 0 ? 0.89f / loudest : 1.0f;
    const auto fade = std::size_t(fadeSeconds * kRate);
    for (std::size_t i = 0; i < mix.left.size(); ++i) {
        float env = 1.0f;
        if (fade > 0 && i + fade > mix.left.size())
            env = float(mix.left.size() - i) / float(fade);
        out[i * 2] = mix.left[i] * gain * env;
        out[i * 2 + 1] = mix.right[i] * gain * env;
    }
    return out;
}

std::vector<float> patter() {
    const double bpm = 126;
    const int bars = int(90.0 / (4 * 60.0 / bpm)) + 1; // about 90 s
    Mix mix(bars * 4 * 60.0 / bpm);
    band(mix, bpm, {67, 67, 60, 62, 67, 67, 62, 67}, bars); // G G C D G G D G
    return interleave(mix, 0);
}

std::vector<float> singer() {
    const double bpm = 128;
    const double beat = 60.0 / bpm;
    // Intro, seven sequences of 64 beats, tag: the shape of a singing call, shortened.
    const int bars = 64;
    Mix mix(bars * 4 * beat + 2.0);
    const std::vector<int> roots{67, 60, 62, 67, 67, 60, 62, 67};
    band(mix, bpm, roots, bars);
    // A tune over it: the chord tones walked in quarter notes, a phrase per two bars.
    const std::array<int, 8> phrase{0, 4, 7, 12, 11, 7, 4, 2};
    unsigned seed = 9001;
    for (int bar = 0; bar < bars; ++bar) {
        const int root = roots[std::size_t(bar) % roots.size()];
        for (int b = 0; b < 4; ++b) {
            const int note = root + 12 + phrase[std::size_t((bar % 2) * 4 + b)];
            const auto at = std::size_t((bar * 4 + b) * beat * kRate);
            mix.add(at, pluck(noteHz(note), beat * 2, seed++, 0.6), 0.2f, 0.1f);
        }
    }
    return interleave(mix, 2.0);
}

std::vector<float> stereo(const std::vector<float>& mono) {
    std::vector<float> out(mono.size() * 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        out[i * 2] = out[i * 2 + 1] = mono[i];
    return out;
}

std::vector<float> alarm() {
    std::vector<float> out(std::size_t(1.5 * kRate));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double inBeep = std::fmod(t, 0.25);
        const double hz = std::fmod(t, 0.5) < 0.25 ? 988 : 784;
        const double env = std::min(1.0, inBeep * 400) * std::min(1.0, (0.22 - inBeep) * 400);
        out[i] = float(0.6 * std::max(0.0, env) * std::sin(2 * kPi * hz * t));
    }
    return stereo(out);
}

std::vector<float> chaching() {
    std::vector<float> out(std::size_t(0.6 * kRate));
    // Two bright metallic strikes: inharmonic partials that ring down.
    const std::array<double, 5> partials{1.0, 2.76, 5.40, 8.93, 13.34};
    for (const auto& [start, base] : {std::pair{0.0, 1568.0}, std::pair{0.12, 2093.0}}) {
        for (std::size_t i = std::size_t(start * kRate); i < out.size(); ++i) {
            const double t = double(i) / kRate - start;
            double v = 0;
            for (std::size_t p = 0; p < partials.size(); ++p)
                v += std::sin(2 * kPi * base * partials[p] * t) * std::exp(-t * (8 + 6 * p)) /
                     (p + 1);
            out[i] += float(0.35 * v * std::min(1.0, t * 2000));
        }
    }
    return stereo(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s patter|singer|alarm|chaching OUT.wav\n", argv[0]);
        return 2;
    }
    std::vector<float> sound;
    if (std::strcmp(argv[1], "patter") == 0)
        sound = patter();
    else if (std::strcmp(argv[1], "singer") == 0)
        sound = singer();
    else if (std::strcmp(argv[1], "alarm") == 0)
        sound = alarm();
    else if (std::strcmp(argv[1], "chaching") == 0)
        sound = chaching();
    else {
        std::fprintf(stderr, "unknown sound %s\n", argv[1]);
        return 2;
    }
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(argv[2], SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], sf_strerror(nullptr));
        return 1;
    }
    sf_writef_float(file, sound.data(), sf_count_t(sound.size() / 2));
    sf_close(file);
    return 0;
}
