#include "outputsupervisor.h"

#include <utility>

namespace hoedeck {

namespace {
// How often the watching thread looks: a device that comes back is handed the ring within
// this of its first request.
constexpr std::chrono::milliseconds kTick{20};

QString lostText(const QString& reason) {
    return QStringLiteral("The audio output stopped (%1); trying to reopen it").arg(reason);
}
} // namespace

OutputSupervisor::OutputSupervisor(RingBuffer& ring, int sampleRate, DeviceFactory factory,
                                   std::shared_ptr<PortAudioHost> host)
    : m_ring(ring), m_rate(sampleRate),
      m_host(host ? std::move(host) : std::make_shared<PortAudioHost>()),
      m_factory(std::move(factory)) {
    if (!m_factory)
        m_factory = [host = m_host](const QString& device) {
            return makePortAudioOutput(host, device);
        };
}

OutputSupervisor::~OutputSupervisor() {
    stop();
}

void OutputSupervisor::setStatusCallback(StatusCallback callback) {
    std::lock_guard lock(m_mutex);
    m_onStatus = std::move(callback);
}

bool OutputSupervisor::start(bool useDevice, const QString& device, QString* reason) {
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_chosen = device;
        m_useDevice = useDevice;
        m_running = true;
    }
    bool opened = false;
    if (useDevice) {
        QString why;
        if (auto output = open(device, why)) {
            m_gate.handTo(output.get());
            follow(m_device, std::move(output), Clock::now());
            opened = true;
        } else if (reason) {
            *reason = why;
        }
    }
    if (!opened)
        startClock();
    publish({});
    if (useDevice)
        m_watcher = std::thread([this] { watch(); });
    return opened || !useDevice;
}

void OutputSupervisor::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
    m_gate.handTo(nullptr);
    for (Watched* w : {&m_candidate, &m_device}) {
        if (w->output)
            w->output->stop();
        *w = {};
    }
    stopClock();
    m_lost = false;
    publish({});
    std::lock_guard lock(m_mutex);
    m_quit = false;
    m_switch = false;
    m_running = false;
    m_name.clear();
}

void OutputSupervisor::setDevice(const QString& device) {
    {
        std::lock_guard lock(m_mutex);
        m_chosen = device;
        if (!m_running || !m_useDevice)
            return;
        m_switch = true;
    }
    m_wake.notify_all();
}

QString OutputSupervisor::device() const {
    std::lock_guard lock(m_mutex);
    return m_chosen;
}
QString OutputSupervisor::name() const {
    std::lock_guard lock(m_mutex);
    return m_name;
}
QString OutputSupervisor::status() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}
std::uint64_t OutputSupervisor::underruns() const {
    return m_gate.underruns();
}
std::uint64_t OutputSupervisor::framesPlayed() const {
    return m_gate.framesPlayed();
}
int OutputSupervisor::bufferFrames() const {
    std::lock_guard lock(m_mutex);
    return m_bufferFrames;
}
QStringList OutputSupervisor::deviceNames() const {
    return m_host->outputDevices();
}

// --- The watching thread --------------------------------------------------------------------

void OutputSupervisor::watch() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_wake.wait_for(lock, kTick, [this] { return m_quit || m_switch; });
        if (m_quit)
            break;
        const bool switching = std::exchange(m_switch, false);
        const QString chosen = m_chosen;
        lock.unlock();
        if (switching)
            switchTo(chosen, Clock::now());
        check(Clock::now());
        lock.lock();
    }
}

void OutputSupervisor::check(Clock::time_point now) {
    if (m_candidate.output) {
        QString why = m_candidate.output->fault();
        if (why.isEmpty())
            why = stalled(m_candidate, now);
        if (m_candidate.heard && why.isEmpty()) {
            promoteCandidate();
        } else if (!why.isEmpty()) {
            m_candidate.output->stop();
            m_candidate = {};
        }
    }
    if (m_device.output) {
        QString why = m_device.output->fault();
        if (why.isEmpty())
            why = stalled(m_device, now);
        if (!why.isEmpty())
            lose(why, now);
    }
    if (m_lost && !m_candidate.output && now >= m_nextRetry)
        retry(now);
}

