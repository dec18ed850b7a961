#include "encoder.h"

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace hoedeck {

namespace {
constexpr int kPollMs = 50;
// What is kept of the encoder's own words: its last complaint is what explains its end.
constexpr int kMessageBytes = 2000;
// About a fifth of a second of sound (the system doubles what is asked for).
constexpr int kSocketBytes = 16384;

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

QString systemText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

QString Mp3Encoder::program() {
    return QStandardPaths::findExecutable(kProgram);
}

QStringList Mp3Encoder::arguments(const QString& output) {
    return {"--quiet",         "-r", "-s", "44.1",     "--bitwidth", "16", "--signed",
            "--little-endian", "-m", "j",  "--preset", "standard",   "-",  output};
}

Mp3Encoder::~Mp3Encoder() {
    if (m_pid > 0)
        finish(std::chrono::seconds(5));
    closeFd(m_input);
    closeFd(m_messages);
}

bool Mp3Encoder::start(const QString& output, QString& reason) {
    const QString path = program();
    if (path.isEmpty()) {
        reason = QStringLiteral("%1 was not found on PATH").arg(kProgram);
        return false;
    }
    // Everything the child needs is made before the fork: after it, in a process with other
    // threads, the child may only move descriptors and exec.
    const QByteArray file = QFile::encodeName(path);
    std::vector<QByteArray> args{QByteArray(kProgram)};
    for (const QString& arg : arguments(output))
        args.push_back(QFile::encodeName(arg));
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int input[2] = {-1, -1}, messages[2] = {-1, -1}, execCheck[2] = {-1, -1};
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const auto closeAll = [&] {
        for (int* fd :
             {&input[0], &input[1], &messages[0], &messages[1], &execCheck[0], &execCheck[1]})
            closeFd(*fd);
        if (devNull >= 0)
            ::close(devNull);
    };
    if (devNull < 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0 ||
        ::pipe2(messages, O_CLOEXEC) != 0 || ::pipe2(execCheck, O_CLOEXEC) != 0) {
        reason = systemText(errno);
        closeAll();
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        reason = systemText(errno);
        closeAll();
        return false;
    }
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(input[1], STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(messages[1], STDERR_FILENO);
        ::execv(file.constData(), argv.data());
        // The exec check is closed by a successful exec; here it carries why exec failed.
        const int error = errno;
        [[maybe_unused]] const auto sent = ::write(execCheck[1], &error, sizeof error);
        ::_exit(127);
    }
    closeFd(input[1]);
    closeFd(messages[1]);
    closeFd(execCheck[1]);
    ::close(devNull);
    int execError = 0;
    ssize_t got;
    do
        got = ::read(execCheck[0], &execError, sizeof execError);
    while (got < 0 && errno == EINTR);
    closeFd(execCheck[0]);
    if (got == ssize_t(sizeof execError)) {
        ::waitpid(pid, nullptr, 0);
        closeFd(input[0]);
        closeFd(messages[0]);
        reason = QStringLiteral("%1 could not be started: %2").arg(path, systemText(execError));
        return false;
    }
    ::fcntl(input[0], F_SETFL, ::fcntl(input[0], F_GETFL) | O_NONBLOCK);
    // The take's own ring is where sound waits for a busy encoder; the socket holds little
    // more, so that what is lost is counted there and the end of a take is written at once.
    const int socketBytes = kSocketBytes;
    ::setsockopt(input[0], SOL_SOCKET, SO_SNDBUF, &socketBytes, sizeof socketBytes);
    ::fcntl(messages[0], F_SETFL, ::fcntl(messages[0], F_GETFL) | O_NONBLOCK);
    m_pid = pid;
    m_input = input[0];
    m_messages = messages[0];
    m_said.clear();
    m_fault.clear();
    return true;
}

void Mp3Encoder::readMessages() {
    if (m_messages < 0)
        return;
    char buffer[512];
    for (ssize_t n; (n = ::read(m_messages, buffer, sizeof buffer)) > 0;)
        m_said.append(buffer, n);
    if (m_said.size() > kMessageBytes)
        m_said = m_said.right(kMessageBytes);
}

void Mp3Encoder::reaped(int status) {
    readMessages();
    m_pid = -1;
    closeFd(m_input);
    const QString said = QString::fromLocal8Bit(m_said).simplified();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return;
    if (WIFSIGNALED(status))
        m_fault = QStringLiteral("%1 was killed by signal %2 (%3)")
                      .arg(kProgram)
                      .arg(WTERMSIG(status))
                      .arg(QString::fromLocal8Bit(::strsignal(WTERMSIG(status))));
    else
        m_fault =
            QStringLiteral("%1 ended with exit code %2").arg(kProgram).arg(WEXITSTATUS(status));
    if (!said.isEmpty())
        m_fault += ": " + said;
}

bool Mp3Encoder::running() {
    if (m_pid <= 0)
        return false;
    readMessages();
    int status = 0;
    pid_t got;
    do
        got = ::waitpid(m_pid, &status, WNOHANG);
    while (got < 0 && errno == EINTR);
    if (got == 0)
        return true;
    if (got == m_pid)
        reaped(status);
    else // not ours to wait for any more; it counts as gone
        m_pid = -1;
    return false;
}

bool Mp3Encoder::write(const char* data, std::size_t bytes, const std::atomic<bool>& giveUp) {
    while (bytes > 0) {
        if (m_input < 0)
            return false;
        const ssize_t n = ::send(m_input, data, bytes, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            bytes -= std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // Busy: its messages are read meanwhile, so that it never waits on them.
            readMessages();
            if (giveUp.load() || !running())
                return false;
            pollfd ready{m_input, POLLOUT, 0};
            ::poll(&ready, 1, kPollMs);
            continue;
        }
        // Its end of the input is closed: it has ended or is about to.
        const int error = errno;
        closeFd(m_input);
        for (int i = 0; i < 100 && running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (m_fault.isEmpty())
            m_fault = QStringLiteral("%1 stopped reading (%2)").arg(kProgram, systemText(error));
        return false;
    }
    return true;
}

void Mp3Encoder::closeInput() {
    closeFd(m_input);
}

QString Mp3Encoder::finish(std::chrono::milliseconds patience) {
    closeInput();
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            readMessages();
            m_pid = -1;
            m_fault = QStringLiteral("%1 did not finish the file within %2 s and was stopped")
                          .arg(kProgram)
                          .arg(double(patience.count()) / 1000.0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    closeFd(m_messages);
    return m_fault;
}

} // namespace hoedeck
