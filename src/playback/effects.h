#pragma once

#include "audioengine.h"

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <functional>

namespace hoedeck {

class Player;

// Volume, tempo, sample rate, pitch and the three-band equaliser of the "Effects" group. A
// singer runs through the tempo stream (tempo, rate and key apart) with a peaking equaliser;
// a patter changes speed by the copies' playing rate, scaled by its BPM, and has parametric
// bands on each copy. Setting a value runs what moving its slider runs.
class Effects : public QObject {
    Q_OBJECT
public:
    static constexpr int kBands = 3;
    static constexpr std::array<float, kBands> kCentres{125.0f, 1000.0f, 8000.0f};
    static constexpr float kSingerBandwidthOctaves = 2.5f;
    static constexpr float kPatterBandwidthSemitones = 18.0f;
    static constexpr int kFlatBar = 10;
    static constexpr int kMaxTempo = 50;

    Effects(AudioEngine& engine, Player& player, QObject* parent = nullptr);

    // Slider positions.
    int tbVolume = 100;
    int tbTempo = 0;
    int tbSamplerate = 44100;
    int tbPitch = 0;
    std::array<int, kBands> bars{kFlatBar, kFlatBar, kFlatBar}; // 0..19, lower is louder
    bool chkEqualizer = false;
    // Patter band-gain positions 0..30 (gain 15 - position dB); read by the loop switch.
    std::array<std::atomic<int>, kBands> patterBandGain{15, 15, 15};

    // The BPM texts: as detected at opening, and the current speed.
    QString finalBPM = QStringLiteral("128");
    QString lbBPM = QStringLiteral("128");
    // The song's own BPM tag, shown beside the measured speed; empty when it has none.
    QString tagBPM;

    // The sample-rate slider's range for the current song.
    int samplerateMin() const;
    int samplerateMax() const;

    QString lblVolume() const { return "Volume = " + QString::number(tbVolume - 50); }
    QString lblTempo() const { return "Tempo = " + QString::number(tbTempo); }
    QString lblSamplerate() const { return "Samplerate = " + QString::number(tbSamplerate) + "Hz"; }
    QString lblPitch() const {
        return "Pitch Scaling = " + QString::number(tbPitch) + " semitones";
    }
    QString bandLabel(int band) const { return QString::number(kFlatBar - bars[size_t(band)]); }

    // The sliders moved (by the caller, a key or a remembered setting).
    void setVolume(int position);
    void setTempo(int position);
    void setSamplerate(int position);
    void setPitch(int position);
    void setBar(int band, int position);
    void setEqualizer(bool on);

    // Keys.
    void tempoIncrease() { nudgeTempo(+1); } // F4
    void tempoDecrease() { nudgeTempo(-1); } // F3
    void pitchUp() { nudgePitch(+1); }       // F6
    void pitchDown() { nudgePitch(-1); }     // F5
    void volumeUp() { setVolume(std::min(100, tbVolume + 1)); }
    void volumeDown() { setVolume(std::max(0, tbVolume - 1)); }
    // A band key: the equaliser comes on first, then the bar moves by delta.
    void moveBar(int band, int delta);
    void clearEffects(); // Control-C

    // Opening a song: defaults, the singer's equaliser, the patter's bands.
    void defaultsOnOpen();
    void attachSingerEqualizer();
    void attachPatterEqualizer();
    void applyPatterBandGains();
    void applyVolume();
    // The patter's speed from the tempo position, scaled by the detected BPM.
    void do_speed();
    // The patter rule: the copies' frequency at a tempo position moves by s/50 of the original
    // a step, s being the pitch interval in semitones between the beat and one beat more
    // (about 0.28 % a step at 125 BPM). Remembered positions keep the sound they were left
    // with, so the rule stays; what it plays at is beat x frequency / original frequency.
    static int patterFrequency(double bpm, int position, int originalRate);
    // The tempo position whose real speed under the patter rule is nearest the target.
    static int patterPositionNearest(double bpm, double targetBpm, int originalRate);
    // The speed label of a patter whose beat is bpm: the speed its copies play at now.
    QString patterSpeedText(double bpm) const;
    // The tick's rule: a flat equaliser is switched off.
    void uncheckWhenFlat();

    // Joins opening a song and the loop switch: the defaults, the equalisers, the volume.
    void plugInto(Player& player);

    // The speed label from the measuring stream, with "-1" shown empty.
    void showTranslatedBpm();
    // The measured beat at the current song's tempo; -1 when unknown.
    float translatedBpm() const;
    double detectedBpm() const;

    std::function<void()> check_for_presets; // the preset box follows the gains
    std::function<void()> refreshPositionLabels;

signals:
    void changed();

private:
    void nudgeTempo(int delta);
    void nudgePitch(int delta);
    void applyBarGain(int band, int position, bool force);
    void applyTempo();
    Handle activeStream() const;

    AudioEngine& m_engine;
    Player& m_player;
    // The parametric bands of copy A and copy B.
    std::array<Handle, kBands> m_fxA{};
    std::array<Handle, kBands> m_fxB{};
};

} // namespace hoedeck
