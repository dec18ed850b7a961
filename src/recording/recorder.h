#pragma once

#include "audioengine.h"
#include "capture.h"
#include "datafolder.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

namespace hoedeck {

class Prompter;
class TakeWriter;

// The caller's voice recorder: an input of the sound card captured at 44100 Hz 16-bit stereo,
// encoded to MP3 by the encoder program while the take runs, and kept as
// "recorded dance/yymmdd <name> <n>.mp3" in the data folder. The last take can be played back.
//
// The fields named after the recording panel's controls are what the panel shows; the panel
// calls the handlers and shows the fields again whenever changed() is emitted. Everything here
// runs on the user-interface thread, except the capture's buffers, which go to the take's
// writer on the capture's own thread.
class Recorder : public QObject {
    Q_OBJECT
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kLoudLevel = 110;     // a level above this lowers the input level
    static constexpr int kLowestAutoLevel = 6; // ... while the slider stands above this
    static constexpr int kLevelStep = 5;
    static constexpr const char* kFolder = "recorded dance";

    // The sound card's inputs, shared with the engine's PortAudio, or those of `device`.
    Recorder(DataFolder folder, AudioEngine& engine, Prompter& prompter,
             std::unique_ptr<CaptureDevice> device = {});
    ~Recorder() override;

    // "yymmdd" of a day.
    static QString dateText(const QDate& day);
    // The take file of a name and counter on a day, in the data folder's recordings folder.
    static QString takeFileName(const DataFolder& folder, const QDate& day, const QString& name,
                                int counter);
    // The name an input type (the top byte of an input's setting) is shown with.
    static QString inputTypeName(std::uint32_t setting);

    // Once: the input list, the input switched on and its level. A device that cannot be
    // opened is said and not tried again.
    void initialise();
    // Initialisation has been tried (it is tried once, whatever came of it).
    bool isInitialised() const { return m_initialised; }
    // The caller chose another input in the list.
    void cbInputChange(int index);
    // The level slider moved.
    void tbLevelChange(int position);
    // "Record" / "Stop Rec.".
    void bRecordClick();
    // "Play/Stop": the last take.
    void bPlayClick();
    // "Filename": asks for the name the takes are given.
    void btRecordNameClick();
    // F8: initialises the first time, then starts or stops a take.
    void RecordAuto();
    // The recorder tick (every 200 ms while the panel shows and the last take does not play).
    void TimerRecTimer();
    // Shut-down: a take under way is finished and kept without asking anybody (what goes wrong
    // is written on standard error); the input is released.
    void shutDown();

    bool recording() const { return m_writer != nullptr; }
    // The last take is playing back.
    bool playbackActive() const;
    int recordingCounter() const { return m_counter; }
    int selectedInput() const { return m_selectedInput; }
    // The sound bytes captured in the take under way.
    std::uint64_t recordedBytes() const;
    // The last take's file, empty before the first.
    QString lastTake() const { return m_lastTake; }
    // Where the encoder writes the take under way, empty between takes.
    QString temporaryFile() const { return m_tempFile; }
    // The encoder process of the take under way, -1 when there is none.
    int encoderPid() const;
    // Sound waiting for the encoder beyond this is lost and reported (the default suits a
    // caller; tests make it small).
    void setRingFrames(std::size_t frames) { m_ringFrames = frames; }
    CaptureDevice& captureDevice() { return *m_capture; }

    // What the panel shows.
    QStringList cbInput;
    int tbLevel = 0;
    QString lLevel;
    QString bRecord = QStringLiteral("Record");
    QString bPlay = QStringLiteral("Play/Stop");
    bool bPlayEnabled = true;
    QString btRecordName = QStringLiteral("Filename");
    QString stStatus;
    int RLed1 = 0;
    // The main window's clock shows red while a take runs.
    bool clockRed = false;

signals:
    void changed();
    // Sent by the take writer's thread when the encoder ended by itself.
    void encoderEndedOnWriter();

private:
    // Where a take's troubles are told: a box, or standard error at shut-down.
    using Report = std::function<void(const QString& text)>;
    void showInput();
    void startTake();
    void stopTake(const Report& report);
    // The encoder ended by itself during the take: the take is kept as far as it got.
    void encoderEnded();
    void keepTake(const QDate& day, const Report& report);
    void errorBox(const QString& message, int code);
    void freePlayback();
    QString lostText(std::uint64_t lostFrames, std::uint64_t gaps) const;

    DataFolder m_folder;
    AudioEngine& m_engine;
    Prompter& m_prompter;
    std::unique_ptr<CaptureDevice> m_capture;
    std::unique_ptr<TakeWriter> m_writer;
    std::size_t m_ringFrames;
    bool m_initialised = false;
    int m_selectedInput = 0;
    int m_counter = -1;
    Handle m_playback = 0;
    QString m_tempFile;
    QString m_lastTake;
};

} // namespace hoedeck
