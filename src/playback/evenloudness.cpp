#include "evenloudness.h"

#include "player.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>

namespace hoedeck {

EvenLoudness::EvenLoudness(DataFolder folder, AudioEngine& engine, Player& player, QObject* parent)
    : QObject(parent), m_folder(folder), m_engine(engine), m_player(player),
      m_store(std::move(folder)) {
    connect(&m_worker, &LoudnessWorker::measured, this, &EvenLoudness::arrived);
    connect(&m_worker, &LoudnessWorker::failed, this,
            [this](const QString& path) { m_pending.remove(path); });
    // A folder measured song by song writes the file once when it is done, not once a song.
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(2000);
    connect(&m_saveTimer, &QTimer::timeout, this, &EvenLoudness::save);
}

EvenLoudness::~EvenLoudness() {
    try {
        m_store.save();
    } catch (const StoreError&) {
        // At the end nobody can be told; the songs are measured again next time.
    }
}

void EvenLoudness::load() {
    const QString file = m_folder.ini(kFile);
    m_enabled = QFileInfo::exists(file) && textstore::readSettings(file).value(0) == "on";
}

void EvenLoudness::setEnabled(bool on) {
    m_enabled = on;
    if (m_player.currentSongPath != Player::kNone) {
        const auto loudness = loudnessOf(m_player.currentSongPath);
        apply(on && loudness ? evenLoudnessGainDb(*loudness, kTargetLufs) : 0.0, kSlideMs);
    }
    textstore::writeList(m_folder.ini(kFile), {on ? "on" : "off"});
}

std::optional<Loudness> EvenLoudness::loudnessOf(const QString& path) const {
    return m_store.find(QDir::cleanPath(path));
}

QString EvenLoudness::infoLine(const QString& path) const {
    if (const auto loudness = loudnessOf(path))
        return QStringLiteral("Loudness: %1 LUFS, peak %2 dB")
            .arg(loudness->lufs, 0, 'f', 1)
            .arg(loudness->peakDb, 0, 'f', 1);
    return m_pending.contains(QDir::cleanPath(path)) ? QStringLiteral("Loudness: being measured")
                                                     : QString();
}

bool EvenLoudness::busy() const {
    return !m_pending.isEmpty();
}

void EvenLoudness::songOpened() {
    const QString path = QDir::cleanPath(m_player.currentSongPath);
    const auto loudness = m_store.find(path);
    apply(m_enabled && loudness ? evenLoudnessGainDb(*loudness, kTargetLufs) : 0.0, 0);
    if (!loudness) {
        m_pending.insert(path);
        m_worker.request(path, true);
    }
}

void EvenLoudness::measureAll(const QStringList& paths) {
    for (const QString& song : paths) {
        const QString path = QDir::cleanPath(song);
        if (!m_pending.contains(path) && !m_store.find(path)) {
            m_pending.insert(path);
            m_worker.request(path);
        }
    }
}

void EvenLoudness::plugInto(Player& player) {
    player.hooks.levelSong = [this] { songOpened(); };
    player.hooks.moreFileInfo = [this](const QString& path) {
        const QString line = infoLine(path);
        return line.isEmpty() ? QStringList() : QStringList{line};
    };
    connect(this, &EvenLoudness::measured, &player, [&player](const QString& path) {
        if (path == QDir::cleanPath(player.currentSongPath) && player.hooks.showFileInfo)
            player.hooks.showFileInfo();
    });
}

void EvenLoudness::arrived(const QString& path, const Loudness& loudness) {
    m_pending.remove(path);
    m_store.remember(path, loudness);
    m_saveTimer.start();
    if (path == QDir::cleanPath(m_player.currentSongPath) && m_enabled)
        apply(evenLoudnessGainDb(loudness, kTargetLufs), kSlideMs);
    emit measured(path);
}

void EvenLoudness::apply(double decibels, int milliseconds) {
    m_gainDb = decibels;
    // The current song's streams only: the other slot keeps its own song's gain.
    const StreamSet& streams = m_player.streams;
    const QList<Handle> current =
        m_player.patterMode ? QList<Handle>{streams.copyA, streams.copyB}
                            : QList<Handle>{m_engine.tempoGetResampledHandle(streams.singerTempo)};
    for (const Handle stream : current)
        if (stream)
            m_engine.channelSetGain(stream, float(decibels), milliseconds);
}

void EvenLoudness::save() {
    try {
        m_store.save();
    } catch (const StoreError& error) {
        if (!m_failureSaid)
            emit storeFailed(error.message());
        m_failureSaid = true;
    }
}

} // namespace hoedeck
