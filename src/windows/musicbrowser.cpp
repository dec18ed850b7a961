#include "musicbrowser.h"

#include "foldertree.h"
#include "guarded.h"
#include "listclicks.h"
#include "musicfolders.h"
#include "prompter.h"
#include "textstore.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

namespace hoedeck {

MusicBrowser::MusicBrowser(MusicFolders& folders, Prompter& prompter, QWidget* foldersPanel,
                           QWidget* filesPanel, QObject* parent)
    : QObject(parent), m_folders(folders), m_prompter(prompter),
      m_archiveFolder(MusicFolders::defaultArchiveFolder()) {
    auto* folderLayout = new QVBoxLayout(foldersPanel);
    folderLayout->addWidget(new QLabel("Music Folders", foldersPanel));
    m_folderTree = new FolderTree("DriveComboBox1", "DirectoryListBox1", foldersPanel);
    m_tree = m_folderTree->tree();
    folderLayout->addWidget(m_folderTree->drives());
    m_tree->setToolTip("right click to add to favorite subdirectories list");
    m_tree->viewport()->installEventFilter(this);
    folderLayout->addWidget(m_tree, 3);

    folderLayout->addWidget(new QLabel("Favorite mp3 Folders", foldersPanel));
    m_favorites = new QListWidget(foldersPanel);
    m_favorites->setObjectName("lbFavorite_mp3_folders");
    m_favorites->setDragDropMode(QAbstractItemView::InternalMove);
    m_favorites->setContextMenuPolicy(Qt::CustomContextMenu);
    m_favorites->installEventFilter(this);
    folderLayout->addWidget(m_favorites, 1);

    auto* fileLayout = new QVBoxLayout(filesPanel);
    m_filesCaption = new QLabel("mp3Files", filesPanel);
    m_filesCaption->setObjectName("FileGroupCaption");
    fileLayout->addWidget(m_filesCaption);
    m_files = new QListWidget(filesPanel);
    m_files->setObjectName("FileListBox1");
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setDragEnabled(true);
    m_files->setUniformItemSizes(true);
    m_files->viewport()->installEventFilter(this);
    fileLayout->addWidget(m_files);

    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { refresh(); });

    connect(m_folderTree, &FolderTree::folderChosen, this, &MusicBrowser::goToFolder);
    connect(m_favorites, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { goToFolder(item->text()); });
    connect(m_favorites, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction("Delete", this, [this] { deleteSelectedFavorite(true); });
        menu.exec(m_favorites->viewport()->mapToGlobal(at));
    });
    connect(m_favorites->model(), &QAbstractItemModel::rowsMoved, this,
            &MusicBrowser::favoritesReordered);

    new ListClicks(
        m_files, [this](const QString& name) { emit fileClicked(name); },
        [this](const QString& name) { emit fileActivated(name); });
}

QTreeView* MusicBrowser::DirectoryListBox1() const {
    return m_tree;
}

QComboBox* MusicBrowser::DriveComboBox1() const {
    return m_folderTree->drives();
}

void MusicBrowser::showFavoriteFolders() {
    m_favorites->clear();
    m_favorites->addItems(m_folders.favoriteFolders());
}

void MusicBrowser::goToFolder(const QString& folder) {
    const QString existing = MusicFolders::existingFolderOrParent(folder);
    runGuarded(m_prompter, [&] { m_folders.setBrowserFolder(existing); });
    showFiles();
}

void MusicBrowser::refresh() {
    const QString folder = m_folders.browserFolder();
    if (!QFileInfo(folder).isDir()) {
        // The folder went away under the browser: go to the nearest one still there.
        goToFolder(folder);
        return;
    }
    showFiles();
}

