#include "foldertree.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>

namespace hoedeck {

FolderTree::FolderTree(const QString& drivesName, const QString& treeName, QWidget* parent)
    : QObject(parent) {
    m_drives = new QComboBox(parent);
    m_drives->setObjectName(drivesName);
    m_tree = new QTreeView(parent);
    m_tree->setObjectName(treeName);
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::NoContextMenu);

    // The model reads folders and sorts them in the background, so the shown folder has its
    // row in the tree only some time after it is asked for: show it once the model has been
    // quiet for a moment, until it is in view.
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(100);
    connect(m_settle, &QTimer::timeout, this, &FolderTree::showFolderInTree);

    connect(m_drives, &QComboBox::activated, this,
            [this](int index) { emit folderChosen(m_drives->itemData(index).toString()); });
    const auto chosen = [this](const QModelIndex& index) {
        emit folderChosen(m_model->filePath(index));
    };
    connect(m_tree, &QTreeView::clicked, this, chosen);
    connect(m_tree, &QTreeView::activated, this, chosen);
    fillDrives();
}

void FolderTree::fillDrives() {
    m_drives->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        const QString name = volume.displayName() == root
                                 ? root
                                 : QStringLiteral("%1 (%2)").arg(volume.displayName(), root);
        m_drives->addItem(name, root);
    }
}

void FolderTree::makeModel() {
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath("/");
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    // Rows read later (a parent's other folders, sorted in above it) move the folder out of
    // view again: while the model is still busy with them, it is brought back.
    const auto settle = [this] {
        if (!m_inView || m_tries < kMaxTries)
            m_settle->start();
    };
    connect(m_model, &QFileSystemModel::directoryLoaded, this, settle);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, settle);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, settle);
}

void FolderTree::showFolder(const QString& folder) {
    if (!m_model)
        makeModel();
    m_folder = QDir::cleanPath(folder);
    m_inView = false;
    m_tries = 0;
    showFolderInTree();
    // The drive is the mounted volume with the longest root that holds the folder.
    int drive = -1;
    qsizetype longest = -1;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemData(i).toString();
        if ((m_folder + '/').startsWith(root) && root.size() > longest) {
            drive = i;
            longest = root.size();
        }
    }
    if (drive >= 0)
        m_drives->setCurrentIndex(drive);
}

void FolderTree::showFolderInTree() {
    if (!m_model)
        return;
    // The model reads folders in the background: the index of a deep folder exists only once
    // its parents are read, so this runs again as each of them arrives.
    const QModelIndex index = m_model->index(m_folder);
    if (!index.isValid()) {
        m_settle->start();
        return;
    }
    const QSignalBlocker block(m_tree->selectionModel());
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_inView = m_tree->viewport()->rect().intersects(m_tree->visualRect(index));
    // The tree lays its rows out later than the model reports them: look again a few times
    // rather than wait for a model signal that may not come.
    if (++m_tries < kMaxTries && !m_inView)
        m_settle->start();
}

} // namespace hoedeck
