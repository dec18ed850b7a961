#pragma once

#include "datafolder.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace hoedeck {

class Prompter;

// One entry of the lyrics window's file filter: what it is called and the names it lets in.
struct LyricsFileFilter {
    QString caption;
    QStringList masks;
};

// Where the caller's lyrics and cue sheets are: the folder the lyrics window shows (line 2 of
// ini/subdirectory.txt, whose line 1 is the music browser's), the file filter
// (ini/combofilter.txt) and the Favorite Lyrics Folders (ini/favorite_lyrics_subdirectories.txt,
// which the lyric search goes through in the caller's order).
class LyricsFolders {
public:
    static const QList<LyricsFileFilter>& filters();
    // The files of a folder that the filter lets in, sorted by name without regard to case.
    static QStringList files(const QString& folder, int filterIndex);

    LyricsFolders(DataFolder folder, Prompter& prompter);

    // The filter stored in ini/combofilter.txt, created with "0" when missing. A line that is
    // no filter's index is said and the first filter ("All files") taken.
    int loadFilter();
    void setFilter(int index);
    int filter() const { return m_filter; }

    // The lyrics folder the data folder ships: data/Lyrics.
    QString defaultFolder() const;
    // The folder remembered in line 2 of ini/subdirectory.txt. One that no longer exists (a
    // stick taken out, a folder renamed) gives the default folder and a one-line notice
    // saying so; an empty notice otherwise.
    struct Remembered {
        QString folder;
        QString notice;
    };
    Remembered rememberedFolder() const;
    // Remembers the folder in line 2, with a closing "/"; creates the file with its two
    // default lines first when it is missing. Line 1 stays the music browser's.
    void rememberFolder(const QString& folder) const;

    // The favourite folders from their file, created with the default lyrics folder when
    // missing.
    void loadFavorites();
    const QStringList& favorites() const { return m_favorites; }
    // Whether the favourites file exists: the lyric search sets it up itself when it does not.
    bool favoritesFileExists() const;
    // Adds the folder unless an entry names it already (ignoring case and a closing "/"); the
    // file is read first, so an entry added by hand meanwhile is kept. True when added.
    bool addFavorite(const QString& folder);
    // Asks "Delete ... from your lyrics favorite folders now?"; true when removed.
    bool removeFavorite(int index);
    // The entry at `from` takes the place of the one at `to`; past the last it goes to the end.
    void moveFavorite(int from, int to);

    // A folder as the favourites file keeps it: without a closing "/", a root keeping its "/".
    static QString storedForm(const QString& folder);
    // A folder and a name joined with one "/" between them.
    static QString join(const QString& folder, const QString& fileName);

private:
    QString favoritesPath() const;
    void saveFavorites();

    DataFolder m_folder;
    Prompter& m_prompter;
    int m_filter = 0;
    QStringList m_favorites;
};

} // namespace hoedeck
