// The flash calls' files, each holding the same bytes: the locations, the flash list and its
// pool, and the flash timer's interval.

#include "callerlab.h"
#include "flashcalls.h"
#include "harness.h"

using namespace hoedeck;
using namespace hoedeck::calls;

namespace {
fuzz::Workspace* workspace = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("calls");
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    for (const char* file : {"callerlab/callerlab.ini", "callerlab/list.txt",
                             "callerlab/list_temp.txt", "ini/flash_timer.txt"})
        workspace->write(file, bytes);
    FlashCalls flash(workspace->folder());
    const QString interval = flash.restoreInterval();
    fuzz::check(interval.isEmpty() || FlashCalls::intervalMs(interval) > 0,
                "a marked interval has no length", interval);
    return fuzz::guarded([&] {
        flash.callerlab().read();
        const QStringList list = textstore::readList(flash.listPath());
        const QString call = flash.pick(QTime(12, 0));
        fuzz::check(list.contains(call), "a flashed call is not on the flash list", call);
        return 0;
    });
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
