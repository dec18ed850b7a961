#pragma once

// A serial line made of two pseudo terminals joined by socat: the program opens one end as
// its port, the test holds the other as the hand remote. Stopping socat pulls the cord out.

#include "waiting.h"

#include <QByteArray>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <fcntl.h>
#include <unistd.h>

namespace hoedeck::testing {

class PtyPair {
public:
    explicit PtyPair(const QString& folder)
        : m_port(folder + "/ttyRemote"), m_remote(folder + "/ttyCord") {}
    ~PtyPair() { stop(); }

    // The device the program opens.
    const QString& port() const { return m_port; }

    bool start() {
        m_socat.start("socat",
                      {"pty,raw,echo=0,link=" + m_port, "pty,raw,echo=0,link=" + m_remote});
        if (!m_socat.waitForStarted(5000) ||
            !waitUntil([&] { return QFileInfo::exists(m_port) && QFileInfo::exists(m_remote); }))
            return false;
        m_fd = ::open(QFile::encodeName(m_remote).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return m_fd >= 0;
    }
    void stop() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (m_socat.state() != QProcess::NotRunning) {
            m_socat.terminate();
            m_socat.waitForFinished(5000);
        }
        // socat takes its links away as it ends; wait for it, so a new pair can make them.
        waitUntil([&] { return !QFileInfo::exists(m_port) && !QFileInfo::exists(m_remote); }, 2000);
    }

    // What reached the remote's end so far.
    QByteArray read() {
        QByteArray got;
        char buffer[256];
        for (ssize_t n; m_fd >= 0 && (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            got.append(buffer, n);
        return got;
    }
    // Waits (running the event loop) until something reaches the remote's end.
    QByteArray waitRead(int milliseconds = 2000) {
        QByteArray got;
        waitUntil([&] { return !(got += read()).isEmpty(); }, milliseconds);
        return got;
    }
    void write(const QByteArray& bytes) {
        if (m_fd < 0)
            return;
        [[maybe_unused]] const auto n = ::write(m_fd, bytes.data(), size_t(bytes.size()));
    }

private:
    QString m_port;
    QString m_remote;
    QProcess m_socat;
    int m_fd = -1;
};

} // namespace hoedeck::testing
