#include "musicfolders.h"

#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
#include <dirent.h>

namespace hoedeck {

namespace {
const char* const kSubdirectories = "subdirectory.txt";
const char* const kFavoriteFolders = "favorite_subdirectories.txt";

QString withSeparator(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}

QString joinPath(const QString& folder, const QString& fileName) {
    return withSeparator(folder) + fileName;
}
} // namespace

const QStringList& MusicFolders::songPatterns() {
    static const QStringList patterns{"*.mp3", "*.ogg", "*.wav", "*.flac"};
    return patterns;
}

MusicFolders::MusicFolders(DataFolder folder, Prompter& prompter)
    : m_folder(std::move(folder)), m_prompter(prompter), m_browserFolder(m_folder.path("mp3s/")) {}

void MusicFolders::load_favorite_subdirectories() {
    const QString path = m_folder.ini(kFavoriteFolders);
    textstore::ensureFile(path, {m_folder.path("mp3s/")});
    const QStringList lines = textstore::readList(path);
    // Each folder once, where it last occurs: A, B, a, C shows B, a, C.
    QStringList kept;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (!kept.contains(*line, Qt::CaseInsensitive))
            kept.prepend(*line);
    m_favorites = kept;
}

void MusicFolders::load_subdirectories() {
    const QString path = m_folder.ini(kSubdirectories);
    textstore::ensureFile(path, {m_folder.path("mp3s/"), m_folder.path("Lyrics/")});
    const QString folder = textstore::readList(path).value(0);
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        m_browserFolder = withSeparator(QDir::cleanPath(folder));
    else
        m_browserFolder = m_folder.path("mp3s/");
    QDir::setCurrent(m_browserFolder);
}

void MusicFolders::setBrowserFolder(const QString& folder) {
    m_browserFolder = withSeparator(QDir::cleanPath(folder));
    QDir::setCurrent(m_browserFolder);
    const QString path = m_folder.ini(kSubdirectories);
    QStringList lines = QFileInfo::exists(path) ? textstore::readList(path) : QStringList();
    if (lines.isEmpty())
        lines << QString();
    if (lines.size() < 2)
        lines << m_folder.path("Lyrics/");
    lines[0] = m_browserFolder;
    textstore::writeList(path, lines);
}

QString MusicFolders::existingFolderOrParent(const QString& folder) {
    QDir dir(QDir::cleanPath(folder));
    while (!dir.exists() && !dir.isRoot())
        if (!dir.cdUp())
            dir.setPath(QFileInfo(dir.path()).path());
    return withSeparator(dir.path());
}

QStringList MusicFolders::songFiles(const QString& folder) {
    QDir dir(folder);
    dir.setNameFilters(songPatterns());
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QStringList MusicFolders::songsWithUndecodableNames(const QString& folder) {
    // The system hands names as bytes; one that is not UTF-8 cannot be turned into text and
    // back, so the folder listing leaves it out without a word.
    QStringList found;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return found;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(name);
        if (!utf8.hasError())
            continue;
        const QString shown = QString::fromLatin1(name.data(), name.size());
        for (const QString& pattern : songPatterns())
            if (shown.endsWith(pattern.mid(1), Qt::CaseInsensitive)) {
                found << shown;
                break;
            }
    }
    ::closedir(dir);
    return found;
}

bool MusicFolders::add_to_favorite_folders(const QString& folder) {
    // The same folder written with or without its closing separator is the same folder.
    const QString wanted = QDir::cleanPath(folder);
    for (const QString& held : m_favorites)
        if (QDir::cleanPath(held).compare(wanted, Qt::CaseInsensitive) == 0)
            return false;
    m_favorites << folder;
    saveFavorites();
    return true;
}

void MusicFolders::appendFavoriteFolder(const QString& folder) {
    m_favorites << folder;
    saveFavorites();
}

bool MusicFolders::removeFavoriteFolder(int index) {
    if (index < 0 || index >= m_favorites.size())
        return false;
    if (!m_prompter.question("Delete " + m_favorites[index] +
                             " from your favorite mp3 folders now?"))
        return false;
    m_favorites.removeAt(index);
    saveFavorites();
    return true;
}

void MusicFolders::moveFavoriteFolder(int from, int to) {
    if (from < 0 || from >= m_favorites.size())
        return;
    const QString folder = m_favorites.takeAt(from);
    m_favorites.insert(std::clamp(to, 0, int(m_favorites.size())), folder);
    saveFavorites();
}

void MusicFolders::saveFavorites() {
    textstore::writeList(m_folder.ini(kFavoriteFolders), m_favorites);
}

QString MusicFolders::fileIn(const QString& folder, const QString& fileName) {
    if (fileName.isEmpty() || folder.isEmpty())
        return {};
    const QString exact = joinPath(folder, fileName);
    if (QFileInfo(exact).isFile())
        return exact;
    // Listed only when the exact name is missing, which is rare: a folder of songs is read
    // once for a list line that needs it.
    QString found;
    QDirIterator files(folder, QDir::Files | QDir::Hidden);
    while (files.hasNext()) {
        files.next();
        if (files.fileName().compare(fileName, Qt::CaseInsensitive) != 0)
            continue;
        if (!found.isEmpty())
            return {};
        found = joinPath(folder, files.fileName());
    }
    return found;
}

QString MusicFolders::locate(const QString& fileName) const {
    const QString inBrowser = fileIn(m_browserFolder, fileName);
    return inBrowser.isEmpty() ? locateInFavorites(fileName) : inBrowser;
}

QString MusicFolders::locateInFavorites(const QString& fileName) const {
    for (const QString& folder : m_favorites)
        if (const QString found = fileIn(folder, fileName); !found.isEmpty())
            return found;
    return {};
}

QString MusicFolders::defaultArchiveFolder() {
    return QDir::homePath() + "/archived_mp3s";
}

bool MusicFolders::archive(const QString& path, const QString& archiveFolder,
                           const std::function<void()>& releaseFile) {
    if (!m_prompter.question("Would you like to move" + path + " to the \"" + archiveFolder +
                             "\" folder?"))
        return false;
    QDir().mkpath(archiveFolder);
    if (!QFileInfo(path).isFile())
        return false;
    if (releaseFile)
        releaseFile();
    const QString target = joinPath(archiveFolder, QFileInfo(path).fileName());
    // Never replace a song already in the archive: the caller would lose it.
    if (QFileInfo::exists(target) || !QFile::rename(path, target)) {
        m_prompter.message("That file is in use. Play another file first, then single click "
                           "this file to delete it.");
        return false;
    }
    return true;
}

} // namespace hoedeck
