// The transport and the displays as a caller meets them: the real keys and buttons of the main
// window on the silent real-time output.

#include "effects.h"
#include "effectsview.h"
#include "looppanel.h"
#include "player.h"
#include "progressstrip.h"
#include "songslots.h"
#include "waiting.h"
#include "windowrig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <cstdio>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

// Cues the patter and the singer as a click on the favourites lists does.
void cueBoth(Window& w) {
    auto* patter = w.main->findChild<QListWidget*>("lbFavorite_Patter");
    auto* singers = w.main->findChild<QListWidget*>("lbFavorite_Singers");
    patter->addItem("Patter.wav");
    singers->addItem("Singer.wav");
    patter->setCurrentRow(0);
    singers->setCurrentRow(0);
    ASSERT_EQ(w.text("lbCuedPatter"), "Patter.wav");
    ASSERT_EQ(w.text("lbCuedSinger"), "Singer.wav");
}

QPushButton* button(Window& w, const char* name) {
    auto* b = w.main->findChild<QPushButton*>(name);
    EXPECT_NE(b, nullptr) << name;
    return b;
}

double singerSeconds(Window& w) {
    return w.main->player().position();
}

bool singerSounds(Window& w) {
    const Handle h = w.main->player().streams.singerTempo;
    return w.engine.channelIsActive(w.engine.tempoGetResampledHandle(h));
}

} // namespace

TEST(Transport, PositionCommandsMoveAStoppedSingerWithoutStartingIt) {
    Window w;
    cueBoth(w);
    QTest::keyClick(w.main.get(), Qt::Key_Space, Qt::ControlModifier);
    ASSERT_EQ(w.text("current_song"), "Singer.wav");
    ASSERT_TRUE(waitUntil([&] { return singerSeconds(w) > 0.3; }));
    QTest::keyClick(w.main.get(), Qt::Key_F2); // stop; the position stays
    ASSERT_FALSE(w.main->player().playing);
    const double stoppedAt = singerSeconds(w);

    w.main->toggleLoopPanel();
    button(w, "increase_position")->click();
    EXPECT_NEAR(singerSeconds(w), stoppedAt + 15, 0.05);
    QTest::qWait(150);
    EXPECT_FALSE(singerSounds(w)) << "a position command started the stopped singer";
    EXPECT_FALSE(w.main->player().playing);
    button(w, "btnTest_Loop")->click(); // a singer's loop end is 300: 295 s is past its end
    button(w, "decrease_position")->click();
    button(w, "lGo_Begin_15")->click();
    EXPECT_NEAR(singerSeconds(w), 15, 0.05);
    QTest::qWait(100);
    EXPECT_FALSE(singerSounds(w));

    // F2 resumes where the commands left it; the song is not opened again.
    QTest::keyClick(w.main.get(), Qt::Key_F2);
    EXPECT_TRUE(w.main->player().playing);
    EXPECT_TRUE(waitUntil([&] { return singerSeconds(w) > 15.2; }));
    QTest::keyClick(w.main.get(), Qt::Key_F2);
    EXPECT_FALSE(w.main->player().playing);

    // "15 seconds from end" is the one that plays, and then the playing flag says so.
    button(w, "bGo_End_15")->click();
    EXPECT_TRUE(w.main->player().playing);
    EXPECT_TRUE(waitUntil([&] { return singerSounds(w) && singerSeconds(w) > 15.1; }));
    EXPECT_GE(singerSeconds(w), 14.9);
    QTest::keyClick(w.main.get(), Qt::Key_F2); // a stop, not a reopen from the top
    EXPECT_FALSE(w.main->player().playing);
    EXPECT_GT(singerSeconds(w), 15);
}

