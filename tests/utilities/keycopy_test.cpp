#include "copyrig.h"
#include "keycopy.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"
#include "textstore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

// The browser's folder holds one song, a favourite folder another; the key is a folder.
struct Rig {
    TempDataFolder data;
    QTemporaryDir keyDir;
    Volume key{"KEY", keyDir.path()};
    ScriptedPrompter prompter;
    MusicFolders folders{data.folder(), prompter};

    Rig() {
        writeFile(data.path("browser/Browsed.mp3"), "browsed song");
        writeFile(data.path("favourite/Favourite.mp3"), "favourite song");
        writeFile(data.path("favourite/Browsed.mp3"), "a second song of the same name");
        textstore::writeList(data.path("ini/favorite_subdirectories.txt"),
                             {data.path("favourite")});
        folders.load_favorite_subdirectories();
        folders.load_subdirectories();
        folders.setBrowserFolder(data.path("browser"));
    }
    QStringList onKey() const { return treeContent(keyDir.path()); }
    QString keyPath(const QString& name) const { return keyDir.path() + "/" + name; }
};

QString entry(const QString& name, const QByteArray& bytes) {
    return name + "=" + QString::fromLatin1(bytes.toHex());
}

} // namespace

TEST(KeyCopy, CopiesTheSongsItFindsAndPassesOverTheOthersSilently) {
    Rig rig;
    const QList<KeySong> songs = KeyCopy::plan({"Browsed.mp3", "Nowhere.mp3"}, {"Favourite.mp3"});
    ASSERT_EQ(songs.size(), 3);
    EXPECT_FALSE(songs[0].patter);
    EXPECT_TRUE(songs[2].patter);
    EXPECT_EQ(songs[2].row, 0);

    DirectControl control;
    EXPECT_TRUE(KeyCopy::work(songs, rig.folders, rig.key, control).text.isEmpty());
    EXPECT_EQ(control.told, QStringList());
    EXPECT_EQ(control.steps, QList<int>({0, 1, 2}));
    // The browser's folder comes first; each song lands at the top of the key.
    EXPECT_EQ(rig.onKey(), QStringList({entry("Browsed.mp3", "browsed song"),
                                        entry("Favourite.mp3", "favourite song")}));
}

TEST(KeyCopy, ASecondCopyReportsEverySongAndChangesNothingOnTheKey) {
    Rig rig;
    const QList<KeySong> songs = KeyCopy::plan({}, {"Browsed.mp3", "Favourite.mp3"});
    DirectControl first;
    KeyCopy::work(songs, rig.folders, rig.key, first);
    writeFile(rig.keyPath("Browsed.mp3"), "the caller's own copy");
    const QStringList before = rig.onKey();

    DirectControl second;
    KeyCopy::work(songs, rig.folders, rig.key, second);
    EXPECT_EQ(
        second.told,
        QStringList({"can't copy " + rig.data.path("browser/Browsed.mp3") + " to " +
                         rig.keyPath("Browsed.mp3") + ": a file of that name is already there",
                     "can't copy " + rig.data.path("favourite/Favourite.mp3") + " to " +
                         rig.keyPath("Favourite.mp3") + ": a file of that name is already there"}));
    EXPECT_EQ(rig.onKey(), before);
}

TEST(KeyCopy, ASongInBothHalvesIsCopiedOnceAndReportedOnce) {
    Rig rig;
    DirectControl control;
    KeyCopy::work(KeyCopy::plan({"Favourite.mp3"}, {"favourite.MP3"}), rig.folders, rig.key,
                  control);
    EXPECT_EQ(control.told.size(), 1);
    EXPECT_TRUE(control.told.value(0).startsWith("can't copy "))
        << control.told.value(0).toStdString();
    EXPECT_EQ(rig.onKey(), QStringList({entry("Favourite.mp3", "favourite song")}));
}

TEST(KeyCopy, AnEmptyPlanIsRefusedWithTheMessageGiven) {
    Rig rig;
    CopyJob job(rig.prompter);
    KeyCopy copy(rig.folders, rig.prompter, job);
    EXPECT_FALSE(copy.start({}, rig.key, "The patter list is empty: there is nothing to copy."));
    EXPECT_EQ(rig.prompter.shown,
              QStringList({"The patter list is empty: there is nothing to copy."}));
    EXPECT_FALSE(job.running());
}

