// ini/color.txt and ini/splitter.txt as the start-up reads them, and the colours written back
// by the "Color" menu read the same.

#include "appearance.h"
#include "harness.h"
#include "scriptedprompter.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("appearance");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    workspace->write("ini/color.txt", bytes);
    workspace->write("ini/splitter.txt", bytes);
    testing::ScriptedPrompter prompter;
    Appearance appearance(workspace->folder(), prompter);

    appearance.get_splitter();
    fuzz::check(appearance.split() >= Appearance::kMinSplit &&
                    appearance.split() <= Appearance::kMaxSplit,
                "the split is out of range", QString::number(appearance.split()));
    appearance.note_splitter();
    const int split = appearance.split();
    appearance.get_splitter();
    fuzz::check(appearance.split() == split, "the split written does not read back");

    appearance.ColorMe();
    const ColorValue background = appearance.background();
    const ColorValue text = appearance.textColor();
    const FontSpec font = appearance.font();
    appearance.setBackground(background);
    appearance.setTextColor(text);
    if (!font.name.contains(','))
        appearance.setFont(font);
    appearance.ColorMe();
    fuzz::check(appearance.background() == background && appearance.textColor() == text,
                "the colours written do not read back");
    if (!font.name.contains(','))
        fuzz::check(appearance.font() == font, "the font written does not read back",
                    fontToText(font));
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
