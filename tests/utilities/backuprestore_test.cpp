#include "backuprestore.h"
#include "copyrig.h"
#include "filecopy.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {

// A data folder with settings and lists of every kind of content the store writes: CR LF
// lines, Windows-1252 bytes, an empty file, a hidden file and a subfolder.
void fillDataFolder(const TempDataFolder& data) {
    data.write("ini/color.txt", "clTeal\r\ncl3DLight\r\n\"Arial\", 10, [], [cl3DLight]\r\n");
    data.write("ini/memorize.txt", "caf\xe9 song.mp3|12.5|300\r\n");
    data.write("ini/log.txt", "");
    data.write("ini/.hidden", "kept too");
    data.write("ini/more/deeper.txt", "a subfolder\r\n");
    data.write("favorites/default.fvt", "Singer One.mp3\r\nSinger Two.mp3\r\n");
    data.write("favorites/default.fvt.ptr", "Patter One.mp3\r\n");
    data.write("mp3s/not backed up.mp3", "music stays out of the backup");
}

QStringList settingsOf(const QString& root) {
    QStringList all;
    for (const QString sub : {"favorites", "ini"})
        for (const QString& line : treeContent(root + "/" + sub))
            all << sub + "/" + line;
    return all;
}

struct Rig {
    TempDataFolder data;
    QTemporaryDir volumeDir;
    Volume volume{"KEY", volumeDir.path()};
    ScriptedPrompter prompter;
    CopyJob job{prompter};
    BackupRestore backup{data.folder(), prompter, job};
    QString backupFolder() const { return volumeDir.path() + "/Hoedeck backup"; }
};

} // namespace

