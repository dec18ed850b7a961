// The song log: a song's openings as read from any log, and a song opened once more shows
// one more opening.

#include "harness.h"
#include "songlog.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("songlog");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    workspace->write("ini/log.txt", bytes);
    SongLog log(workspace->folder());
    log.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(16, 5, 7)); };

    // The song of the log's last line, as a caller asks for the song just played.
    const QStringList lines = textstore::splitLines(textstore::decode(bytes));
    QString song = lines.isEmpty() ? QString() : lines.last().section('|', 0, 0);
    song.remove(QStringLiteral("CANCEL: "));
    if (song.isEmpty())
        song = QStringLiteral("Demo Patter.mp3");

    const auto before = log.read(song);
    fuzz::check(before.has_value() && before->value(0) == song + " log:",
                "the log is not headed by the song");
    log.build_log(song);
    const auto after = log.read(song);
    fuzz::check(after.has_value() && after->size() == before->size() + 1,
                "the opening just logged is not one more line", after->join('\n'));
    log.cancel(song);
    fuzz::check(log.read(song)->size() == before->size() + 2,
                "the cancellation just logged is not one more line");
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
