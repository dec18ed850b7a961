#pragma once

// The song slots with their effects, presets and memory on an offline engine, made once for a
// run: building an engine for every input would make a run too slow to find anything.

#include "audioengine.h"
#include "effects.h"
#include "eqpresets.h"
#include "harness.h"
#include "musicfolders.h"
#include "player.h"
#include "scriptedprompter.h"
#include "trackmemory.h"

namespace hoedeck::fuzz {

struct MemoryRig {
    explicit MemoryRig(const QString& name) : workspace(name) { engine.start(); }

    Workspace workspace;
    testing::ScriptedPrompter prompter;
    AudioEngine engine{AudioEngine::Output::Offline};
    MusicFolders folders{workspace.folder(), prompter};
    Player player{engine, folders, prompter};
    Effects effects{engine, player};
    EqPresets presets{workspace.folder(), prompter, effects};
    TrackMemory memory{workspace.folder(), prompter, player, effects, presets, engine};
};

} // namespace hoedeck::fuzz