TEST(Transport, AltFFadesAndTheResumeAfterAFadeIsHeardAtTheSlidersLevel) {
    Window w;
    cueBoth(w);
    for (QAction* menu : w.main->menuBar()->actions())
        EXPECT_NE(menu->text(), "&File") << "Alt-F would open the menu instead of fading";
    w.main->effects().setVolume(80);
    QTest::keyClick(w.main.get(), Qt::Key_Space);
    const Handle copyA = w.main->player().streams.copyA;
    ASSERT_TRUE(w.engine.channelIsActive(copyA));
    QTest::keyClick(w.main.get(), Qt::Key_F, Qt::AltModifier);
    AudioEngine::Slide slide;
    ASSERT_TRUE(w.engine.channelGetSlide(copyA, slide));
    EXPECT_TRUE(slide.stops);

    // A short fade to its end, then F2.
    w.main->player().fadeOut(60);
    ASSERT_TRUE(waitUntil([&] { return !w.engine.channelIsActive(copyA); }));
    ASSERT_TRUE(waitUntil([&] { return !w.main->player().playing; }));
    QTest::keyClick(w.main.get(), Qt::Key_F2);
    EXPECT_TRUE(w.engine.channelIsActive(copyA));
    AudioEngine::Attributes now;
    ASSERT_TRUE(w.engine.channelGetAttributes(copyA, now));
    EXPECT_EQ(now.volume, 80) << "resumed in the silence the fade left";
}

TEST(Transport, SwitchToPatterReachesItsCommandFromTheLoopMarksAndThePresetBox) {
    Window w;
    cueBoth(w);
    w.main->toggleLoopPanel();
    auto* start = w.main->findChild<LoopPanel*>()->eLoop_Start();
    auto* presets = w.main->findChild<QComboBox*>("cbEQ");
    ASSERT_NE(presets, nullptr);
    for (QWidget* focused : std::initializer_list<QWidget*>{start, presets}) {
        QTest::keyClick(w.main.get(), Qt::Key_Space, Qt::ControlModifier);
        ASSERT_EQ(w.text("current_song"), "Singer.wav");
        focused->setFocus();
        // ">" as a keyboard sends it: the symbol with Shift held.
        QTest::keyClick(focused, Qt::Key_Greater, Qt::ShiftModifier, 0);
        EXPECT_EQ(w.text("current_song"), "Patter.wav") << focused->objectName().toStdString();
        EXPECT_TRUE(w.main->player().patterMode);
        QTest::keyClick(w.main.get(), Qt::Key_Space); // stop
    }
    EXPECT_EQ(start->text(), w.main->player().eLoop_Start); // the new song's mark, focused or not
}

TEST(Transport, StatusLineShowsPlayingToEndAndTheMarksInForce) {
    Window w;
    cueBoth(w);
    QTest::keyClick(w.main.get(), Qt::Key_Space);
    ASSERT_EQ(w.text("Label3"), "Loop at: 00:25");
    QTest::keyClick(w.main.get(), Qt::Key_F7);
    EXPECT_TRUE(waitUntil([&] { return w.text("Label3") == "Playing to end"; }))
        << "a patter with no singer opened before it";
    QTest::keyClick(w.main.get(), Qt::Key_F7);
    EXPECT_EQ(w.text("Label3"), "Loop at: 00:25");

    // A mark changed while the patter plays: the line and the strip's markers follow at once.
    auto* strip = w.main->findChild<ProgressStrip*>("panel_progress");
    const int endMarker = strip->patter_progress()->width();
    w.main->toggleLoopPanel();
    button(w, "bGoto_End")->click(); // the loop end back to 300, past this 40 s song
    EXPECT_EQ(w.text("Label3"), "Loop at: 05:00");
    EXPECT_EQ(w.lyrics.Label3()->text(), "Loop at: 05:00");
    EXPECT_LT(strip->patter_progress()->width(), endMarker);
}

TEST(Transport, PlaylistOfMissingSongsShowsOneBoxAtATime) {
    Window w;
    auto* singers = w.main->findChild<QListWidget*>("lbFavorite_Singers");
    singers->addItems({"Singer.wav", "Gone 1.mp3", "Gone 2.mp3"});
    w.doubleClick(singers, 0);
    w.main->songSlots().chkPlaylist()->setChecked(true);
    w.prompter.modalMs = 400; // each box stays open while the 33 ms tick goes on
    const auto before = w.prompter.shown.size();
    w.main->player().stopEverything();
    QTest::qWait(1500);
    const QStringList boxes = w.prompter.shown.mid(before);
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_EQ(boxes.size(), 1) << boxes.join('\n').toStdString();
    EXPECT_TRUE(boxes[0].contains("Gone 1.mp3"));
    EXPECT_FALSE(w.main->songSlots().chkPlaylist()->isChecked());
}

