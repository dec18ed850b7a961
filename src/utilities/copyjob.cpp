#include "copyjob.h"

#include "prompter.h"

#include <QEventLoop>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <atomic>

namespace hoedeck {

// Shared by the job and its thread; outlives a job that is cancelled while a message it asked
// for is still on its way to the screen.
struct CopyJob::State : CopyJob::Control, std::enable_shared_from_this<CopyJob::State> {
    CopyJob* job = nullptr; // alive while the thread runs: the job waits for it
    std::atomic<bool> stop{false};
    QSemaphore closed;
    Ending ending;

    bool cancelled() const override { return stop; }

    void progress(int value, int maximum) override {
        QMetaObject::invokeMethod(
            job, [job = job, value, maximum] { emit job->progressed(value, maximum); },
            Qt::QueuedConnection);
    }

    void tell(const QString& text, const QString& caption) override {
        if (stop)
            return;
        QMetaObject::invokeMethod(
            job,
            [job = job, self = shared_from_this(), text, caption] {
                if (job->m_prompter.choose(text, caption, {"OK", "Stop Copying"}) == 1)
                    self->stop = true;
                self->closed.release();
            },
            Qt::QueuedConnection);
        while (!closed.tryAcquire(1, 50))
            if (stop)
                return;
    }
};

CopyJob::CopyJob(Prompter& prompter, QObject* parent) : QObject(parent), m_prompter(prompter) {}

CopyJob::~CopyJob() {
    if (!m_thread)
        return;
    m_state->stop = true;
    m_thread->wait();
    delete m_thread;
}

bool CopyJob::start(Work work) {
    if (m_thread)
        return false;
    m_state = std::make_shared<State>();
    m_state->job = this;
    m_thread = QThread::create(
        [state = m_state, work = std::move(work)] { state->ending = work(*state); });
    connect(m_thread, &QThread::finished, this, [this] { end(m_state->ending); });
    m_thread->start();
    emit started();
    return true;
}

void CopyJob::cancel() {
    if (m_state)
        m_state->stop = true;
}

void CopyJob::end(const Ending& ending) {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const bool cancelled = m_state->stop;
    if (!ending.text.isEmpty())
        m_prompter.message(ending.text, ending.caption,
                           ending.error ? Prompter::Icon::Error : Prompter::Icon::None);
    emit finished(cancelled);
}

bool CopyJob::waitForFinished(int milliseconds) {
    if (!m_thread)
        return true;
    QEventLoop loop;
    connect(this, &CopyJob::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return !m_thread;
}

} // namespace hoedeck