// On the job's own thread: each failure waits for its box, and "Stop Copying" ends the copy.
TEST(KeyCopy, StopCopyingInAFailureBoxEndsTheCopy) {
    Rig rig;
    for (const QString name : {"One.mp3", "Two.mp3", "Three.mp3"}) {
        writeFile(rig.data.path("browser/" + name), "song");
        writeFile(rig.keyPath(name), "already there");
    }
    CopyJob job(rig.prompter);
    KeyCopy copy(rig.folders, rig.prompter, job);
    QSignalSpy progress(&job, &CopyJob::progressed);
    QSignalSpy finished(&job, &CopyJob::finished);
    rig.prompter.choices = {0, 1};
    ASSERT_TRUE(copy.start(KeyCopy::plan({"One.mp3", "Two.mp3", "Three.mp3"}, {}), rig.key, {}));
    EXPECT_FALSE(copy.start(KeyCopy::plan({"One.mp3"}, {}), rig.key, {}));
    ASSERT_TRUE(job.waitForFinished(10000));
    EXPECT_EQ(rig.prompter.shown.size(), 2);
    EXPECT_EQ(progress.size(), 2);
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished[0][0].toBool());
}

TEST(KeyCopy, ACancelFromTheWindowStopsMidFileAndLeavesNoHalfSong) {
    Rig rig;
    QStringList names;
    for (int i = 0; i < 6; ++i) {
        names << QStringLiteral("Long %1.mp3").arg(i);
        writeFile(rig.data.path("browser/" + names.last()), QByteArray(8 << 20, char('a' + i)));
    }
    CopyJob job(rig.prompter);
    KeyCopy copy(rig.folders, rig.prompter, job);
    QObject::connect(&job, &CopyJob::progressed, &job, [&](int value) {
        if (value == 0)
            job.cancel();
    });
    QSignalSpy finished(&job, &CopyJob::finished);
    ASSERT_TRUE(copy.start(KeyCopy::plan(names, {}), rig.key, {}));
    ASSERT_TRUE(job.waitForFinished(20000));
    ASSERT_EQ(finished.size(), 1);
    EXPECT_TRUE(finished[0][0].toBool());
    // Whatever is on the key is whole; nothing half-written is left under any name.
    const QStringList left = QDir(rig.keyDir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_LT(left.size(), names.size());
    for (const QString& name : left) {
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
        EXPECT_EQ(QFileInfo(rig.keyPath(name)).size(), 8 << 20);
    }
    EXPECT_TRUE(rig.prompter.shown.isEmpty());
}

TEST(KeyCopy, AFullKeyReportsTheSongThatDoesNotFitAndKeepsTheOthersWhole) {
    Rig rig;
    for (const QString name : {"A.mp3", "B.mp3", "C.mp3"})
        writeFile(rig.data.path("browser/" + name), QByteArray(100 * 1024, 's'));
    const QString outcome = inChildOnSmallDisk(rig.keyDir.path(), 256 * 1024, [&] {
        DirectControl control;
        KeyCopy::work(KeyCopy::plan({"A.mp3", "B.mp3", "C.mp3"}, {}), rig.folders, rig.key,
                      control);
        // Again on the full key: a song already there says so, not that the key is full.
        DirectControl again;
        KeyCopy::work(KeyCopy::plan({"A.mp3"}, {}), rig.folders, rig.key, again);
        return (QDir(rig.keyDir.path()).entryList(QDir::Files | QDir::Hidden).join(',') + "|" +
                control.told.join('|') + "|" + again.told.join('|'))
            .toStdString();
    });
    if (outcome.startsWith("unprepared: "))
        GTEST_SKIP() << "no file system of its own for the child: " << outcome.toStdString();
    EXPECT_TRUE(outcome.startsWith("A.mp3,B.mp3|can't copy ")) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains("C.mp3: No space left on device|can't copy "))
        << outcome.toStdString();
    EXPECT_TRUE(outcome.endsWith("A.mp3: a file of that name is already there"))
        << outcome.toStdString();
}
