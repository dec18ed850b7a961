#include "boxlist.h"
#include "carddesk.h"
#include "cards.h"
#include "scriptedprompter.h"
#include "textstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::reader;
using hoedeck::testing::ScriptedPrompter;

namespace {

// A cards folder with two card folders: dance1 of four cards and dance2 of one.
struct Cards {
    QTemporaryDir dir;
    QString root = dir.filePath("cards");
    ScriptedPrompter prompter;
    CardDesk desk{root, prompter};

    Cards() {
        card("dance1/seq_000.txt", {"heads square thru", "  4B>   3G<", "  Warning: odd",
                                    "swing thru", "grand  (at home)"});
        card("dance1/seq_001.txt", {"sides pass thru", "  GV    BV", "star thru", "home"});
        card("dance1/seq_002.txt", {"HEADS lead right", "G^ G^ G^", "zoom"});
        card("dance1/seq_003.txt", {"last one", "slide thru"});
        card("dance2/seq_000.txt", {"other folder"});
    }
    QString card(const QString& name, const QStringList& lines) {
        QDir().mkpath(QFileInfo(path(name)).path());
        textstore::writeList(path(name), lines);
        return path(name);
    }
    QString path(const QString& name) const { return root + "/" + name; }
    QString selected() const { return desk.viewLines().value(desk.selectedLine()); }
};

} // namespace

TEST(CardDesk, DownAndUpWalkTheCalledLinesAndOnIntoTheNextCard) {
    Cards c;
    ASSERT_TRUE(c.desk.loadBox(2, c.path("dance1/seq_000.txt")));
    ASSERT_TRUE(c.desk.showBox(2));
    EXPECT_EQ(c.desk.viewCaption(), "dance1/seq_000.txt");
    EXPECT_EQ(c.desk.positionCaption(), "1 of 4");
    c.desk.down();
    EXPECT_EQ(c.selected(), "heads square thru");
    c.desk.down(); // past the picture and the warning
    EXPECT_EQ(c.selected(), "swing thru");
    c.desk.down();
    c.desk.down(); // from the last line into the next card, past its picture line
    EXPECT_EQ(c.desk.viewCaption(), "dance1/seq_001.txt");
    EXPECT_EQ(c.desk.box(2).caption, "dance1/seq_001.txt");
    EXPECT_EQ(c.selected(), "star thru");
    c.desk.up(); // back over the picture line
    EXPECT_EQ(c.selected(), "sides pass thru");
    c.desk.up(); // from the first line to the last of the card before, whatever it is
    EXPECT_EQ(c.desk.viewCaption(), "dance1/seq_000.txt");
    EXPECT_EQ(c.selected(), "grand  (at home)");
    // A card whose second line holds only G^ markers is entered at that line.
    c.desk.page(1);
    c.desk.page(1);
    EXPECT_EQ(c.selected(), "G^ G^ G^");
    EXPECT_TRUE(c.prompter.shown.isEmpty());
}

TEST(CardDesk, PagingStopsAtTheFolderEndsAndTheLastCardShowsRed) {
    Cards c;
    c.desk.loadBox(1, c.path("dance1/seq_003.txt"));
    c.desk.showBox(1);
    EXPECT_EQ(c.desk.highlight(1), CardDesk::Highlight::LastOfFolder);
    EXPECT_EQ(c.desk.highlight(2), CardDesk::Highlight::None);
    EXPECT_FALSE(c.desk.page(1));
    EXPECT_EQ(c.prompter.shown.value(0), "dance1/seq_003.txt is the last card in its folder.");
    EXPECT_EQ(c.desk.box(1).file, c.path("dance1/seq_003.txt"));
    c.desk.page(-1);
    EXPECT_EQ(c.desk.highlight(1), CardDesk::Highlight::Current);
    EXPECT_EQ(c.desk.positionCaption(), "3 of 4");
    c.desk.loadBox(1, c.path("dance1/seq_000.txt"));
    EXPECT_TRUE(c.desk.page(-1)); // the first card is shown again
    EXPECT_EQ(c.desk.viewCaption(), "dance1/seq_000.txt");

    // An empty box: the message, and the current box stays.
    EXPECT_FALSE(c.desk.showBox(3));
    EXPECT_EQ(c.prompter.shown.last(), CardDesk::kNothingInBox);
    EXPECT_EQ(c.desk.current(), 1);
}

TEST(CardDesk, CommentsReplaceEachOtherAndEditsAreWrittenToTheCard) {
    Cards c;
    const QString card = c.path("dance1/seq_003.txt");
    c.desk.loadBox(1, card);
    c.desk.showBox(1);
    c.desk.comment("Comment: Hard Card");
    c.desk.comment("Comment: This Card Sucks");
    EXPECT_EQ(readCard(card), QStringList({"Comment: This Card Sucks", "last one", "slide thru"}));
    c.desk.comment(""); // "Erase Comment"
    c.desk.comment("");
    EXPECT_EQ(readCard(card), QStringList({"last one", "slide thru"}));
    c.desk.saveCard({"edited", "slide thru", "and more"}, 2);
    EXPECT_EQ(c.desk.box(1).lines, QStringList({"edited", "slide thru", "and more"}));
    EXPECT_EQ(c.selected(), "and more");
}