TEST(BackupRestore, RoundTripGivesBackEverySettingsFileByteForByte) {
    Rig rig;
    fillDataFolder(rig.data);
    const QStringList before = settingsOf(rig.data.folder().root());
    QSignalSpy progress(&rig.job, &CopyJob::progressed);

    rig.prompter.yesNo = {true};
    ASSERT_TRUE(rig.backup.backup(rig.volume));
    ASSERT_TRUE(rig.job.waitForFinished(10000));
    EXPECT_EQ(rig.prompter.shown.value(0),
              "Warning! This will delete all previous backup files and replace them with newly "
              "created backups. Are you sure you want to continue?");
    EXPECT_EQ(rig.prompter.shown.value(1), "Done");
    EXPECT_EQ(settingsOf(rig.backupFolder()), before);
    EXPECT_FALSE(QFileInfo::exists(rig.backupFolder() + "/mp3s"));
    EXPECT_EQ(progress.size(), 7);
    // Only the backup folder is on the volume: no work folder left beside it.
    EXPECT_EQ(QDir(rig.volumeDir.path())
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Hoedeck backup"}));

    // The caller changes settings: one edited, one deleted, one new.
    rig.data.write("ini/color.txt", "clRed\r\n");
    QFile::remove(rig.data.path("favorites/default.fvt.ptr"));
    rig.data.write("ini/new since.txt", "made after the backup\r\n");
    rig.prompter.shown.clear();
    rig.prompter.yesNo = {true};
    ASSERT_TRUE(rig.backup.restore(rig.volume));
    ASSERT_TRUE(rig.job.waitForFinished(10000));
    EXPECT_EQ(rig.prompter.shown, QStringList({"Warning! This will overwrite all ini and favorites "
                                               "with backups. Are you sure you want to continue?",
                                               "Done"}));
    QStringList expected = before;
    expected << "ini/new since.txt=" +
                    QString::fromLatin1(QByteArray("made after the backup\r\n").toHex());
    expected.sort();
    QStringList after = settingsOf(rig.data.folder().root());
    after.sort();
    EXPECT_EQ(after, expected);
}

TEST(BackupRestore, ASecondBackupHoldsOnlyWhatItCopied) {
    Rig rig;
    fillDataFolder(rig.data);
    for (int round = 0; round < 2; ++round) {
        rig.prompter.yesNo = {true};
        ASSERT_TRUE(rig.backup.backup(rig.volume));
        ASSERT_TRUE(rig.job.waitForFinished(10000));
        QFile::remove(rig.data.path("ini/memorize.txt"));
    }
    EXPECT_FALSE(QFileInfo::exists(rig.backupFolder() + "/ini/memorize.txt"));
    EXPECT_TRUE(QFileInfo::exists(rig.backupFolder() + "/ini/color.txt"));
    EXPECT_EQ(rig.prompter.shown.count("Done"), 2);
    EXPECT_EQ(QDir(rig.volumeDir.path())
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Hoedeck backup"}));
}

TEST(BackupRestore, NoBackupFolderOrANoChangesNothing) {
    Rig rig;
    fillDataFolder(rig.data);
    // No backup on the volume: said before any question.
    EXPECT_FALSE(rig.backup.restore(rig.volume));
    EXPECT_EQ(rig.prompter.shown, QStringList({"I can't find the backup folder!"}));

    // A backup without "ini" is no backup.
    writeFile(rig.backupFolder() + "/favorites/x.fvt", "x");
    EXPECT_FALSE(rig.backup.restore(rig.volume));
    EXPECT_EQ(rig.prompter.shown.size(), 2);

    // "No" to either question: nothing is written.
    writeFile(rig.backupFolder() + "/ini/color.txt", "clRed\r\n");
    rig.prompter.yesNo = {false, false};
    EXPECT_FALSE(rig.backup.restore(rig.volume));
    EXPECT_FALSE(rig.backup.backup(rig.volume));
    EXPECT_EQ(fileBytes(rig.data.path("ini/color.txt")).left(6), "clTeal");
    EXPECT_FALSE(QFileInfo::exists(rig.backupFolder() + "/ini/memorize.txt"));
    EXPECT_FALSE(rig.job.running());
}

TEST(BackupRestore, ABackupWithoutFavoritesRestoresIniAlone) {
    TempDataFolder data(false);
    QTemporaryDir backup;
    writeFile(backup.path() + "/ini/color.txt", "clRed\r\n");
    DirectControl control;
    const CopyJob::Ending ending =
        BackupRestore::restoreWork(data.folder(), backup.path(), control);
    EXPECT_EQ(ending.text, "Done");
    EXPECT_EQ(data.bytes("ini/color.txt"), "clRed\r\n");
    EXPECT_TRUE(QFileInfo(data.path("favorites")).isDir());
}

TEST(BackupRestore, ACancelKeepsTheEarlierBackupAndTheSettings) {
    TempDataFolder data;
    fillDataFolder(data);
    QTemporaryDir volume;
    const QString target = volume.path() + "/Hoedeck backup";
    DirectControl first;
    ASSERT_EQ(BackupRestore::backupWork(data.folder(), target, first).text, "Done");
    const QStringList earlier = settingsOf(target);

    data.write("ini/color.txt", "clRed\r\n");
    DirectControl cancelling;
    cancelling.cancelAtStep = 2;
    const CopyJob::Ending backup = BackupRestore::backupWork(data.folder(), target, cancelling);
    EXPECT_EQ(backup.text, "The backup was cancelled. The earlier backup is kept as it was.");
    EXPECT_EQ(settingsOf(target), earlier);
    EXPECT_EQ(QDir(volume.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Hoedeck backup"}));

    DirectControl cancelRestore;
    cancelRestore.cancelAtStep = 3;
    const CopyJob::Ending restore =
        BackupRestore::restoreWork(data.folder(), target, cancelRestore);
    EXPECT_EQ(restore.text, "The restore was cancelled. Nothing was restored; your settings are as "
                            "they were.");
    EXPECT_EQ(data.bytes("ini/color.txt"), "clRed\r\n");
    EXPECT_EQ(filecopy::filesUnder(data.path("ini")).filter(".part"), QStringList());
}

TEST(BackupRestore, ABackupCutOffBetweenItsRenamesIsFoundAgain) {
    TempDataFolder data;
    fillDataFolder(data);
    QTemporaryDir volume;
    const QString target = volume.path() + "/Hoedeck backup";
    // As left by a run that put the earlier backup aside and stopped (and a stale work folder).
    writeFile(target + ".old/ini/color.txt", "clRed\r\n");
    writeFile(target + ".partial/ini/half.txt", "half");
    EXPECT_EQ(BackupRestore::restorableFolder(target), target + ".old");

    DirectControl control;
    EXPECT_EQ(BackupRestore::backupWork(data.folder(), target, control).text, "Done");
    EXPECT_EQ(BackupRestore::restorableFolder(target), target);
    EXPECT_EQ(settingsOf(target), settingsOf(data.folder().root()));
    EXPECT_EQ(QDir(volume.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList({"Hoedeck backup"}));
}

// A key or data folder that fills up or is write-protected: a small file system of its own in
// a child process.
namespace {
QString onSmallDisk(const QString& folder, const std::function<std::string()>& work) {
    return inChildOnSmallDisk(folder, 256 * 1024, work);
}
std::string verdict(bool kept, const QString& text) {
    return (kept ? "kept|" : "lost|") + text.toStdString();
}
// The old files were kept, and the message gives the system's reason.
void expectKept(const QString& outcome, bool readOnly) {
    EXPECT_TRUE(outcome.startsWith("kept|")) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains(readOnly ? "Read-only file system" : "No space left on device"))
        << outcome.toStdString();
}
} // namespace

TEST(BackupRestore, ABackupToAFullOrReadOnlyVolumeKeepsTheEarlierOne) {
    TempDataFolder data;
    fillDataFolder(data);
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        QTemporaryDir volume;
        const QString target = volume.path() + "/Hoedeck backup";
        const QString outcome = onSmallDisk(volume.path(), [&] {
            DirectControl control;
            if (BackupRestore::backupWork(data.folder(), target, control).text != "Done")
                return std::string("first backup failed");
            const QStringList earlier = settingsOf(target);
            // The settings have grown past what the key still holds.
            writeFile(data.path("ini/big.txt"), QByteArray(300 * 1024, 'b'));
            if (readOnly)
                remountReadOnly(volume.path());
            else
                fillDisk(volume.path());
            const CopyJob::Ending ending =
                BackupRestore::backupWork(data.folder(), target, control);
            QFile::remove(data.path("ini/big.txt"));
            const QStringList left =
                QDir(volume.path())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
            return verdict(settingsOf(target) == earlier && ending.error,
                           left.join(',') + "|" + ending.text);
        });
        if (outcome.startsWith("unprepared: "))
            GTEST_SKIP() << "no file system of its own for the child: " << outcome.toStdString();
        expectKept(outcome, readOnly);
        EXPECT_TRUE(outcome.contains("The earlier backup is kept as it was."))
            << outcome.toStdString();
        // Nothing but the earlier backup (and the filler) is left on the key.
        EXPECT_FALSE(outcome.contains(".partial")) << outcome.toStdString();
        EXPECT_FALSE(outcome.contains(".old")) << outcome.toStdString();
    }
}

TEST(BackupRestore, ARestoreIntoAFullOrReadOnlyDataFolderLeavesTheOldFiles) {
    QTemporaryDir backup;
    writeFile(backup.path() + "/ini/color.txt", "clRed\r\n");
    writeFile(backup.path() + "/ini/memorize.txt", QByteArray(200 * 1024, 'm'));
    writeFile(backup.path() + "/favorites/default.fvt", "Backed Up.mp3\r\n");
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        QTemporaryDir disk;
        const QString outcome = onSmallDisk(disk.path(), [&] {
            const DataFolder data(disk.path());
            writeFile(data.path("ini/color.txt"), "clTeal\r\n");
            writeFile(data.path("ini/memorize.txt"), "old|1\r\n");
            writeFile(data.path("favorites/default.fvt"), "Old.mp3\r\n");
            const QStringList old = settingsOf(disk.path());
            if (readOnly)
                remountReadOnly(disk.path());
            else
                fillDisk(disk.path());
            DirectControl control;
            const CopyJob::Ending ending = BackupRestore::restoreWork(data, backup.path(), control);
            const bool noWorkFiles = treeContent(disk.path()).filter(".part").isEmpty();
            return verdict(settingsOf(disk.path()) == old && noWorkFiles && ending.error,
                           ending.text);
        });
        if (outcome.startsWith("unprepared: "))
            GTEST_SKIP() << "no file system of its own for the child: " << outcome.toStdString();
        expectKept(outcome, readOnly);
        EXPECT_TRUE(outcome.contains("can't copy ")) << outcome.toStdString();
        EXPECT_TRUE(outcome.endsWith("Nothing was restored; your settings are as they were."))
            << outcome.toStdString();
    }
}
