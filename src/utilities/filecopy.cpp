#include "filecopy.h"

#include "textstore.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hoedeck::filecopy {

namespace {

constexpr qsizetype kBlockBytes = 1 << 20;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now; the errno of a failed close (a network or USB file system reports a lost
    // write there), or 0.
    int close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Copies every byte from one descriptor to the other; 0, ECANCELED or the failing errno.
int pump(int from, int to, const Cancelled& cancelled) {
    std::vector<char> block(kBlockBytes);
    for (;;) {
        if (cancelled && cancelled())
            return ECANCELED;
        const ssize_t n = ::read(from, block.data(), block.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (const int error = textstore::writeAll(to, QByteArrayView(block.data(), n)))
            return error;
    }
}

// The folder's entry is flushed too, so that the new name survives pulling out the key.
void syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

Result failed(const QString& what, int error) {
    return Result{what.isEmpty() ? reason(error) : what + ": " + reason(error)};
}

} // namespace

QString reason(int error) {
    if (error == EEXIST)
        return QStringLiteral("a file of that name is already there");
    return QString::fromLocal8Bit(std::strerror(error));
}

Result stage(const QString& source, const QString& folder, QString& workPath,
             const Cancelled& cancelled) {
    workPath.clear();
    Descriptor in(::open(native(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return failed({}, errno);
    struct stat info {};
    if (::fstat(in.get(), &info) != 0)
        return failed({}, errno);
    if (S_ISDIR(info.st_mode))
        return failed({}, EISDIR);

    QByteArray name = native(QDir(folder).filePath(".hoedeck-XXXXXX.part"));
    Descriptor out(::mkostemps(name.data(), 5, O_CLOEXEC));
    if (out.get() < 0)
        return failed({}, errno);
    const auto abandon = [&](int error) {
        out.close();
        ::unlink(name.constData());
        return error == ECANCELED ? Result{{}, true} : failed({}, error);
    };
    if (const int error = pump(in.get(), out.get(), cancelled))
        return abandon(error);
    // Permissions and times are kept where the file system can hold them (a FAT key cannot).
    ::fchmod(out.get(), info.st_mode & 07777);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    ::futimens(out.get(), times);
    if (::fsync(out.get()) != 0 && errno != EINVAL && errno != EROFS)
        return abandon(errno);
    if (const int error = out.close())
        return abandon(error);
    workPath = QFile::decodeName(name);
    return {};
}

Result commit(const QString& workPath, const QString& destination, bool replace) {
    const QByteArray from = native(workPath);
    const QByteArray to = native(destination);
    int error = 0;
    if (replace) {
        if (::rename(from.constData(), to.constData()) != 0)
            error = errno;
    } else if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                           RENAME_NOREPLACE) != 0) {
        error = errno;
        // File systems that cannot rename without replacing: a hard link never replaces
        // either, and where there are no links (FAT) the name is checked just before.
        if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
            if (::link(from.constData(), to.constData()) == 0) {
                ::unlink(from.constData());
                error = 0;
            } else if (errno == EEXIST) {
                error = EEXIST;
            } else {
                struct stat existing {};
                if (::lstat(to.constData(), &existing) == 0)
                    error = EEXIST;
                else
                    error = ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
            }
        }
    }
    if (error != 0) {
        ::unlink(from.constData());
        return failed({}, error);
    }
    syncFolder(QFileInfo(destination).absolutePath());
    return {};
}

void discard(const QString& workPath) {
    if (!workPath.isEmpty())
        ::unlink(native(workPath).constData());
}

QString cannotCopy(const QString& source, const QString& destination, const QString& why) {
    return "can't copy " + QDir::toNativeSeparators(source) + " to " +
           QDir::toNativeSeparators(destination) + ": " + why;
}

Result copy(const QString& source, const QString& destination, bool replace,
            const Cancelled& cancelled) {
    // Said before a byte is written: a full key would otherwise give its own reason for a song
    // that is there already. commit() still refuses a name taken meanwhile.
    struct stat existing {};
    if (!replace && ::lstat(native(destination).constData(), &existing) == 0)
        return failed({}, EEXIST);
    QString work;
    const Result staged = stage(source, QFileInfo(destination).absolutePath(), work, cancelled);
    if (!staged.ok())
        return staged;
    return commit(work, destination, replace);
}

QStringList filesUnder(const QString& folder) {
    QStringList files;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << root.relativeFilePath(it.next());
    files.sort();
    return files;
}

QString makePath(const QString& folder) {
    const QString absolute = QDir(folder).absolutePath();
    if (QFileInfo(absolute).isDir())
        return {};
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute)
        if (const QString problem = makePath(parent); !problem.isEmpty())
            return problem;
    if (::mkdir(native(absolute).constData(), 0777) == 0)
        return {};
    int error = errno;
    if (error == EEXIST) {
        if (QFileInfo(absolute).isDir())
            return {};
        error = ENOTDIR;
    }
    return reason(error);
}

QString removeTree(const QString& folder) {
    QDir dir(folder);
    if (!dir.exists() || dir.removeRecursively())
        return {};
    // Qt says only that it failed; trying the first file that stayed gives the system's reason
    // (a read-only key, a folder without write permission).
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (::unlink(native(path).constData()) != 0)
            return QDir::toNativeSeparators(path) + ": " + reason(errno);
    }
    if (dir.removeRecursively())
        return {};
    return QDir::toNativeSeparators(folder) + ": " + reason(EACCES);
}

} // namespace hoedeck::filecopy
