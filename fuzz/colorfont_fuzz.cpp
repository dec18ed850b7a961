// The colour and font texts of the settings files, line by line: what is read, written back
// as the program writes it, reads the same.

#include "colortext.h"
#include "fonttext.h"
#include "harness.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
void setUp() {}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QStringList lines = textstore::splitLines(textstore::decode(fuzz::bytesOf(data, size)));
    for (const QString& line : lines) {
        if (const auto color = colorFromText(line)) {
            const QString written = colorToText(*color);
            fuzz::check(colorFromText(written) == color, "a colour does not read back",
                        line + " -> " + written);
        }
        if (const auto font = fontFromText(line)) {
            const QString written = fontToText(*font);
            // A name holding a comma cannot be stored (the fields are found by their commas).
            if (!font->name.contains(','))
                fuzz::check(fontFromText(written) == font, "a font does not read back",
                            line + " -> " + written);
        }
    }
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
