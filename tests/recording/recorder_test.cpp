// The recorder as the caller uses it: initialise, takes named and counted in "recorded
// dance/", the last take played back, the tick's meter and level, and what happens when the
// encoder is missing, dies or the program ends during a take.

#include "capture.h"
#include "decodedsound.h"
#include "recorder.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "voice.h"
#include "waiting.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <csignal>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
constexpr double kRate = 44100.0;

// A program's worth of recorder over a data folder of its own.
struct Rig {
    Voice voice;
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine{AudioEngine::Output::Null};
    std::unique_ptr<Recorder> recorder;

    explicit Rig(float amplitude = 0.5f) : voice(amplitude) {
        engine.start();
        restart();
    }
    // The program ends and starts again: the counter starts afresh.
    void restart() {
        recorder.reset();
        recorder = std::make_unique<Recorder>(data.folder(), engine, prompter);
    }
    QString take(const QString& name, int counter) const {
        return Recorder::takeFileName(data.folder(), QDate::currentDate(), name, counter);
    }
    // A take of about `ms` of the voice.
    void record(int ms) {
        recorder->bRecordClick();
        ASSERT_TRUE(recorder->recording()) << qPrintable(prompter.shown.join(" | "));
        QTest::qWait(ms);
        recorder->bRecordClick();
        ASSERT_FALSE(recorder->recording());
    }
    QStringList takes() const {
        return QDir(data.path(Recorder::kFolder)).entryList(QDir::Files, QDir::Name);
    }
};

double seconds(const std::vector<float>& sound) {
    return double(sound.size() / 2) / kRate;
}
} // namespace

TEST(RecorderNames, TakeFileAndInputTypeNames) {
    const DataFolder folder("/data");
    EXPECT_EQ(Recorder::takeFileName(folder, QDate(2009, 4, 12), "Dance", 0),
              "/data/recorded dance/090412 Dance 0.mp3");
    EXPECT_EQ(Recorder::takeFileName(folder, QDate(2010, 12, 1), "Club night", 12),
              "/data/recorded dance/101201 Club night 12.mp3");
    EXPECT_EQ(Recorder::inputTypeName(0x01000000 | 55), "digital");
    EXPECT_EQ(Recorder::inputTypeName(0x03000000 | 0x10000), "microphone");
    EXPECT_EQ(Recorder::inputTypeName(0x08000000), "wave/pcm");
    EXPECT_EQ(Recorder::inputTypeName(0x0A000000), "analog");
    EXPECT_EQ(Recorder::inputTypeName(0x0B000000), "undefined");
    EXPECT_EQ(Recorder::inputTypeName(0), "undefined");
}

TEST(Recorder, F8FirstOnlyInitialisesThenStartsAndStopsATake) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    Recorder& r = *rig.recorder;
    EXPECT_FALSE(r.isInitialised());
    r.RecordAuto();
    EXPECT_TRUE(r.isInitialised());
    EXPECT_FALSE(r.recording());
    EXPECT_EQ(r.cbInput, QStringList{"voice.wav"});
    EXPECT_EQ(r.selectedInput(), 0);
    EXPECT_EQ(r.tbLevel, 100);
    EXPECT_EQ(r.lLevel, "wave/pcm");
    EXPECT_EQ(r.recordingCounter(), -1);
    EXPECT_FALSE(r.bPlayEnabled);
    EXPECT_EQ(r.btRecordName, "Filename");

    r.RecordAuto();
    ASSERT_TRUE(r.recording());
    EXPECT_EQ(r.bRecord, "Stop Rec.");
    EXPECT_TRUE(r.clockRed);
    // The take is written in the system's temporary folder, not in the data folder.
    EXPECT_EQ(QFileInfo(r.temporaryFile()).absolutePath(), QDir::temp().absolutePath());
    const QString temp = r.temporaryFile();
    QTest::qWait(600);
    r.RecordAuto();
    EXPECT_FALSE(r.recording());
    EXPECT_EQ(r.bRecord, "Record");
    EXPECT_FALSE(r.clockRed);
    EXPECT_TRUE(r.bPlayEnabled);
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_EQ(rig.takes(), QStringList{QFileInfo(rig.take("Filename", 0)).fileName()});
    EXPECT_EQ(rig.prompter.shown, QStringList());
}

