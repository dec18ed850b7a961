#pragma once

#include "datafolder.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace hoedeck {

// A song's integrated loudness (EBU R128, in LUFS) and true peak (in dB of full scale).
struct Loudness {
    double lufs = 0;
    double peakDb = 0;
    bool operator==(const Loudness&) const = default;
};

// Decodes the whole file and measures it; nothing for a file that cannot be decoded or holds
// only silence.
std::optional<Loudness> measureLoudness(const QString& path);

// The gain, in dB, that brings a song to the target loudness, but never so high that its true
// peak would go past full scale.
double evenLoudnessGainDb(const Loudness& loudness, double targetLufs);
constexpr double kTargetLufs = -16.0;

// The figures measured so far, in ini/loudness.txt, one song a line:
// "path|size|modified|lufs|peak". A song whose size or modification time changed is measured
// again. Lines are read from the right, so a path holding "|" still reads.
class LoudnessStore {
public:
    explicit LoudnessStore(DataFolder folder);
    std::optional<Loudness> find(const QString& path) const;
    // Adds or replaces the song's line and writes the file; throws StoreError.
    void store(const QString& path, const Loudness& loudness);
    // Adds or replaces the song's line, written by the next save: a folder measured song by
    // song writes the file once, not once a song.
    void remember(const QString& path, const Loudness& loudness);
    // Writes the file when something was remembered since the last save; throws StoreError.
    void save();

private:
    struct Entry {
        qint64 size = 0;
        qint64 modified = 0;
        Loudness loudness;
    };
    void load() const;
    static bool sameFile(const QString& path, const Entry& entry);

    DataFolder m_folder;
    mutable bool m_loaded = false;
    mutable QHash<QString, Entry> m_entries;
    bool m_unsaved = false;
};

// Measures songs on a thread of its own, one at a time, in the order asked, except that the
// song just opened goes before a folder's songs waiting their turn; the music never waits for
// it. `measured` and `failed` reach the thread the worker was made on.
class LoudnessWorker : public QObject {
    Q_OBJECT
public:
    explicit LoudnessWorker(QObject* parent = nullptr);
    // Waits for a measurement under way (at most one song's).
    ~LoudnessWorker() override;
    // A song asked for again only moves in the queue.
    void request(const QString& path, bool first = false);
    int waiting() const;

signals:
    // Emitted on the measuring thread, so queued to receivers on other threads.
    void measured(const QString& path, const hoedeck::Loudness& loudness);
    void failed(const QString& path);

private:
    void run();

    // A plain thread with a plain lock: no Qt object lives on it, so nothing of Qt's is made
    // or freed across the two threads. The queue is on the heap, where the thread sanitizer
    // follows a lock's life, rather than in a worker that may live on a stack.
    struct Queue {
        std::mutex mutex;
        std::condition_variable wake;
        QStringList paths;
        bool stop = false;
    };
    std::unique_ptr<Queue> m_queue = std::make_unique<Queue>();
    std::thread m_thread;
};

} // namespace hoedeck
