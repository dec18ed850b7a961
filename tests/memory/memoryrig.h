#pragma once

// The song slots with their effects, presets, memory and speed, joined as the main window
// joins them, on an offline engine.

#include "effects.h"
#include "eqpresets.h"
#include "loopmarks.h"
#include "playerrig.h"
#include "qtprinters.h"
#include "soundfiles.h"
#include "speedmatching.h"
#include "testsignals.h"
#include "textstore.h"
#include "trackmemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace hoedeck::testing {

struct MemoryRig : PlayerRig {
    Effects effects{engine, player};
    EqPresets presets{data.folder(), prompter, effects};
    TrackMemory memory{data.folder(), prompter, player, effects, presets, engine};
    SpeedMatching speed{engine, player, effects};
    LoopMarks marks{engine, player};

    MemoryRig() {
        effects.plugInto(player);
        speed.plugInto(player);
        effects.check_for_presets = [this] { presets.check_for_presets(); };
        player.hooks.restoreTrackMemory = [this] { memory.restore(); };
        marks.storeTrackMemory = [this] { memory.memorizeClick(); };
        presets.load_user_EQ_presets();
        memory.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(16, 5, 7)); };
    }

    // A song in the music folder: a tone, or music with a beat when bpm is given.
    void song(const QString& name, double seconds, double bpm = 0, const QString& folder = "mp3s") {
        writeWav(data.path(folder + "/" + name),
                 bpm > 0 ? beatMusic(bpm, seconds) : sine(440, seconds, 44100, 0.3f));
    }
    void openPatter(const QString& name) {
        player.lbCuedPatter = name;
        player.btnOpenClick(Sender::spacekey1);
        waitForSpeed();
    }
    void openSinger(const QString& name) {
        player.lbCuedSinger = name;
        player.btnOpenClick(Sender::ControlSpaceKey);
        waitForSpeed();
    }
    // The measurement of the song just opened has been shown.
    void waitForSpeed() {
        speed.waitForDetection();
        QCoreApplication::processEvents();
    }
    QStringList lines(const QString& file) const {
        return textstore::readList(data.path("ini/" + file));
    }
};

} // namespace hoedeck::testing
