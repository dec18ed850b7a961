#pragma once

#include <QFrame>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

namespace hoedeck {

class AudioEngine;
class DataFolder;
class LevelMeter;
class Prompter;
class Recorder;

// The recording panel (group box "Recording"): the input list and level, Record, Play/Stop,
// the take name, the status text and the level meter. It lies over the top of the music
// folders while shown, and turns the main window's clock red while a take runs.
class RecordingPanel : public QFrame {
    Q_OBJECT
public:
    // What of the main window the recorder uses: the clock it turns red, the progress tick that
    // switches the recorder tick, the recorder tick itself, and the loop panel that gives way.
    struct MainWindowParts {
        QLabel* clocker;
        QTimer* progresTimer;
        QTimer* timerRec;
        QWidget* loopPanel;
    };

    RecordingPanel(const DataFolder& folder, AudioEngine& engine, Prompter& prompter,
                   MainWindowParts parts, QWidget* parent);
    ~RecordingPanel() override;

    Recorder& recorder() { return *m_recorder; }
    // "Recording" in the menu bar: shows or hides the panel over `area`, initialising the
    // recorder the first time.
    void recordingClick(const QRect& area);
    // F8: initialises the first time, then starts or stops a take.
    void RecordAuto();
    // Follows the music folders when the window's panels are laid out again.
    void placeOver(const QRect& area);
    // Shut-down: a take under way is finished and kept.
    void shutDown();

private:
    void initialise();
    void refresh();
    void switchRecorderTick();

    std::unique_ptr<Recorder> m_recorder;
    MainWindowParts m_parts;
    QComboBox* m_input;
    QSlider* m_level;
    QLabel* m_levelName;
    QPushButton* m_record;
    QPushButton* m_play;
    QPushButton* m_name;
    QLabel* m_status;
    LevelMeter* m_meter;
    bool m_clockRed = false;
};

} // namespace hoedeck
