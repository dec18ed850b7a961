// The break timer's files, timer.txt and times_up.txt, each holding the same bytes: read at
// start-up, at every song opened and when the time is up, and written back by the menu.

#include "audioengine.h"
#include "breaktimer.h"
#include "harness.h"
#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "textstore.h"

#include <QRegularExpression>

using namespace hoedeck;

namespace {
fuzz::Workspace* workspace = nullptr;
AudioEngine* engine = nullptr;

void setUp() {
    workspace = new fuzz::Workspace("timer");
    engine = new AudioEngine(AudioEngine::Output::Offline);
    engine->start();
}

int testOne(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    workspace->reset();
    workspace->write("ini/timer.txt", bytes);
    workspace->write("ini/times_up.txt", bytes);
    testing::ScriptedPrompter prompter;
    MusicFolders folders(workspace->folder(), prompter);
    Player player(*engine, folders, prompter);
    player.lbCuedPatter = "a patter"; // not the current song: no alarm sound is opened
    qint64 now = 0;
    BreakTimer timer(workspace->folder(), *engine, player, prompter, [&] { return now; });

    timer.load_timer();
    fuzz::check(timer.checkedMinutes() >= 0 && timer.checkedMinutes() <= BreakTimer::kMenuMinutes,
                "a minutes item out of the menu is checked");
    fuzz::check(!timer.alarmPath().contains('\n') && !timer.alarmPath().contains('\r'),
                "the alarm path holds a line break", timer.alarmPath());
    timer.set_clock_back();
    now += 24 * 60 * 60'000 + 1; // past any countdown a file can set
    const BreakTimer::Countdown shown = timer.countdown();
    static const QRegularExpression minutesSeconds("^\\d+:\\d\\d$");
    fuzz::check(shown.started && shown.overtime && minutesSeconds.match(shown.text).hasMatch(),
                "the countdown is not n:ss in overtime", shown.text);
    fuzz::check(prompter.shown.size() <= 2, "a damaged file is said more than once",
                prompter.shown.join('\n'));

    // The switch writes its own line and keeps the others.
    const QStringList before = textstore::readList(workspace->path("ini/timer.txt"));
    timer.setSound(!timer.soundOn());
    const QStringList after = textstore::readList(workspace->path("ini/timer.txt"));
    fuzz::check(after.size() >= 3 && after[2] == (timer.soundOn() ? "on" : "off"),
                "the sound switch is not written", after.join('\n'));
    for (int i = 0; i < before.size() && i < 2; ++i)
        fuzz::check(after[i] == before[i], "the sound switch changed another line",
                    before[i] + " / " + after[i]);
    return 0;
}
} // namespace

HOEDECK_FUZZ_ENTRY_POINTS(setUp, testOne)
