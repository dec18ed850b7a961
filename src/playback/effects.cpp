#include "effects.h"

#include "numbertext.h"
#include "player.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace hoedeck {

Effects::Effects(AudioEngine& engine, Player& player, QObject* parent)
    : QObject(parent), m_engine(engine), m_player(player) {}

int Effects::samplerateMin() const {
    return int(std::lround(m_player.nativeSampleRate * 0.5));
}
int Effects::samplerateMax() const {
    return int(std::lround(m_player.nativeSampleRate * 1.5));
}

Handle Effects::activeStream() const {
    switch (m_player.activeChannel.load()) {
    case 1:
        return m_player.streams.copyA;
    case 2:
        return m_player.streams.copyB;
    default:
        return m_player.streams.singerTempo
                   ? m_engine.tempoGetResampledHandle(m_player.streams.singerTempo)
                   : 0;
    }
}

void Effects::applyVolume() {
    if (const Handle h = activeStream())
        m_engine.channelSetAttributes(h, AudioEngine::kRateUnchanged, tbVolume,
                                      AudioEngine::kPanUnchanged);
}

void Effects::setVolume(int position) {
    tbVolume = std::clamp(position, 0, 100);
    m_player.volume = tbVolume;
    applyVolume();
    emit changed();
}

double Effects::detectedBpm() const {
    const auto value = numbertext::parse(finalBPM.trimmed());
    return !value || *value == -1 || *value == -2 ? 125.0 : *value;
}

float Effects::translatedBpm() const {
    const Handle tempoStream =
        m_player.patterMode ? m_player.streams.patterReference : m_player.streams.singerTempo;
    const float percents = tempoStream ? m_engine.tempoGetApproxPercents(tempoStream) : 0.0f;
    return m_player.streams.bpmStream
               ? m_engine.bpmPercents2Bpm(m_player.streams.bpmStream, percents)
               : -1.0f;
}

void Effects::showTranslatedBpm() {
    lbBPM = numbertext::format(translatedBpm(), "###.##");
    if (lbBPM == "-1")
        lbBPM.clear();
}

void Effects::do_speed() {
    const Handle copies[] = {m_player.streams.copyA, m_player.streams.copyB};
    for (Handle copy : copies)
        m_engine.channelSetAttributes(copy, AudioEngine::kRateOriginal,
                                      AudioEngine::kVolumeUnchanged, AudioEngine::kPanUnchanged);
    AudioEngine::Attributes original;
    if (!copies[0] || !m_engine.channelGetAttributes(copies[0], original))
        original.rate = m_player.nativeSampleRate;
    const auto trimmed = finalBPM.trimmed();
    const auto value = numbertext::parse(trimmed);
    if (trimmed.isEmpty() || !value || *value == -1 || *value == -2)
        finalBPM = "125";
    const double b = detectedBpm();
    const int frequency = patterFrequency(b, tbTempo, original.rate);
    for (Handle copy : copies)
        m_engine.channelSetAttributes(copy, frequency, AudioEngine::kVolumeUnchanged,
                                      AudioEngine::kPanUnchanged);
    // A patter shows the speed its copies play at. A singer's nudge, which runs this rule as
    // well, shows the beat plus the steps as it always has.
    lbBPM = m_player.patterMode ? numbertext::format(b * frequency / original.rate, "###.##")
                                : numbertext::format(b + tbTempo, "###.##");
}

int Effects::patterFrequency(double bpm, int position, int originalRate) {
    // The pitch interval in semitones between bpm and bpm + 1 (0.05776227 is ln 2 / 12).
    const double s = -std::log(bpm / (bpm + 1)) / 0.05776227;
    return int(std::trunc((double(position) / kMaxTempo * s + 1) * originalRate));
}

int Effects::patterPositionNearest(double bpm, double targetBpm, int originalRate) {
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int position = -kMaxTempo; position <= kMaxTempo; ++position) {
        const double speed =
            bpm * patterFrequency(bpm, position, originalRate) / double(originalRate);
        if (const double distance = std::abs(speed - targetBpm); distance < bestDistance) {
            best = position;
            bestDistance = distance;
        }
    }
    return best;
}

QString Effects::patterSpeedText(double bpm) const {
    AudioEngine::Attributes now;
    const int original = m_player.nativeSampleRate;
    if (!m_player.streams.copyA || !m_engine.channelGetAttributes(m_player.streams.copyA, now) ||
        original <= 0)
        now.rate = original;
    return numbertext::format(original > 0 ? bpm * now.rate / original : bpm, "###.##");
}

void Effects::applyTempo() {
    if (m_player.patterMode) {
        do_speed();
        return;
    }
    m_engine.tempoSet(m_player.streams.singerTempo, float(tbTempo), AudioEngine::kRateUnchanged,
                      AudioEngine::kPitchUnchanged);
    showTranslatedBpm();
    if (refreshPositionLabels)
        refreshPositionLabels();
}

void Effects::setTempo(int position) {
    tbTempo = std::clamp(position, -kMaxTempo, kMaxTempo);
    applyTempo();
    emit changed();
}

void Effects::nudgeTempo(int delta) {
    setTempo(tbTempo + delta);
    // Whatever the slot, the singer's tempo and the speed follow, and the patter rule writes
    // the speed last.
    m_engine.tempoSet(m_player.streams.singerTempo, float(tbTempo), AudioEngine::kRateUnchanged,
                      AudioEngine::kPitchUnchanged);
    showTranslatedBpm();
    if (refreshPositionLabels)
        refreshPositionLabels();
    do_speed();
    emit changed();
}

