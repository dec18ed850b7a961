#include "recorder.h"

#include "capture.h"
#include "numbertext.h"
#include "prompter.h"
#include "takewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cstdio>

namespace hoedeck {

namespace {
const char* const kEncodingFailed =
    "Couldn't start encoding...\nMake sure OGGENC.EXE (if encoding to OGG) is in the same\n"
    "direcory as this RECTEST, or LAME.EXE (if encoding to MP3).";

// A name becomes part of a file name in the recordings folder: it may not lead elsewhere.
bool nameFitsAFile(const QString& name) {
    for (const QChar c : name)
        if (c == '/' || c == '\\' || c.category() == QChar::Other_Control)
            return false;
    return true;
}
} // namespace

Recorder::Recorder(DataFolder folder, AudioEngine& engine, Prompter& prompter,
                   std::unique_ptr<CaptureDevice> device)
    : m_folder(std::move(folder)), m_engine(engine), m_prompter(prompter),
      m_capture(device ? std::move(device)
                       : std::make_unique<CaptureDevice>(engine.portAudioHost())),
      m_ringFrames(TakeWriter::kRingFrames) {
    // A queued signal rather than a functor posted from the writer thread: Qt frees a posted
    // functor on the thread that posted it, an order the thread sanitizer cannot see.
    connect(this, &Recorder::encoderEndedOnWriter, this, &Recorder::encoderEnded,
            Qt::QueuedConnection);
}

Recorder::~Recorder() {
    shutDown();
}

QString Recorder::dateText(const QDate& day) {
    return day.toString("yyMMdd");
}

QString Recorder::takeFileName(const DataFolder& folder, const QDate& day, const QString& name,
                               int counter) {
    return folder.path(QStringLiteral("%1/%2 %3 %4.mp3")
                           .arg(kFolder, dateText(day), name, QString::number(counter)));
}

QString Recorder::inputTypeName(std::uint32_t setting) {
    static const char* const names[] = {"digital",   "line-in",   "microphone", "midi synth",
                                        "analog cd", "telephone", "pc speaker", "wave/pcm",
                                        "aux",       "analog"};
    const std::uint32_t type = (setting & 0xFF000000u) >> 24;
    return type >= 1 && type <= 10 ? QString::fromLatin1(names[type - 1])
                                   : QStringLiteral("undefined");
}

void Recorder::initialise() {
    m_counter = -1;
    if (!m_capture->init()) {
        m_prompter.message(
            AudioEngine::errorText("Probably already initialized", code(m_capture->lastError()), 0),
            "Error", Prompter::Icon::Error);
    } else {
        cbInput.clear();
        for (int i = 0; const auto name = m_capture->inputName(i); ++i) {
            cbInput << *name;
            // The last input switched on is the one recorded.
            if (!(m_capture->input(i) & CaptureDevice::kInputOff)) {
                m_selectedInput = i;
                showInput();
            }
        }
    }
    stStatus.clear();
    bPlayEnabled = false;
    m_initialised = true;
    emit changed();
}

void Recorder::showInput() {
    const std::uint32_t setting = m_capture->input(m_selectedInput);
    tbLevelChange(int(setting & 0xFFFF));
    lLevel = inputTypeName(setting);
}

void Recorder::cbInputChange(int index) {
    m_selectedInput = index;
    for (int i = 0; m_capture->setInput(i, CaptureDevice::kInputOff); ++i) {
    }
    m_capture->setInput(index, CaptureDevice::kInputOn);
    showInput();
    emit changed();
}

void Recorder::tbLevelChange(int position) {
    tbLevel = position;
    m_capture->setInput(m_selectedInput, CaptureDevice::kInputLevel + std::uint32_t(position));
    emit changed();
}

void Recorder::errorBox(const QString& message, int code) {
    m_prompter.message(AudioEngine::recorderErrorText(message, code), "Error",
                       Prompter::Icon::Error);
}

void Recorder::freePlayback() {
    if (m_playback)
        m_engine.streamFree(m_playback);
    m_playback = 0;
}

void Recorder::startTake() {
    if (m_playback) {
        freePlayback();
        bPlayEnabled = false;
    }
    // The take is written in the system's temporary folder under a name of its own, so that
    // nothing is asked of the machine's drives and a take that could not be named is never
    // overwritten by the next.
    QTemporaryFile temp(QDir::temp().filePath("!recorded-XXXXXX.mp3"));
    temp.setAutoRemove(false);
    auto writer = std::make_unique<TakeWriter>(m_ringFrames);
    QString reason;
    if (!temp.open() ||
        !writer->start(temp.fileName(), reason, [this] { emit encoderEndedOnWriter(); })) {
        if (!temp.fileName().isEmpty())
            QFile::remove(temp.fileName());
        errorBox(kEncodingFailed, code(AudioError::FileOpen));
        emit changed();
        return;
    }
    m_tempFile = temp.fileName();
    temp.close();
    m_writer = std::move(writer);
    TakeWriter* take = m_writer.get();
    if (!m_capture->start(kSampleRate, [take](const std::int16_t* samples, std::size_t bytes) {
            return take->capture(samples, bytes);
        })) {
        m_writer->finish();
        m_writer.reset();
        QFile::remove(m_tempFile);
        m_tempFile.clear();
        errorBox("Couldn't start recording", code(m_capture->lastError()));
        emit changed();
        return;
    }
    bRecord = "Stop Rec.";
    clockRed = true;
    emit changed();
}

void Recorder::stopTake(const Report& report) {
    RLed1 = 0;
    const QDate day = QDate::currentDate();
    m_capture->stop();
    const TakeWriter::Result result = m_writer->finish();
    m_writer.reset();
    bPlayEnabled = true;
    bRecord = "Record";
    clockRed = false;
    emit changed();

    const QString temp = m_tempFile;
    m_tempFile.clear();
    if (QFileInfo(temp).size() == 0) {
        // The encoder wrote nothing: there is no take to keep.
        QFile::remove(temp);
        report(QStringLiteral("Nothing was recorded: %1.")
                   .arg(result.fault.isEmpty() ? QStringLiteral("the encoder wrote no sound")
                                               : result.fault));
        return;
    }
    const QString folder = m_folder.path(kFolder);
    if (!QDir().mkpath(folder)) {
        report(QStringLiteral("The folder %1 could not be created; the take stays in %2.")
                   .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(temp)));
        return;
    }
    QString take;
    do
        take = takeFileName(m_folder, day, btRecordName, ++m_counter);
    while (QFileInfo::exists(take));
    QFile file(temp);
    if (!file.copy(take)) {
        // The take is not thrown away with the temporary file: it stays there, said where.
        report(QStringLiteral("Couldn't rename !recorded.mp3\n(%1: %2)\nThe take stays in %3.")
                   .arg(QDir::toNativeSeparators(take), file.errorString(),
                        QDir::toNativeSeparators(temp)));
        return;
    }
    freePlayback();
    if (!QFile::remove(temp))
        report("temp file not deleted");
    m_playback = m_engine.streamCreateFile(take, 0);
    m_lastTake = take;
    if (!result.fault.isEmpty())
        report(QStringLiteral("The MP3 encoder stopped during the take: %1.\nThe take is kept as "
                              "far as it got: %2")
                   .arg(result.fault, QDir::toNativeSeparators(take)));
    else if (result.lostFrames > 0)
        report(lostText(result.lostFrames, result.gaps) + "\nThe take is " +
               QDir::toNativeSeparators(take));
}

