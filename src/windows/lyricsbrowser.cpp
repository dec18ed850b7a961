#include "lyricsbrowser.h"

#include "foldertree.h"
#include "guarded.h"
#include "listclicks.h"
#include "prompter.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QTreeView>
#include <QVBoxLayout>

namespace hoedeck {

namespace {
QGroupBox* makeGroup(const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(4, 4, 4, 4);
    return group;
}
} // namespace

LyricsBrowser::LyricsBrowser(const DataFolder& folder, Prompter& prompter, QWidget* parent)
    : QObject(parent), m_prompter(prompter), m_folders(folder, prompter) {
    m_favoritesGroup = makeGroup("Favorite Lyrics Folders", parent);
    m_favorites = new QListWidget(m_favoritesGroup);
    m_favorites->setObjectName("lbFavorite_Lyrics_Folder");
    m_favorites->setDragDropMode(QAbstractItemView::InternalMove);
    m_favorites->installEventFilter(this);
    m_favoritesGroup->layout()->addWidget(m_favorites);

    m_folderGroup = makeGroup("Lyrics Folder", parent);
    m_tree = new FolderTree("DriveComboBox1", "DirectoryListBox1", m_folderGroup);
    m_filter = new QComboBox(m_folderGroup);
    m_filter->setObjectName("FilterComboBox1");
    for (const LyricsFileFilter& filter : LyricsFolders::filters())
        m_filter->addItem(filter.caption);
    m_tree->tree()->setToolTip("right click to add to favorite lyrics folders");
    m_tree->tree()->viewport()->installEventFilter(this);
    m_folderGroup->layout()->addWidget(m_tree->drives());
    m_folderGroup->layout()->addWidget(m_filter);
    m_folderGroup->layout()->addWidget(m_tree->tree());

    m_filesGroup = makeGroup("Lyric Files: 0", parent);
    m_files = new QListWidget(m_filesGroup);
    m_files->setObjectName("FileListBox1");
    m_files->setUniformItemSizes(true);
    m_files->installEventFilter(this);
    m_files->viewport()->installEventFilter(this);
    m_filesGroup->layout()->addWidget(m_files);

    // Long names scroll sideways.
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_favorites), static_cast<QAbstractItemView*>(m_files),
          static_cast<QAbstractItemView*>(m_tree->tree())})
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_files->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    connect(m_tree, &FolderTree::folderChosen, this,
            [this](const QString& chosen) { setFolder(chosen); });
    connect(m_favorites, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { setFolder(item->text()); });
    connect(m_favorites->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                favoritesReordered(from, to > from ? to - 1 : to);
            });
    connect(m_filter, &QComboBox::activated, this, [this](int index) {
        runGuarded(m_prompter, [&] { m_folders.setFilter(index); });
        refresh();
    });
    new ListClicks(
        m_files,
        [this](const QString& name) { emit fileClicked(LyricsFolders::join(m_folder, name)); },
        [this](const QString& name) {
            emit fileDoubleClicked(LyricsFolders::join(m_folder, name));
        });
}

void LyricsBrowser::loadFilter() {
    runGuarded(m_prompter, [this] { m_folders.loadFilter(); });
    m_filter->setCurrentIndex(m_folders.filter());
}

void LyricsBrowser::loadFavorites() {
    runGuarded(m_prompter, [this] { m_folders.loadFavorites(); });
    m_favorites->clear();
    m_favorites->addItems(m_folders.favorites());
}

void LyricsBrowser::setFolder(const QString& folder, const std::optional<QStringList>& files) {
    m_folder = LyricsFolders::join(QDir::cleanPath(folder), QString());
    showFiles(files ? *files : LyricsFolders::files(m_folder, m_folders.filter()));
    m_tree->showFolder(m_folder);
    runGuarded(m_prompter, [this] { m_folders.rememberFolder(m_folder); });
}

void LyricsBrowser::refresh() {
    if (!m_folder.isEmpty())
        showFiles(LyricsFolders::files(m_folder, m_folders.filter()));
}

void LyricsBrowser::showFiles(const QStringList& files) {
    const QSignalBlocker block(m_files);
    m_files->clear();
    m_files->addItems(files);
    m_filesGroup->setTitle(QStringLiteral("Lyric Files: %1").arg(files.size()));
}

bool LyricsBrowser::selectFile(const QString& name) {
    const QList<QListWidgetItem*> found = m_files->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    selectRow(m_files->row(found.first()));
    return true;
}

void LyricsBrowser::selectRow(int row) {
    const QSignalBlocker block(m_files);
    m_files->setCurrentRow(row);
    if (QListWidgetItem* item = m_files->item(row))
        m_files->scrollToItem(item);
}

QString LyricsBrowser::selectedFileName() const {
    const QListWidgetItem* item = m_files->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

QString LyricsBrowser::selectedFilePath() const {
    const QString name = selectedFileName();
    return name.isEmpty() ? QString() : LyricsFolders::join(m_folder, name);
}

void LyricsBrowser::offerFolderAsFavorite() {
    const QString folder = LyricsFolders::storedForm(m_folder);
    if (!m_prompter.question("Would you like to add " + folder +
                             " to your favorite lyrics subdirectories list?"))
        return;
    addFolderToFavorites();
}

void LyricsBrowser::addFolderToFavorites() {
    runGuarded(m_prompter, [this] { m_folders.addFavorite(m_folder); });
    m_favorites->clear();
    m_favorites->addItems(m_folders.favorites());
}

void LyricsBrowser::deleteSelectedFavorite() {
    const int row = m_favorites->currentRow();
    if (row < 0 || !m_favorites->currentItem()->isSelected())
        return;
    runGuarded(m_prompter, [&] { m_folders.removeFavorite(row); });
    m_favorites->clear();
    m_favorites->addItems(m_folders.favorites());
}

void LyricsBrowser::favoritesReordered(int from, int to) {
    runGuarded(m_prompter, [&] { m_folders.moveFavorite(from, to); });
}

void LyricsBrowser::deleteSelectedFile() {
    const QString path = selectedFilePath();
    if (path.isEmpty())
        return;
    if (!m_prompter.question("Are you sure you want to delete the seleted item?"))
        return;
    QFile file(path);
    if (!file.remove()) {
        m_prompter.message(QStringLiteral("Cannot delete \"%1\": %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()),
                           "Hoedeck", Prompter::Icon::Error);
        return;
    }
    const int row = m_files->currentRow();
    refresh();
    // The old place stays the first line shown, selected again; past the end nothing is.
    if (row < m_files->count()) {
        selectRow(row);
        m_files->scrollToItem(m_files->item(row), QAbstractItemView::PositionAtTop);
    }
}

bool LyricsBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (watched == m_tree->tree()->viewport()) {
            offerFolderAsFavorite();
            return true;
        }
        if (watched == m_files->viewport()) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (QListWidgetItem* item = m_files->itemAt(at)) {
                selectRow(m_files->row(item));
                emit fileRightPressed(selectedFilePath());
            }
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        if (watched == m_favorites) {
            deleteSelectedFavorite();
            return true;
        }
        if (watched == m_files) {
            deleteSelectedFile();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace hoedeck
