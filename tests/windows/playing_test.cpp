#include "effects.h"
#include "player.h"
#include "progressstrip.h"
#include "songslots.h"
#include "speedmatching.h"
#include "textstore.h"
#include "waiting.h"
#include "windowrig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

using namespace hoedeck;
using namespace hoedeck::testing;

TEST(Playing, DoubleClickInTheFileListPlaysAsASingerWithItsStructure) {
    Window w;
    ASSERT_EQ(w.files()->count(), 2);
    ASSERT_EQ(w.files()->item(1)->text(), "Singer.wav");
    w.doubleClick(w.files(), 1);
    EXPECT_EQ(w.text("current_song"), "Singer.wav");
    EXPECT_TRUE(w.main->ProgresTimer()->isActive());
    EXPECT_TRUE(
        waitUntil([&] { return w.text("Label1").startsWith("00:00   of   00:30(00:30)"); }));
    EXPECT_TRUE(waitUntil([&] { return w.main->findChild<QProgressBar*>("RLed3")->value() > 30; }));
    EXPECT_EQ(w.text("Label3"), "Singer: Intro");
    EXPECT_FALSE(w.main->Timer1()->isActive()); // the tick keeps the clock now
    EXPECT_EQ(w.lyrics.position_counter()->text(), w.text("Label1"));
    EXPECT_EQ(w.lyrics.Label3()->text(), "Singer: Intro");
    // The file information of the song opened, with its size and, once measured, loudness.
    auto* info = w.main->findChild<QListWidget*>("lbInfo");
    ASSERT_EQ(info->count(), 6);
    EXPECT_TRUE(waitUntil([&] { return info->item(5)->text().endsWith(" dB"); }, 60000))
        << info->item(5)->text().toStdString();
    EXPECT_EQ(info->item(0)->text(), "Stereo");
    EXPECT_EQ(info->item(2)->text(), "Freq.: 44100");
    EXPECT_EQ(info->item(3)->text(), "Avg. Bytes/Sec.: 176400");
    EXPECT_TRUE(info->item(4)->text().startsWith("Filesize: "));
    EXPECT_FALSE(w.main->findChild<ProgressStrip*>("panel_progress")->isPatter());
}

TEST(Playing, FavouriteClickCuesAndKeyboardSelectionCues) {
    Window w;
    QListWidget* patter = w.main->findChild<QListWidget*>("lbFavorite_Patter");
    patter->addItems({"Patter.wav", "Missing.mp3"});
    patter->setFocus();
    patter->setCurrentRow(0);
    EXPECT_EQ(w.text("lbCuedPatter"), "Patter.wav");
    auto* info = w.main->findChild<QListWidget*>("lbInfo");
    EXPECT_EQ(info->item(0)->text(), "Stereo");
    QTest::keyClick(patter, Qt::Key_Down);
    EXPECT_EQ(w.text("lbCuedPatter"), "Missing.mp3"); // cued all the same
    ASSERT_EQ(info->count(), 1);
    EXPECT_EQ(info->item(0)->text(), "File not found");
    EXPECT_EQ(w.text("current_song"), "none"); // nothing plays from a click

    // A double click opens the patter with its loop and markers.
    w.doubleClick(patter, 0);
    EXPECT_EQ(w.text("current_song"), "Patter.wav");
    EXPECT_EQ(w.text("Label3"), "Loop at: 00:25");
    EXPECT_TRUE(w.main->findChild<ProgressStrip*>("panel_progress")->isPatter());
    EXPECT_TRUE(w.lyrics.panel_progress()->isPatter());
}

TEST(Playing, PlaylistCuesAndPlaysTheNextSingerWhenOneEnds) {
    Window w;
    QListWidget* singers = w.main->findChild<QListWidget*>("lbFavorite_Singers");
    singers->addItems({"Singer.wav", "Patter.wav"});
    w.main->songSlots().chkPlaylist()->setChecked(true);
    w.doubleClick(singers, 1);
    EXPECT_EQ(w.text("current_song"), "Patter.wav");
    // Stopping the singer: the next tick plays the next one, the first after the last.
    w.main->player().stopEverything();
    EXPECT_TRUE(waitUntil([&] { return w.text("current_song") == "Singer.wav"; }));
    EXPECT_EQ(w.text("lbCuedSinger"), "Singer.wav");
    EXPECT_EQ(singers->currentRow(), 0);
    EXPECT_TRUE(w.main->player().playing);
}

