#pragma once

#include "copyjob.h"
#include "datafolder.h"
#include "volumes.h"

namespace hoedeck {

class Prompter;

// Backup and restore of the caller's settings (ini/) and favourites lists (favorites/) to the
// folder "Hoedeck backup" at the top of a volume.
//
// A backup is written beside the earlier one and takes its place only when it is whole: a key
// that fills up or is write-protected part way leaves the caller with the earlier backup, not
// with none. A restore writes every file beside the one it replaces first; only when all of
// them are written do they take the old files' names, so a full or read-only data folder keeps
// its settings as they were.
class BackupRestore {
public:
    static const QString kFolderName; // "Hoedeck backup"

    BackupRestore(DataFolder folder, Prompter& prompter, CopyJob& job);

    static QString backupFolder(const Volume& volume);

    // "Backup": asks, then copies on the job. False when the caller declined or a copy runs.
    bool backup(const Volume& volume);
    // "Restore": checks that there is a backup, asks, then copies on the job.
    bool restore(const Volume& volume);

    // The copies themselves, run on the job's thread (tests run them directly).
    static CopyJob::Ending backupWork(const DataFolder& data, const QString& backupFolder,
                                      CopyJob::Control& control);
    static CopyJob::Ending restoreWork(const DataFolder& data, const QString& backupFolder,
                                       CopyJob::Control& control);
    // The folder a restore reads: the backup, or the earlier one when a backup was cut off
    // between putting the earlier one aside and giving the new one its name. Empty when
    // neither holds an "ini" folder.
    static QString restorableFolder(const QString& backupFolder);

private:
    DataFolder m_folder;
    Prompter& m_prompter;
    CopyJob& m_job;
};

} // namespace hoedeck
