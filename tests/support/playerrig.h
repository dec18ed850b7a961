#pragma once

// The song slots on an offline engine with a fresh data folder, for tests of what plays.

#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"

#include <QDir>
#include <vector>

namespace hoedeck::testing {

struct PlayerRig {
    TempDataFolder data;
    ScriptedPrompter prompter;
    AudioEngine engine{AudioEngine::Output::Offline};
    MusicFolders folders{data.folder(), prompter};
    Player player{engine, folders, prompter};

    PlayerRig() {
        QDir().mkpath(data.path("mp3s"));
        engine.start();
        folders.load_favorite_subdirectories();
        folders.load_subdirectories();
    }
    std::vector<float> render(double seconds) {
        std::vector<float> out(std::size_t(seconds * 44100) * 2);
        engine.render(out.data(), out.size() / 2);
        return out;
    }
    // Where a stream is, in seconds.
    double seconds(Handle stream) {
        return engine.channelBytes2Seconds(stream, engine.channelGetPosition(stream));
    }
};

} // namespace hoedeck::testing
