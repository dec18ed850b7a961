#include "audiodecoder.h"
#include "decodedfile.h"
#include "alignment.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <latch>
#include <thread>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

constexpr int kRate = 44100;

bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// lame with the caller's own options, e.g. -t (no info header) or -V 2 (VBR).
bool lame(const QString& wav, const QString& mp3, const QStringList& options) {
    return run("lame", QStringList{"--quiet"} + options + QStringList{wav, mp3});
}

// The ffmpeg program, for the formats lame does not write.
bool ffmpeg(const QString& in, const QString& out, const QStringList& options) {
    return run("ffmpeg", QStringList{"-v", "error", "-y", "-i", in} + options + QStringList{out});
}

// A folder of songs made for the test.
struct Songs {
    QTemporaryDir dir;

    QString wav(const QString& name, const std::vector<float>& samples, int rate = kRate,
                int channels = 2) {
        const QString path = dir.filePath(name);
        writeWav(path, samples, rate, channels);
        return path;
    }
    QString mp3(const QString& wav, const QString& name, const QStringList& options) {
        const QString path = dir.filePath(name);
        return lame(wav, path, options) ? path : QString();
    }
    QString encoded(const QString& wav, const QString& name, const QStringList& options) {
        const QString path = dir.filePath(name);
        return ffmpeg(wav, path, options) ? path : QString();
    }
    QString bytes(const QString& name, const QByteArray& data) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(data);
        return file.fileName();
    }
};

std::vector<float> decodeAll(const DecodedFile& file) {
    std::vector<float> out(size_t(file.decodedFrames() * file.channels()));
    file.read(0, out.data(), file.decodedFrames());
    return out;
}

bool waitForCompletion(const DecodedFile& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!file.complete() && std::chrono::steady_clock::now() < deadline)
        file.waitFor(file.decodedFrames(), 100);
    return file.complete();
}

bool waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace

// A 91-second song encoded VBR without an info header: the decoder has only the first frames'
// bitrate to estimate from, which for this music falls far short of the real length.
TEST(Decoding, VbrMp3WithoutInfoHeaderDecodesToItsEndAndTellsItsLengthAtOpen) {
    Songs songs;
    const auto music = beatMusic(125, 91.0);
    const std::int64_t sourceFrames = std::int64_t(music.size() / 2);
    const QString mp3 = songs.mp3(songs.wav("song.wav", music), "song.mp3", {"-t", "-V", "2"});
    ASSERT_FALSE(mp3.isEmpty()) << "lame is needed to make MP3 test files";

    AudioError error = AudioError::Ok;
    const auto decoder = AudioDecoder::open(mp3, error);
    ASSERT_TRUE(decoder) << int(error);
    const std::int64_t atOpen = decoder->length();

    DecodedFileCache cache(false);
    const auto file = cache.open(mp3, error);
    ASSERT_TRUE(file) << int(error);
    EXPECT_EQ(file->frames(), atOpen);
    ASSERT_TRUE(waitForCompletion(*file));
    // What decodes is what was told at open; without the LAME header the encoder's delay
    // (1105 frames) and its padding (under one MP3 frame) stay in.
    EXPECT_EQ(file->frames(), atOpen);
    EXPECT_GE(atOpen - sourceFrames, 1105);
    EXPECT_LT(atOpen - sourceFrames, 1105 + 1152);

    // The sound is the song's own to its end, shifted by the delay.
    const auto decoded = decodeAll(*file);
    const size_t tail = size_t(sourceFrames) - kRate;
    const Match end = bestMatch(music, decoded, tail, 20000, 1500);
    EXPECT_EQ(end.lag, 1105);
    EXPECT_GT(end.correlation, 0.95);
}

