#include "memoryrig.h"

#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
void setGains(Effects& effects, int bass, int mid, int treble) {
    effects.setBar(0, bass);
    effects.setBar(1, mid);
    effects.setBar(2, treble);
}
} // namespace

TEST(EqPresets, BuiltInEntriesApplyAndNameTheGains) {
    MemoryRig r;
    EXPECT_EQ(r.presets.entries(),
              QStringList({"Bass", "Mid", "Treble", "Default", "Flat", "User"}));
    EXPECT_EQ(r.lines("EQ_presets.txt"), QStringList({"none"}));
    EXPECT_EQ(r.presets.text(), "Flat");

    r.presets.cbEQChange(3);
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{4, 10, 0}));
    EXPECT_TRUE(r.effects.chkEqualizer);
    EXPECT_EQ(r.presets.text(), "Default");
    r.effects.setBar(1, 9);
    EXPECT_EQ(r.presets.text(), "User");
    r.presets.cbEQChange(5); // "User" applies nothing
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{4, 9, 0}));
}

TEST(EqPresets, SavingRefusesTakenNamesAndAsksAboutTheDefault) {
    MemoryRig r;
    setGains(r.effects, 7, 10, 12);
    // A built-in name is refused at once; a taken one in other case only after the file is
    // read, and the default question is still asked.
    r.presets.saveTyped("Bass");
    EXPECT_EQ(r.prompter.shown, QStringList({"You must use a unique name"}));
    r.prompter.shown.clear();
    r.presets.saveTyped("bass");
    r.presets.saveTyped("Default");
    ASSERT_EQ(r.prompter.shown.size(), 4);
    EXPECT_EQ(r.prompter.shown[0], "You must use a unique name");
    EXPECT_TRUE(r.prompter.shown[1].startsWith("Do you want this to be the default"));
    EXPECT_EQ(r.lines("EQ_presets.txt"), QStringList({"none"}));
    r.presets.saveTyped("");
    EXPECT_EQ(r.prompter.shown.size(), 4);

    r.prompter.shown.clear();
    r.prompter.yesNo = {true};
    r.presets.saveTyped("Hall");
    EXPECT_EQ(r.prompter.shown.value(0), "Hall has been added to your EQ presets");
    EXPECT_EQ(r.lines("EQ_presets.txt"), QStringList({"Hall|7|10|12"}));
    EXPECT_EQ(r.lines("EQ_default.txt"), QStringList({"Hall|7|10|12"}));
    EXPECT_EQ(r.presets.entries().value(6), "Hall");

    // A "|" in the name would break the line into gain fields.
    r.prompter.shown.clear();
    r.presets.saveTyped("Big|Hall");
    EXPECT_EQ(r.prompter.shown.size(), 1);
    EXPECT_EQ(r.lines("EQ_presets.txt"), QStringList({"Hall|7|10|12"}));
}

TEST(EqPresets, UserPresetsAreNamedInFileOrderAndSurviveARestart) {
    MemoryRig r;
    r.data.write("ini/EQ_presets.txt",
                 "Hall|7|10|12\r\nBroken|x|1\r\nBarn|7|10|12\r\nLoud|0|0|0\r\n");
    r.presets.load_user_EQ_presets();
    EXPECT_EQ(r.presets.entries().mid(6), QStringList({"Hall", "Broken", "Barn", "Loud"}));
    setGains(r.effects, 7, 10, 12);
    EXPECT_EQ(r.presets.text(), "Hall"); // the earlier of two with the same gains
    r.presets.cbEQChange(9);
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(r.presets.text(), "Loud");
    r.presets.cbEQChange(7); // the damaged line applies nothing
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{0, 0, 0}));
}

TEST(EqPresets, DeletingKeepsTheGainsAndLeavesNoneWhenEmpty) {
    MemoryRig r;
    r.presets.select(0);
    r.presets.deleteShown(r.presets.text());
    EXPECT_EQ(r.prompter.shown, QStringList({"You can't delete Hoedeck's presets!"}));

    r.data.write("ini/EQ_presets.txt", "Hall|7|10|12\r\n");
    r.presets.load_user_EQ_presets();
    r.presets.cbEQChange(6);
    r.prompter.yesNo = {false, true};
    r.presets.deleteShown(r.presets.text()); // No keeps it
    EXPECT_EQ(r.presets.entries().size(), 7);
    r.presets.deleteShown(r.presets.text());
    EXPECT_EQ(r.prompter.shown.last(), "Delete Hall from your EQ presets now?");
    EXPECT_EQ(r.lines("EQ_presets.txt"), QStringList({"none"}));
    EXPECT_EQ(r.presets.entries().size(), 6);
    EXPECT_EQ(r.presets.text(), "Flat");
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{7, 10, 12}));
}

TEST(EqPresets, TheDefaultSettingAppliesAndADamagedOneDoesNot) {
    MemoryRig r;
    r.data.write("ini/EQ_presets.txt", "Hall|7|10|12\r\n");
    r.presets.load_user_EQ_presets();
    r.data.write("ini/EQ_default.txt", "Hall|7|10|12\r\n");
    r.presets.use_default_EQ();
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{7, 10, 12}));
    EXPECT_EQ(r.presets.text(), "Hall");

    r.effects.clearEffects();
    r.data.write("ini/EQ_default.txt", "Hall|7|ten\r\n");
    r.presets.use_default_EQ();
    EXPECT_EQ(r.effects.bars, (std::array<int, 3>{10, 10, 10}));
}

TEST(EqPresets, PresetLinesReadTheirFirstFourFieldsOnly) {
    const auto line = EqPresets::parseLine("Loud|3| -2 |7|extra");
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->name, "Loud");
    EXPECT_EQ(line->gains, (EqPresets::Gains{3, -2, 7}));
    EXPECT_FALSE(EqPresets::parseLine("Short|1|2").has_value());
    EXPECT_FALSE(EqPresets::parseLine("Bad|1|x|2").has_value());
    // Damage of millions of bars is a damaged line, not millions of fields.
    EXPECT_FALSE(EqPresets::parseLine(QString(5'000'000, '|')).has_value());
    const auto tail = EqPresets::parseLine("Long|1|2|3" + QString(5'000'000, '|'));
    ASSERT_TRUE(tail.has_value());
    EXPECT_EQ(tail->gains, (EqPresets::Gains{1, 2, 3}));
}
