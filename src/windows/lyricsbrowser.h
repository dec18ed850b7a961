#pragma once

#include "lyricsfolders.h"

#include <QObject>

class QComboBox;
class QGroupBox;
class QListWidget;
class QWidget;

namespace hoedeck {

class FolderTree;
class Prompter;

// The lyrics window's folder browser: the Favorite Lyrics Folders, the drive chooser, file
// filter and folder tree of the lyrics folder, and its file list "Lyric Files: n". It shows the
// core's folders and forwards the caller's actions to them.
class LyricsBrowser : public QObject {
    Q_OBJECT
public:
    // Builds the three groups as children of parent.
    LyricsBrowser(const DataFolder& folder, Prompter& prompter, QWidget* parent);

    QGroupBox* favoritesGroup() const { return m_favoritesGroup; }
    QGroupBox* folderGroup() const { return m_folderGroup; }
    QGroupBox* filesGroup() const { return m_filesGroup; }
    QListWidget* lbFavorite_Lyrics_Folder() const { return m_favorites; }
    QComboBox* FilterComboBox1() const { return m_filter; }
    QListWidget* FileListBox1() const { return m_files; }
    LyricsFolders& folders() { return m_folders; }

    // The filter from its file; once, at creation of the window.
    void loadFilter();
    // The favourites from their file (created when missing).
    void loadFavorites();
    // The lyrics folder: the folder the tree shows and whose files are listed. It is
    // remembered in ini/subdirectory.txt. `files` is the listing when the caller has it.
    void setFolder(const QString& folder, const std::optional<QStringList>& files = {});
    const QString& folder() const { return m_folder; }
    // Reads the folder's files again.
    void refresh();
    // Selects the entry and brings it into view without showing it; false when not listed.
    bool selectFile(const QString& name);
    void selectRow(int row);
    // The full path of the selected file; empty when none.
    QString selectedFilePath() const;
    QString selectedFileName() const;

    // Asks and adds the lyrics folder to the favourites (right button on the tree).
    void offerFolderAsFavorite();
    // Adds the lyrics folder without asking (the style sheets do this).
    void addFolderToFavorites();
    // The Delete key on a favourite.
    void deleteSelectedFavorite();
    // The Delete key on a file: asks, deletes it and keeps the place in the list.
    void deleteSelectedFile();

signals:
    void fileClicked(const QString& path);
    void fileDoubleClicked(const QString& path);
    void fileRightPressed(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFiles(const QStringList& files);
    void favoritesReordered(int from, int to);

    Prompter& m_prompter;
    LyricsFolders m_folders;
    QString m_folder;
    QGroupBox* m_favoritesGroup;
    QGroupBox* m_folderGroup;
    QGroupBox* m_filesGroup;
    QListWidget* m_favorites;
    QComboBox* m_filter;
    FolderTree* m_tree;
    QListWidget* m_files;
};

} // namespace hoedeck
