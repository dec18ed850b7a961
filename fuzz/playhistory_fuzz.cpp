// A list's play history and the history colours: what the lists paint is what the file holds,
// and a song marked or unmarked is painted so.

#include "harness.h"
#include "playhistory.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("playhistory");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    const QString list = QStringLiteral("default.fvt");
    workspace->write("ini/" + list + "highlight_patter.txt", bytes);
    workspace->write("ini/" + list + "highlight_singer.txt", bytes);
    workspace->write("ini/history_color.txt", bytes);
    PlayHistory history(workspace->folder());

    history.load_history_color();
    const QStringList lines = textstore::splitLines(textstore::decode(bytes));
    const QSet<QString>& played = history.played(list, true);
    for (const QString& line : lines)
        if (line != PlayHistory::kPlaceholder)
            fuzz::check(played.contains(line.toLower()), "a played song is not painted", line);

    // "-1" is the placeholder of an empty history, not a song.
    QString song = lines.value(0);
    if (song.isEmpty() || song == PlayHistory::kPlaceholder)
        song = QStringLiteral("Demo Patter.mp3");
    history.mark(list, true, song);
    fuzz::check(history.played(list, true).contains(song.toLower()), "a marked song is not painted",
                song);
    history.removeLastLine(list, false, lines.value(1));
    history.unmark(list, false, song);
    history.chooseColor(true, history.backgroundColor);
    history.load_history_color();
    fuzz::check(history.textColor == history.backgroundColor,
                "a history colour written does not read back");
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
