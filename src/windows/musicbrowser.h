#pragma once

#include <QObject>
#include <QSet>
#include <functional>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QTreeView;
class QWidget;

namespace hoedeck {

class FolderTree;
class MusicFolders;
class Prompter;

// The music browser of the main window: drive chooser, folder tree, the song files of the
// folder and the favourite folders. It shows the core's folders and forwards the caller's
// actions to them.
class MusicBrowser : public QObject {
    Q_OBJECT
public:
    // Builds the folder widgets into foldersPanel and the file list into filesPanel.
    MusicBrowser(MusicFolders& folders, Prompter& prompter, QWidget* foldersPanel,
                 QWidget* filesPanel, QObject* parent = nullptr);

    QListWidget* FileListBox1() const { return m_files; }
    QListWidget* lbFavorite_mp3_folders() const { return m_favorites; }
    QTreeView* DirectoryListBox1() const;
    QComboBox* DriveComboBox1() const;
    QLabel* filesCaption() const { return m_filesCaption; }

    // Shows what the core holds after start-up.
    void showFavoriteFolders();
    // Goes to a folder (or the nearest one that exists) and shows its songs.
    void goToFolder(const QString& folder);
    // Reads the current folder's files again.
    void refresh();
    // The full path of the selected file, empty when none.
    QString selectedFilePath() const;

    // Releases what holds a song file open before it is archived.
    void setReleaseFile(std::function<void()> release) { m_releaseFile = std::move(release); }
    // Where archived songs go.
    void setArchiveFolder(const QString& folder) { m_archiveFolder = folder; }

    // Asks and adds the browser's folder to the favourite folders (right click on the tree).
    void offerFolderAsFavorite();
    // Removes the selected favourite folder after asking; from the menu with nothing selected
    // it says "Select a file first".
    void deleteSelectedFavorite(bool fromMenu);
    // Archives the selected song file after asking (right click on the file list).
    void archiveSelectedFile();

signals:
    // A song file was clicked or reached with the keyboard.
    void fileClicked(const QString& fileName);
    // A song file was double-clicked.
    void fileActivated(const QString& fileName);
    // The file list shows these songs (full paths).
    void filesShown(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFiles();
    void reportUnlistable(const QString& folder);
    void watchFolder();
    void favoritesReordered();

    MusicFolders& m_folders;
    Prompter& m_prompter;
    FolderTree* m_folderTree;
    QTreeView* m_tree;
    QListWidget* m_favorites;
    QListWidget* m_files;
    QLabel* m_filesCaption;
    QFileSystemWatcher* m_watcher;
    std::function<void()> m_releaseFile;
    QString m_archiveFolder;
    QSet<QString> m_reportedFolders;
};

} // namespace hoedeck
