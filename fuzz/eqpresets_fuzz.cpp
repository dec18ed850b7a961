// The caller's EQ presets and the default setting: the box lists the names the file holds,
// and choosing each applies it.

#include "memoryrig.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::MemoryRig* rig = nullptr;

void setUp() {
    rig = new fuzz::MemoryRig("eqpresets");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QStringList lines = textstore::splitLines(textstore::decode(bytes));
    for (const QString& line : lines)
        if (const auto parsed = EqPresets::parseLine(line))
            fuzz::check(line.startsWith(parsed->name + '|'), "a preset's name is not its start",
                        line);

    rig->workspace.reset();
    rig->workspace.write("ini/EQ_presets.txt", bytes);
    rig->workspace.write("ini/EQ_default.txt", bytes);
    EqPresets& presets = rig->presets;
    presets.load_user_EQ_presets();
    const int count = int(presets.entries().size());
    fuzz::check(count >= EqPresets::kFirstUserPreset, "a built-in preset is missing");
    for (int i = 0; i < count; ++i) {
        presets.cbEQChange(i);
        fuzz::check(presets.selected() == i && presets.text() == presets.entries()[i],
                    "the chosen preset is not shown", presets.text());
        for (const int bar : rig->effects.bars)
            fuzz::check(bar >= 0 && bar <= 19, "a gain is off its bar", QString::number(bar));
    }
    presets.check_for_presets();
    presets.use_default_EQ();
    presets.nameRememberedGains({rig->effects.bars[0], rig->effects.bars[1], rig->effects.bars[2]});
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
