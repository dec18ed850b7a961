#pragma once

#include "datafolder.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace hoedeck {

class Prompter;

// The music browser's folder and the caller's favourite music folders: where a song named in a
// favourites list is looked for. Favourites lists hold only file names, so this search is what
// makes a list playable from any folder.
class MusicFolders {
public:
    // What the browser shows: these endings, matched without regard to case.
    static const QStringList& songPatterns();

    MusicFolders(DataFolder folder, Prompter& prompter);

    // Start-up: make sure the favourite folders file exists and show its folders, each once at
    // the place of its last occurrence. The file itself is not rewritten here.
    void load_favorite_subdirectories();
    // Start-up: make sure ini/subdirectory.txt exists and go to its first line. A folder that
    // no longer exists gives the default music folder.
    void load_subdirectories();

    const QString& browserFolder() const { return m_browserFolder; }
    // The browser moved to another folder: remember it in line 1 of ini/subdirectory.txt and
    // make it the process's current folder, so a bare file name resolves against it.
    void setBrowserFolder(const QString& folder);
    // The nearest folder that still exists, from the given one upwards.
    static QString existingFolderOrParent(const QString& folder);

    // The song files of a folder, sorted by name without regard to case.
    // Song files whose names are not UTF-8: the listing cannot show them. Shown here with
    // each byte as a Latin-1 character, for a message.
    static QStringList songsWithUndecodableNames(const QString& folder);
    static QStringList songFiles(const QString& folder);

    const QStringList& favoriteFolders() const { return m_favorites; }
    // Adds the folder unless an equal one (ignoring case) is there; true when added.
    bool add_to_favorite_folders(const QString& folder);
    // Appends the folder even when present (a drop from the desktop does this).
    void appendFavoriteFolder(const QString& folder);
    // Asks "Delete ... from your favorite mp3 folders now?"; true when removed.
    bool removeFavoriteFolder(int index);
    // Moves the folder at `from` to index `to` (the end when `to` is past the last).
    void moveFavoriteFolder(int from, int to);

    // The song file of this name in one folder: the exact name, or else the one file whose
    // name differs only in case (a list written where case does not count names
    // "Demo Singer.mp3" as "demo singer.mp3"). Empty when there is none, and when several
    // differ only in case: which one was meant cannot be told.
    static QString fileIn(const QString& folder, const QString& fileName);
    // Where a song of this file name is: the browser's folder first, then each favourite folder
    // in order, each as fileIn() finds it. Empty when it is nowhere.
    QString locate(const QString& fileName) const;
    // The first favourite folder that holds the file, as a full path; empty when none.
    QString locateInFavorites(const QString& fileName) const;

    // Moves a song file to the archive folder after asking. releaseFile runs first, so that
    // nothing holds the file open. True when the file was moved.
    bool archive(const QString& path, const QString& archiveFolder,
                 const std::function<void()>& releaseFile);
    static QString defaultArchiveFolder();

private:
    void saveFavorites();

    DataFolder m_folder;
    Prompter& m_prompter;
    QString m_browserFolder;
    QStringList m_favorites;
};

} // namespace hoedeck
