// The reader as a caller uses it: an Sd file imported, its cards opened in a box and walked
// with the keys, a card commented, a dance saved and opened after a restart.

#include "cardbrowser.h"
#include "previewbox.h"
#include "reader.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace hoedeck;
using hoedeck::testing::ScriptedPrompter;
using hoedeck::testing::TempDataFolder;

namespace {

QByteArray sdFile(int sequences) {
    QByteArray out = "\n";
    for (int i = 0; i < sequences; ++i)
        out += "\f\nSat Nov 14 19:32:11 2026     Sd39.82:db39.82     Plus\n\n"
               "HEADS square thru 4  (" +
               QByteArray::number(i) +
               ")\n\n    4B>   3G<\n\nswing thru\n\n  Warning: odd\nboys run\n\n"
               "right and left grand  (at home)\n";
    return out;
}

struct Reader {
    TempDataFolder data;
    ScriptedPrompter prompter;
    std::unique_ptr<ReaderWindow> window;

    Reader() { start(); }
    void start() {
        window = std::make_unique<ReaderWindow>(data.folder(), prompter);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QTest::keyClick(focus, Qt::Key(key), modifiers);
    }
    QString selected() const {
        const QListWidgetItem* item = window->ListBox2()->currentItem();
        return item ? item->text() : QString();
    }
};

} // namespace

TEST(Reader, ImportedCardsAreWalkedWithTheKeysWhateverHasTheFocus) {
    Reader r;
    r.data.write("dance1.sd", sdFile(3));
    r.prompter.files.push_back(r.data.path("dance1.sd"));
    r.prompter.inputs.push_back(std::nullopt); // the folder box dismissed: its offer is taken
    r.window->importCards(reader::ImportFormat::Sd);
    EXPECT_EQ(r.prompter.shown, QStringList({"Please enter the name of the new folder: "}));
    QListWidget* files = r.window->browser()->FileListBox1();
    ASSERT_EQ(files->count(), 3);
    EXPECT_EQ(files->item(0)->text(), "seq_000.txt");

    // A double click in the browser's list (shown in the Create-a-Dance panel) fills the
    // first empty box.
    r.window->setCreateADance(true);
    ASSERT_TRUE(files->isVisible());
    QApplication::processEvents();
    const QPoint second = files->visualItemRect(files->item(1)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, second);
    ASSERT_TRUE(r.window->desk().box(1).holdsCard());
    r.key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(r.window->positionLabel()->text(), "2 of 3");
    r.key(Qt::Key_Down);
    EXPECT_EQ(r.selected(), "HEADS square thru 4  (1)");
    r.key(Qt::Key_Down); // past the picture line
    EXPECT_EQ(r.selected(), "swing thru");
    r.key(Qt::Key_Down); // past the warning
    EXPECT_EQ(r.selected(), "boys run");
    r.key(Qt::Key_PageDown);
    EXPECT_EQ(r.window->desk().viewCaption(), "dance1.sd/seq_002.txt");
    EXPECT_EQ(r.window->previewBox(1)->title(), "dance1.sd/seq_002.txt");
    EXPECT_EQ(r.window->positionLabel()->text(), "3 of 3");

    // The keys are the window's even with the focus in a preview box.
    r.window->previewBox(1)->list()->setFocus();
    r.key(Qt::Key_PageUp);
    EXPECT_EQ(r.window->desk().viewCaption(), "dance1.sd/seq_001.txt");
    r.key(Qt::Key_3, Qt::ControlModifier); // an empty box
    EXPECT_EQ(r.prompter.shown.last(), "There doesn't seem to be anything in that box");
    EXPECT_EQ(r.window->desk().current(), 1);
}

TEST(Reader, TheCardEditorSavesWithCtrlWAndEscLeavesTheCardAsItWas) {
    Reader r;
    r.data.write("cards/d/seq_000.txt", "first call\r\nsecond call\r\n");
    r.window->desk().loadBox(1, r.data.path("cards/d/seq_000.txt"));
    r.key(Qt::Key_1, Qt::ControlModifier);
    r.window->editCard();
    QPlainTextEdit* editor = r.window->Memo1();
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClicks(editor, "my ");
    r.key(Qt::Key_Space); // a space typed, not a command
    r.key(Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(r.data.bytes("cards/d/seq_000.txt"), QByteArray("first call\r\nsecond call\r\n"));

    r.window->editCard();
    QTest::keyClicks(editor, "my");
    r.key(Qt::Key_Space);
    r.key(Qt::Key_Down); // the caret to the next line's start
    QTest::keyClicks(editor, "then ");
    r.key(Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(r.data.bytes("cards/d/seq_000.txt"),
              QByteArray("my first call\r\nthen second call\r\n"));
    EXPECT_EQ(r.selected(), "then second call");

    r.window->comment("Comment: Bad Flow");
    EXPECT_EQ(r.window->desk().box(1).lines.first(), "Comment: Bad Flow");
}

TEST(Reader, BoxesAndDancesSurviveARestart) {
    Reader r;
    r.data.write("cards/d/seq_000.txt", "a\r\n");
    r.data.write("cards/d/seq_001.txt", "b\r\n");
    r.data.write("cards/e/seq_000.txt", "c\r\n");
    r.window->desk().loadBox(2, r.data.path("cards/d/seq_001.txt"));
    r.window->desk().loadBox(4, r.data.path("cards/e/seq_000.txt"));
    r.window->showBox(4);
    r.prompter.files.push_back(r.data.path("ini/evening")); // ".dnc" is added
    r.window->saveAsDance();
    EXPECT_EQ(r.window->browser()->FileListBox2()->count(), 1);
    r.window->close(); // the reader's own close writes its boxes

    r.window->clearAllPreviews();
    r.window.reset();
    r.start();
    EXPECT_EQ(r.window->desk().current(), 4);
    EXPECT_TRUE(r.window->desk().box(2).holdsCard());
    EXPECT_FALSE(r.window->desk().box(1).holdsCard());
    EXPECT_TRUE(r.window->previewBox(4)->isVisible());
    EXPECT_FALSE(r.window->previewBox(1)->isVisible());
    EXPECT_EQ(r.window->desk().viewCaption(), "e/seq_000.txt");

    // The dance opened from the dances list, after declining to save the boxes first.
    r.window->clearAllPreviews();
    r.window->browser()->FileListBox2()->setCurrentRow(0);
    r.prompter.yesNo.push_back(false);
    r.window->openDanceFromList();
    EXPECT_EQ(r.prompter.shown.last(), "Would you like to save the current settings as a dance?");
    EXPECT_EQ(r.window->desk().box(2).file, r.data.path("cards/d/seq_001.txt"));
    EXPECT_EQ(r.window->desk().current(), 4);
    EXPECT_TRUE(r.window->createADance());
    EXPECT_TRUE(r.window->browser()->isVisible());
}
