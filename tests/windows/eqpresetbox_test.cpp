#include "dialogprompter.h"
#include "effects.h"
#include "eqpresetbox.h"
#include "eqpresets.h"
#include "playerrig.h"
#include "qtprinters.h"
#include "textstore.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <deque>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

using Gains = std::array<int, 3>;

// The preset box in a window of its own with somewhere else to go, its messages in the real
// dialogs: a dialog takes the focus from the box as it opens, as it does for the caller. Each
// dialog is answered as it appears, and what it said is kept with the gains of that moment.
struct PresetBox : PlayerRig {
    Effects effects{engine, player};
    QWidget window;
    DialogPrompter dialogs{&window};
    EqPresets presets{data.folder(), dialogs, effects};
    EqPresetBox* box = new EqPresetBox(presets, dialogs, &window);
    QLineEdit* elsewhere = new QLineEdit(&window);
    QStringList seen;
    std::vector<Gains> gainsSeen;
    std::deque<bool> answers;
    QTimer answering;

    PresetBox() {
        data.write("ini/EQ_presets.txt", "Hall|7|10|12\r\nBarn|3|10|10\r\n");
        presets.load_user_EQ_presets();
        effects.check_for_presets = [this] { presets.check_for_presets(); };
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(elsewhere);
        QObject::connect(&answering, &QTimer::timeout, [this] { answer(); });
        answering.start(10);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        effects.setBar(0, 9); // the caller's own gains, named "User"
    }
    void answer() {
        auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        seen << dialog->text();
        gainsSeen.push_back(effects.bars);
        QAbstractButton* button = dialog->button(QMessageBox::Ok);
        if (!button) {
            const bool yes = !answers.empty() && answers.front();
            if (!answers.empty())
                answers.pop_front();
            button = dialog->button(yes ? QMessageBox::Yes : QMessageBox::No);
        }
        button->click();
    }
    void type(const QString& text) {
        // The window is active again once a dialog has gone.
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
    }
    void choose(const QString& entry) {
        box->showPopup();
        QAbstractItemView* list = box->view();
        const QModelIndex index = list->model()->index(box->findText(entry), 0);
        const QPoint at = list->visualRect(index).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList presetFile() { return textstore::readList(data.path("ini/EQ_presets.txt")); }
};

const QString kNotUnique = QStringLiteral("You must use a unique name");
const QString kDefaultQuestion =
    QStringLiteral("Do you want this to be the default setting for mp3s which have no EQ "
                   "settings saved?");

} // namespace

TEST(EqPresetBox, ATypedNameIsANameToSaveNeverAPresetToApply) {
    PresetBox b;
    ASSERT_EQ(b.box->currentText(), "User");

    // The name of a preset of the caller's, in other case: refused, and the gains were the
    // caller's own when the refusal appeared and after it.
    b.type("hall");
    QTest::keyClick(b.box, Qt::Key_Return);
    EXPECT_EQ(b.seen, QStringList({kNotUnique, kDefaultQuestion}));
    EXPECT_EQ(b.gainsSeen.front(), (Gains{9, 10, 10}));
    EXPECT_EQ(b.effects.bars, (Gains{9, 10, 10}));
    EXPECT_EQ(b.presetFile(), QStringList({"Hall|7|10|12", "Barn|3|10|10"}));

    // A built-in name, exactly: the refusal alone.
    b.seen.clear();
    b.type("Bass");
    QTest::keyClick(b.box, Qt::Key_Enter);
    EXPECT_EQ(b.seen, QStringList({kNotUnique}));
    EXPECT_EQ(b.effects.bars, (Gains{9, 10, 10}));

    // Leaving the box with a preset's name typed in it applies nothing either, and the name
    // is still there to be saved or changed.
    b.seen.clear();
    b.type("Barn");
    b.elsewhere->setFocus();
    QCoreApplication::processEvents();
    EXPECT_TRUE(b.elsewhere->hasFocus());
    EXPECT_EQ(b.effects.bars, (Gains{9, 10, 10}));
    EXPECT_EQ(b.box->currentText(), "Barn");
    EXPECT_TRUE(b.seen.isEmpty()) << b.seen.join('\n').toStdString();

    // A name of its own is saved, and the box names it.
    b.type("Gym");
    QTest::keyClick(b.box, Qt::Key_Return);
    EXPECT_EQ(b.seen, QStringList({"Gym has been added to your EQ presets", kDefaultQuestion}));
    EXPECT_EQ(b.presetFile(), QStringList({"Hall|7|10|12", "Barn|3|10|10", "Gym|9|10|10"}));
    EXPECT_EQ(b.box->currentText(), "Gym");

    // Only a choice from the list applies a preset, whatever was typed before.
    b.type("Ha");
    b.choose("Hall");
    EXPECT_EQ(b.effects.bars, (Gains{7, 10, 12}));
    EXPECT_EQ(b.box->currentText(), "Hall");
    b.choose("Bass");
    EXPECT_EQ(b.effects.bars, (Gains{4, 10, 10}));
}

TEST(EqPresetBox, DeleteActsOnTheNameTheBoxShows) {
    PresetBox b;
    b.choose("Hall");
    ASSERT_EQ(b.box->currentText(), "Hall");

    // Another preset's name typed over the chosen one: that preset is the one asked about.
    b.type("barn");
    b.answers = {true};
    QTest::keyClick(b.box, Qt::Key_Delete);
    EXPECT_EQ(b.seen, QStringList({"Delete Barn from your EQ presets now?"}));
    EXPECT_EQ(b.presetFile(), QStringList({"Hall|7|10|12"}));
    EXPECT_EQ(b.box->count(), 7);
    EXPECT_EQ(b.box->currentText(), "Flat");
    EXPECT_EQ(b.effects.bars, (Gains{7, 10, 12}));

    // A name that is no preset, and a built-in one, are refused and nothing goes.
    b.seen.clear();
    b.type("Nothing");
    QTest::keyClick(b.box, Qt::Key_Delete);
    b.type("treble");
    QTest::keyClick(b.box, Qt::Key_Delete);
    EXPECT_EQ(b.seen, QStringList({"Nothing is not one of your EQ presets",
                                   "You can't delete Hoedeck's presets!"}));
    EXPECT_EQ(b.presetFile(), QStringList({"Hall|7|10|12"}));

    // The chosen preset itself, as the box shows it.
    b.seen.clear();
    b.choose("Hall");
    b.answers = {true};
    QTest::keyClick(b.box, Qt::Key_Delete);
    EXPECT_EQ(b.seen, QStringList({"Delete Hall from your EQ presets now?"}));
    EXPECT_EQ(b.presetFile(), QStringList({"none"}));
    EXPECT_EQ(b.box->count(), 6);
}
