#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <thread>

namespace hoedeck {

class Prompter;

// Runs a long copy on a thread of its own, so that the windows keep working while a key fills
// up: progress comes back as a signal, a message the work wants shown is shown on the
// user-interface thread (the work waits until the caller has closed it), and a cancel is
// noticed between two blocks of a file.
class CopyJob : public QObject {
    Q_OBJECT
public:
    // What the work, on its own thread, uses to talk to the user-interface thread.
    class Control {
    public:
        virtual ~Control() = default;
        virtual bool cancelled() const = 0;
        // Step `value` of 0 ... `maximum`.
        virtual void progress(int value, int maximum) = 0;
        // Shows the message through the prompter and returns when the caller has closed it
        // (or at once when the job is cancelled). The box offers "Stop Copying" beside "OK",
        // which cancels the job: a key that is full would otherwise give one box per song.
        virtual void tell(const QString& text, const QString& caption) = 0;
    };
    // The work gives what is said at its end ("Done"), or nothing.
    struct Ending {
        QString text;
        QString caption;
        bool error = false;
    };
    using Work = std::function<Ending(Control&)>;

    explicit CopyJob(Prompter& prompter, QObject* parent = nullptr);
    // Cancels a running work and waits for its thread.
    ~CopyJob() override;

    // Starts the work; false (and nothing started) while another runs.
    bool start(Work work);
    void cancel();
    bool running() const { return m_thread.joinable(); }
    // For tests and shut-down: waits until the work has ended and its ending has been shown.
    bool waitForFinished(int milliseconds);

signals:
    void started();
    void progressed(int value, int maximum);
    // After the ending was shown.
    void finished(bool cancelled);

    // Sent by the work on its own thread; queued to the user-interface thread.
    void workProgressed(int value, int maximum);
    void workTells(const QString& text, const QString& caption);
    void workEnded();

private:
    struct State;
    void end();

    Prompter& m_prompter;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace hoedeck
