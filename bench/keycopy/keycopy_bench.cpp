// Copying a favourites list to a key: forty 8 MB songs (320 MB) copied by the copy job while
// the user-interface thread keeps a 5 ms timer running.
//   copy_mb_per_s: the job's rate, every file flushed to the disk before it takes its name;
//   cp_mb_per_s: the peer, `cp` of the same files followed by `sync`;
//   ui_longest_gap_ms: the longest the user-interface thread went without its timer firing
//     while the job ran (5 ms when it never waits for the copy).

#include "keycopy.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
constexpr int kSongs = 40;
constexpr qint64 kSongBytes = 8 << 20;

double megabytesPerSecond(qint64 elapsedMs) {
    return double(kSongs) * double(kSongBytes) / 1e6 /
           (double(std::max<qint64>(elapsedMs, 1)) / 1000.0);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempDataFolder data;
    ScriptedPrompter prompter;
    MusicFolders folders(data.folder(), prompter);
    folders.load_favorite_subdirectories();
    folders.load_subdirectories();
    QDir().mkpath(data.path("music"));
    QStringList names;
    QByteArray bytes(kSongBytes, 0);
    for (int i = 0; i < kSongs; ++i) {
        names << QStringLiteral("Song %1.mp3").arg(i, 2, 10, QChar('0'));
        std::fill(bytes.begin(), bytes.end(), char(i));
        QFile file(data.path("music/" + names.last()));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
    }
    folders.setBrowserFolder(data.path("music"));

    QTemporaryDir key;
    CopyJob job(prompter);
    KeyCopy copy(folders, prompter, job);
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    clock.start();
    ticker.start();
    if (!copy.start(KeyCopy::plan({}, names), Volume{"KEY", key.path()}, {}))
        return 1;
    job.waitForFinished(600000);
    const qint64 jobMs = clock.elapsed();
    ticker.stop();
    if (QDir(key.path()).entryList(QDir::Files).size() != kSongs)
        return 1;

    QTemporaryDir peer;
    QStringList sources;
    for (const QString& name : names)
        sources << data.path("music/" + name);
    clock.restart();
    QProcess::execute("cp", sources + QStringList{peer.path()});
    QProcess::execute("sync", {});
    const qint64 cpMs = clock.elapsed();

    std::printf("copy_mb_per_s: %.0f\n", megabytesPerSecond(jobMs));
    std::printf("cp_mb_per_s: %.0f\n", megabytesPerSecond(cpMs));
    std::printf("ui_longest_gap_ms: %lld\n", static_cast<long long>(longestGap));
    return 0;
}
