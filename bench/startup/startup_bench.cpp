// Start-up time: from starting the real program to its main window being shown, the median of
// several runs. Each run uses a fresh copy of the program folder's settings, as a caller's
// first start would, after one untimed run that warms the disk cache.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double runOnce(const QString& program) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOEDECK_REPORT_STARTUP", "quit");
    env.insert("HOEDECK_AUDIO", "null");
    if (!env.contains("DISPLAY") && !env.contains("WAYLAND_DISPLAY"))
        env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains("main_window_shown_ms") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    process.waitForFinished(30000);
    return out.contains("main_window_shown_ms") ? ms : -1.0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;

    QTemporaryDir dir;
    const QString program = dir.filePath("hoedeck");
    QFile::copy(HOEDECK_EXECUTABLE, program);
    QDir(dir.path()).mkpath("ini");

    runOnce(program);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QDir(dir.filePath("ini")).removeRecursively();
        QDir(dir.path()).mkpath("ini");
        const double ms = runOnce(program);
        if (ms < 0) {
            std::fprintf(stderr, "the program did not report its main window\n");
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("startup_runs: %d\n", runs);
    std::printf("startup_ms: %.1f\n", times[times.size() / 2]);
    std::printf("startup_min_ms: %.1f\n", times.front());
    std::printf("startup_max_ms: %.1f\n", times.back());
    return 0;
}