void MusicBrowser::reportUnlistable(const QString& folder) {
    // Said once per folder and run: the folder is shown again at every change in it.
    if (m_reportedFolders.contains(folder))
        return;
    const QStringList hidden = MusicFolders::songsWithUndecodableNames(folder);
    if (hidden.isEmpty())
        return;
    m_reportedFolders.insert(folder);
    m_prompter.message(QStringLiteral("%1 song file(s) in %2 have names that are not UTF-8, so "
                                      "they cannot be listed or played (for example \"%3\"). "
                                      "Rename them to use them.")
                           .arg(hidden.size())
                           .arg(QDir::toNativeSeparators(folder), hidden.first()),
                       "Hoedeck", Prompter::Icon::Warning);
}

void MusicBrowser::showFiles() {
    const QString folder = m_folders.browserFolder();
    const QString selected = m_files->currentItem() ? m_files->currentItem()->text() : QString();
    const QSignalBlocker block(m_files);
    m_files->clear();
    const QStringList songs = MusicFolders::songFiles(folder);
    m_files->addItems(songs);
    const auto keep = m_files->findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !keep.isEmpty())
        m_files->setCurrentItem(keep.first(), QItemSelectionModel::NoUpdate);
    m_filesCaption->setText(QStringLiteral("mp3Files: %1").arg(songs.size()));
    reportUnlistable(folder);

    m_folderTree->showFolder(folder);
    watchFolder();
    QStringList paths;
    for (const QString& song : songs)
        paths << QDir(folder).filePath(song);
    emit filesShown(paths);
}

void MusicBrowser::watchFolder() {
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    const QString folder = QDir::cleanPath(m_folders.browserFolder());
    m_watcher->addPath(folder);
    // Watching the parent as well notices the folder itself being removed or renamed.
    const QString parent = QFileInfo(folder).path();
    if (parent != folder)
        m_watcher->addPath(parent);
}

QString MusicBrowser::selectedFilePath() const {
    const QListWidgetItem* item = m_files->currentItem();
    if (!item || !item->isSelected())
        return {};
    return m_folders.browserFolder() + item->text();
}

void MusicBrowser::offerFolderAsFavorite() {
    const QString folder = QDir::cleanPath(m_folders.browserFolder());
    if (!m_prompter.question("Would you like to add " + folder +
                             " to your favorite subdirectories list?"))
        return;
    runGuarded(m_prompter, [&] { m_folders.add_to_favorite_folders(folder); });
    showFavoriteFolders();
}

void MusicBrowser::deleteSelectedFavorite(bool fromMenu) {
    const int row = m_favorites->currentRow();
    if (row < 0 || !m_favorites->currentItem()->isSelected()) {
        if (fromMenu)
            m_prompter.message("Select a file first");
        return;
    }
    runGuarded(m_prompter, [&] { m_folders.removeFavoriteFolder(row); });
    showFavoriteFolders();
}

void MusicBrowser::favoritesReordered() {
    QStringList shown;
    for (int i = 0; i < m_favorites->count(); ++i)
        shown << m_favorites->item(i)->text();
    // Find the one folder that moved and move it in the core the same way.
    const QStringList& held = m_folders.favoriteFolders();
    for (int from = 0; from < held.size(); ++from) {
        for (int to = 0; to < shown.size(); ++to) {
            QStringList trial = held;
            trial.move(from, to);
            if (trial == shown) {
                runGuarded(m_prompter, [&] { m_folders.moveFavoriteFolder(from, to); });
                return;
            }
        }
    }
}

void MusicBrowser::archiveSelectedFile() {
    const QString path = selectedFilePath();
    if (path.isEmpty())
        return;
    if (m_folders.archive(path, m_archiveFolder, m_releaseFile))
        refresh();
}

bool MusicBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            if (watched == m_tree->viewport()) {
                offerFolderAsFavorite();
                return true;
            }
            if (watched == m_files->viewport()) {
                if (QListWidgetItem* item = m_files->itemAt(mouse->position().toPoint())) {
                    m_files->setCurrentItem(item);
                    archiveSelectedFile();
                }
                return true;
            }
        }
    }
    if (watched == m_favorites && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteSelectedFavorite(false);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace hoedeck