// With the LAME header the encoder's delay and padding are trimmed: a song decodes to exactly
// the frames of its source, lined up sample for sample, so a loop of it is seamless.
TEST(Decoding, LameMp3MatchesItsSourceSampleForSample) {
    Songs songs;
    struct Case {
        const char* name;
        int rate;
        int channels;
        QStringList options;
    };
    for (const Case& c :
         {Case{"vbr.mp3", kRate, 2, {"-V", "2"}}, Case{"cbr.mp3", kRate, 2, {"-b", "192"}},
          // Tags before and after the frames are stepped over, not counted as sound.
          Case{"tagged.mp3", kRate, 2, {"-V", "2", "--tt", "Hoedown", "--add-id3v2"}},
          Case{"mono22.mp3", 22050, 1, {"-V", "4"}}}) {
        SCOPED_TRACE(c.name);
        const auto music = beatMusic(125, 12.0, c.rate, c.channels);
        const auto frames = std::int64_t(music.size() / size_t(c.channels));
        const QString wav = songs.wav(QString(c.name) + ".wav", music, c.rate, c.channels);
        const QString mp3 = songs.mp3(wav, c.name, c.options);
        ASSERT_FALSE(mp3.isEmpty());

        DecodedFileCache cache(true);
        AudioError error = AudioError::Ok;
        const auto file = cache.open(mp3, error);
        ASSERT_TRUE(file) << int(error);
        EXPECT_EQ(file->sampleRate(), c.rate);
        EXPECT_EQ(file->channels(), c.channels);
        EXPECT_EQ(file->frames(), frames);
        EXPECT_EQ(AudioDecoder::open(mp3, error)->length(), frames) << "told at open";
        if (c.channels != 2)
            continue; // the lengths tell the trim; the correlation below reads stereo

        const auto decoded = decodeAll(*file);
        // At the start (where the delay was) and at the end (where the padding was).
        for (const size_t from : {size_t(2000), size_t(frames - 30000)}) {
            const Match m = bestMatch(music, decoded, from, 20000, 1200);
            EXPECT_EQ(m.lag, 0) << "at frame " << from;
            EXPECT_GT(m.correlation, 0.95) << "at frame " << from;
        }
    }

    // Two songs joined in one file: the first one's header counts only its own frames, and
    // the second plays whole all the same.
    QFile vbr(songs.dir.filePath("vbr.mp3"));
    ASSERT_TRUE(vbr.open(QIODevice::ReadOnly));
    const QString joined = songs.bytes("joined.mp3", vbr.readAll().repeated(2));
    AudioError error = AudioError::Ok;
    const std::int64_t atOpen = AudioDecoder::open(joined, error)->length();
    DecodedFileCache cache(true);
    const auto file = cache.open(joined, error);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->frames(), atOpen);
    EXPECT_GT(atOpen, 24 * kRate);
}

TEST(Decoding, EachFormatOpensAtItsRateChannelsAndLength) {
    Songs songs;
    const auto tone = sine(440, 3.0);
    const QString wav = songs.wav("tone.wav", tone);
    const QString wav48 = songs.wav("tone48.wav", sine(440, 3.0, 48000), 48000);
    const QString mono = songs.wav("mono.wav", sine(440, 3.0, 22050, 0.5f, 1), 22050, 1);
    const QString six = songs.wav("six.wav", sine(440, 3.0, kRate, 0.5f, 6), kRate, 6);
    struct Case {
        QString path;
        int rate;
        int channels;
        std::int64_t frames;
    };
    const std::vector<Case> cases = {
        {songs.encoded(wav, "tone.flac", {"-c:a", "flac"}), kRate, 2, 3 * kRate},
        {songs.encoded(wav, "tone.ogg", {"-c:a", "libvorbis"}), kRate, 2, 3 * kRate},
        // AAC in MP4: the priming is trimmed by the edit list, the padding by the length.
        {songs.encoded(wav, "tone.m4a", {"-c:a", "aac"}), kRate, 2, 3 * kRate},
        {songs.encoded(wav, "tone.aiff", {"-c:a", "pcm_s16be"}), kRate, 2, 3 * kRate},
        {songs.encoded(wav48, "tone.opus", {"-c:a", "libopus"}), 48000, 2, 3 * 48000},
        {mono, 22050, 1, 3 * 22050},
        {songs.encoded(mono, "mono.flac", {"-c:a", "flac"}), 22050, 1, 3 * 22050},
        // Six channels fold down to stereo.
        {six, kRate, 2, 3 * kRate},
        {songs.encoded(six, "six.m4a", {"-c:a", "aac"}), kRate, 2, 3 * kRate},
    };
    DecodedFileCache cache(false);
    for (const Case& c : cases) {
        ASSERT_FALSE(c.path.isEmpty()) << "the ffmpeg program is needed to make test files";
        SCOPED_TRACE(c.path.toStdString());
        AudioError error = AudioError::Ok;
        const auto file = cache.open(c.path, error);
        ASSERT_TRUE(file) << int(error);
        EXPECT_EQ(file->sampleRate(), c.rate);
        EXPECT_EQ(file->channels(), c.channels);
        EXPECT_EQ(file->frames(), c.frames);
        ASSERT_TRUE(waitForCompletion(*file));
        EXPECT_EQ(file->frames(), c.frames);
        const auto decoded = decodeAll(*file);
        EXPECT_NEAR(toneFrequency(decoded, 1000, size_t(c.frames) - 1000, c.rate, c.channels),
                    440.0, 0.5);
        for (int channel = 0; channel < c.channels; ++channel)
            EXPECT_GT(rms(decoded, 1000, size_t(c.frames) - 1000, c.channels, channel), 0.1);
    }
}

