#include "metronome.h"

#include "effects.h"
#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace hoedeck {

Metronome::Metronome(DataFolder folder, AudioEngine& engine, Effects& effects, Prompter& prompter,
                     QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_engine(engine), m_effects(effects),
      m_prompter(prompter) {
    // A beat is placed about 250 ms before it sounds at the fastest; a poll every 10 ms
    // leaves the window all that time to be busy elsewhere.
    m_poll.setInterval(10);
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, &Metronome::poll);
}

Metronome::~Metronome() {
    m_engine.streamFree(m_sound);
}

void Metronome::listSounds() {
    const QFileInfoList files =
        QDir(m_folder.path("sounds")).entryInfoList(QDir::Files | QDir::Readable, QDir::NoSort);
    m_sounds.clear();
    for (const QFileInfo& file : files)
        if (file.suffix().compare("wav", Qt::CaseInsensitive) == 0)
            m_sounds << file.fileName();
    m_sounds.sort(Qt::CaseInsensitive);
    m_selected = m_sounds.isEmpty() ? -1 : 0;
}

void Metronome::selectSound(int index) {
    if (index < 0 || index >= m_sounds.size())
        return;
    m_selected = index;
    load();
}

void Metronome::setBpm(int bpm) {
    m_bpm = std::clamp(bpm, kMinBpm, kMaxBpm);
}

double Metronome::beatFrames(int bpm) {
    return AudioEngine::kSampleRate * 60.0 / std::clamp(bpm, kMinBpm, kMaxBpm);
}

bool Metronome::load() {
    if (m_selected < 0) {
        m_prompter.message(QStringLiteral("There is no tick sound: put a .wav file into %1.")
                               .arg(QDir::toNativeSeparators(m_folder.path("sounds"))),
                           "Metronome", Prompter::Icon::Error);
        return false;
    }
    const QString path = m_folder.path("sounds/" + m_sounds[m_selected]);
    QFile file(path);
    QString why;
    Handle sound = 0;
    if (file.size() > kMaxSoundBytes)
        why = QStringLiteral("%1 MB is no tick").arg(file.size() >> 20);
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if (!(sound = m_engine.streamCreateMemory(file.readAll(), AudioEngine::kFlagDecode)))
        why = AudioEngine::reasonText(m_engine.errorGetCode(), path);
    if (!sound) {
        m_prompter.message(QStringLiteral("The tick sound \"%1\" cannot be played: %2.")
                               .arg(textstore::excerpt(m_sounds[m_selected]), why),
                           "Metronome", Prompter::Icon::Error);
        return false;
    }
    // Beats already placed keep the old copy until they have sounded.
    m_engine.streamFree(m_sound);
    m_sound = sound;
    return true;
}

bool Metronome::start() {
    if (m_running)
        return true;
    if (!load())
        return false;
    m_effects.setVolume(kMusicVolume);
    m_running = true;
    m_beats = 0;
    m_beatExact = double(heardFrame()) + kFirstBeatMs * AudioEngine::kSampleRate / 1000.0;
    place();
    m_poll.start();
    emit runningChanged(true);
    return true;
}

void Metronome::stop() {
    if (!m_running)
        return;
    m_effects.setVolume(kVolumeAfter);
    m_running = false;
    m_poll.stop();
    // The beat placed ahead has not sounded yet (or is sounding): it goes too.
    m_engine.channelStop(m_beat);
    m_engine.channelStop(m_previousBeat);
    m_beat = m_previousBeat = 0;
    emit runningChanged(false);
}

std::uint64_t Metronome::heardFrame() const {
    const std::uint64_t mixed = m_engine.mixedFrames();
    const auto queued = std::uint64_t(std::max(0, m_engine.queuedFrames()));
    return mixed > queued ? mixed - queued : 0;
}

void Metronome::place() {
    m_beatFrame = std::uint64_t(std::llround(m_beatExact));
    // A beat whose frame is already mixed (the window stalled for longer than a beat) is
    // skipped: played late it would be off the beat.
    if (m_beats > 0 && m_beatFrame < m_engine.mixedFrames())
        return;
    // A new tick cuts off the one before it, as a tick sound longer than a beat would
    // otherwise pile up.
    m_engine.channelStop(m_previousBeat);
    m_previousBeat = m_beat;
    m_beat = m_engine.playSampleOf(m_sound, 100, m_beatFrame);
    ++m_beats;
}

void Metronome::poll() {
    // The beat placed last is being heard: the next one follows it by the interval of the
    // BPM set now. Placing it from the grid, not from when this poll ran, keeps the beats
    // exact however late the poll comes.
    while (m_running && heardFrame() >= m_beatFrame) {
        m_beatExact += beatFrames(m_bpm);
        place();
    }
}

} // namespace hoedeck
