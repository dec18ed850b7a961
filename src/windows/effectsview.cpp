#include "effectsview.h"

#include "effects.h"
#include "player.h"
#include "widgetmaking.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace hoedeck {

namespace {
QSlider* slider(const QString& name, Qt::Orientation orientation, int min, int max, int value,
                QWidget* parent) {
    auto* s = new QSlider(orientation, parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    return s;
}
} // namespace

EffectsView::EffectsView(Effects& effects, Player& player, QWidget* panel, QObject* parent)
    : QObject(parent), m_effects(effects), m_player(player), m_panel(panel) {
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(namedLabel("lEffectsCaption", "Effects", panel));
    m_volumeLabel = namedLabel("lblVolume", m_effects.lblVolume(), panel);
    m_volumeLabel->setToolTip("Click to center");
    m_volume = slider("tbVolume", Qt::Horizontal, 0, 100, 100, panel);
    m_tempoLabel = namedLabel("lblTempo", m_effects.lblTempo(), panel);
    m_tempoLabel->setToolTip("click to set Tempo to 0%");
    m_tempo = slider("tbTempo", Qt::Horizontal, -50, 50, 0, panel);
    m_samplerateLabel = namedLabel("lblSamplerate", m_effects.lblSamplerate(), panel);
    m_samplerate = slider("tbSamplerate", Qt::Horizontal, 22050, 66150, 44100, panel);
    m_pitchLabel = namedLabel("lblPitch", m_effects.lblPitch(), panel);
    m_pitchLabel->setToolTip("click to set Pitch Scaling to 0 semitones");
    m_pitch = slider("tbPitch", Qt::Horizontal, -30, 30, 0, panel);
    // The volume slider and its label share one row 20 pixels high, shown and hidden with
    // Control-Alt-V: the equaliser below moves down and up by that much.
    m_volumeRow = new QWidget(panel);
    m_volumeRow->setFixedHeight(kVolumeRowHeight - std::max(0, layout->spacing()));
    auto* volumeRow = new QHBoxLayout(m_volumeRow);
    volumeRow->setContentsMargins(0, 0, 0, 0);
    m_volumeLabel->setParent(m_volumeRow);
    m_volume->setParent(m_volumeRow);
    volumeRow->addWidget(m_volumeLabel);
    volumeRow->addWidget(m_volume, 1);
    layout->addWidget(m_volumeRow);
    for (QWidget* w : std::initializer_list<QWidget*>{m_tempoLabel, m_tempo, m_samplerateLabel,
                                                      m_samplerate, m_pitchLabel, m_pitch})
        layout->addWidget(w);
    m_volumeRow->hide();

    auto* eq = new QHBoxLayout;
    const char* barNames[] = {"vsEQBASS", "vsEQMID", "vsEQTREBLE"};
    const char* labelNames[] = {"lbBass", "lbMid", "lbTreb"};
    const char* captions[] = {"Bass", "Mid", "Treble"};
    for (int band = 0; band < 3; ++band) {
        auto* column = new QVBoxLayout;
        m_barLabels[band] = namedLabel(labelNames[band], "0", panel);
        m_bars[band] = slider(barNames[band], Qt::Vertical, 0, 19, 10, panel);
        // Position 0 is the top, and the loudest.
        m_bars[band]->setInvertedAppearance(true);
        m_bars[band]->setMinimumHeight(60);
        column->addWidget(m_barLabels[band], 0, Qt::AlignHCenter);
        column->addWidget(m_bars[band], 1, Qt::AlignHCenter);
        column->addWidget(new QLabel(captions[band], panel), 0, Qt::AlignHCenter);
        eq->addLayout(column);
        connect(m_bars[band], &QSlider::valueChanged, this, [this, band](int value) {
            if (!m_updating)
                m_effects.setBar(band, value);
        });
    }
    layout->addLayout(eq, 1);
    m_bpm = namedLabel("lbBPM", m_effects.lbBPM, panel);
    m_bpm->setToolTip("Speed");
    QFont big = m_bpm->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    m_bpm->setFont(big);
    m_finalBpm = namedLabel("finalBPM", m_effects.finalBPM, panel);
    m_finalBpm->setToolTip("Recorded Speed (P) or 30 seconds in (S)");
    auto* speeds = new QHBoxLayout;
    speeds->addWidget(m_bpm);
    speeds->addStretch();
    speeds->addWidget(m_finalBpm);
    m_tagBpm = namedLabel("lbTagBPM", QString(), panel);
    m_tagBpm->setToolTip("The song's BPM tag");
    m_tagBpm->hide();
    speeds->addWidget(m_tagBpm);
    layout->addLayout(speeds);
    m_equalizer = new QCheckBox("Equalizer", panel);
    m_equalizer->setObjectName("chkEqualizer");
    m_equalizer->hide();

    connect(m_volume, &QSlider::valueChanged, this, [this](int v) {
        if (!m_updating)
            m_effects.setVolume(v);
    });
    connect(m_tempo, &QSlider::valueChanged, this, [this](int v) {
        if (!m_updating)
            m_effects.setTempo(v);
    });
    connect(m_samplerate, &QSlider::valueChanged, this, [this](int v) {
        if (!m_updating)
            m_effects.setSamplerate(v);
    });
    connect(m_pitch, &QSlider::valueChanged, this, [this](int v) {
        if (!m_updating)
            m_effects.setPitch(v);
    });
    for (QLabel* label : {m_volumeLabel, m_tempoLabel, m_samplerateLabel, m_pitchLabel})
        label->installEventFilter(this);
    connect(&m_effects, &Effects::changed, this, &EffectsView::refresh);
    connect(&m_player, &Player::stateChanged, this, &EffectsView::refresh);
}

bool EffectsView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    // The labels reset their slider.
    if (watched == m_volumeLabel)
        m_effects.setVolume(100);
    else if (watched == m_tempoLabel)
        m_effects.setTempo(0);
    else if (watched == m_samplerateLabel)
        m_effects.setSamplerate(m_player.nativeSampleRate);
    else if (watched == m_pitchLabel)
        m_effects.setPitch(0);
    return true;
}

