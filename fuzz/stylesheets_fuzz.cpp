// The cue-sheet sizes in Lyrics/user.txt: whatever the file holds gives six sizes, and six
// sizes saved read back the same.

#include "harness.h"
#include "scriptedprompter.h"
#include "stylesheets.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("stylesheets");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    workspace->write("Lyrics/user.txt", bytes);
    testing::ScriptedPrompter prompter;
    StyleSheets sheets(workspace->folder(), prompter);

    const QStringList sizes = sheets.loadSizes();
    fuzz::check(sizes.size() == 6, "not six sizes");
    // A size holding a bar cannot be stored as one: it would split into two.
    for (const QString& one : sizes)
        if (one.contains('|'))
            return 0;
    sheets.saveSizes(sizes);
    fuzz::check(textstore::readList(sheets.path("user.css")) == StyleSheets::userSheet(sizes),
                "user.css is not the sheet of the sizes");
    prompter.shown.clear();
    fuzz::check(sheets.loadSizes() == sizes, "the sizes do not read back", sizes.join('|'));
    fuzz::check(prompter.shown.isEmpty(), "sizes written are said to be damaged");
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
