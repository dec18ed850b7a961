#pragma once

#include <QByteArray>
#include <QString>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hoedeck::testing {

// Runs `work` in a child process after `prepare` (which gives an empty text when the child is
// ready, else why not) and gives what `work` returned, the text of a failed preparation
// prefixed with "unprepared: ", or "child failed" when the child did not finish.
inline QString inChild(const std::function<std::string()>& prepare,
                       const std::function<std::string()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const std::string problem = prepare();
        const std::string text = problem.empty() ? work() : "unprepared: " + problem;
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

// Files in the child may not grow past `limitBytes`, the way a full disk stops them, without
// needing root or a real full disk. SIGXFSZ is ignored so that the write fails with EFBIG
// instead of killing the child.
inline QString inChildWithFileSizeLimit(rlim_t limitBytes,
                                        const std::function<std::string()>& work) {
    return inChild(
        [&]() -> std::string {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{limitBytes, limitBytes};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? "" : "setrlimit failed";
        },
        work);
}

namespace detail {
inline bool writeProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}
} // namespace detail

// In the child, `folder` is a file system of `sizeBytes` of its own (a tmpfs in a mount
// namespace of the child's own, so nobody else sees it): a disk that really fills up and says
// "No space left on device". Needs root or user namespaces; without them the result starts
// with "unprepared: ".
inline QString inChildOnSmallDisk(const QString& folder, std::size_t sizeBytes,
                                  const std::function<std::string()>& work) {
    const QByteArray where = folder.toLocal8Bit();
    return inChild(
        [&]() -> std::string {
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            if (::unshare(CLONE_NEWNS) != 0) {
                if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                    return "no namespaces";
                detail::writeProcFile("/proc/self/setgroups", "deny");
                if (!detail::writeProcFile("/proc/self/uid_map",
                                           "0 " + std::to_string(uid) + " 1") ||
                    !detail::writeProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
                    return "no user mapping";
            }
            // Mounts made here stay in this namespace.
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                return "mounts not private";
            const std::string options = "size=" + std::to_string(sizeBytes);
            if (::mount("tmpfs", where.constData(), "tmpfs", 0, options.c_str()) != 0)
                return "no tmpfs";
            return "";
        },
        work);
}

} // namespace hoedeck::testing