TEST(Decoding, BadFilesGiveTheirErrorAndNeverCrash) {
    Songs songs;
    const QString wav = songs.wav("song.wav", beatMusic(125, 6.0));
    QFile whole(wav);
    whole.open(QIODevice::ReadOnly);
    const QByteArray wavBytes = whole.readAll();
    QByteArray noise(200000, 0);
    std::uint32_t seed = 7;
    for (char& byte : noise)
        byte = char((seed = seed * 1664525u + 1013904223u) >> 24);
    QByteArray unknownCodec = wavBytes;
    unknownCodec[20] = 0x77; // the WAV format tag: a codec nobody knows
    unknownCodec[21] = 0x77;

    struct Case {
        QString path;
        AudioError error;
    };
    const std::vector<Case> cases = {
        {songs.dir.filePath("missing.mp3"), AudioError::FileOpen},
        {songs.dir.path(), AudioError::FileOpen},
        {songs.bytes("nothing.mp3", {}), AudioError::Empty},
        {songs.bytes("header.wav", wavBytes.left(44)), AudioError::Empty},
        {songs.bytes("cut.wav", wavBytes.left(30)), AudioError::FileForm},
        {songs.bytes("noise.mp3", noise), AudioError::FileForm},
        {songs.bytes("notes.mp3", QByteArray("Heads square thru four.\n").repeated(400)),
         AudioError::FileForm},
        {songs.bytes("codec.wav", unknownCodec), AudioError::Format},
        // An MP4 keeps its index at the end: cut in half, it has none.
        {songs.bytes("half.m4a",
                     [&] {
                         QFile m4a(songs.encoded(wav, "song.m4a", {"-c:a", "aac"}));
                         m4a.open(QIODevice::ReadOnly);
                         return m4a.read(m4a.size() / 2);
                     }()),
         AudioError::FileForm},
    };
    DecodedFileCache cache(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        AudioError error = AudioError::Ok;
        EXPECT_FALSE(cache.open(c.path, error));
        EXPECT_EQ(error, c.error);
    }

    // Cut or damaged files play what they hold and end cleanly.
    const QString mp3 = songs.mp3(wav, "song.mp3", {"-V", "2"});
    const QString flac = songs.encoded(wav, "song.flac", {"-c:a", "flac"});
    const QString ogg = songs.encoded(wav, "song.ogg", {"-c:a", "libvorbis"});
    for (const QString& path : {mp3, flac, ogg}) {
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        QByteArray damaged = bytes;
        for (qsizetype i = bytes.size() / 3; i < bytes.size() * 2 / 3; i += 97)
            damaged[i] = char(damaged[i] ^ 0x5a);
        for (const QString& bad :
             {songs.bytes("half_" + QFileInfo(path).fileName(), bytes.left(bytes.size() / 2)),
              songs.bytes("damaged_" + QFileInfo(path).fileName(), damaged)}) {
            AudioError error = AudioError::Ok;
            const auto decoded = cache.open(bad, error);
            ASSERT_TRUE(decoded) << int(error);
            EXPECT_TRUE(decoded->complete());
            EXPECT_GT(decoded->frames(), kRate);
            EXPECT_LT(decoded->frames(), 6 * kRate);
        }
    }

    // Images in memory.
    AudioError error = AudioError::Ok;
    EXPECT_FALSE(DecodedFile::fromMemory({}, error));
    EXPECT_EQ(error, AudioError::Empty);
    EXPECT_FALSE(DecodedFile::fromMemory(noise, error));
    EXPECT_EQ(error, AudioError::FileForm);
    EXPECT_FALSE(DecodedFile::fromMemory(wavBytes.left(44), error));
    EXPECT_EQ(error, AudioError::Empty);
}