TEST(Transport, SingerDisplaysFollowPlaybackAndTempo) {
    Window w;
    cueBoth(w);
    QTest::keyClick(w.main.get(), Qt::Key_Space, Qt::ControlModifier);
    auto* bar = w.main->findChild<QSlider*>("hsPosition");
    auto* position = w.main->findChild<QLabel*>("lblPosition");
    EXPECT_TRUE(waitUntil([&] { return bar->value() >= 1; }, 4000)) << "the bar stood still";
    EXPECT_TRUE(position->text().endsWith("/ 00:30")) << position->text().toStdString();
    w.main->effects().setTempo(50); // half again as fast: 30 s of song play in 20
    EXPECT_TRUE(waitUntil([&] { return position->text().endsWith("/ 00:20"); }))
        << position->text().toStdString();
    // The hidden "of", the second percent bar and their mirrors.
    EXPECT_EQ(w.text("lOf"), "of");
    EXPECT_TRUE(waitUntil([&] { return w.lyrics.lOf()->text() == "of"; }));
    auto* percent1 = w.main->findChild<QProgressBar*>("RVProgressBar1");
    ASSERT_NE(percent1, nullptr);
    EXPECT_TRUE(waitUntil([&] { return percent1->value() > 0; }, 4000));
    EXPECT_EQ(percent1->value(), w.main->findChild<QProgressBar*>("RVProgressBar2")->value());
}

TEST(Transport, ButtonsRunTheKeysCommands) {
    Window w;
    cueBoth(w);
    QPushButton* patter = button(w, "btnPatter");
    EXPECT_TRUE(patter->toolTip().contains("(Space)"));
    EXPECT_EQ(patter->focusPolicy(), Qt::NoFocus);
    patter->click();
    EXPECT_EQ(w.text("current_song"), "Patter.wav");
    EXPECT_TRUE(w.main->player().playing);
    button(w, "btnResume")->click();
    EXPECT_FALSE(w.main->player().playing);
    button(w, "btnResume")->click();
    EXPECT_TRUE(w.main->player().playing);
    button(w, "btnFade")->click();
    AudioEngine::Slide slide;
    ASSERT_TRUE(w.engine.channelGetSlide(w.main->player().streams.copyA, slide));
    EXPECT_TRUE(slide.stops);
    button(w, "btnSinger")->click(); // stops what plays, as Control-Space does
    EXPECT_FALSE(w.main->player().playing);
    button(w, "btnSinger")->click();
    EXPECT_EQ(w.text("current_song"), "Singer.wav");
}

TEST(Transport, VolumeSliderMovesTheEqualiserByTwentyPixels) {
    Window w;
    auto* bass = w.main->findChild<QSlider*>("vsEQBASS");
    const int before = bass->mapTo(w.main.get(), QPoint()).y();
    QTest::keyClick(w.main.get(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(w.main->findChild<QSlider*>("tbVolume")->isVisible());
    EXPECT_EQ(bass->mapTo(w.main.get(), QPoint()).y(), before + 20);
    QTest::keyClick(w.main.get(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_EQ(bass->mapTo(w.main.get(), QPoint()).y(), before);
}

TEST(Transport, DefaultColoursRepaintTheLyricsWindow) {
    Window w;
    w.prompter.colors.push_back(ColorValue(0xff0000));
    w.main->chooseBackground();
    const QColor chosen = w.lyrics.palette().color(QPalette::Window);
    w.main->defaultColors();
    EXPECT_NE(w.lyrics.palette().color(QPalette::Window), chosen);
    EXPECT_EQ(w.lyrics.palette().color(QPalette::Window),
              w.main->findChild<QFrame*>("Panel7")->palette().color(QPalette::Window));
}
