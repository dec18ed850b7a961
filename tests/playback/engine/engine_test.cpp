#include "audioengine.h"
#include "decodedfile.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

// An offline engine and a folder of sound files made for the test.
struct Bench {
    QTemporaryDir dir;
    AudioEngine engine{AudioEngine::Output::Offline};
    Bench() { engine.start(); }

    QString wav(const QString& name, const std::vector<float>& samples, int rate = 44100,
                int channels = 2) {
        const QString path = dir.filePath(name);
        writeWav(path, samples, rate, channels);
        return path;
    }
    std::vector<float> render(double seconds) {
        std::vector<float> out(std::size_t(seconds * 44100) * 2);
        engine.render(out.data(), out.size() / 2);
        return out;
    }
};

// A ramp that tells each frame's index: frame i holds (i % 1000) / 1000.
std::vector<float> ramp(std::size_t frames) {
    std::vector<float> out(frames * 2);
    for (std::size_t i = 0; i < frames; ++i)
        out[i * 2] = out[i * 2 + 1] = float(i % 1000) / 1000.0f * 0.9f;
    return out;
}

} // namespace

TEST(Engine, PositionsAreSampleExactInBytesOfTheFile) {
    Bench b;
    const Handle stereo =
        b.engine.streamCreateFile(b.wav("s.wav", sine(440, 10.0)), AudioEngine::kFlagFx);
    ASSERT_NE(stereo, 0u);
    EXPECT_EQ(b.engine.streamGetLength(stereo), 441000u * 4);
    EXPECT_EQ(b.engine.channelSeconds2Bytes(stereo, 1.0f), 44100u * 4);
    EXPECT_FLOAT_EQ(b.engine.channelBytes2Seconds(stereo, 88200 * 4), 2.0f);
    for (const std::uint64_t frame : {0ull, 1ull, 12345ull, 154350ull, 440999ull}) {
        ASSERT_TRUE(b.engine.channelSetPosition(stereo, frame * 4));
        EXPECT_EQ(b.engine.channelGetPosition(stereo), frame * 4);
    }
    EXPECT_FALSE(b.engine.channelSetPosition(stereo, 500000ull * 4)); // past the end
    EXPECT_EQ(b.engine.errorGetCode(), AudioError::Position);

    // Mono 22050 Hz: two bytes a frame, its own rate, the mono flag.
    const Handle mono =
        b.engine.streamCreateFile(b.wav("m.wav", sine(440, 2.0, 22050, 0.5f, 1), 22050, 1), 0);
    ASSERT_NE(mono, 0u);
    EXPECT_EQ(b.engine.streamGetLength(mono), 44100u * 2);
    EXPECT_EQ(b.engine.channelSeconds2Bytes(mono, 1.0f), 22050u * 2);
    EXPECT_EQ(b.engine.channelGetFlags(mono) & AudioEngine::kChannelFlagMono,
              AudioEngine::kChannelFlagMono);
    AudioEngine::Attributes attributes;
    ASSERT_TRUE(b.engine.channelGetAttributes(mono, attributes));
    EXPECT_EQ(attributes.rate, 22050);
    EXPECT_EQ(attributes.volume, 100);

    // Played frames come out exactly as stored (16-bit): from the top of the file at once, and
    // from the middle after a 5 ms entry from silence, which keeps a start from clicking.
    const Handle exact = b.engine.streamCreateFile(b.wav("r.wav", ramp(44100)), 0);
    b.engine.streamPlay(exact, false);
    auto out = b.render(0.01);
    EXPECT_NEAR(out[2 * 100], 0.09f, 1.0f / 32768);
    b.engine.channelStop(exact);
    b.engine.channelSetPosition(exact, 500 * 4);
    b.engine.streamPlay(exact, false);
    out = b.render(0.01);
    EXPECT_NEAR(out[0], 0.0f, 0.01f);
    EXPECT_NEAR(out[2 * 110], 0.5f * 0.549f, 0.01f); // halfway in
    EXPECT_NEAR(out[2 * 300], 0.72f, 1.0f / 32768);
}

