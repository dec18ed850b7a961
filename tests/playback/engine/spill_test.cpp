// Songs too long to hold in memory are kept in an unnamed file on disk and read through a
// mapping; what players hear must be the very samples a song held in memory gives.

#include "audioengine.h"
#include "childprocess.h"
#include "decodedfile.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <random>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

constexpr int kRate = 44100;
constexpr std::int64_t kChunk = std::int64_t(1) << 19; // frames in one stored chunk of a song

// Songs opened while one lives go to disk whatever their length, into `folder`.
struct SpillEverything {
    SampleStore::Policy before = SampleStore::policy();
    explicit SpillEverything(const QString& folder, int residentChunks = 32) {
        SampleStore::Policy policy;
        policy.spillAboveBytes = 0;
        policy.residentChunks = residentChunks;
        policy.folder = folder;
        SampleStore::setPolicy(policy);
    }
    ~SpillEverything() { SampleStore::setPolicy(before); }
};

// 40 s of stereo (a little over three chunks) that differs at every frame: a sweep on the
// left, noise on the right.
QString longSong(const QTemporaryDir& dir) {
    std::vector<float> samples(size_t(40 * kRate) * 2);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-0.4f, 0.4f);
    for (size_t i = 0; i < samples.size() / 2; ++i) {
        samples[2 * i] = 0.5f * std::sin(float(i) * (0.001f + float(i) * 1e-9f));
        samples[2 * i + 1] = noise(random);
    }
    const QString path = dir.filePath("long.wav");
    writeWav(path, samples, kRate, 2);
    return path;
}

std::vector<float> readFrames(const DecodedFile& file, std::int64_t start, std::int64_t count) {
    std::vector<float> out(size_t(count * file.channels()));
    out.resize(size_t(file.read(start, out.data(), count) * file.channels()));
    return out;
}

} // namespace

TEST(SpilledSongs, ReadTheSameSamplesAsASongHeldInMemoryAndLeaveNoFileBehind) {
    QTemporaryDir dir, spillDir;
    const QString path = longSong(dir);
    AudioError error = AudioError::Ok;
    const auto inMemory = DecodedFile::open(path, nullptr, error);
    ASSERT_TRUE(inMemory);
    std::shared_ptr<DecodedFile> onDisk;
    {
        SpillEverything spill(spillDir.path());
        onDisk = DecodedFile::open(path, nullptr, error);
    }
    ASSERT_TRUE(onDisk);
    EXPECT_FALSE(inMemory->spilled());
    ASSERT_TRUE(onDisk->spilled());
    ASSERT_EQ(onDisk->frames(), inMemory->frames());
    EXPECT_EQ(readFrames(*onDisk, 0, onDisk->frames()),
              readFrames(*inMemory, 0, inMemory->frames()));
    // Reads that start anywhere and cross chunk edges, as seeks and loop seams do.
    std::mt19937 random(3);
    for (int i = 0; i < 200; ++i) {
        const std::int64_t edge = kChunk * (1 + i % 3);
        const std::int64_t start = edge - std::int64_t(random() % 5000);
        const std::int64_t count = 1 + std::int64_t(random() % 9000);
        ASSERT_EQ(readFrames(*onDisk, start, count), readFrames(*inMemory, start, count))
            << "at " << start;
    }
    EXPECT_TRUE(QDir(spillDir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(SpilledSongs, OnlyTheChunksReadLatelyStayResidentAndTheRestReadsBackIntact) {
    QTemporaryDir dir, spillDir;
    const QString path = longSong(dir);
    AudioError error = AudioError::Ok;
    SpillEverything spill(spillDir.path(), 3);
    const auto file = DecodedFile::open(path, nullptr, error);
    ASSERT_TRUE(file && file->spilled());
    const std::vector<float> whole = readFrames(*file, 0, file->frames());
    file->keepResident(); // all four read in this pass: none is let go yet
    EXPECT_EQ(file->residentChunks(), 4);
    readFrames(*file, 10, 100); // the first only, then its next two are made ready
    file->keepResident();
    EXPECT_EQ(file->residentChunks(), 3);
    readFrames(*file, 3 * kChunk + 10, 100); // a jump to the last
    file->keepResident();
    EXPECT_EQ(file->residentChunks(), 3);
    EXPECT_EQ(readFrames(*file, 0, file->frames()), whole);
}

TEST(SpilledSongs, ADiskWithoutRoomKeepsTheSongInMemoryWhole) {
    QTemporaryDir dir, spillDir;
    const QString path = longSong(dir);
    const QString outcome = inChildWithFileSizeLimit(1 << 20, [&] {
        SpillEverything spill(spillDir.path());
        AudioError error = AudioError::Ok;
        const auto file = DecodedFile::open(path, nullptr, error);
        if (!file)
            return std::string("not opened");
        return std::string(file->spilled() ? "on disk " : "in memory ") +
               std::to_string(file->frames());
    });
    EXPECT_EQ(outcome, QString("in memory %1").arg(40 * kRate));
}

TEST(SpilledSongs, APlayerSeekingAcrossChunksHearsTheSameAsWithTheSongInMemory) {
    QTemporaryDir dir, spillDir;
    const QString path = longSong(dir);
    auto render = [&](bool spilled) {
        std::optional<SpillEverything> spill;
        if (spilled)
            spill.emplace(spillDir.path(), 3);
        AudioEngine engine(AudioEngine::Output::Offline);
        engine.start();
        const Handle song = engine.streamCreateFile(path, 0);
        engine.streamPlay(song, false);
        std::vector<float> heard, block(2048 * 2);
        for (int seek = 0; seek < 6; ++seek) {
            // Just before each chunk's edge, then back to the start as a loop seam does.
            const std::int64_t at = seek % 2 ? 1000 : kChunk * (1 + seek / 2) - 700;
            engine.channelSetPosition(song, std::uint64_t(at) * 4);
            for (int i = 0; i < 3; ++i) {
                engine.render(block.data(), 2048);
                heard.insert(heard.end(), block.begin(), block.end());
            }
        }
        return heard;
    };
    const std::vector<float> fromMemory = render(false);
    const std::vector<float> fromDisk = render(true);
    ASSERT_EQ(fromDisk.size(), fromMemory.size());
    EXPECT_EQ(fromDisk, fromMemory);
    EXPECT_GT(rms(fromDisk, 0, fromDisk.size() / 2, 2, 1), 0.1);
}

// The decoding pool stores, the keeper lets chunks go and a player reads, all at once.
TEST(SpilledSongs, ReadersWhileThePoolDecodesAndTheKeeperTidiesSeeTheDecodedSamples) {
    QTemporaryDir dir, spillDir;
    const QString path = longSong(dir);
    AudioError error = AudioError::Ok;
    const auto reference = DecodedFile::open(path, nullptr, error);
    ASSERT_TRUE(reference);
    SpillEverything spill(spillDir.path(), 3);
    DecodedFileCache cache(false);
    const auto file = cache.open(path, error);
    ASSERT_TRUE(file && file->spilled());
    std::mt19937 random(11);
    int reads = 0;
    while (reads < 400 || !file->complete()) {
        const std::int64_t start = std::int64_t(random() % std::uint64_t(reference->frames()));
        const std::vector<float> got = readFrames(*file, start, 4096);
        ASSERT_EQ(got, readFrames(*reference, start, std::int64_t(got.size() / 2)))
            << "at " << start;
        ++reads;
    }
    EXPECT_LE(file->residentChunks(), 3 + 2);
}
