#include "lyricsfolders.h"

#include "prompter.h"
#include "textstore.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace hoedeck {

namespace {
const char* const kFilterFile = "combofilter.txt";
const char* const kFavoritesFile = "favorite_lyrics_subdirectories.txt";
const char* const kSubdirectories = "subdirectory.txt";

QString withSeparator(const QString& folder) {
    return folder.endsWith('/') ? folder : folder + '/';
}
} // namespace

const QList<LyricsFileFilter>& LyricsFolders::filters() {
    static const QList<LyricsFileFilter> table{
        {"All files (*.*)", {"*.*"}},
        {"Html files (*.html,*.htm)", {"*.htm", "*.html"}},
        {"Picture files (*.jpg,*.bmp,*.gif)", {"*.jpg", "*.bmp", "*.gif"}},
        {"Word files (*.doc,*.rtf)", {"*.doc", "*.rtf"}},
    };
    return table;
}

QStringList LyricsFolders::files(const QString& folder, int filterIndex) {
    QDir dir(folder);
    // "*.*" means every file, as it always has on the caller's old system, names without a
    // dot included.
    const QStringList masks = filters().value(filterIndex).masks;
    if (masks != QStringList{"*.*"})
        dir.setNameFilters(masks);
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

LyricsFolders::LyricsFolders(DataFolder folder, Prompter& prompter)
    : m_folder(std::move(folder)), m_prompter(prompter) {}

int LyricsFolders::loadFilter() {
    const QString path = m_folder.ini(kFilterFile);
    textstore::ensureFile(path, {"0"});
    const QString line = textstore::readSettings(path).value(0);
    bool ok = false;
    const int index = line.trimmed().toInt(&ok);
    if (!ok || index < 0 || index >= filters().size()) {
        m_prompter.message(QStringLiteral("%1: \"%2\" is not a file filter (0 to %3); the lyrics "
                                          "window lists all files.")
                               .arg(QDir::toNativeSeparators(path), textstore::excerpt(line),
                                    QString::number(filters().size() - 1)),
                           "Hoedeck", Prompter::Icon::Warning);
        m_filter = 0;
        return m_filter;
    }
    m_filter = index;
    return m_filter;
}

void LyricsFolders::setFilter(int index) {
    m_filter = std::clamp(index, 0, int(filters().size()) - 1);
    const QString path = m_folder.ini(kFilterFile);
    QStringList lines = QFileInfo::exists(path) ? textstore::readSettings(path) : QStringList();
    if (lines.isEmpty())
        lines << QString();
    lines[0] = QString::number(m_filter);
    textstore::writeList(path, lines);
}

QString LyricsFolders::defaultFolder() const {
    return withSeparator(m_folder.path("Lyrics"));
}

LyricsFolders::Remembered LyricsFolders::rememberedFolder() const {
    const QString path = m_folder.ini(kSubdirectories);
    if (!QFileInfo::exists(path))
        return {defaultFolder(), {}};
    const QString line = textstore::readSettings(path).value(1);
    if (line.isEmpty())
        return {defaultFolder(), {}};
    // A relative path would be read against whatever folder the process is in.
    if (QFileInfo(line).isAbsolute() && QFileInfo(line).isDir())
        return {withSeparator(QDir::cleanPath(line)), {}};
    return {defaultFolder(),
            QStringLiteral("The lyrics folder %1 no longer exists; showing %2 instead.")
                .arg(QDir::toNativeSeparators(textstore::excerpt(line, 200)),
                     QDir::toNativeSeparators(defaultFolder()))};
}

void LyricsFolders::rememberFolder(const QString& folder) const {
    const QString path = m_folder.ini(kSubdirectories);
    textstore::ensureFile(path, {m_folder.path("mp3s/"), defaultFolder()});
    QStringList lines = textstore::readSettings(path);
    while (lines.size() < 2)
        lines << QString();
    const QString line = withSeparator(QDir::cleanPath(folder));
    if (lines[1] == line)
        return;
    lines[1] = line;
    textstore::writeList(path, lines);
}

QString LyricsFolders::favoritesPath() const {
    return m_folder.ini(kFavoritesFile);
}

bool LyricsFolders::favoritesFileExists() const {
    return QFileInfo::exists(favoritesPath());
}

void LyricsFolders::loadFavorites() {
    // The lyrics shipped with the program are where a new caller's cue sheets are: the lyric
    // search finds them from the first evening.
    textstore::ensureFile(favoritesPath(), {storedForm(defaultFolder())});
    m_favorites = textstore::readList(favoritesPath());
}

bool LyricsFolders::addFavorite(const QString& folder) {
    m_favorites = favoritesFileExists() ? textstore::readList(favoritesPath()) : QStringList();
    const QString wanted = storedForm(folder);
    for (const QString& held : std::as_const(m_favorites))
        if (storedForm(held).compare(wanted, Qt::CaseInsensitive) == 0)
            return false;
    m_favorites << wanted;
    saveFavorites();
    return true;
}

bool LyricsFolders::removeFavorite(int index) {
    if (index < 0 || index >= m_favorites.size())
        return false;
    if (!m_prompter.question("Delete " + m_favorites[index] +
                             " from your lyrics favorite folders now?"))
        return false;
    m_favorites.removeAt(index);
    saveFavorites();
    return true;
}

void LyricsFolders::moveFavorite(int from, int to) {
    if (from < 0 || from >= m_favorites.size() || from == to)
        return;
    const QString folder = m_favorites.takeAt(from);
    m_favorites.insert(std::clamp(to, 0, int(m_favorites.size())), folder);
    saveFavorites();
}

void LyricsFolders::saveFavorites() {
    textstore::writeList(favoritesPath(), m_favorites);
}

QString LyricsFolders::storedForm(const QString& folder) {
    return QDir::cleanPath(folder);
}

QString LyricsFolders::join(const QString& folder, const QString& fileName) {
    return withSeparator(folder) + fileName;
}

} // namespace hoedeck