TEST(Engine, HandlesAndBadFiles) {
    Bench b;
    EXPECT_TRUE(!b.engine.streamFree(0));
    EXPECT_FALSE(b.engine.streamFree(12345)); // harmless
    EXPECT_EQ(b.engine.errorGetCode(), AudioError::Handle);
    const Handle h = b.engine.streamCreateFile(b.wav("a.wav", sine(440, 1.0)), 0);
    EXPECT_TRUE(b.engine.streamFree(h));
    EXPECT_FALSE(b.engine.streamFree(h)); // twice: harmless
    EXPECT_FALSE(b.engine.channelIsActive(h));

    EXPECT_EQ(b.engine.streamCreateFile(b.dir.filePath("missing.mp3"), 0), 0u);
    EXPECT_EQ(b.engine.errorGetCode(), AudioError::FileOpen);
    QFile empty(b.dir.filePath("empty.mp3"));
    empty.open(QIODevice::WriteOnly);
    empty.close();
    EXPECT_EQ(b.engine.streamCreateFile(empty.fileName(), 0), 0u);
    EXPECT_EQ(b.engine.errorGetCode(), AudioError::Empty);
    QFile text(b.dir.filePath("notes.mp3"));
    text.open(QIODevice::WriteOnly);
    text.write(QByteArray("These are the caller's notes, not a song.\n").repeated(50));
    text.close();
    EXPECT_EQ(b.engine.streamCreateFile(text.fileName(), 0), 0u);
    EXPECT_NE(b.engine.errorGetCode(), AudioError::Ok);

    // A WAV cut inside its header.
    const QString whole = b.wav("whole.wav", sine(440, 1.0));
    QFile cut(whole);
    cut.open(QIODevice::ReadWrite);
    cut.resize(30);
    cut.close();
    EXPECT_EQ(b.engine.streamCreateFile(whole, 0), 0u);
    EXPECT_NE(b.engine.errorGetCode(), AudioError::Ok);
}

TEST(Engine, Mp3FromLameDecodesAndStreamsShareOneCopy) {
    Bench b;
    const QString wav = b.wav("song.wav", beatMusic(125, 8.0));
    const QString mp3 = b.dir.filePath("song.mp3");
    ASSERT_TRUE(encodeMp3(wav, mp3)) << "lame is needed to make MP3 test files";
    const Handle h = b.engine.streamCreateFile(mp3, AudioEngine::kFlagFx);
    ASSERT_NE(h, 0u) << int(b.engine.errorGetCode());
    const float seconds = b.engine.channelBytes2Seconds(h, b.engine.streamGetLength(h));
    EXPECT_NEAR(seconds, 8.0, 0.1);
    b.engine.streamPlay(h, false);
    const auto out = b.render(2.0);
    EXPECT_GT(rms(out, 0, 88200), 0.05);

    DecodedFileCache cache(true);
    AudioError error{};
    const auto first = cache.open(mp3, error);
    const auto second = cache.open(mp3, error);
    EXPECT_EQ(first.get(), second.get());

    // A half MP3 plays what it has.
    QFile::copy(mp3, b.dir.filePath("half.mp3"));
    QFile half(b.dir.filePath("half.mp3"));
    half.open(QIODevice::ReadWrite);
    half.resize(half.size() / 2);
    half.close();
    const Handle partial = b.engine.streamCreateFile(half.fileName(), 0);
    ASSERT_NE(partial, 0u);
    EXPECT_LT(b.engine.channelBytes2Seconds(partial, b.engine.streamGetLength(partial)), 6.0f);
}

TEST(Engine, SyncFiresOnceAtItsFrameAndStartsTheOtherStreamThere) {
    Bench b;
    const QString path = b.wav("ramp.wav", ramp(44100 * 4));
    const Handle a = b.engine.streamCreateFile(path, AudioEngine::kFlagFx);
    const Handle other =
        b.engine.streamCreateFile(b.wav("dc.wav", std::vector<float>(44100 * 4 * 2, 0.5f)), 0);
    std::vector<std::uint64_t> firedAt;
    const std::uint64_t at = 30000; // frames, inside a mixer block
    b.engine.channelSetSync(a, at * 4, [&](Handle, Handle stream) {
        firedAt.push_back(b.engine.channelGetPosition(stream) / 4);
        b.engine.channelStop(a);
        b.engine.streamPlay(other, false);
    });
    b.engine.streamPlay(a, false);
    const auto out = b.render(1.0);
    ASSERT_EQ(firedAt, std::vector<std::uint64_t>({at}));
    // Up to the frame, the ramp; from the frame on, the other stream.
    EXPECT_NEAR(out[(at - 1) * 2], float((at - 1) % 1000) / 1000.0f * 0.9f, 1e-4);
    EXPECT_NEAR(out[at * 2], 0.5f, 1e-4);

    // Once per pass: another pass fires again, and a moved sync fires only at the new place.
    b.engine.channelStop(other);
    b.engine.channelSetPosition(a, 10000 * 4);
    b.engine.streamPlay(a, false);
    b.render(1.0);
    EXPECT_EQ(firedAt.size(), 2u);
}