TEST(Playing, TransportKeysWorkFromAnywhereInTheWindow) {
    Window w;
    QListWidget* patter = w.main->findChild<QListWidget*>("lbFavorite_Patter");
    QListWidget* singers = w.main->findChild<QListWidget*>("lbFavorite_Singers");
    patter->addItem("Patter.wav");
    singers->addItem("Singer.wav");
    patter->setCurrentRow(0);
    singers->setCurrentRow(0);
    w.main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));

    // Space starts the cued patter even while a text field has the focus.
    auto* edit = new QLineEdit(w.main->centralWidget());
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Space);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(w.text("current_song"), "Patter.wav");
    EXPECT_TRUE(w.main->player().patterMode);
    QTest::keyClick(edit, Qt::Key_Space);
    EXPECT_FALSE(w.main->player().playing);

    // Control-Space the cued singer, from a list.
    singers->setFocus();
    QTest::keyClick(singers, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(w.text("current_song"), "Singer.wav");
    EXPECT_TRUE(w.main->player().playing);
    QTest::keyClick(singers, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(w.main->player().playing);

    // Control-P and Control-S move the focus to the favourites lists.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(patter->hasFocus());
    QTest::keyClick(patter, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(singers->hasFocus());
}

TEST(Playing, EffectKeysMoveTheSlidersAndBars) {
    Window w;
    w.main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
    w.doubleClick(w.files(), 1); // a singer
    QWidget* focus = w.files();
    focus->setFocus();
    Effects& effects = w.main->effects();
    QTest::keyClick(focus, Qt::Key_T, Qt::ControlModifier); // treble up
    EXPECT_EQ(effects.bars[2], 9);
    EXPECT_EQ(w.text("lbTreb"), "1");
    EXPECT_EQ(w.main->findChild<QSlider*>("vsEQTREBLE")->value(), 9);
    QTest::keyClick(focus, Qt::Key_M, Qt::ControlModifier); // not mid down
    EXPECT_EQ(effects.bars[1], 10);
    QTest::keyClick(focus, Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(effects.bars[1], 11);
    QTest::keyClick(focus, Qt::Key_F4);
    QTest::keyClick(focus, Qt::Key_F4);
    EXPECT_EQ(w.text("lblTempo"), "Tempo = 2");
    EXPECT_EQ(w.main->findChild<QSlider*>("tbTempo")->value(), 2);
    QTest::keyClick(focus, Qt::Key_F6);
    EXPECT_EQ(w.text("lblPitch"), "Pitch Scaling = 1 semitones");
    // Moving the slider by hand runs the same change.
    w.main->findChild<QSlider*>("tbTempo")->setValue(-5);
    EXPECT_EQ(effects.tbTempo, -5);
    QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(effects.tbTempo, 0);
    EXPECT_EQ(effects.bars, (std::array<int, 3>{10, 10, 10}));
    EXPECT_EQ(w.text("lblVolume"), "Volume = 50");
}

TEST(Playing, LoopPanelShowsTheMarksAndTakesOnlyNumbers) {
    Window w;
    w.main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
    QListWidget* patter = w.main->findChild<QListWidget*>("lbFavorite_Patter");
    patter->addItem("Patter.wav");
    w.doubleClick(patter, 0);
    QTest::keyClick(w.main.get(), Qt::Key_L, Qt::ControlModifier);
    auto* start = w.main->findChild<QLineEdit*>("eLoop_Start");
    auto* end = w.main->findChild<QLineEdit*>("eLoop_End");
    ASSERT_TRUE(start->isVisible());
    EXPECT_EQ(start->text(), "15");
    EXPECT_EQ(end->text(), "25");
    auto* both = w.main->findChild<QPushButton*>("both_back_little");
    QTest::mouseClick(both, Qt::LeftButton);
    EXPECT_EQ(start->text(), "14.95");
    EXPECT_EQ(end->text(), "24.99");
    // Typing: digits and the point only; the space still belongs to the cued patter.
    start->setFocus();
    start->selectAll();
    QTest::keyClicks(start, "1a2,.5");
    EXPECT_EQ(start->text(), "12.5");
    EXPECT_EQ(w.main->player().eLoop_Start, "12.5");
    start->clear();
    start->insert("13,5"); // pasted: the ',' becomes '.'
    EXPECT_EQ(w.main->player().eLoop_Start, "13.5");
    QTest::keyClick(w.main.get(), Qt::Key_F7);
    EXPECT_TRUE(w.main->player().playToEnd);
    QTest::keyClick(w.main.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_FALSE(w.main->player().playToEnd);
    QTest::keyClick(w.main.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_FALSE(start->isVisible());
}

TEST(Playing, ChoosingAFavouritesListShowsItsHalves) {
    Window w;
    w.data.write("favorites/Saturday.fvt", "Singer.wav\r\n");
    w.data.write("favorites/Saturday.fvt.ptr", "Patter.wav\r\n");
    w.data.write("favorites/default.fvt", "");
    w.main->showFavorites();
    auto* files = w.main->findChild<QListWidget*>("FileListBox2");
    ASSERT_EQ(files->count(), 2);
    EXPECT_EQ(w.text("lbCurrent_Favorites"), "default.fvt");
    files->setCurrentRow(files->row(files->findItems("Saturday.fvt", Qt::MatchExactly).first()));
    EXPECT_EQ(w.text("lbCurrent_Favorites"), "Saturday.fvt");
    EXPECT_EQ(w.main->findChild<QListWidget*>("lbFavorite_Patter")->item(0)->text(), "Patter.wav");
    EXPECT_EQ(w.text("lSingersCaption"), "Singers: 1");
    EXPECT_EQ(textstore::readList(w.data.path("ini/current_favorite.txt")).value(0),
              "Saturday.fvt");
}

TEST(Playing, SettingsAreRememberedAndThePresetBoxTakesItsKeys) {
    Window w;
    w.main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.main.get()));
    auto* box = w.main->findChild<QComboBox*>("cbEQ");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), "Flat");
    QTest::keyClick(box, Qt::Key_B, Qt::ControlModifier); // bass up
    EXPECT_EQ(box->currentText(), "User");

    // Enter saves the gains under the typed name; Delete takes the preset away again.
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, "Hall");
    w.prompter.yesNo = {false, true};
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(textstore::readList(w.data.path("ini/EQ_presets.txt")),
              QStringList({"Hall|9|10|10"}));
    EXPECT_EQ(box->itemText(6), "Hall");
    EXPECT_EQ(box->currentText(), "Hall");
    QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(box->count(), 6);
    EXPECT_EQ(box->currentText(), "Flat");

    // A patter started with Space shows its measured speed; the Space stop remembers it.
    w.main->player().lbCuedPatter = "Patter.wav";
    QTest::keyClick(w.files(), Qt::Key_Space);
    w.main->speedMatching().waitForDetection();
    QCoreApplication::processEvents();
    const double detected = w.text("finalBPM").toDouble();
    EXPECT_NEAR(detected, 125, 0.5);
    QTest::keyClick(w.files(), Qt::Key_F4);
    // One step plays the patter about 0.28 % faster, and the label says so.
    EXPECT_NEAR(w.text("lbBPM").toDouble(), detected * 1.0028, 0.02);
    QTest::keyClick(w.files(), Qt::Key_Space);
    EXPECT_TRUE(textstore::readList(w.data.path("ini/memorize.txt"))
                    .value(0)
                    .startsWith("Patter.wav|15|25|1|0|"));
    QTest::keyClick(w.files(), Qt::Key_G, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(textstore::readList(w.data.path("ini/goldmem.txt"))
                    .value(0)
                    .startsWith("Patter.wav|15|25|1|0|"));

    // The override is one choice of nine.
    QMenu* override = w.main->findChild<QMenu*>("Override1");
    ASSERT_NE(override, nullptr);
    override->actions().at(2)->trigger();
    EXPECT_EQ(w.main->speedMatching().overrideBpm(), 125);
    EXPECT_EQ(override->actions().at(2)->isChecked(), true);
    EXPECT_EQ(override->actions().at(8)->isChecked(), false);
}