TEST(Decoding, MemoryImagesDecodeAtOnce) {
    Songs songs;
    const auto click = sine(1000, 0.05);
    QFile wav(songs.wav("click.wav", click));
    wav.open(QIODevice::ReadOnly);
    AudioError error = AudioError::Ok;
    const auto file = DecodedFile::fromMemory(wav.readAll(), error);
    ASSERT_TRUE(file) << int(error);
    EXPECT_TRUE(file->complete());
    EXPECT_EQ(file->frames(), std::int64_t(click.size() / 2));
    const auto decoded = decodeAll(*file);
    for (size_t i = 0; i < click.size(); ++i)
        ASSERT_NEAR(decoded[i], click[i], 1.0 / 32768) << i;

    // An MP3 image is counted and trimmed as its file is.
    const auto music = beatMusic(125, 3.0);
    QFile mp3(songs.mp3(songs.wav("music.wav", music), "music.mp3", {"-V", "2"}));
    ASSERT_TRUE(mp3.open(QIODevice::ReadOnly));
    const auto fromImage = DecodedFile::fromMemory(mp3.readAll(), error);
    ASSERT_TRUE(fromImage) << int(error);
    EXPECT_EQ(fromImage->frames(), std::int64_t(music.size() / 2));
}

// Long songs, each a tenth of a second or more of decoding, for the pool's tests: copies of one
// FLAC under different names, so that each is a file of its own.
struct LongSongs : Songs {
    static constexpr int kSeconds = 120;
    std::vector<QString> paths;
    explicit LongSongs(int count) {
        const QString flac = dir.filePath("long.flac");
        writeFlac(flac, beatMusic(125, kSeconds));
        for (int i = 0; i < count; ++i) {
            const QString path = dir.filePath(QString("long%1.flac").arg(i));
            QFile::copy(flac, path);
            paths.push_back(path);
        }
    }
};

TEST(DecodePool, ReadersSeeTheSameFramesAsAWholeDecode) {
    Songs songs;
    const QString song = songs.dir.filePath("song.flac");
    ASSERT_TRUE(writeFlac(song, beatMusic(125, 20.0)));
    DecodedFileCache whole(true);
    AudioError error = AudioError::Ok;
    const auto expected = decodeAll(*whole.open(song, error));

    // Reading on while the pool decodes, as the mixer does: every frame read is final.
    DecodedFileCache cache(false);
    const auto file = cache.open(song, error);
    ASSERT_TRUE(file);
    std::vector<float> block(4096 * 2);
    std::int64_t at = 0;
    while (!(file->complete() && at >= file->frames())) {
        const std::int64_t got = file->read(at, block.data(), 4096);
        for (std::int64_t i = 0; i < got * 2; ++i)
            ASSERT_EQ(block[size_t(i)], expected[size_t(at * 2 + i)]) << at;
        at += got;
        if (got == 0)
            file->waitFor(at, 100);
    }
    EXPECT_EQ(size_t(at * 2), expected.size());
}

