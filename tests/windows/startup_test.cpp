#include "tempdatafolder.h"
#include "tempo.h"
#include "textstore.h"
#include "windowset.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::TempDataFolder;

TEST(Startup, CreatesTheNineWindowsInOrderWithOnlyTheMainShown) {
    TempDataFolder data;
    WindowSet windows(data.folder());
    QStringList names;
    for (QWidget* window : windows.all())
        names << window->objectName();
    EXPECT_EQ(names, QStringList({"TForm1", "TForm2", "TForm4", "help1", "TForm5", "TMake_CCS_Form",
                                  "TFmReader", "TfmMetro", "TfmWhichDrive"}));
    windows.main()->show();
    for (QWidget* window : windows.all())
        EXPECT_EQ(window->isVisible(), window == windows.main())
            << window->objectName().toStdString();
    EXPECT_EQ(windows.main()->windowTitle(), "Hoedeck");
}

namespace {
// Starts a copy of the real program in the data folder, so that folder is its data folder, on
// the offscreen platform and the silent output.
void startProgram(const TempDataFolder& data, QProcess& process) {
    const QString target = data.path("hoedeck");
    QFile::copy(HOEDECK_EXECUTABLE, target);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOEDECK_REPORT_STARTUP", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOEDECK_AUDIO", "null");
    process.setProcessEnvironment(env);
    process.start(target, {});
}
} // namespace

TEST(Startup, TerminationSignalStillSavesTheSplit) {
    for (const int signal : {SIGTERM, SIGINT}) {
        TempDataFolder data;
        // A damaged split reads as the default; only the shut-down writes the sound value back.
        data.write("ini/splitter.txt", "damaged\r\n");
        // The reader's boxes are written at the end too: its box number out of range reads as
        // box 1, which only that write puts in the file.
        data.write("ini/box_filenames.txt", "\r\n\r\n\r\n\r\n\r\n9\r\n");
        QProcess process;
        startProgram(data, process);
        ASSERT_TRUE(process.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("main_window_shown_ms") && process.waitForReadyRead(20000))
            out += process.readAllStandardOutput();
        ASSERT_TRUE(out.contains("main_window_shown_ms"))
            << process.readAllStandardError().toStdString();

        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(data.bytes("ini/splitter.txt"), QByteArray("57\r\n")) << "signal " << signal;
        EXPECT_TRUE(QFile::exists(data.path("ini/color.txt")));
        EXPECT_EQ(data.bytes("ini/box_filenames.txt"), QByteArray("\r\n\r\n\r\n\r\n\r\n1\r\n"));
    }
}

TEST(Startup, TerminationSignalEndsTheProgramBehindAStartUpBox) {
    // No ini folder: start-up shows "Cannot create file", a modal box nobody answers.
    TempDataFolder data(false);
    QProcess process;
    startProgram(data, process);
    ASSERT_TRUE(process.waitForStarted(10000));
    // Whether the box is already up or not, the signal must end the program.
    QThread::sleep(3);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(15000)) << "still waiting behind a box";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    // What could not be written at shut-down is said where no one needs to answer it.
    EXPECT_TRUE(process.readAllStandardError().contains("splitter.txt"));
}

namespace {
bool waitForWindow(QProcess& process) {
    QByteArray out;
    while (!out.contains("main_window_shown_ms") && process.waitForReadyRead(20000))
        out += process.readAllStandardOutput();
    return out.contains("main_window_shown_ms");
}
} // namespace

TEST(Startup, ASecondCopyOnTheSameFolderEndsAndWritesNothing) {
    TempDataFolder data;
    QProcess first;
    startProgram(data, first);
    ASSERT_TRUE(waitForWindow(first)) << first.readAllStandardError().toStdString();
    data.write("favorites/mine.fvt", "Kept.mp3\r\n");
    data.write("ini/current_favorite.txt", "mine.fvt\r\n");
    const QByteArray split = data.bytes("ini/splitter.txt");

    QProcess second;
    startProgram(data, second);
    ASSERT_TRUE(second.waitForFinished(15000)) << "the second copy stayed";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(second.readAllStandardError().contains("already running"));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(data.bytes("favorites/mine.fvt"), QByteArray("Kept.mp3\r\n"));
    EXPECT_EQ(data.bytes("ini/splitter.txt"), split);

    // A copy that crashed leaves its lock behind; the next start takes it over.
    first.kill();
    first.waitForFinished(10000);
    QProcess third;
    startProgram(data, third);
    EXPECT_TRUE(waitForWindow(third)) << third.readAllStandardError().toStdString();
    third.terminate();
    EXPECT_TRUE(third.waitForFinished(15000));
}
