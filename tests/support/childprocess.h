#pragma once

#include <QByteArray>
#include <QString>
#include <csignal>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hoedeck::testing {

// Runs `work` in a child process whose files may not grow past `limitBytes`, the way a full
// disk stops them, without needing root or a real full disk. SIGXFSZ is ignored so that the
// write fails with EFBIG instead of killing the child. Gives what `work` returned, and "child
// failed" when the child did not finish.
inline QString inChildWithFileSizeLimit(rlim_t limitBytes,
                                        const std::function<std::string()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        const std::string text =
            ::setrlimit(RLIMIT_FSIZE, &limit) != 0 ? "setrlimit failed" : work();
        const bool sent = ::write(channel[1], text.data(), text.size()) == ssize_t(text.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray received;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        received.append(buffer, n);
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return "child failed";
    return QString::fromUtf8(received);
}

} // namespace hoedeck::testing
