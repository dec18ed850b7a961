#include "backuprestore.h"

#include "filecopy.h"
#include "prompter.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace hoedeck {

const QString BackupRestore::kFolderName = QStringLiteral("Hoedeck backup");

namespace {

const QString kBackupCaption = QStringLiteral("Backup");
const QString kRestoreCaption = QStringLiteral("Restore");

// Favourites first, then the settings, as a caller who watches the folders expects.
const QStringList kFolders = {QStringLiteral("favorites"), QStringLiteral("ini")};

struct Transfer {
    QString source;
    QString destination;
};

QList<Transfer> transfers(const QString& fromRoot, const QString& toRoot) {
    QList<Transfer> list;
    for (const QString& sub : kFolders) {
        const QString from = QDir(fromRoot).filePath(sub);
        const QString to = QDir(toRoot).filePath(sub);
        for (const QString& relative : filecopy::filesUnder(from))
            list << Transfer{QDir(from).filePath(relative), QDir(to).filePath(relative)};
    }
    return list;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

int renamePath(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
               ? 0
               : errno;
}

CopyJob::Ending failure(const QString& text, const QString& caption) {
    return {text, caption, true};
}

QString partialName(const QString& backupFolder) {
    return backupFolder + ".partial";
}
QString earlierName(const QString& backupFolder) {
    return backupFolder + ".old";
}

} // namespace

BackupRestore::BackupRestore(DataFolder folder, Prompter& prompter, CopyJob& job)
    : m_folder(std::move(folder)), m_prompter(prompter), m_job(job) {}

QString BackupRestore::backupFolder(const Volume& volume) {
    return volume.path(kFolderName);
}

QString BackupRestore::restorableFolder(const QString& backupFolder) {
    for (const QString& folder : {backupFolder, earlierName(backupFolder)})
        if (QFileInfo(QDir(folder).filePath("ini")).isDir())
            return folder;
    return {};
}

bool BackupRestore::backup(const Volume& volume) {
    if (m_job.running())
        return false;
    if (!m_prompter.question("Warning! This will delete all previous backup files and replace "
                             "them with newly created backups. Are you sure you want to continue?",
                             kBackupCaption))
        return false;
    return m_job.start([data = m_folder, target = backupFolder(volume)](CopyJob::Control& control) {
        return backupWork(data, target, control);
    });
}

bool BackupRestore::restore(const Volume& volume) {
    if (m_job.running())
        return false;
    const QString source = restorableFolder(backupFolder(volume));
    if (source.isEmpty()) {
        m_prompter.message("I can't find the backup folder!", kRestoreCaption);
        return false;
    }
    if (!m_prompter.question("Warning! This will overwrite all ini and favorites with backups. "
                             "Are you sure you want to continue?",
                             kRestoreCaption))
        return false;
    return m_job.start([data = m_folder, source](CopyJob::Control& control) {
        return restoreWork(data, source, control);
    });
}

CopyJob::Ending BackupRestore::backupWork(const DataFolder& data, const QString& target,
                                          CopyJob::Control& control) {
    const QString partial = partialName(target);
    const QString earlier = earlierName(target);
    // What an interrupted earlier run left: a swap cut short between its two renames gets its
    // backup back under the right name; a half-written new backup goes.
    if (!QFileInfo::exists(target) && QFileInfo::exists(earlier))
        renamePath(earlier, target);
    filecopy::removeTree(earlier);
    filecopy::removeTree(partial);

    const bool hadBackup = QFileInfo::exists(target);
    const QString kept = hadBackup ? QStringLiteral("The earlier backup is kept as it was.")
                                   : QStringLiteral("No backup was made.");
    for (const QString& sub : {QString(), kFolders[1], kFolders[0]}) {
        const QString folder = sub.isEmpty() ? partial : QDir(partial).filePath(sub);
        if (const QString problem = filecopy::makePath(folder); !problem.isEmpty()) {
            filecopy::removeTree(partial);
            return failure("The backup folder " + shown(target) + " cannot be made: " + problem +
                               "\n\n" + kept,
                           kBackupCaption);
        }
    }

    const QList<Transfer> files = transfers(data.root(), partial);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const Transfer& file = files[i];
        const QString destination = file.destination;
        QString problem = filecopy::makePath(QFileInfo(destination).path());
        if (problem.isEmpty()) {
            const filecopy::Result copied = filecopy::copy(file.source, destination, false,
                                                           [&] { return control.cancelled(); });
            if (copied.cancelled) {
                filecopy::removeTree(partial);
                return {"The backup was cancelled. " + kept, kBackupCaption};
            }
            problem = copied.error;
        }
        if (!problem.isEmpty()) {
            filecopy::removeTree(partial);
            const QString shownDestination =
                QDir(target).filePath(QDir(partial).relativeFilePath(destination));
            return failure("The backup to " + shown(target) + " could not be completed: " +
                               filecopy::cannotCopy(file.source, shownDestination, problem) +
                               "\n\n" + kept,
                           kBackupCaption);
        }
        control.progress(int(i + 1), int(files.size()));
    }