TEST(Recorder, TakesAreCountedPerNameAndAfterARestartSkipWhatExists) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    Recorder& r = *rig.recorder;
    r.initialise();
    rig.prompter.inputs = {QString("Dance")};
    r.btRecordNameClick();
    EXPECT_EQ(rig.prompter.shown, QStringList{"Please enter the filename:"});
    EXPECT_EQ(rig.prompter.captions, QStringList{"Filename (numbers will be appended)"});
    EXPECT_EQ(r.btRecordName, "Dance");
    rig.record(700);
    rig.record(300);
    EXPECT_EQ(rig.takes(), (QStringList{QFileInfo(rig.take("Dance", 0)).fileName(),
                                        QFileInfo(rig.take("Dance", 1)).fileName()}));
    EXPECT_EQ(r.lastTake(), rig.take("Dance", 1));

    // Each take is the voice, as long as it was recorded.
    const std::vector<float> first = decodeSound(rig.take("Dance", 0));
    EXPECT_NEAR(seconds(first), 0.7, 0.15);
    EXPECT_NEAR(toneFrequency(first, 2000, first.size() / 2 - 2000), kVoiceHz, 0.5);

    // A new start of the program: the counter begins again and skips the takes of the day.
    rig.restart();
    rig.recorder->initialise();
    EXPECT_EQ(rig.recorder->recordingCounter(), -1);
    rig.recorder->btRecordName = "Dance";
    rig.record(200);
    EXPECT_TRUE(QFileInfo::exists(rig.take("Dance", 2)));

    // A new name starts at 0; a cancelled box keeps the name but resets the counter.
    rig.prompter.inputs = {QString("Social")};
    rig.recorder->btRecordNameClick();
    rig.record(200);
    EXPECT_TRUE(QFileInfo::exists(rig.take("Social", 0)));
    rig.prompter.inputs = {std::nullopt};
    rig.recorder->btRecordNameClick();
    EXPECT_EQ(rig.recorder->btRecordName, "Social");
    EXPECT_EQ(rig.recorder->recordingCounter(), -1);
    rig.record(200);
    EXPECT_TRUE(QFileInfo::exists(rig.take("Social", 1)));
    EXPECT_EQ(rig.takes().size(), 5);
}

TEST(Recorder, ANameThatWouldLeadOutOfTheRecordingsFolderIsRefused) {
    Rig rig;
    Recorder& r = *rig.recorder;
    r.initialise();
    for (const QString& name : QStringList{"../../ini/color", "a\\b", "two\nlines"}) {
        rig.prompter.shown.clear();
        rig.prompter.inputs = {name};
        r.btRecordNameClick();
        EXPECT_EQ(r.btRecordName, "Filename") << qPrintable(name);
        ASSERT_EQ(rig.prompter.shown.size(), 2);
        EXPECT_EQ(rig.prompter.shown[1],
                  "A recording's name cannot hold \"/\", \"\\\" or control characters; the "
                  "takes stay named \"Filename\".");
    }
}

TEST(Recorder, TheLastTakePlaysBackAndTheTickShowsWhatGoesOn) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    Recorder& r = *rig.recorder;
    r.initialise();
    r.bRecordClick();
    QTest::qWait(500);
    r.TimerRecTimer();
    // While recording: the captured bytes and the input's level (the voice at half scale).
    EXPECT_GT(r.stStatus.toLongLong(), 4 * 44100 / 4);
    EXPECT_NEAR(r.RLed1, 64, 2);
    EXPECT_EQ(r.tbLevel, 100);
    r.bRecordClick();
    EXPECT_EQ(r.RLed1, 0);

    r.TimerRecTimer();
    const double length = r.stStatus.toDouble();
    EXPECT_NEAR(length, 0.5, 0.15) << qPrintable(r.stStatus);
    EXPECT_EQ(r.bPlay, "Play");
    EXPECT_FALSE(r.playbackActive());
    r.bPlayClick();
    EXPECT_EQ(r.bPlay, "Stop");
    EXPECT_TRUE(r.playbackActive());
    r.bPlayClick();
    EXPECT_EQ(r.bPlay, "Play");
    EXPECT_FALSE(r.playbackActive());
    // Played to its end, the button reads "Play" again at the next tick.
    r.bPlayClick();
    ASSERT_TRUE(waitUntil([&] { return !r.playbackActive(); }, 3000));
    EXPECT_EQ(r.bPlay, "Stop");
    r.TimerRecTimer();
    EXPECT_EQ(r.bPlay, "Play");
    // A new take lets go of the old one's playback.
    r.bRecordClick();
    EXPECT_FALSE(r.bPlayEnabled);
    r.bRecordClick();
}