TEST(CardDesk, CopyAndMoveFindAFreeNameInTheTargetBoxsFolder) {
    Cards c;
    c.card("dance2/seq_003.txt", {"taken"});
    c.card("dance2/seq_003-0.txt", {"taken too"});
    c.desk.loadBox(1, c.path("dance1/seq_003.txt"));
    c.desk.loadBox(2, c.path("dance2/seq_000.txt"));
    c.desk.showBox(1);
    EXPECT_TRUE(c.desk.transferTo(2, false));
    EXPECT_EQ(c.prompter.shown.value(0), "1 file copied");
    EXPECT_EQ(readCard(c.path("dance2/seq_003-1.txt")), QStringList({"last one", "slide thru"}));

    // Moving a card onto its own box renames it in its folder; the box goes on with it.
    c.desk.loadBox(1, c.path("dance1/seq_001.txt"));
    c.desk.showBox(1);
    EXPECT_TRUE(c.desk.transferTo(1, true));
    EXPECT_FALSE(QFile::exists(c.path("dance1/seq_001.txt")));
    EXPECT_TRUE(QFile::exists(c.path("dance1/seq_001-0.txt")));
    EXPECT_EQ(c.desk.viewCaption(), "dance1/seq_001-0.txt");

    // Every one of the 28 names taken in the target folder: nothing happens, nothing is said.
    for (int n = 0; n <= 26; ++n)
        c.card(QString("dance1/seq_000-%1.txt").arg(n), {"x"});
    c.desk.loadBox(3, c.path("dance1/seq_000.txt"));
    c.desk.showBox(2);
    c.prompter.shown.clear();
    EXPECT_FALSE(c.desk.transferTo(3, false));
    EXPECT_TRUE(c.prompter.shown.isEmpty());
    EXPECT_TRUE(QFile::exists(c.path("dance2/seq_000.txt")));
}

TEST(BoxLists, DancesRoundTripAndTheSixthLineFollowsItsRule) {
    Cards c;
    c.desk.loadBox(1, c.path("dance1/seq_000.txt"));
    c.desk.loadBox(3, c.path("dance2/seq_000.txt"));
    c.desk.showBox(3);
    const QString dance = c.dir.filePath("evening.dnc");
    writeBoxList(dance, c.desk.boxList());
    QFile file(dance);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), (c.path("dance1/seq_000.txt") + "\r\n\r\n" +
                               c.path("dance2/seq_000.txt") + "\r\n\r\n\r\n3\r\n")
                                  .toUtf8());

    Cards other;
    other.desk.loadBox(2, other.path("dance1/seq_001.txt"));
    ASSERT_TRUE(other.desk.openBoxList(readBoxList(dance, BoxNumberRule::OpenDance)));
    EXPECT_EQ(other.desk.boxList().files, c.desk.boxList().files);
    EXPECT_EQ(other.desk.current(), 3);
    EXPECT_EQ(other.desk.viewCaption(), "dance2/seq_000.txt");

    const QString six = c.dir.filePath("six.dnc");
    textstore::writeList(six, {"", "", "", "", "", "6"});
    EXPECT_EQ(readBoxList(six, BoxNumberRule::OpenDance).current, 1);
    EXPECT_EQ(readBoxList(six, BoxNumberRule::BoxListFile).current, 1);
    EXPECT_EQ(readBoxList(six, BoxNumberRule::DancesList).current, 6);
    textstore::writeList(six, {"", "", "", "", "", "nine"});
    EXPECT_THROW(readBoxList(six, BoxNumberRule::BoxListFile), StoreError);
    textstore::writeList(six, {"", "", "1"});
    EXPECT_THROW(readBoxList(six, BoxNumberRule::BoxListFile), StoreError);

    // A dance naming a card that is gone: the boxes before it keep their cards.
    textstore::writeList(six, {c.path("dance1/seq_002.txt"), c.path("gone/seq_000.txt"),
                               c.path("dance1/seq_003.txt"), "", "", "1"});
    EXPECT_FALSE(other.desk.openBoxList(readBoxList(six, BoxNumberRule::OpenDance)));
    EXPECT_TRUE(other.desk.box(1).holdsCard());
    EXPECT_FALSE(other.desk.box(3).holdsCard());
}

TEST(BoxLists, TheCardFontKeepsWhatIsValidAndWritesBackWhatItRead) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("font.ini");
    textstore::writeList(ini, {"[Other]", "Size=99", "[FontsBoxes]", "Name=DejaVu Sans",
                               "Size=twenty", "Style=3", "Color=-2147483640", "CharSet=238"});
    const CardFont font = readCardFont(ini);
    EXPECT_EQ(font.font.name, "DejaVu Sans");
    EXPECT_EQ(font.font.size, 14); // not a number: as it was
    EXPECT_TRUE(font.font.bold && font.font.italic && !font.font.underline);
    EXPECT_EQ(font.font.color, color::clWindowText);
    writeCardFont(ini, font);
    const CardFont again = readCardFont(ini);
    EXPECT_EQ(again.font, font.font);
    EXPECT_EQ(again.charSet, 238);
}
