#pragma once

// What every harness shares: Qt started once, a fixed folder emptied for each input, and
// checks that stop the run with a report the way a crash does.

#include "datafolder.h"
#include "textstore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace hoedeck::fuzz {

// Readers that take a path get the bytes through a file here. The folder is fixed (not a new
// temporary one per input) so that a run stays fast and leaves nothing behind but one folder.
class Workspace {
public:
    explicit Workspace(const QString& name) : m_root(base() + "/hoedeck-fuzz/" + name + "/") {
        reset();
    }
    DataFolder folder() const { return DataFolder(m_root); }
    QString path(const QString& relative) const { return m_root + relative; }
    // An empty data folder with an empty ini/.
    void reset() const {
        QDir(m_root).removeRecursively();
        QDir().mkpath(m_root + "ini");
    }
    void write(const QString& relative, const QByteArray& bytes) const {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile file(path(relative));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray read(const QString& relative) const {
        QFile file(path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    // The store makes every write durable, which on a disk costs milliseconds a file; in memory
    // (/dev/shm) a run tries a hundred times more inputs.
    static QString base() {
        if (const QString chosen = qEnvironmentVariable("HOEDECK_FUZZ_DIR"); !chosen.isEmpty())
            return chosen;
        return QFileInfo("/dev/shm").isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    }

    QString m_root;
};

inline QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Some readers use timers, queued signals and the locale: they want an application object.
inline void startQt(int* argc, char*** argv) {
    static QCoreApplication* app = new QCoreApplication(*argc, *argv);
    (void)app;
}

// A property of the reader that does not hold: reported and ended like a crash, so libFuzzer
// keeps the input that shows it.
inline void check(bool holds, const char* what, const QString& detail = {}) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n%s\n", what, qPrintable(detail));
    std::abort();
}

// A file that cannot be read or written ends a reader with a StoreError, whose message the
// program shows the caller: that is the readers' contract, not a fault.
template <typename Body> int guarded(const Body& body) {
    try {
        return body();
    } catch (const StoreError&) {
        return 0;
    }
}

} // namespace hoedeck::fuzz

// The two entry points libFuzzer calls: Qt started and the harness's own setUp() run once,
// then testOne() for every input, a failed check reported as a crash.
#define HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)                                                  \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {                                 \
        hoedeck::fuzz::startQt(argc, argv);                                                        \
        setUp();                                                                                   \
        return 0;                                                                                  \
    }                                                                                              \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {            \
        return hoedeck::fuzz::guarded([&] { return testOne(data, size); });                        \
    }
