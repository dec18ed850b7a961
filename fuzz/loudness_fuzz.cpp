// The measured loudness of songs, ini/loudness.txt: read, one figure stored, read again.

#include "harness.h"
#include "loudness.h"

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("loudness");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    workspace->reset();
    workspace->write("ini/loudness.txt", fuzz::bytesOf(data, size));
    workspace->write("song.wav", "RIFF");
    const QString song = workspace->path("song.wav");
    return fuzz::guarded([&] {
        LoudnessStore store(workspace->folder());
        store.find(song);
        store.store(song, {-18.25, -1.5});
        const auto again = LoudnessStore(workspace->folder()).find(song);
        fuzz::check(again && *again == Loudness{-18.25, -1.5},
                    "a stored loudness does not read back");
        return 0;
    });
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
