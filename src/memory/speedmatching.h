#pragma once

#include "audioengine.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>

namespace hoedeck {

class Effects;
class Player;

// How fast the song is: its beat measured when it opens, the live beat of a singing call
// while it plays, and the override that brings a song to a chosen speed by itself. The
// measurement runs on a worker so the window never waits for it; its result is shown, and the
// override applied, on the user-interface thread in the order a caller expects.
class SpeedMatching : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<int, 8> kOverrides{123, 124, 125, 126, 127, 128, 129, 130};
    static constexpr float kWindowStart = 30.0f;
    static constexpr float kWindowEnd = 60.0f;

    SpeedMatching(AudioEngine& engine, Player& player, Effects& effects, QObject* parent = nullptr);
    ~SpeedMatching() override;

    // The override's choice: one of kOverrides, or 0 for "no".
    int overrideBpm() const { return m_override; }
    void setOverride(int bpm);

    // The live beat of a singing call, every ebPeriod seconds.
    bool chkBPMCallback = true;
    QString ebPeriod = QStringLiteral("10");
    void setLiveBpm(bool on);

    // Opening a song: a fresh measuring stream, measured over 30..60 s.
    void DecodingBPM();
    // The speed to the override's choice.
    void auto_bpm();
    // The progress tick keeps the live measurement of a singing call going.
    void tick();
    // Waits for a measurement in progress (tests and shut-down).
    void waitForDetection();

    // Opening a song measures its beat; the tick keeps the live one.
    void plugInto(Player& player);

signals:
    // finalBPM and the speed label show the measurement of the song just opened.
    void detected();
    // Sent from the worker and from the mixer thread; queued to the user-interface thread.
    void measuredOnWorker(quint64 generation);
    void liveBeatOnMixer(quint32 stream);

private:
    void applyDetection();
    void registerLive();

    AudioEngine& m_engine;
    Player& m_player;
    Effects& m_effects;
    int m_override = 0;
    QThreadPool m_worker;
    std::atomic<quint64> m_generation{0};
    // Whether the live callback, which the mixer thread may call at any time, can still reach
    // this object.
    struct Owner {
        std::mutex mutex;
        bool alive = true;
    };
    std::shared_ptr<Owner> m_owner = std::make_shared<Owner>();
};

} // namespace hoedeck