TEST(DecodePool, FilesLetGoWhileDecodingAreFreedAndThePoolGoesOn) {
    LongSongs songs(4);
    DecodedFileCache cache(false);
    std::vector<std::weak_ptr<DecodedFile>> released;
    int unfinished = 0;
    for (const QString& path : songs.paths) {
        AudioError error = AudioError::Ok;
        auto file = cache.open(path, error);
        ASSERT_TRUE(file) << int(error);
        unfinished += file->complete() ? 0 : 1;
        released.push_back(file);
    }
    EXPECT_GT(unfinished, 0);
    EXPECT_TRUE(waitUntil([&] {
        return std::all_of(released.begin(), released.end(),
                           [](const auto& file) { return file.expired(); });
    }));
    EXPECT_TRUE(waitUntil([&] { return cache.decoding() == 0; }));

    AudioError error = AudioError::Ok;
    const auto again = cache.open(songs.paths.front(), error);
    ASSERT_TRUE(again);
    ASSERT_TRUE(waitForCompletion(*again));
    EXPECT_EQ(again->frames(), LongSongs::kSeconds * kRate);
}

TEST(DecodePool, ASongOpenedLastIsNotStuckBehindLongOnes) {
    LongSongs songs(3);
    const QString shortSong = songs.wav("short.wav", beatMusic(125, 2.0));
    DecodedFileCache cache(false);
    std::vector<std::shared_ptr<DecodedFile>> open;
    AudioError error = AudioError::Ok;
    for (const QString& path : songs.paths)
        open.push_back(cache.open(path, error));
    const auto song = cache.open(shortSong, error);
    ASSERT_TRUE(song);
    ASSERT_TRUE(waitForCompletion(*song));
    // Its few slices came between the long songs' turns, long before any of them is done.
    for (const auto& file : open)
        EXPECT_FALSE(file->complete());
}

TEST(DecodePool, FilesStillDecodingWhenTheCacheGoesEndWhereTheyAre) {
    LongSongs songs(3);
    std::vector<std::shared_ptr<DecodedFile>> open;
    {
        DecodedFileCache cache(false);
        for (const QString& path : songs.paths) {
            AudioError error = AudioError::Ok;
            open.push_back(cache.open(path, error));
            ASSERT_TRUE(open.back());
        }
    }
    for (const auto& file : open) {
        EXPECT_TRUE(file->complete());
        EXPECT_EQ(file->frames(), file->decodedFrames());
        std::vector<float> block(2 * 100);
        EXPECT_EQ(file->read(file->frames() - 100, block.data(), 100), 100);
    }
}

TEST(DecodedFileCache, ConcurrentOpensOfOneFileShareOneCopy) {
    Songs songs;
    const QString song = songs.dir.filePath("song.flac");
    ASSERT_TRUE(writeFlac(song, beatMusic(125, 10.0)));
    const QString noise = songs.bytes("noise.ogg", QByteArray(100000, 'x'));
    for (const bool synchronous : {true, false}) {
        SCOPED_TRACE(synchronous ? "synchronous" : "pool");
        DecodedFileCache cache(synchronous);
        constexpr int kOpeners = 6;
        std::latch ready(kOpeners);
        std::vector<std::shared_ptr<DecodedFile>> files(kOpeners);
        std::vector<AudioError> errors(kOpeners, AudioError::Ok);
        std::vector<std::thread> openers;
        for (int i = 0; i < kOpeners; ++i)
            openers.emplace_back([&, i] {
                ready.arrive_and_wait();
                files[size_t(i)] = cache.open(i % 2 ? song : noise, errors[size_t(i)]);
            });
        for (auto& opener : openers)
            opener.join();
        for (int i = 0; i < kOpeners; ++i) {
            if (i % 2) {
                ASSERT_TRUE(files[size_t(i)]);
                EXPECT_EQ(files[size_t(i)].get(), files[1].get());
            } else {
                EXPECT_FALSE(files[size_t(i)]);
                EXPECT_EQ(errors[size_t(i)], AudioError::FileForm);
            }
        }
    }

    // A file changed on disk is decoded anew; the streams of the old copy keep theirs.
    DecodedFileCache cache(true);
    AudioError error = AudioError::Ok;
    const auto before = cache.open(song, error);
    const auto replacement = songs.wav("other.wav", sine(440, 2.0));
    QFile::remove(song);
    QFile::copy(replacement, song);
    const auto after = cache.open(song, error);
    ASSERT_TRUE(after);
    EXPECT_NE(before.get(), after.get());
    EXPECT_EQ(after->frames(), 2 * kRate);
    EXPECT_EQ(cache.open(song, error).get(), after.get());
}
