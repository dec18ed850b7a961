// The recording panel in the main window: the "Recording" menu, F8, the red clock, the
// recorder tick that the progress tick switches, and a take kept when the program ends.

#include "../recording/voice.h"
#include "decodedsound.h"
#include "recorder.h"
#include "recordingpanel.h"
#include "waiting.h"
#include "windowrig.h"
#include "windowset.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
struct RecordingWindow : Voice, Window {
    RecordingPanel* panel() { return main->findChild<RecordingPanel*>("Panel8"); }
    QPushButton* button(const char* name) { return panel()->findChild<QPushButton*>(name); }
    QLabel* clocker() { return main->findChild<QLabel*>("clocker"); }
    void menu() {
        for (QAction* action : main->menuBar()->actions())
            if (action->text() == "Recording")
                action->trigger();
    }
    void f8() { QTest::keyClick(main.get(), Qt::Key_F8); }
    QString take(const QString& name, int counter) {
        return Recorder::takeFileName(data.folder(), QDate::currentDate(), name, counter);
    }
};
} // namespace

TEST(RecordingPanel, TheMenuShowsThePanelOverTheMusicFoldersAndTheLoopPanelGivesWay) {
    RecordingWindow w;
    RecordingPanel* panel = w.panel();
    ASSERT_TRUE(panel);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(panel->recorder().isInitialised());
    QTest::keyClick(w.main.get(), Qt::Key_L, Qt::ControlModifier);
    QWidget* loop = w.main->findChild<QWidget*>("LoopPanel");
    ASSERT_TRUE(loop->isVisible());

    w.menu();
    EXPECT_FALSE(loop->isVisible());
    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->recorder().isInitialised());
    EXPECT_EQ(panel->geometry().topLeft(), w.main->findChild<QFrame*>("pRight")->pos());
    auto* inputs = panel->findChild<QComboBox*>("cbInput");
    ASSERT_EQ(inputs->count(), 1);
    EXPECT_EQ(inputs->currentText(), "voice.wav");
    EXPECT_EQ(panel->findChild<QSlider*>("tbLevel")->value(), 100);
    EXPECT_EQ(panel->findChild<QLabel*>("lLevel")->text(), "wave/pcm");
    EXPECT_FALSE(w.button("bPlay")->isEnabled());
    EXPECT_EQ(w.main->TimerRec()->interval(), 200);
    // It takes the panels' colour.
    EXPECT_EQ(panel->palette().color(QPalette::Window),
              w.main->findChild<QFrame*>("Panel5")->palette().color(QPalette::Window));
    w.menu();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(w.prompter.shown.isEmpty()) << qPrintable(w.prompter.shown.join(" | "));
}

TEST(RecordingPanel, F8InitialisesThenRecordsTwoTakesWithTheClockRedMeanwhile) {
    SKIP_WITHOUT_LAME();
    RecordingWindow w;
    w.f8();
    Recorder& r = w.panel()->recorder();
    EXPECT_TRUE(r.isInitialised());
    EXPECT_FALSE(r.recording());
    EXPECT_FALSE(w.panel()->isVisible());

    w.menu();
    w.prompter.inputs = {QString("Dance")};
    QTest::mouseClick(w.button("btRecordName"), Qt::LeftButton);
    EXPECT_EQ(w.button("btRecordName")->text(), "Dance");
    for (int take = 0; take < 2; ++take) {
        w.f8();
        ASSERT_TRUE(r.recording());
        EXPECT_EQ(w.button("bRecord")->text(), "Stop Rec.");
        EXPECT_EQ(w.clocker()->palette().color(QPalette::WindowText), QColor(Qt::red));
        QTest::qWait(400);
        QTest::mouseClick(w.button("bRecord"), Qt::LeftButton);
        EXPECT_FALSE(r.recording());
        EXPECT_EQ(w.button("bRecord")->text(), "Record");
        EXPECT_NE(w.clocker()->palette().color(QPalette::WindowText), QColor(Qt::red));
        EXPECT_TRUE(QFileInfo::exists(w.take("Dance", take))) << take;
    }
    EXPECT_TRUE(w.button("bPlay")->isEnabled());
    QTest::mouseClick(w.button("bPlay"), Qt::LeftButton);
    EXPECT_EQ(w.button("bPlay")->text(), "Stop");
    EXPECT_TRUE(r.playbackActive());
    QTest::mouseClick(w.button("bPlay"), Qt::LeftButton);
    EXPECT_EQ(w.button("bPlay")->text(), "Play");
    EXPECT_TRUE(w.prompter.shown == QStringList{"Please enter the filename:"})
        << qPrintable(w.prompter.shown.join(" | "));
}

TEST(RecordingPanel, TheProgressTickRunsTheRecorderTickWhileThePanelShowsAndNothingPlaysBack) {
    SKIP_WITHOUT_LAME();
    RecordingWindow w;
    QTimer* rec = w.main->TimerRec();
    w.menu();
    w.f8();
    QTest::qWait(300);
    // No song opened yet: no progress tick, so no recorder tick either.
    EXPECT_FALSE(rec->isActive());
    EXPECT_EQ(w.panel()->findChild<QLabel*>("stStatus")->text(), "");
    w.doubleClick(w.files(), 0);
    ASSERT_TRUE(waitUntil([&] { return rec->isActive(); }));
    ASSERT_TRUE(waitUntil(
        [&] { return w.panel()->findChild<QLabel*>("stStatus")->text().toLongLong() > 0; }));
    w.f8();
    // Hidden panel: the recorder tick stops.
    w.menu();
    ASSERT_TRUE(waitUntil([&] { return !rec->isActive(); }));
    // Shown again, and off while the last take plays back.
    w.menu();
    ASSERT_TRUE(waitUntil([&] { return rec->isActive(); }));
    QTest::mouseClick(w.button("bPlay"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !rec->isActive(); }));
    ASSERT_TRUE(waitUntil([&] { return rec->isActive(); }, 3000)); // the take has played
    ASSERT_TRUE(waitUntil([&] { return w.button("bPlay")->text() == "Play"; }));
}

TEST(RecordingPanel, QuittingDuringATakeLeavesAPlayableTake) {
    SKIP_WITHOUT_LAME();
    Voice voice;
    TempDataFolder data;
    double recorded = 0;
    {
        WindowSet windows(data.folder());
        windows.main()->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.main()));
        QTest::keyClick(windows.main(), Qt::Key_F8);
        QTest::keyClick(windows.main(), Qt::Key_F8);
        Recorder& r = windows.main()->findChild<RecordingPanel*>("Panel8")->recorder();
        ASSERT_TRUE(r.recording());
        QTest::qWait(700);
        recorded = double(r.recordedBytes()) / 4 / 44100;
    }
    const QString take = Recorder::takeFileName(data.folder(), QDate::currentDate(), "Filename", 0);
    const std::vector<float> sound = decodeSound(take);
    EXPECT_NEAR(double(sound.size() / 2) / 44100, recorded, 0.1);
    EXPECT_NEAR(toneFrequency(sound, 2000, sound.size() / 2 - 2000), kVoiceHz, 0.5);
}
