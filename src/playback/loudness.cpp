#include "loudness.h"

#include "audiodecoder.h"
#include "textstore.h"
#include "truepeak.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QStringList>
#include <cmath>
#include <ebur128.h>
#include <memory>
#include <pthread.h>
#include <sched.h>
#include <vector>

namespace hoedeck {

std::optional<Loudness> measureLoudness(const QString& path) {
    AudioError error = AudioError::Ok;
    const auto decoder = AudioDecoder::open(path, error);
    if (!decoder)
        return std::nullopt;
    const int channels = decoder->channels();
    const std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
        ebur128_init(unsigned(channels), unsigned(decoder->sampleRate()), EBUR128_MODE_I),
        [](ebur128_state* s) { ebur128_destroy(&s); });
    if (!state)
        return std::nullopt;
    dsp::TruePeakMeter truePeak(channels);
    std::vector<float> block;
    const std::int16_t* samples = nullptr;
    for (int frames; (frames = decoder->next(samples)) > 0;) {
        block.resize(size_t(frames * channels));
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = samples[i] * (1.0f / 32768.0f);
        ebur128_add_frames_float(state.get(), block.data(), size_t(frames));
        truePeak.feed(block.data(), size_t(frames));
    }
    double lufs = 0;
    if (ebur128_loudness_global(state.get(), &lufs) != EBUR128_SUCCESS || !std::isfinite(lufs) ||
        truePeak.peak() <= 0)
        return std::nullopt;
    return Loudness{lufs, 20 * std::log10(double(truePeak.peak()))};
}

double evenLoudnessGainDb(const Loudness& loudness, double targetLufs) {
    return std::min(targetLufs - loudness.lufs, -loudness.peakDb);
}

LoudnessStore::LoudnessStore(DataFolder folder) : m_folder(std::move(folder)) {}

void LoudnessStore::load() const {
    if (m_loaded)
        return;
    m_loaded = true;
    const QString file = m_folder.ini("loudness.txt");
    if (!QFileInfo::exists(file))
        return;
    QStringList lines;
    try {
        lines = textstore::readList(file);
    } catch (const StoreError&) {
        // Figures that cannot be read are measured again; writing them says what is wrong.
        return;
    }
    for (const QString& line : lines) {
        // From the right: the four figures, then the path, whatever it holds.
        QStringList fields;
        qsizetype end = line.size();
        for (int i = 0; i < 4; ++i) {
            const qsizetype bar = line.lastIndexOf('|', end - 1);
            if (bar < 0)
                break;
            fields.prepend(line.mid(bar + 1, end - bar - 1));
            end = bar;
        }
        if (fields.size() != 4 || end <= 0)
            continue; // a damaged line: measured again when needed
        bool ok[4] = {};
        Entry entry{fields[0].toLongLong(&ok[0]), fields[1].toLongLong(&ok[1]),
                    Loudness{fields[2].toDouble(&ok[2]), fields[3].toDouble(&ok[3])}};
        if (ok[0] && ok[1] && ok[2] && ok[3] && std::isfinite(entry.loudness.lufs) &&
            std::isfinite(entry.loudness.peakDb))
            m_entries.insert(line.left(end), entry);
    }
}

bool LoudnessStore::sameFile(const QString& path, const Entry& entry) {
    const QFileInfo info(path);
    return info.size() == entry.size && info.lastModified().toMSecsSinceEpoch() == entry.modified;
}

std::optional<Loudness> LoudnessStore::find(const QString& path) const {
    load();
    const auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd() || !sameFile(path, *it))
        return std::nullopt;
    return it->loudness;
}

void LoudnessStore::store(const QString& path, const Loudness& loudness) {
    remember(path, loudness);
    save();
}

void LoudnessStore::remember(const QString& path, const Loudness& loudness) {
    load();
    const QFileInfo info(path);
    m_entries.insert(path, Entry{info.size(), info.lastModified().toMSecsSinceEpoch(), loudness});
    m_unsaved = true;
}

void LoudnessStore::save() {
    if (!m_unsaved)
        return;
    QStringList lines;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        // The name apart from the figures: a song named "Hoedown %1.mp3" must not take a figure's
        // place marker.
        lines << it.key() + QStringLiteral("|%1|%2|%3|%4")
                                .arg(it->size)
                                .arg(it->modified)
                                .arg(it->loudness.lufs, 0, 'f', 2)
                                .arg(it->loudness.peakDb, 0, 'f', 2);
    textstore::sortIgnoringCase(lines);
    textstore::writeList(m_folder.ini("loudness.txt"), lines);
    m_unsaved = false;
}

LoudnessWorker::LoudnessWorker(QObject* parent) : QObject(parent) {
    qRegisterMetaType<hoedeck::Loudness>("hoedeck::Loudness");
    m_thread = std::thread([this] { run(); });
}

LoudnessWorker::~LoudnessWorker() {
    {
        const std::lock_guard lock(m_queue->mutex);
        m_queue->stop = true;
    }
    m_queue->wake.notify_all();
    m_thread.join();
}

void LoudnessWorker::request(const QString& path, bool first) {
    {
        const std::lock_guard lock(m_queue->mutex);
        m_queue->paths.removeAll(path);
        first ? m_queue->paths.prepend(path) : m_queue->paths.append(path);
    }
    m_queue->wake.notify_all();
}

int LoudnessWorker::waiting() const {
    const std::lock_guard lock(m_queue->mutex);
    return int(m_queue->paths.size());
}

void LoudnessWorker::run() {
    // Idle: on Linux the only priority that keeps a measurement from taking a core the sound
    // needs.
    const sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
    Queue& queue = *m_queue;
    for (;;) {
        QString path;
        {
            std::unique_lock lock(queue.mutex);
            queue.wake.wait(lock, [&queue] { return queue.stop || !queue.paths.isEmpty(); });
            if (queue.stop)
                return;
            path = queue.paths.takeFirst();
        }
        if (const auto loudness = measureLoudness(path))
            emit measured(path, *loudness);
        else
            emit failed(path);
    }
}

} // namespace hoedeck
