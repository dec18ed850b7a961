#include "copyjob.h"

#include "prompter.h"

#include <QEventLoop>
#include <QSemaphore>
#include <QTimer>
#include <atomic>

namespace hoedeck {

// Shared by the job and its thread. The work talks to the user-interface thread through the
// job's queued signals, never through functors posted across: Qt frees a posted functor on the
// thread that posted it, after the other thread ran it, which the sanitizers cannot see ordered.
struct CopyJob::State : CopyJob::Control {
    CopyJob* job = nullptr; // alive while the thread runs: the job waits for it
    std::atomic<bool> stop{false};
    QSemaphore closed;
    Ending ending;

    bool cancelled() const override { return stop; }

    void progress(int value, int maximum) override { emit job->workProgressed(value, maximum); }

    void tell(const QString& text, const QString& caption) override {
        if (stop)
            return;
        emit job->workTells(text, caption);
        while (!closed.tryAcquire(1, 50))
            if (stop)
                return;
    }
};

CopyJob::CopyJob(Prompter& prompter, QObject* parent) : QObject(parent), m_prompter(prompter) {
    connect(this, &CopyJob::workProgressed, this, &CopyJob::progressed, Qt::QueuedConnection);
    connect(this, &CopyJob::workEnded, this, &CopyJob::end, Qt::QueuedConnection);
    connect(
        this, &CopyJob::workTells, this,
        [this](const QString& text, const QString& caption) {
            // A message still on its way when the work was cancelled is not shown any more.
            if (!m_state || m_state->stop) {
                if (m_state)
                    m_state->closed.release();
                return;
            }
            if (m_prompter.choose(text, caption, {"OK", "Stop Copying"}) == 1)
                m_state->stop = true;
            m_state->closed.release();
        },
        Qt::QueuedConnection);
}

CopyJob::~CopyJob() {
    if (!m_thread.joinable())
        return;
    m_state->stop = true;
    m_thread.join();
}

bool CopyJob::start(Work work) {
    if (m_thread.joinable())
        return false;
    m_state = std::make_shared<State>();
    m_state->job = this;
    // A plain thread, joined when it says it is done: the ending it leaves is then read with an
    // order the thread sanitizer can follow (Qt's own waiting is hidden from it).
    m_thread = std::thread([state = m_state, work = std::move(work)] {
        state->ending = work(*state);
        emit state->job->workEnded();
    });
    emit started();
    return true;
}

void CopyJob::cancel() {
    if (m_state)
        m_state->stop = true;
}

void CopyJob::end() {
    m_thread.join();
    const Ending ending = m_state->ending;
    const bool cancelled = m_state->stop;
    if (!ending.text.isEmpty())
        m_prompter.message(ending.text, ending.caption,
                           ending.error ? Prompter::Icon::Error : Prompter::Icon::None);
    emit finished(cancelled);
}

bool CopyJob::waitForFinished(int milliseconds) {
    if (!running())
        return true;
    QEventLoop loop;
    connect(this, &CopyJob::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return !running();
}

} // namespace hoedeck
