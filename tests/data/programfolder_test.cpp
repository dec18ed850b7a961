#include "audioengine.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace hoedeck;

namespace {
const QDir kProgram(HOEDECK_PROGRAM_DIR);

QByteArray fileText(const QString& relative) {
    QFile file(kProgram.filePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(ProgramFolder, HoldsTheFixedFoldersAndPages) {
    for (const char* folder : {"ini", "manual", "nomatch", "mp3s", "Lyrics", "callerlab", "cards",
                               "sounds", "favorites"})
        EXPECT_TRUE(kProgram.exists(folder)) << folder;
    for (const char* page : {"manual/manual.html", "nomatch/No Match.html"}) {
        const QByteArray html = fileText(page);
        EXPECT_TRUE(html.contains("<html") && html.contains("<title>") && html.contains("</html>"))
            << page;
    }
}

TEST(ProgramFolder, DefaultListHoldsTheDemoSongs) {
    // A new caller presses Space and hears the demo patter loop.
    EXPECT_EQ(fileText("favorites/default.fvt.ptr"), "Demo Patter.mp3\r\n");
    EXPECT_EQ(fileText("favorites/default.fvt"), "Demo Singer.mp3\r\n");
}

TEST(ProgramFolder, DemoSongsAndSoundsPlayWithTheirBeat) {
    AudioEngine engine(AudioEngine::Output::Offline);
    engine.start();
    struct Expected {
        const char* file;
        float seconds;
        float bpm;
    };
    for (const Expected& e :
         {Expected{"mp3s/Demo Patter.mp3", 91.5f, 126.0f},
          Expected{"mp3s/Demo Singer.mp3", 122.0f, 128.0f}, Expected{"alarm.wav", 1.5f, 0.0f},
          Expected{"chaching.wav", 0.6f, 0.0f}}) {
        const Handle h =
            engine.streamCreateFile(kProgram.filePath(e.file), AudioEngine::kFlagDecode);
        ASSERT_NE(h, 0u) << e.file;
        EXPECT_NEAR(engine.channelBytes2Seconds(h, engine.streamGetLength(h)), e.seconds, 1.0)
            << e.file;
        if (e.bpm > 0) {
            EXPECT_NEAR(engine.bpmDecodeGet(h, 30.0f, 60.0f), e.bpm, 0.5) << e.file;
        }
        // Not silent: it makes sound from its first moment.
        const Handle play = engine.streamCreateFile(kProgram.filePath(e.file), 0);
        engine.streamPlay(play, false);
        std::vector<float> out(4410 * 2);
        engine.render(out.data(), 4410);
        float loudest = 0;
        for (float v : out)
            loudest = std::max(loudest, std::fabs(v));
        EXPECT_GT(loudest, 0.05f) << e.file;
        engine.streamFree(play);
    }
}
