#include "songtags.h"
#include "soundfiles.h"
#include "testsignals.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
QByteArray digest(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}
} // namespace

TEST(SongTags, TitleArtistBpmAndCommentFromEachKindOfTagAndNothingWritten) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("song.wav");
    ASSERT_TRUE(writeWav(wav, sine(440, 2)));
    // ID3v2 by lame, MP4 atoms, Vorbis comments in FLAC and OGG by ffmpeg.
    const QString mp3 = dir.filePath("song.mp3");
    ASSERT_TRUE(run("lame", {"--quiet", "--tt", "Just Because", "--ta", "Rhythm Records", "--tc",
                             "key of G", "--tv", "TBPM=126", wav, mp3}));
    QStringList files{mp3};
    for (const QString ext : {"m4a", "flac", "ogg"}) {
        const QString out = dir.filePath("song." + ext);
        ASSERT_TRUE(run("ffmpeg", {"-v", "error", "-y", "-i", wav, "-metadata",
                                   "title=Just Because", "-metadata", "artist=Rhythm Records",
                                   "-metadata", "comment=key of G", "-metadata", "BPM=126", out}))
            << ext.toStdString();
        files << out;
    }
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray before = digest(file);
        const SongTags tags = readSongTags(file);
        EXPECT_EQ(tags.title, "Just Because");
        EXPECT_EQ(tags.artist, "Rhythm Records");
        EXPECT_EQ(tags.comment, "key of G");
        if (!file.endsWith(".m4a")) { // MP4 keeps its tempo in an atom ffmpeg does not write
            EXPECT_EQ(tags.bpm, "126");
        }
        EXPECT_EQ(digest(file), before);
    }
    EXPECT_EQ(readSongTags(mp3).lines(),
              QStringList({"Title: Just Because", "Artist: Rhythm Records", "BPM tag: 126",
                           "Comment: key of G"}));

    // No tags, garbage and a missing file: nothing, and no crash.
    EXPECT_TRUE(readSongTags(wav).lines().isEmpty());
    QFile garbage(dir.filePath("garbage.mp3"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10) + QByteArray(300, '\xff'));
    garbage.close();
    EXPECT_TRUE(readSongTags(garbage.fileName()).title.isEmpty());
    EXPECT_TRUE(readSongTags(dir.filePath("missing.mp3")).lines().isEmpty());
}
