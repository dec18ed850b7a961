// A song file's tags, read from arbitrary bytes under each of the names the tag reader tells
// formats by.

#include "harness.h"
#include "songtags.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("songtags");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    for (const char* name : {"song.mp3", "song.flac", "song.ogg", "song.m4a", "song.wav"}) {
        workspace->write(name, bytes);
        const SongTags tags = readSongTags(workspace->path(name));
        for (const QString& line : tags.lines())
            fuzz::check(!line.contains('\n') && !line.contains('\r'),
                        "a tag line holds a line break", line);
    }
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
