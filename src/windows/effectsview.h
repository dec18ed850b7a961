#pragma once

#include <QObject>

class QCheckBox;
class QLabel;
class QSlider;
class QWidget;

namespace hoedeck {

class Effects;
class Player;

// The "Effects" group: sliders for volume, tempo, sample rate and pitch with their reset
// labels, the three equaliser bars and the speed. Moving a slider runs the effect; the effect's
// state moves the sliders back, whoever changed it.
class EffectsView : public QObject {
    Q_OBJECT
public:
    EffectsView(Effects& effects, Player& player, QWidget* panel, QObject* parent = nullptr);

    // The equaliser's preset box goes under the bars.
    void addPresetBox(QWidget* box);
    // Shows or hides the volume slider (Control-Alt-V).
    void toggleVolumeSlider();
    static constexpr int kVolumeRowHeight = 20;
    // Shows what the effects hold now; the slot decides which sliders a patter shows.
    void refresh();

    QSlider* tbTempo() const { return m_tempo; }
    QSlider* tbVolume() const { return m_volume; }
    QSlider* tbPitch() const { return m_pitch; }
    QSlider* tbSamplerate() const { return m_samplerate; }
    QLabel* lbBPM() const { return m_bpm; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Effects& m_effects;
    Player& m_player;
    QSlider* m_volume;
    QLabel* m_volumeLabel;
    QWidget* m_volumeRow;
    QSlider* m_tempo;
    QLabel* m_tempoLabel;
    QSlider* m_samplerate;
    QLabel* m_samplerateLabel;
    QSlider* m_pitch;
    QLabel* m_pitchLabel;
    QSlider* m_bars[3];
    QLabel* m_barLabels[3];
    QLabel* m_bpm;
    QLabel* m_finalBpm;
    QLabel* m_tagBpm;
    QWidget* m_panel;
    QCheckBox* m_equalizer;
    bool m_updating = false;
};

} // namespace hoedeck