void EffectsView::addPresetBox(QWidget* box) {
    auto* layout = static_cast<QVBoxLayout*>(m_panel->layout());
    // Right under the bars it names, above the speed.
    layout->insertWidget(layout->count() - 1, box);
}

void EffectsView::toggleVolumeSlider() {
    m_volumeRow->setVisible(m_volumeRow->isHidden());
}

void EffectsView::refresh() {
    m_updating = true;
    m_samplerate->setRange(m_effects.samplerateMin(), m_effects.samplerateMax());
    m_samplerate->setPageStep(int(std::lround(m_player.nativeSampleRate * 0.01)));
    m_samplerateLabel->setToolTip(
        QStringLiteral("click to set Samplerate to %1Hz").arg(m_player.nativeSampleRate));
    m_volume->setValue(m_effects.tbVolume);
    m_tempo->setValue(m_effects.tbTempo);
    m_samplerate->setValue(m_effects.tbSamplerate);
    m_pitch->setValue(m_effects.tbPitch);
    for (int band = 0; band < 3; ++band) {
        m_bars[band]->setValue(m_effects.bars[size_t(band)]);
        m_barLabels[band]->setText(m_effects.bandLabel(band));
    }
    m_volumeLabel->setText(m_effects.lblVolume());
    m_tempoLabel->setText(m_effects.lblTempo());
    m_samplerateLabel->setText(m_effects.lblSamplerate());
    m_pitchLabel->setText(m_effects.lblPitch());
    m_bpm->setText(m_effects.lbBPM);
    m_finalBpm->setText(m_effects.finalBPM);
    m_tagBpm->setText("tag " + m_effects.tagBPM);
    m_tagBpm->setVisible(!m_effects.tagBPM.isEmpty());
    m_equalizer->setChecked(m_effects.chkEqualizer);
    // A patter's key and sample rate move with its speed: their sliders do not show.
    const bool patter = m_player.patterMode && m_player.current_song != Player::kNone;
    m_samplerate->setVisible(!patter);
    m_pitch->setVisible(!patter);
    m_pitchLabel->setVisible(!patter);
    m_updating = false;
}

} // namespace hoedeck