TEST(Engine, MovedSyncFiresOnlyAtTheNewPlace) {
    Bench b;
    const Handle a = b.engine.streamCreateFile(b.wav("s.wav", sine(220, 3.0)), 0);
    std::vector<std::uint64_t> fired;
    const auto proc = [&](Handle, Handle s) {
        fired.push_back(b.engine.channelGetPosition(s) / 4);
    };
    const Handle sync = b.engine.channelSetSync(a, 44100 * 4, proc);
    ASSERT_TRUE(b.engine.channelRemoveSync(a, sync));
    b.engine.channelSetSync(a, 22050 * 4, proc);
    b.engine.streamPlay(a, false);
    b.render(2.0);
    EXPECT_EQ(fired, std::vector<std::uint64_t>({22050}));
    // A faster rate still hits the frame exactly.
    b.engine.channelSetPosition(a, 0);
    b.engine.channelSetAttributes(a, 48510, -1, -101);
    b.render(1.0);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[1], 22050u);
}

TEST(Engine, SlidesAreLinearAndMinusTwoStops) {
    Bench b;
    const Handle h =
        b.engine.streamCreateFile(b.wav("dc.wav", std::vector<float>(44100 * 4 * 2, 0.5f)), 0);
    b.engine.streamPlay(h, false);
    ASSERT_TRUE(
        b.engine.channelSlideAttributes(h, -1, AudioEngine::kVolumeSlideToStop, -101, 1000));
    const auto out = b.render(1.5);
    EXPECT_NEAR(out[0], 0.5f, 0.001);
    EXPECT_NEAR(out[11025 * 2], 0.375f, 0.001);
    EXPECT_NEAR(out[22050 * 2], 0.25f, 0.001);
    EXPECT_NEAR(out[33075 * 2], 0.125f, 0.001);
    EXPECT_EQ(out[44100 * 2 + 10], 0.0f);
    EXPECT_FALSE(b.engine.channelIsActive(h));

    // A slide up to a level keeps playing.
    b.engine.channelSetAttributes(h, -1, 0, -101);
    b.engine.channelSetPosition(h, 0);
    b.engine.streamPlay(h, false);
    b.engine.channelSlideAttributes(h, -1, 100, -101, 500);
    const auto up = b.render(1.0);
    EXPECT_NEAR(up[11025 * 2], 0.25f, 0.002);
    EXPECT_NEAR(up[33075 * 2], 0.5f, 0.001);
    EXPECT_TRUE(b.engine.channelIsActive(h));
}

TEST(Engine, LevelOfAFullScaleSineIs128) {
    Bench b;
    const Handle h = b.engine.streamCreateFile(b.wav("full.wav", sine(1000, 2.0, 44100, 1.0f)), 0);
    b.engine.streamPlay(h, false);
    b.render(0.2);
    const std::uint32_t level = b.engine.channelGetLevel(h);
    EXPECT_EQ(level & 0xFFFF, 128u);
    EXPECT_EQ(level >> 16, 128u);
    b.engine.channelStop(h);
    EXPECT_EQ(b.engine.channelGetLevel(h), 0u);
}

TEST(Engine, BpmOverATimeWindowOfADecodeStream) {
    Bench b;
    for (const double truth : {120.0, 125.0, 128.0}) {
        const Handle h = b.engine.streamCreateFile(
            b.wav(QString("beat%1.wav").arg(truth), beatMusic(truth, 65.0)),
            AudioEngine::kFlagDecode);
        ASSERT_NE(h, 0u);
        EXPECT_NEAR(b.engine.bpmDecodeGet(h, 30.0f, 60.0f), truth, 0.5);
        EXPECT_NEAR(b.engine.bpmPercents2Bpm(h, 0.0f), truth, 0.5);
        EXPECT_NEAR(b.engine.bpmPercents2Bpm(h, 10.0f), truth * 1.1, 0.6);
    }
    const Handle silent = b.engine.streamCreateFile(
        b.wav("silence.wav", std::vector<float>(44100 * 2 * 40, 0.0f)), AudioEngine::kFlagDecode);
    EXPECT_EQ(b.engine.bpmDecodeGet(silent, 30.0f, 60.0f), -1.0f);
    EXPECT_EQ(b.engine.bpmPercents2Bpm(silent, 0.0f), -1.0f);
}

TEST(Engine, OneShotSoundsFromFileAndMemoryFreeThemselves) {
    Bench b;
    const QString path = b.wav("ding.wav", sine(880, 0.2));
    const Handle fromFile = b.engine.playSample(path, 50);
    ASSERT_NE(fromFile, 0u);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const Handle fromMemory = b.engine.playSample(file.readAll());
    ASSERT_NE(fromMemory, 0u);
    const auto out = b.render(0.5);
    EXPECT_NEAR(peak(out, 0, 8000), 0.75f, 0.01); // 0.25 + 0.5, mixed
    EXPECT_EQ(peak(out, 9000, 20000), 0.0f);      // both over
    EXPECT_FALSE(b.engine.channelIsActive(fromFile));
    EXPECT_FALSE(b.engine.streamFree(fromMemory)); // already gone
    EXPECT_EQ(b.engine.playSample(QByteArray("not a sound")), 0u);
}
