#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <sys/types.h>

namespace hoedeck {

// The MP3 encoder of the recorder: the `lame` program found on PATH, run as a process of its own
// that reads 44100 Hz 16-bit stereo little-endian PCM on its standard input and writes one MP3
// file with its "standard" preset.
//
// The process is started with fork and exec from prepared arguments (nothing in the child but
// descriptor moves), in a process group of its own, so that a Ctrl+C in the terminal that
// ends the program through its normal shut-down does not kill the encoder before it has
// written the end of the file. Its input is a socket, written with MSG_NOSIGNAL: an encoder
// that dies makes a write fail instead of raising SIGPIPE in the whole program.
//
// Used by one thread at a time: the owner starts it, a writer thread writes, and the owner
// finishes it once the writer is done.
class Mp3Encoder {
public:
    static constexpr const char* kProgram = "lame";

    // The full path of the encoder program on PATH, empty when there is none.
    static QString program();
    // The arguments that make it read raw PCM on standard input and write `output`.
    static QStringList arguments(const QString& output);

    Mp3Encoder() = default;
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // Starts the encoder writing `output`; false with the reason when it cannot be started.
    bool start(const QString& output, QString& reason);
    // Hands over all of `bytes`, waiting while the encoder is busy. False once the encoder has
    // gone (fault() says why) or when `giveUp` turns true while waiting.
    bool write(const char* data, std::size_t bytes, const std::atomic<bool>& giveUp);
    // Whether the process still runs; an ended one is reaped and its fault noted.
    bool running();
    // Ends the sound: the encoder writes the rest of the file and ends. One that has not ended
    // within `patience` is killed. The fault, empty when it ended well.
    QString finish(std::chrono::milliseconds patience);
    // Why the encoder ended badly, in words: "lame ended with exit code 1: <its message>".
    QString fault() const { return m_fault; }
    pid_t pid() const { return m_pid; }

private:
    void reaped(int status);
    void readMessages();
    void closeInput();

    pid_t m_pid = -1;
    int m_input = -1;    // our end of the encoder's standard input
    int m_messages = -1; // the read end of its standard error
    QByteArray m_said;   // the last of what it wrote on standard error
    QString m_fault;
};

} // namespace hoedeck