    if (hadBackup) {
        if (const int error = renamePath(target, earlier)) {
            filecopy::removeTree(partial);
            return failure("The earlier backup " + shown(target) +
                               " could not be replaced: " + filecopy::reason(error) + "\n\n" + kept,
                           kBackupCaption);
        }
    }
    if (const int error = renamePath(partial, target)) {
        if (hadBackup)
            renamePath(earlier, target);
        filecopy::removeTree(partial);
        return failure("The backup could not be named " + shown(target) + ": " +
                           filecopy::reason(error) + "\n\n" + kept,
                       kBackupCaption);
    }
    // The earlier backup is no longer needed; one that will not go is removed by the next run.
    filecopy::removeTree(earlier);
    return {"Done", kBackupCaption};
}

CopyJob::Ending BackupRestore::restoreWork(const DataFolder& data, const QString& source,
                                           CopyJob::Control& control) {
    const QString unchanged =
        QStringLiteral("Nothing was restored; your settings are as they were.");
    const QList<Transfer> files = transfers(source, data.root());
    QStringList staged;
    const auto discardAll = [&] {
        for (const QString& work : staged)
            filecopy::discard(work);
    };

    // Every file is written beside the one it replaces before any is replaced.
    for (const QString& sub : kFolders)
        if (const QString problem = filecopy::makePath(data.path(sub)); !problem.isEmpty())
            return failure("The folder " + shown(data.path(sub)) + " cannot be made: " + problem +
                               "\n\n" + unchanged,
                           kRestoreCaption);
    for (qsizetype i = 0; i < files.size(); ++i) {
        const Transfer& file = files[i];
        const QString folder = QFileInfo(file.destination).path();
        QString problem = filecopy::makePath(folder);
        if (problem.isEmpty()) {
            QString work;
            const filecopy::Result result =
                filecopy::stage(file.source, folder, work, [&] { return control.cancelled(); });
            if (result.cancelled) {
                discardAll();
                return {"The restore was cancelled. " + unchanged, kRestoreCaption};
            }
            problem = result.error;
            staged << work;
        }
        if (!problem.isEmpty()) {
            discardAll();
            return failure(filecopy::cannotCopy(file.source, file.destination, problem) + "\n\n" +
                               unchanged,
                           kRestoreCaption);
        }
        control.progress(int(i + 1), int(files.size()));
    }

    // Renames within one folder: they do not need room and seldom fail.
    for (qsizetype i = 0; i < files.size(); ++i) {
        const filecopy::Result result = filecopy::commit(staged[i], files[i].destination, true);
        if (!result.ok()) {
            for (qsizetype j = i + 1; j < staged.size(); ++j)
                filecopy::discard(staged[j]);
            return failure("The restore stopped part way: " + shown(files[i].destination) +
                               " could not be replaced: " + result.error + ". The " +
                               QString::number(i) +
                               " files before it were restored; it and the files after it are "
                               "as they were.",
                           kRestoreCaption);
        }
    }
    return {"Done", kRestoreCaption};
}

} // namespace hoedeck
