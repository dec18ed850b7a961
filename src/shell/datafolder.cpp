#include "datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace hoedeck {

DataFolder::DataFolder(QString root) : m_root(QDir::cleanPath(std::move(root))) {
    if (!m_root.endsWith('/'))
        m_root += '/';
}

namespace {
// Every file shipped beside the program but the program itself, copied where none is.
bool seed(const QString& from, const QString& to) {
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QDirIterator files(from, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    bool complete = QDir().mkpath(to);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString relative = QDir(from).relativeFilePath(source);
        if (relative == program || relative == DataFolder::kInstalledMarker)
            continue;
        const QString target = QDir(to).filePath(relative);
        if (QFileInfo::exists(target))
            continue;
        complete =
            QDir().mkpath(QFileInfo(target).path()) && QFile::copy(source, target) && complete;
    }
    // Empty folders of the defaults (cards, Lyrics ...) too.
    QDirIterator folders(from, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (folders.hasNext())
        QDir().mkpath(QDir(to).filePath(QDir(from).relativeFilePath(folders.next())));
    return complete;
}
} // namespace

DataFolder DataFolder::choose(const QString& programFolder, const QString& userFolder) {
    const bool installed = QFileInfo::exists(QDir(programFolder).filePath(kInstalledMarker));
    // Only permissions count: a portable copy on a full stick stays where the caller's settings
    // are (and says it cannot save) rather than start afresh elsewhere.
    if (!installed && QFileInfo(programFolder).isWritable())
        return DataFolder(programFolder);
    // Seeded once: a folder the caller has is theirs, files they deleted stay deleted.
    if (!QFileInfo::exists(userFolder))
        seed(programFolder, userFolder);
    return DataFolder(QFileInfo(userFolder).isDir() ? userFolder : programFolder);
}

DataFolder DataFolder::ofExecutable() {
    return choose(QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

QString DataFolder::path(const QString& relative) const {
    QString rel = relative;
    rel.replace('\\', '/');
    while (rel.startsWith('/'))
        rel.remove(0, 1);
    return m_root + rel;
}

} // namespace hoedeck
