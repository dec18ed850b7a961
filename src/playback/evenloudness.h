#pragma once

#include "audioengine.h"
#include "loudness.h"

#include <QObject>
#include <QSet>
#include <QTimer>
#include <optional>

namespace hoedeck {

class Player;

// Plays every song at one loudness: a gain under the volume slider that brings the song's
// measured loudness to the target without pushing its true peak past full scale. Songs are
// measured on a worker when they are opened or their folder is shown, and the figures kept in
// ini/loudness.txt. The music never waits: a song not measured yet plays at 0 dB and slides to
// its gain when the figure arrives. On or off is kept in ini/even_loudness.txt.
class EvenLoudness : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlideMs = 1000;
    static inline const QString kFile = QStringLiteral("even_loudness.txt");

    EvenLoudness(DataFolder folder, AudioEngine& engine, Player& player, QObject* parent = nullptr);
    ~EvenLoudness() override;

    // Reads whether it is on (off when the file is missing or says anything but "on").
    void load();
    bool enabled() const { return m_enabled; }
    // Turns it on or off for the song playing too (a slide, not a jump), and keeps the choice;
    // throws StoreError when the choice cannot be written (it still holds for this session).
    void setEnabled(bool on);

    std::optional<Loudness> loudnessOf(const QString& path) const;
    // "Loudness: -14.2 LUFS, peak -0.8 dB" or "Loudness: being measured".
    QString infoLine(const QString& path) const;
    // The gain the current song plays at now, in dB.
    double currentGainDb() const { return m_gainDb; }
    // Whether measurements are still waiting (tests and the benchmark).
    bool busy() const;

    // Opening a song: its gain at once when it is known, otherwise 0 dB and a measurement
    // ahead of any other.
    void songOpened();
    // A folder shown: its songs not measured yet are queued.
    void measureAll(const QStringList& paths);

    // Sets the player's hooks: every opened song is levelled, and its file information shows
    // its loudness (again when the figure arrives).
    void plugInto(Player& player);

signals:
    // A song's figure arrived (the file information shows it).
    void measured(const QString& path);
    // The figures could not be written; said once.
    void storeFailed(const QString& message);

private:
    void arrived(const QString& path, const Loudness& loudness);
    void apply(double decibels, int milliseconds);
    void save();

    DataFolder m_folder;
    AudioEngine& m_engine;
    Player& m_player;
    LoudnessStore m_store;
    LoudnessWorker m_worker;
    QTimer m_saveTimer;
    bool m_enabled = false;
    bool m_failureSaid = false;
    double m_gainDb = 0;
    QSet<QString> m_pending;
};

} // namespace hoedeck
