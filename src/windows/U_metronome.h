#pragma once

#include "secondarywindow.h"

#include <memory>

class QComboBox;
class QPushButton;
class QSpinBox;

namespace hoedeck {

class AudioEngine;
class DataFolder;
class Effects;
class Metronome;
class Prompter;

// The metronome's small window: the tick sounds of the data folder's sounds/, the beats per
// minute (40 to 240) and the Start/Stop button, over a black-to-red background. It stays on
// top and has no close button; closing it anyway stops the metronome.
class MetronomeWindow : public SecondaryWindow {
    Q_OBJECT
public:
    MetronomeWindow(const DataFolder& folder, AudioEngine& engine, Effects& effects,
                    Prompter& prompter, QWidget* parent = nullptr);
    ~MetronomeWindow() override;

    Metronome& metronome() { return *m_metronome; }
    QComboBox* ComboBox1() const { return m_sounds; }
    QSpinBox* Edit1() const { return m_bpm; }
    QPushButton* StartBtn() const { return m_start; }

    // The main window's "Metronome" (Control-M): a hidden window shows and starts; a shown one
    // has its button pressed, and hides once that leaves the metronome stopped.
    void toggle();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void press();

    std::unique_ptr<Metronome> m_metronome;
    QComboBox* m_sounds;
    QSpinBox* m_bpm;
    QPushButton* m_start;
    bool m_hideWhenStopped = false;
};

} // namespace hoedeck
