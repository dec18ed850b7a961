#pragma once

#include "ringbuffer.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <portaudio.h>
#include <thread>

namespace hoedeck {

class AudioOutput;

// Hands one ring to one output at a time. The ring has a single consumer, but while an output
// is being replaced (a device lost, a device coming back, another device chosen) two outputs
// run at once. Only the one the gate names takes frames, and the pop itself is guarded by a
// try-lock so that even at the moment of a handover no two threads pop together: the one that
// finds the gate taken plays silence for that period instead of waiting. No thread ever blocks
// here. It also counts what every output took, so the counts run on across replacements.
class RingGate {
public:
    // Makes `output` the one that takes frames; nullptr for none.
    void handTo(const AudioOutput* output) { m_owner.store(output, std::memory_order_release); }
    const AudioOutput* owner() const { return m_owner.load(std::memory_order_acquire); }
    std::uint64_t framesPlayed() const { return m_played.load(std::memory_order_relaxed); }
    std::uint64_t underruns() const { return m_underruns.load(std::memory_order_relaxed); }

private:
    friend class AudioOutput;
    bool enter(const AudioOutput* output);
    void leave() { m_busy.store(false, std::memory_order_release); }

    std::atomic<const AudioOutput*> m_owner{nullptr};
    std::atomic<bool> m_busy{false};
    std::atomic<std::uint64_t> m_played{0};
    std::atomic<std::uint64_t> m_underruns{0};
};

// Where mixed sound goes: the sound card through PortAudio, or a silent clock when a machine
// has none. Both only take frames out of the ring; the mixer fills it.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts taking frames; false with a reason when it cannot.
    virtual bool start(RingBuffer& ring, int sampleRate, QString& reason) = 0;
    // Stops taking frames. A device that vanished may take a while to let go: call it where
    // waiting harms nothing.
    virtual void stop() = 0;
    virtual QString name() const = 0;
    // Frames of the device's own buffering, for latency figures.
    virtual int bufferFrames() const = 0;
    // Why the output cannot go on, empty while it is well. Asked from a watching thread, never
    // from the audio path.
    virtual QString fault() const { return {}; }

    // Takes frames only while `gate` names this output. Call before start().
    void attach(RingGate& gate) { m_gate = &gate; }

    // Times the output wanted frames the ring did not have.
    std::uint64_t underruns() const { return m_underruns.load(std::memory_order_relaxed); }
    // Frames taken out of the ring so far.
    std::uint64_t framesPlayed() const { return m_played.load(std::memory_order_relaxed); }
    // Frames the device or clock asked for, taken or not: its heartbeat.
    std::uint64_t framesAsked() const { return m_asked.load(std::memory_order_relaxed); }

protected:
    // Called from the device or clock thread: fills `out` from the ring, silence for what is
    // missing or while a gate hands the ring to another output. No locks, no allocation.
    void pull(RingBuffer& ring, float* out, std::size_t frames, bool countUnderrun);
    // A gap the device itself reports, counted with the ring's.
    void countUnderrun();

    std::atomic<std::uint64_t> m_underruns{0};
    std::atomic<std::uint64_t> m_played{0};
    std::atomic<std::uint64_t> m_asked{0};

private:
    RingGate* m_gate = nullptr;
};

// PortAudio for everything in the program that opens a stream: the output and the recorder's
// input should share one. PortAudio counts Pa_Initialize calls and looks for devices only on
// the first, so a device plugged in later is found once every user has let go and one takes
// it again; and initialising and terminating are not safe from two threads at once, which this
// serialises.
class PortAudioHost {
public:
    PortAudioHost() = default;
    ~PortAudioHost();
    PortAudioHost(const PortAudioHost&) = delete;
    PortAudioHost& operator=(const PortAudioHost&) = delete;

    // Takes a reference to the library; false with PortAudio's reason.
    bool acquire(QString* reason = nullptr);
    void release();
    // The output devices by name, as PortAudio last found them.
    QStringList outputDevices();
    // The input devices by name, as PortAudio last found them.
    QStringList inputDevices();
    // PortAudio's index of the device called `name`, "" the default; -1 when there is none.
    // Only while holding a reference.
    static int deviceIndex(const QString& name, bool output);
    // Opens and starts a stream with its callbacks; "" or PortAudio's reason.
    static QString openStream(PaStream*& stream, const PaStreamParameters* input,
                              const PaStreamParameters* output, int sampleRate,
                              PaStreamCallback* callback, PaStreamFinishedCallback* finished,
                              void* user);
    // Closes a stream without waiting for the device to play out what it holds, which a
    // device that vanished never would. `stopping` is raised meanwhile, so the stream's
    // finished callback can tell a close from a failure.
    static void closeStream(PaStream*& stream, std::atomic<bool>& stopping);

private:
    QStringList devices(bool output);

    std::mutex m_mutex;
    int m_users = 0;
};

// Asks real-time scheduling for an audio thread, `level` steps above the lowest; false where the
// system refuses (the thread then carries on as an ordinary one). The device side sits above
// the mixer that feeds it.
constexpr int kDevicePriority = 9;
constexpr int kMixerPriority = 8;
bool raisePriority(std::thread& thread, int level);

// Keeps ALSA's and JACK's device probing off the terminal.
void quietAudioLibraries();

// The output device called `device`, "" for the default output.
std::unique_ptr<AudioOutput> makePortAudioOutput(std::shared_ptr<PortAudioHost> host,
                                                 const QString& device = {});
// The default output device on a PortAudio of its own.
std::unique_ptr<AudioOutput> makePortAudioOutput();
std::unique_ptr<AudioOutput> makeNullOutput();

} // namespace hoedeck
