#include "callerlab.h"
#include "flashcalls.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::calls;
using hoedeck::testing::TempDataFolder;

namespace {
// A folder whose flash list holds the calls given.
struct Flash {
    TempDataFolder data;
    FlashCalls flash{data.folder()};
    explicit Flash(const QStringList& calls) {
        data.write("callerlab/list.txt", {});
        textstore::writeList(flash.listPath(), calls);
    }
    QTime at(int ms) const { return QTime(19, 32, 11).addMSecs(ms); }
};
} // namespace

TEST(FlashCalls, TheGeneratorDrawsAsComputedByHand) {
    // 19:32:11.250 is 70,331,250 ms into the day; one step gives 1,525,457,211, and the index
    // is the high half of its product with the range.
    std::uint32_t seed = FlashCalls::seedFor(QTime(19, 32, 11, 250));
    EXPECT_EQ(seed, 70331250u);
    EXPECT_EQ(FlashCalls::draw(seed, 9), 3);
    EXPECT_EQ(seed, 1525457211u);
    seed = 70331250u;
    EXPECT_EQ(FlashCalls::draw(seed, 70), 24);
    seed = 0;
    EXPECT_EQ(FlashCalls::draw(seed, 0), 0); // a pool of one
    EXPECT_EQ(seed, 1u);
}

TEST(FlashCalls, EachCycleShowsEveryCallOnceAndEndsWithTheListsLast) {
    Flash f({"Swing Thru", "Spin the Top", "Recycle"});
    for (int cycle = 0; cycle < 4; ++cycle) {
        QStringList shown;
        for (int i = 0; i < 3; ++i)
            shown << f.flash.pick(f.at(cycle * 977 + i * 131));
        EXPECT_EQ(shown.last(), "Recycle") << shown.join(", ").toStdString();
        shown.sort();
        EXPECT_EQ(shown, QStringList({"Recycle", "Spin the Top", "Swing Thru"}));
    }
    QFile page(f.flash.pagePath());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(page.readAll(), QByteArray("<body bgcolor=\"teal\"><br><br><br><br><br><center><b>"
                                         "<font size=\"7\" face=\"Verdana\" color=\"white\">"
                                         "Recycle</font></b></center>\r\n"));
}

TEST(FlashCalls, APoolSurvivesARestartAndOneCallIsAlwaysThatCall) {
    Flash f({"A", "B", "C", "D"});
    const QString first = f.flash.pick(f.at(0));
    FlashCalls again(f.data.folder()); // the program started anew
    QStringList shown{first};
    for (int i = 1; i < 4; ++i)
        shown << again.pick(f.at(i * 77));
    shown.sort();
    EXPECT_EQ(shown, QStringList({"A", "B", "C", "D"}));

    Flash one({"Cloverleaf"});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(one.flash.pick(one.at(i)), "Cloverleaf");
}

TEST(FlashCalls, NoListOrAnEmptyOneSaysWhatToDo) {
    TempDataFolder data;
    FlashCalls flash(data.folder());
    try {
        flash.pick();
        FAIL() << "a pick without a list";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().startsWith("Choose a level first")) << e.what();
    }
    data.write("callerlab/list.txt", "\r\n");
    try {
        flash.pick();
        FAIL() << "a pick from an empty list";
    } catch (const StoreError& e) {
        EXPECT_TRUE(e.message().contains("list.txt holds no calls")) << e.what();
    }
    // A level whose list is missing names it; choosing one that has calls recovers.
    flash.callerlab().createDefaults();
    EXPECT_THROW(flash.chooseLevel(7), StoreError);
    data.write("callerlab/pluslist.txt", "Acey Deucey\r\nCoordinate\r\n");
    flash.chooseLevel(7);
    EXPECT_TRUE(QStringList({"Acey Deucey", "Coordinate"}).contains(flash.pick()));
    // Several levels at once: their lists one after the other, a new cycle.
    data.write("callerlab/mslist.txt", "Cloverleaf\r\n");
    flash.chooseLevels({6, 7});
    EXPECT_EQ(textstore::readList(flash.poolPath()),
              QStringList({"Acey Deucey", "Coordinate", "Cloverleaf"}));
}

TEST(Callerlab, DefaultsAndTheFlashTimersFile) {
    TempDataFolder data;
    const Callerlab callerlab(data.folder());
    callerlab.createDefaults();
    const QByteArray written = data.bytes("callerlab/callerlab.ini");
    EXPECT_TRUE(written.startsWith("c3blist.txt\r\nc3alist.txt\r\nc2list.txt\r\n"));
    EXPECT_TRUE(written.contains("\r\nAdvance_List_(05-08-29).pdf\r\n"));
    EXPECT_TRUE(written.contains("\r\nAdvance_Def(05-04-13)_(3).pdf\r\n"));
    EXPECT_TRUE(written.endsWith("\r\nPocket Reference of C4 List Calls.htm\r\n"));
    EXPECT_EQ(written.count("\r\n"), 25);
    textstore::writeList(callerlab.iniPath(), {"mine.txt"});
    callerlab.createDefaults(); // an existing file is kept
    EXPECT_EQ(data.bytes("callerlab/callerlab.ini"), QByteArray("mine.txt\r\n"));
    EXPECT_THROW(callerlab.read(), StoreError);
    EXPECT_EQ(callerlab.resolve("/elsewhere/c1.txt"), "/elsewhere/c1.txt");

    FlashCalls flash(data.folder());
    EXPECT_EQ(flash.restoreInterval(), "10");
    EXPECT_EQ(data.bytes("ini/flash_timer.txt"), QByteArray("10\r\n"));
    data.write("ini/flash_timer.txt", "7\r\n");
    EXPECT_EQ(flash.restoreInterval(), ""); // none marked
    EXPECT_EQ(FlashCalls::intervalMs("2.5"), 2500);
    EXPECT_EQ(FlashCalls::intervalMs("7"), 0);
}
