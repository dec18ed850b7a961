#include "audioengine.h"
#include "qtprinters.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "tempo.h"
#include "textstore.h"

#include "waiting.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;
using hoedeck::testing::waitUntil;

namespace {
QString labelText(const QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
}

QRect panel(const QWidget& window, const char* name) {
    const auto* frame = window.findChild<QFrame*>(name);
    return frame ? frame->geometry() : QRect();
}
} // namespace

TEST(MainWindow, StartsCleanOnAnEmptyIniFolder) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    window.FormCreate();

    EXPECT_TRUE(prompter.shown.isEmpty()) << prompter.shown.join('\n').toStdString();
    EXPECT_EQ(labelText(window, "current_song"), "none");
    EXPECT_EQ(labelText(window, "lbCuedPatter"), "none");
    EXPECT_EQ(labelText(window, "lbCuedSinger"), "none");
    EXPECT_EQ(textstore::readList(data.path("ini/splitter.txt")), QStringList({"57"}));
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(0), "clTeal");
    EXPECT_EQ(textstore::readList(data.path("ini/timer.txt")),
              QStringList({"11", "media/battlow.wav", "on"}));
    EXPECT_EQ(textstore::readList(data.path("ini/times_up.txt")), QStringList({"50"}));

    EXPECT_FALSE(window.ProgresTimer()->isActive());
    EXPECT_EQ(window.ProgresTimer()->interval(), 33);
    EXPECT_TRUE(window.Timer1()->isActive());
    EXPECT_EQ(window.Timer1()->interval(), 100);
    EXPECT_FALSE(window.TimerRec()->isActive());
}

TEST(MainWindow, MissingIniFolderShowsOneErrorAndStillRuns) {
    TempDataFolder data(false);
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    window.FormCreate();
    // Said once, in words; what each file then fails to create follows from it.
    ASSERT_EQ(prompter.shown.size(), 1) << prompter.shown.join('\n').toStdString();
    EXPECT_TRUE(prompter.shown[0].startsWith("Hoedeck cannot save settings in "))
        << prompter.shown[0].toStdString();
    EXPECT_TRUE(prompter.shown[0].endsWith("changes made now will not be kept."));
    // The rest of the loading was skipped, but the sound was opened all the same.
    EXPECT_FALSE(engine.start());
    EXPECT_EQ(engine.errorGetCode(), AudioError::Already);
    // The window still lays itself out and answers its keys.
    window.resize(1000, 800);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window.appearance().split(), 56);
    // Shut-down cannot write the split either; nobody may be there to answer a box then.
    ::testing::internal::CaptureStderr();
    window.FormDestroy();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(prompter.shown.size(), 1) << prompter.shown.join('\n').toStdString();
    EXPECT_NE(said.find("splitter.txt"), std::string::npos) << said;
}

TEST(MainWindow, OneUnreadableSettingsFileLeavesTheRestLoaded) {
    TempDataFolder data;
    data.write("favorites/default.fvt.ptr", "Demo Patter.mp3\r\n");
    QDir().mkpath(data.path("ini/splitter.txt")); // a folder where the split should be
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    window.FormCreate();
    ASSERT_EQ(prompter.shown.size(), 1) << prompter.shown.join('\n').toStdString();
    EXPECT_TRUE(prompter.shown[0].contains("splitter.txt"));
    // Everything after it loaded: the colours, the list and its cue.
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(0), "clTeal");
    EXPECT_EQ(labelText(window, "lbCuedPatter"), "Demo Patter.mp3");
}

TEST(MainWindow, FirstSongsOfTheListAreCuedAtStart) {
    TempDataFolder data;
    data.write("favorites/default.fvt", "Demo Singer.mp3\r\n");
    data.write("favorites/default.fvt.ptr", "Demo Patter.mp3\r\nOther.mp3\r\n");
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    window.FormCreate();
    EXPECT_EQ(labelText(window, "lbCuedPatter"), "Demo Patter.mp3");
    EXPECT_EQ(labelText(window, "lbCuedSinger"), "Demo Singer.mp3");
    EXPECT_EQ(labelText(window, "current_song"), "none"); // cued, not played
}

TEST(MainWindow, PanelGridFollowsTheSplitKeys) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    window.FormCreate();
    window.show();
    window.centralWidget()->setFixedSize(1000, 800);
    QApplication::processEvents();
    window.set_panels();

    EXPECT_EQ(panel(window, "pLeftSide"), QRect(0, 0, 249, 456));
    EXPECT_EQ(panel(window, "Panel7"), QRect(750, 0, 249, 456));
    EXPECT_EQ(panel(window, "Panel12"), QRect(666, 457, 332, 313));
    EXPECT_EQ(panel(window, "panel_progress"), QRect(0, 769, 1000, 31));

    // Ctrl+A gives the top row less room, Ctrl+Shift+A more; even from a text field, whose own
    // Ctrl+A would select all.
    auto* edit = new QLineEdit(window.centralWidget());
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window.appearance().split(), 56);
    EXPECT_EQ(panel(window, "pLeftSide").height(), 448);
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window.appearance().split(), 58);

    window.FormDestroy();
    EXPECT_EQ(textstore::readList(data.path("ini/splitter.txt")), QStringList({"58"}));
}

TEST(MainWindow, MenusHoldOnlyWhatWorks) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    QStringList titles;
    for (QAction* action : window.menuBar()->actions())
        titles << action->text().remove('&');
    EXPECT_EQ(titles,
              QStringList({"File", "Tempo/Pitch", "Fade", "Timer: ON", "Looping", "BPM", "Remote",
                           "Recording", "Play to End", "Color", "History", "Help"}));

    // An editable file that does not exist yet is reported, not handed to an editor.
    window.openIniFile("memorize.txt");
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_TRUE(prompter.shown[0].contains("memorize.txt"));

    // Background: the chosen colour is written and the panels take it.
    window.FormCreate();
    prompter.colors.push_back(color::rgb(0xFF, 0xFF, 0x80));
    window.chooseBackground();
    EXPECT_EQ(textstore::readList(data.path("ini/color.txt")).value(0), "$0080FFFF");
    EXPECT_EQ(window.findChild<QFrame*>("Panel5")->palette().color(QPalette::Window),
              QColor(0xFF, 0xFF, 0x80));
    window.defaultColors();
    EXPECT_EQ(window.findChild<QFrame*>("Panel5")->palette().color(QPalette::Window),
              QColor(0x00, 0x80, 0x80));
}

TEST(MainWindow, IniFilesOpenInTheCallersEditor) {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine(AudioEngine::Output::Offline);
    MainWindow window(data.folder(), prompter, engine);
    // An editor that notes what it was asked to open.
    data.write("editor.sh",
               "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/opened.txt\"\n");
    QFile::setPermissions(data.path("editor.sh"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    data.write("ini/log.txt", "a line\r\n");
    qputenv("VISUAL", data.path("editor.sh").toUtf8());
    window.openIniFile("log.txt");
    qunsetenv("VISUAL");
    EXPECT_TRUE(waitUntil(
        [&] { return data.bytes("opened.txt") == data.path("ini/log.txt").toUtf8() + "\n"; },
        10000));
    EXPECT_TRUE(prompter.shown.isEmpty());
}
