#include "speedmatching.h"

#include "effects.h"
#include "numbertext.h"
#include "player.h"
#include "songtags.h"

#include <cmath>

namespace hoedeck {

SpeedMatching::SpeedMatching(AudioEngine& engine, Player& player, Effects& effects, QObject* parent)
    : QObject(parent), m_engine(engine), m_player(player), m_effects(effects) {
    m_worker.setMaxThreadCount(1);
    // Queued signals rather than functors posted from the other threads: a posted functor is
    // freed by the thread that posted it after this thread ran it, an order the sanitizers
    // cannot see.
    connect(
        this, &SpeedMatching::measuredOnWorker, this,
        [this](quint64 generation) {
            // A song opened meanwhile makes this result stale.
            if (generation == m_generation)
                applyDetection();
        },
        Qt::QueuedConnection);
    connect(
        this, &SpeedMatching::liveBeatOnMixer, this,
        [this](quint32 stream) {
            const float percents = m_engine.tempoGetApproxPercents(m_player.streams.singerTempo);
            m_effects.lbBPM =
                numbertext::format(m_engine.bpmPercents2Bpm(stream, percents), "###.##");
            emit m_effects.changed();
        },
        Qt::QueuedConnection);
}

SpeedMatching::~SpeedMatching() {
    {
        std::lock_guard lock(m_owner->mutex);
        m_owner->alive = false;
    }
    waitForDetection();
}

void SpeedMatching::waitForDetection() {
    m_worker.waitForDone();
}

void SpeedMatching::setOverride(int bpm) {
    m_override = std::find(kOverrides.begin(), kOverrides.end(), bpm) != kOverrides.end() ? bpm : 0;
}

void SpeedMatching::DecodingBPM() {
    m_effects.tagBPM = readSongTags(m_player.currentSongPath).bpm;
    m_engine.streamFree(m_player.streams.bpmStream);
    m_player.streams.bpmStream =
        m_engine.streamCreateFile(m_player.currentSongPath, AudioEngine::kFlagDecode);
    const Handle stream = m_player.streams.bpmStream;
    const quint64 generation = ++m_generation;
    m_worker.start([this, stream, generation] {
        if (generation != m_generation)
            return; // another song was opened while this one waited its turn
        // The stream keeps what it measured; the translation reads it back.
        m_engine.bpmDecodeGet(stream, kWindowStart, kWindowEnd);
        emit measuredOnWorker(generation);
    });
}

void SpeedMatching::applyDetection() {
    m_effects.finalBPM = numbertext::format(m_effects.translatedBpm(), "###.##");
    // The speed: the measured beat at the slot's tempo; a patter's at the frequency its copies
    // play at, which a remembered tempo set before this beat was known. An unknown beat stays
    // unknown.
    m_effects.showTranslatedBpm();
    if (m_player.patterMode && !m_effects.lbBPM.isEmpty())
        m_effects.lbBPM =
            m_effects.patterSpeedText(numbertext::parse(m_effects.lbBPM).value_or(0.0));
    auto_bpm();
    emit m_effects.changed();
    emit detected();
}

void SpeedMatching::auto_bpm() {
    const QString detectedText = m_effects.finalBPM.trimmed();
    if (detectedText.isEmpty() || m_override == 0)
        return;
    const float target = float(m_override);
    const double detected = numbertext::parse(detectedText).value_or(0.0);
    const bool measured = detected != -1 && detected != -2;
    if (m_player.patterMode && measured) {
        // The step whose speed, as the patter rule really plays it, comes nearest the choice.
        m_effects.setTempo(
            Effects::patterPositionNearest(detected, target, m_player.nativeSampleRate));
    } else {
        if (m_effects.lbBPM.isEmpty())
            return;
        const double speed = numbertext::parse(m_effects.lbBPM).value_or(0.0);
        // speed * 100 / target rather than speed / target * 100: 120 at 125 is exactly 96.
        const int steps = 100 - int(std::trunc(speed * 100.0 / target));
        m_effects.tbTempo =
            std::clamp(m_effects.tbTempo + steps, -Effects::kMaxTempo, Effects::kMaxTempo);
        m_engine.tempoSet(m_player.streams.singerTempo, float(m_effects.tbTempo),
                          AudioEngine::kRateUnchanged, AudioEngine::kPitchUnchanged);
        m_effects.showTranslatedBpm();
    }
    if (m_effects.lbBPM == "-1")
        m_effects.lbBPM.clear();
    if (m_effects.refreshPositionLabels)
        m_effects.refreshPositionLabels();
    emit m_effects.changed();
}

void SpeedMatching::registerLive() {
    const auto period = numbertext::parse(ebPeriod);
    if (!period || *period <= 0)
        return;
    const Handle singer = m_player.streams.singerTempo;
    m_engine.bpmCallbackSet(
        singer,
        [this, owner = m_owner](Handle stream, float) {
            // Called on the mixer thread: the label is written on the user-interface thread,
            // and not at all once this object has gone.
            std::lock_guard lock(owner->mutex);
            if (!owner->alive)
                return;
            emit liveBeatOnMixer(stream);
        },
        float(*period));
}

void SpeedMatching::setLiveBpm(bool on) {
    chkBPMCallback = on;
    if (on)
        registerLive();
    else
        m_engine.bpmFree(m_player.streams.singerTempo);
}

void SpeedMatching::tick() {
    if (chkBPMCallback && !m_player.patterMode && m_player.streams.singerTempo &&
        m_player.current_song != Player::kNone)
        registerLive();
}

void SpeedMatching::plugInto(Player& player) {
    player.hooks.detectBpm = [this] { DecodingBPM(); };
}

} // namespace hoedeck