QString Recorder::lostText(std::uint64_t lostFrames, std::uint64_t gaps) const {
    return QStringLiteral("The MP3 encoder fell behind: %1 s of the take were lost in %2 %3.")
        .arg(double(lostFrames) / kSampleRate, 0, 'f', 1)
        .arg(gaps)
        .arg(gaps == 1 ? "place" : "places");
}

void Recorder::encoderEnded() {
    // Only the take under way counts: a take stopped meanwhile has been kept already.
    if (!m_writer || m_writer->encoderAlive())
        return;
    stopTake([this](const QString& text) {
        m_prompter.message(text, "Recording", Prompter::Icon::Warning);
    });
}

void Recorder::bRecordClick() {
    if (recording())
        stopTake([this](const QString& text) { m_prompter.message(text); });
    else
        startTake();
}

void Recorder::RecordAuto() {
    if (!m_initialised)
        initialise();
    else
        bRecordClick();
}

bool Recorder::playbackActive() const {
    return m_playback && m_engine.channelIsActive(m_playback);
}

void Recorder::bPlayClick() {
    if (playbackActive()) {
        bPlay = "Play";
        m_engine.channelStop(m_playback);
    } else {
        bPlay = "Stop";
        m_engine.streamPlay(m_playback, true);
    }
    emit changed();
}

void Recorder::btRecordNameClick() {
    m_counter = -1;
    const auto name = m_prompter.input("Filename (numbers will be appended)",
                                       "Please enter the filename:", "Dance");
    if (!name)
        return;
    if (!nameFitsAFile(*name)) {
        m_prompter.message(QStringLiteral("A recording's name cannot hold \"/\", \"\\\" or "
                                          "control characters; the takes stay named \"%1\".")
                               .arg(btRecordName),
                           "Recording", Prompter::Icon::Warning);
        return;
    }
    btRecordName = *name;
    emit changed();
}

std::uint64_t Recorder::recordedBytes() const {
    return m_writer ? m_writer->capturedBytes() : 0;
}

int Recorder::encoderPid() const {
    return m_writer ? int(m_writer->encoderPid()) : -1;
}

void Recorder::TimerRecTimer() {
    if (m_writer) {
        stStatus = QString::number(recordedBytes());
        if (const std::uint64_t lost = m_writer->lostFrames())
            stStatus += QStringLiteral(" (%1 s lost)").arg(double(lost) / kSampleRate, 0, 'f', 1);
        RLed1 = int(m_capture->level() & 0xFFFF);
        // A caller who comes too close to the microphone is turned down step by step.
        if (RLed1 > kLoudLevel && tbLevel > kLowestAutoLevel)
            tbLevelChange(tbLevel - kLevelStep);
    } else if (m_playback) {
        const float seconds =
            m_engine.channelBytes2Seconds(m_playback, m_engine.streamGetLength(m_playback));
        stStatus = numbertext::format(seconds, "###.##");
    }
    if (!playbackActive())
        bPlay = "Play";
    emit changed();
}

void Recorder::shutDown() {
    if (m_writer)
        stopTake([](const QString& text) {
            std::fprintf(stderr, "Hoedeck: %s\n", qPrintable(QString(text).replace('\n', ' ')));
        });
    freePlayback();
    m_capture->free();
}

} // namespace hoedeck