void Effects::setSamplerate(int position) {
    tbSamplerate = std::clamp(position, samplerateMin(), samplerateMax());
    if (!m_player.patterMode && m_player.streams.singerTempo) {
        const Handle singer = m_player.streams.singerTempo;
        m_engine.tempoSet(singer, AudioEngine::kTempoUnchanged, tbSamplerate,
                          AudioEngine::kPitchUnchanged);
        AudioEngine::PeakingEq band;
        band.band = 0;
        if (m_engine.dspGetParameters(singer, band)) {
            band.sampleRate = tbSamplerate;
            m_engine.dspSetParameters(singer, band);
        }
        showTranslatedBpm();
        if (refreshPositionLabels)
            refreshPositionLabels();
    }
    emit changed();
}

void Effects::setPitch(int position) {
    tbPitch = std::clamp(position, -30, 30);
    m_engine.tempoSet(m_player.streams.singerTempo, AudioEngine::kTempoUnchanged,
                      AudioEngine::kRateUnchanged, float(tbPitch));
    if (refreshPositionLabels)
        refreshPositionLabels();
    emit changed();
}

void Effects::nudgePitch(int delta) {
    setPitch(tbPitch + delta);
    setPitch(tbPitch); // the key commands apply the pitch once more
}

void Effects::attachSingerEqualizer() {
    const Handle singer = m_player.streams.singerTempo;
    if (!singer)
        return;
    AudioEngine::Attributes attributes;
    m_engine.channelGetAttributes(singer, attributes);
    m_engine.dspSetPeakingEq(singer);
    for (int band = 0; band < kBands; ++band)
        m_engine.dspSetParameters(singer, {band, attributes.rate, kSingerBandwidthOctaves, 0,
                                           kCentres[size_t(band)], 0.0f});
    for (int band = 0; band < kBands; ++band) {
        AudioEngine::PeakingEq eq;
        eq.band = band;
        if (m_engine.dspGetParameters(singer, eq)) {
            eq.gain = float(kFlatBar - bars[size_t(band)]);
            m_engine.dspSetParameters(singer, eq);
        }
    }
}

void Effects::setEqualizer(bool on) {
    if (on == chkEqualizer)
        return;
    chkEqualizer = on;
    if (on)
        attachSingerEqualizer();
    else
        m_engine.dspRemovePeakingEq(m_player.streams.singerTempo);
    emit changed();
}

void Effects::applyBarGain(int band, int position, bool force) {
    const size_t b = size_t(band);
    if (!force && bars[b] == position)
        return;
    bars[b] = position;
    if (!chkEqualizer)
        setEqualizer(true);
    AudioEngine::PeakingEq eq;
    eq.band = band;
    if (m_engine.dspGetParameters(m_player.streams.singerTempo, eq)) {
        eq.gain = float(kFlatBar - position);
        m_engine.dspSetParameters(m_player.streams.singerTempo, eq);
    }
    if (check_for_presets)
        check_for_presets();
    patterBandGain[b] = position + 9;
    // Heard at once on a playing patter as well, not only from the next loop seam on.
    applyPatterBandGains();
}

void Effects::setBar(int band, int position) {
    if (band < 0 || band >= kBands)
        return;
    applyBarGain(band, std::clamp(position, 0, 19), false);
    emit changed();
}

void Effects::moveBar(int band, int delta) {
    if (!chkEqualizer)
        setEqualizer(true);
    setBar(band, bars[size_t(band)] + delta);
}

void Effects::clearEffects() {
    setVolume(100);
    setTempo(0);
    setPitch(0);
    setSamplerate(m_player.nativeSampleRate);
    for (int band = 0; band < kBands; ++band)
        applyBarGain(band, kFlatBar, true);
    emit changed();
}

void Effects::defaultsOnOpen() {
    tbTempo = 0;
    tbPitch = 0;
    for (int band = 0; band < kBands; ++band)
        applyBarGain(band, kFlatBar, false);
    // The reset labels' clicks: tempo, sample rate and pitch through their handlers.
    setTempo(0);
    setSamplerate(m_player.nativeSampleRate);
    setPitch(0);
}

void Effects::attachPatterEqualizer() {
    const Handle copies[] = {m_player.streams.copyA, m_player.streams.copyB};
    std::array<Handle, kBands>* fx[] = {&m_fxA, &m_fxB};
    for (int c = 0; c < 2; ++c)
        for (int band = 0; band < kBands; ++band) {
            (*fx[c])[size_t(band)] = m_engine.channelSetFx(copies[c]);
            m_engine.fxSetParameters((*fx[c])[size_t(band)],
                                     {kCentres[size_t(band)], kPatterBandwidthSemitones, 0.0f});
        }
    applyPatterBandGains();
}

// Also runs on the mixer thread at each loop switch: it reads only the atomic positions and the
// band handles, which are set before the copies start.
void Effects::applyPatterBandGains() {
    for (const auto* fx : {&m_fxA, &m_fxB})
        for (int band = 0; band < kBands; ++band) {
            AudioEngine::ParamEq eq;
            const Handle h = (*fx)[size_t(band)];
            if (h && m_engine.fxGetParameters(h, eq)) {
                eq.gain = float(15 - patterBandGain[size_t(band)].load());
                m_engine.fxSetParameters(h, eq);
            }
        }
}

void Effects::plugInto(Player& player) {
    player.hooks.resetEffects = [this] { defaultsOnOpen(); };
    player.hooks.applyVolume = [this] { applyVolume(); };
    player.hooks.attachPatterEffects = [this] { attachPatterEqualizer(); };
    player.hooks.applyPatterBandGains = [this] { applyPatterBandGains(); };
    player.hooks.attachSingerEqualizer = [this] { attachSingerEqualizer(); };
}

void Effects::uncheckWhenFlat() {
    if (std::all_of(bars.begin(), bars.end(), [](int bar) { return bar == kFlatBar; }))
        setEqualizer(false);
}

} // namespace hoedeck
