// The marriages: whatever ini/marriage.txt holds, a marriage just made is found both ways, a
// proposal never loses another marriage, and a divorce takes back exactly that one.

#include "harness.h"
#include "marriage.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("marriage");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    workspace->write("ini/marriage.txt", bytes);
    const Marriages marriages(workspace->folder());
    const QStringList before = textstore::readList(marriages.path());

    // A song and lyrics of their own, in folders no line of the input can name.
    const QString lyrics = QStringLiteral("/\u00b6lyrics/Fuzz Cue.html");
    const QString song = QStringLiteral("/\u00b6music/Fuzz Song.mp3");
    (void)marriages.lyricsFor(song);
    marriages.propose(lyrics, song, true);
    fuzz::check(marriages.lyricsFor(song) == lyrics, "the marriage just made is not found");
    fuzz::check(marriages.songFor(lyrics) == song, "the song just married is not found");
    const QStringList married = textstore::readList(marriages.path());
    for (const QString& line : before)
        fuzz::check(married.contains(line), "a marriage was lost", line);

    marriages.propose(lyrics, song, false);
    fuzz::check(marriages.lyricsFor(song).isEmpty(), "the divorce left the marriage");
    fuzz::check(textstore::readList(marriages.path()).size() == married.size() - 1,
                "the divorce took more than its own line");
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
