#include "datafolder.h"
#include "dialogprompter.h"
#include "singlecopy.h"
#include "tempo.h"
#include "windowset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// SIGTERM and SIGINT (a desktop logging out, a laptop shutting down, Ctrl+C in a terminal) end
// the program through the normal shut-down, so the split is still saved. The handler only
// writes a byte; the event loop does the rest.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

void endOnSignals(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        // A box may be open, even before the main loop runs (a start-up message): it is
        // closed, no other opens, and the program ends.
        hoedeck::DialogPrompter::endAll();
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    // The browser view's sandbox cannot run as root (kiosk machines, containers).
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Hoedeck");
    QApplication::setApplicationDisplayName("Hoedeck");
    endOnSignals(app);

    const hoedeck::DataFolder folder = hoedeck::DataFolder::ofExecutable();
    hoedeck::SingleCopy single(folder.root());
    QString why;
    if (!single.acquire(why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 0;
    }
    hoedeck::WindowSet windows(folder);
    QObject::connect(&single, &hoedeck::SingleCopy::raiseRequested, &app, [&windows] {
        QWidget* main = windows.main();
        main->setWindowState(main->windowState() & ~Qt::WindowMinimized);
        main->show();
        main->raise();
        main->activateWindow();
    });
    if (hoedeck::DialogPrompter::ending())
        return 0; // asked to end while starting up
    // The panel grid fills the screen; a desktop without a window manager does not maximise.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        windows.main()->setGeometry(screen->availableGeometry());
    windows.main()->showMaximized();

    // The start-up benchmark reads when the main window is on screen.
    if (qEnvironmentVariableIsSet("HOEDECK_REPORT_STARTUP")) {
        QTimer::singleShot(0, &app, [&] {
            std::printf("main_window_shown_ms: %lld\n",
                        static_cast<long long>(sinceStart.elapsed()));
            std::fflush(stdout);
            if (qEnvironmentVariable("HOEDECK_REPORT_STARTUP") == "quit")
                app.quit();
        });
    }
    return app.exec();
}