TEST(Recorder, ALoudInputIsTurnedDownStepByStepUntilItIsNoLongerLoud) {
    SKIP_WITHOUT_LAME();
    Rig rig(1.0f);
    Recorder& r = *rig.recorder;
    r.initialise();
    r.bRecordClick();
    std::vector<int> levels;
    for (int tick = 0; tick < 8; ++tick) {
        QTest::qWait(60);
        r.TimerRecTimer();
        levels.push_back(r.tbLevel);
    }
    r.bRecordClick();
    // Full scale reads 128: down by 5 a tick, until the level is 110 or below (at 85 it reads
    // 109).
    EXPECT_EQ(levels.front(), 95);
    EXPECT_EQ(levels.back(), 85);
    EXPECT_EQ(rig.recorder->captureDevice().input(0) & 0xFFFF, 85u);
}

TEST(Recorder, ChoosingAnInputSwitchesTheOthersOff) {
    auto device = std::make_unique<CaptureDevice>(
        QStringList{"Front mic", "Line in", "Loopback"},
        [](const QString&) { return std::unique_ptr<CaptureInput>(); });
    CaptureDevice& inputs = *device;
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    Recorder r(data.folder(), engine, prompter, std::move(device));
    r.initialise();
    EXPECT_EQ(r.cbInput, (QStringList{"Front mic", "Line in", "Loopback"}));
    EXPECT_EQ(r.lLevel, "microphone");
    r.cbInputChange(1);
    EXPECT_EQ(r.lLevel, "line-in");
    EXPECT_EQ(r.selectedInput(), 1);
    EXPECT_TRUE(inputs.input(0) & CaptureDevice::kInputOff);
    EXPECT_FALSE(inputs.input(1) & CaptureDevice::kInputOff);
    EXPECT_TRUE(inputs.input(2) & CaptureDevice::kInputOff);
    r.tbLevelChange(40);
    EXPECT_EQ(inputs.input(1) & 0xFFFF, 40u);
    EXPECT_EQ(inputs.input(0) & 0xFFFF, 100u);
    // An input that cannot be opened: no take runs, and the encoder started for it is ended.
    r.bRecordClick();
    EXPECT_FALSE(r.recording());
    if (!Mp3Encoder::program().isEmpty()) {
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0], "Couldn't start recording\n(error code: 9)");
        EXPECT_EQ(prompter.captions[0], "Error");
    }
    EXPECT_FALSE(QFileInfo::exists(data.path(Recorder::kFolder)));
}

TEST(Recorder, WithoutTheEncoderTheCallerIsToldWhatIsMissing) {
    Rig rig;
    WithoutEncoder none;
    Recorder& r = *rig.recorder;
    r.initialise();
    const QStringList tempBefore = QDir::temp().entryList({"!recorded-*"});
    r.bRecordClick();
    EXPECT_FALSE(r.recording());
    EXPECT_EQ(r.bRecord, "Record");
    EXPECT_FALSE(r.clockRed);
    ASSERT_EQ(rig.prompter.shown.size(), 1);
    EXPECT_EQ(rig.prompter.shown[0],
              "Couldn't start encoding...\nMake sure OGGENC.EXE (if encoding to OGG) is in the "
              "same\ndirecory as this RECTEST, or LAME.EXE (if encoding to MP3).\n(error code: 2)");
    EXPECT_EQ(rig.prompter.captions[0], "Error");
    EXPECT_EQ(QDir::temp().entryList({"!recorded-*"}), tempBefore);
}