std::unique_ptr<AudioOutput> OutputSupervisor::open(const QString& device, QString& reason) {
    QStringList reasons;
    QStringList tries{device};
    if (!device.isEmpty())
        tries << QString();
    for (const QString& name : tries) {
        std::unique_ptr<AudioOutput> output = m_factory(name);
        if (!output)
            continue;
        output->attach(m_gate);
        QString why;
        if (output->start(m_ring, m_rate, why))
            return output;
        reasons << why;
    }
    reason = reasons.join(QStringLiteral("; "));
    return nullptr;
}

void OutputSupervisor::follow(Watched& watched, std::unique_ptr<AudioOutput> output,
                              Clock::time_point now) {
    watched.asked = output->framesAsked();
    watched.output = std::move(output);
    watched.heard = false;
    watched.since = now;
}

QString OutputSupervisor::stalled(Watched& watched, Clock::time_point now) const {
    const std::uint64_t asked = watched.output->framesAsked();
    if (asked != watched.asked) {
        watched.asked = asked;
        watched.heard = true;
        watched.since = now;
        return {};
    }
    if (now - watched.since > (watched.heard ? kStallTime : kFirstPullTime))
        return QStringLiteral("the device stopped taking sound");
    return {};
}

void OutputSupervisor::lose(const QString& reason, Clock::time_point now) {
    // The clock takes the ring first, so time goes on while the device is let go of.
    startClock();
    std::unique_ptr<AudioOutput> gone = std::move(m_device.output);
    m_device = {};
    m_lost = true;
    m_nextRetry = now + kRetryInterval;
    publish(lostText(reason));
    gone->stop();
}

void OutputSupervisor::retry(Clock::time_point now) {
    m_nextRetry = now + kRetryInterval;
    QString chosen;
    {
        std::lock_guard lock(m_mutex);
        chosen = m_chosen;
    }
    QString unused;
    if (auto output = open(chosen, unused))
        follow(m_candidate, std::move(output), Clock::now());
}

void OutputSupervisor::switchTo(const QString& device, Clock::time_point now) {
    if (m_candidate.output) {
        m_candidate.output->stop();
        m_candidate = {};
    }
    // Only the device chosen: if it cannot be opened, what plays now goes on.
    std::unique_ptr<AudioOutput> output = m_factory(device);
    if (!output)
        return;
    output->attach(m_gate);
    QString unused;
    if (output->start(m_ring, m_rate, unused))
        follow(m_candidate, std::move(output), now);
}

void OutputSupervisor::promoteCandidate() {
    m_gate.handTo(m_candidate.output.get());
    std::unique_ptr<AudioOutput> previous = std::move(m_device.output);
    m_device = std::move(m_candidate);
    m_candidate = {};
    m_lost = false;
    publish({});
    if (previous)
        previous->stop();
    stopClock();
}

void OutputSupervisor::startClock() {
    if (!m_clock) {
        m_clock = makeNullOutput();
        m_clock->attach(m_gate);
        QString unused;
        m_clock->start(m_ring, m_rate, unused);
    }
    m_gate.handTo(m_clock.get());
}

void OutputSupervisor::stopClock() {
    if (m_clock) {
        m_clock->stop();
        m_clock.reset();
    }
}

void OutputSupervisor::publish(const QString& status) {
    const AudioOutput* playing = m_device.output ? m_device.output.get() : m_clock.get();
    StatusCallback notify;
    {
        std::lock_guard lock(m_mutex);
        m_name = playing ? playing->name() : QString();
        m_bufferFrames = playing ? playing->bufferFrames() : 0;
        if (status != m_status)
            notify = m_onStatus;
        m_status = status;
    }
    if (notify)
        notify(status);
}

} // namespace hoedeck
