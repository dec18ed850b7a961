// The track memory and the golden memory: a song whose name a record holds is opened, its
// settings come from the record, and the record brought up to date is the song's only one.

#include "memoryrig.h"
#include "textstore.h"

using namespace hoedeck;

namespace {
fuzz::MemoryRig* rig = nullptr;

void setUp() {
    rig = new fuzz::MemoryRig("trackmemory");
    rig->memory.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(16, 5, 7)); };
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QStringList lines = textstore::splitLines(textstore::decode(bytes));
    for (const QString& line : lines) {
        const QStringList fields = TrackMemory::splitRecord(line);
        if (!line.isEmpty() && !fields.isEmpty())
            fuzz::check(line.startsWith(fields.first()), "a record's name is not its start", line);
    }

    rig->workspace.reset();
    rig->workspace.write("ini/memorize.txt", bytes);
    rig->workspace.write("ini/goldmem.txt", bytes.size() % 2 ? bytes : QByteArray());
    // The song of the first record, so that the look-up finds one.
    const QStringList first = TrackMemory::splitRecord(lines.value(0));
    Player& player = rig->player;
    player.current_song = first.isEmpty() ? QStringLiteral("Demo Patter.mp3") : first.first();
    player.eLoop_Start = Player::kDefaultLoopStart;
    player.eLoop_End = Player::kDefaultLoopEnd;
    player.ltotal_time = lines.value(1).left(20);
    rig->prompter.shown.clear();

    rig->memory.restore();
    rig->memory.memorizeClick_for_automemorizer();
    if (player.current_song == Player::kNone)
        return 0;
    const QString file = player.golden ? TrackMemory::kGoldenFile : TrackMemory::kOrdinaryFile;
    int records = 0;
    for (const QString& line : textstore::readList(rig->workspace.path("ini/" + file))) {
        const QStringList fields = TrackMemory::splitRecord(line);
        if (!fields.isEmpty() &&
            fields.first().compare(player.current_song, Qt::CaseInsensitive) == 0)
            ++records;
    }
    fuzz::check(records == 1, "the song's record is not its only one", player.current_song);
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