TEST(Recorder, ATakeWhoseEncoderDiesIsKeptAsFarAsItGotAndReported) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    Recorder& r = *rig.recorder;
    r.initialise();
    r.btRecordName = "Dance";
    r.bRecordClick();
    QTest::qWait(1200);
    ASSERT_EQ(::kill(r.encoderPid(), SIGKILL), 0);
    // The take ends at once, without waiting for the caller to press Stop.
    ASSERT_TRUE(waitUntil([&] { return !r.recording(); }));
    EXPECT_EQ(r.bRecord, "Record");
    EXPECT_FALSE(r.clockRed);
    ASSERT_EQ(rig.prompter.shown.size(), 1);
    EXPECT_EQ(rig.prompter.shown[0],
              "The MP3 encoder stopped during the take: lame was killed by signal 9 (Killed).\n"
              "The take is kept as far as it got: " +
                  rig.take("Dance", 0));
    const std::vector<float> sound = decodeSound(rig.take("Dance", 0));
    EXPECT_GT(seconds(sound), 0.5);
    EXPECT_EQ(r.lastTake(), rig.take("Dance", 0));
    EXPECT_TRUE(r.bPlayEnabled);
}

TEST(Recorder, ATakeThatCannotBeNamedStaysWhereItIsAndSaysWhere) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    Recorder& r = *rig.recorder;
    r.initialise();
    r.btRecordName = QString(300, 'x'); // too long a file name for any file system here
    r.bRecordClick();
    const QString temp = r.temporaryFile();
    QTest::qWait(300);
    r.bRecordClick();
    ASSERT_EQ(rig.prompter.shown.size(), 1);
    EXPECT_TRUE(rig.prompter.shown[0].startsWith("Couldn't rename !recorded.mp3\n"));
    EXPECT_TRUE(rig.prompter.shown[0].endsWith("The take stays in " + temp + "."));
    EXPECT_GT(QFileInfo(temp).size(), 0);
    EXPECT_GT(seconds(decodeSound(temp)), 0.2);
    QFile::remove(temp);
}

TEST(Recorder, ShuttingDownDuringATakeKeepsAWholePlayableTakeWithoutAskingAnybody) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    rig.recorder->initialise();
    rig.recorder->btRecordName = "Dance";
    rig.recorder->bRecordClick();
    QTest::qWait(800);
    const double recorded = double(rig.recorder->recordedBytes()) / 4 / kRate;
    rig.recorder->shutDown();
    EXPECT_FALSE(rig.recorder->recording());
    EXPECT_EQ(rig.prompter.shown, QStringList());
    const std::vector<float> sound = decodeSound(rig.take("Dance", 0));
    EXPECT_NEAR(seconds(sound), recorded, 0.05);
    EXPECT_NEAR(toneFrequency(sound, 2000, sound.size() / 2 - 2000), kVoiceHz, 0.5);
    rig.recorder.reset(); // a second shut-down is harmless
}

TEST(Recorder, AnEncoderThatFallsBehindCostsSoundThatIsReported) {
    SKIP_WITHOUT_LAME();
    Rig rig;
    Recorder& r = *rig.recorder;
    r.setRingFrames(4410);
    r.initialise();
    r.bRecordClick();
    QTest::qWait(200);
    ::kill(r.encoderPid(), SIGSTOP);
    QTest::qWait(1000);
    r.TimerRecTimer();
    EXPECT_TRUE(r.stStatus.endsWith(" s lost)")) << qPrintable(r.stStatus);
    ::kill(r.encoderPid(), SIGCONT);
    QTest::qWait(200);
    r.bRecordClick();
    ASSERT_EQ(rig.prompter.shown.size(), 1);
    EXPECT_TRUE(rig.prompter.shown[0].startsWith("The MP3 encoder fell behind: "));
    EXPECT_TRUE(rig.prompter.shown[0].contains(" s of the take were lost in 1 place.\n"));
    EXPECT_TRUE(QFileInfo::exists(rig.take("Filename", 0)));
}
