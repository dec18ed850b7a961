#pragma once

#include <QObject>

class QComboBox;
class QFileSystemModel;
class QTimer;
class QTreeView;
class QWidget;

namespace hoedeck {

// A drive chooser over a folder tree, as the music browser and the lyrics window show them:
// the mounted volumes by name and mount point, and the folders below. The tree's model reads
// the disk in the background, so it is made when a folder is first shown, not before.
class FolderTree : public QObject {
    Q_OBJECT
public:
    FolderTree(const QString& drivesName, const QString& treeName, QWidget* parent);

    QComboBox* drives() const { return m_drives; }
    QTreeView* tree() const { return m_tree; }
    // The folder the tree shows: selected, its parents opened, scrolled into view; the drive
    // chooser names the volume that holds it.
    void showFolder(const QString& folder);
    // Selects the shown folder in the tree, if its row is there yet.
    void showFolderInTree();

signals:
    // The caller chose a drive (its root) or a folder of the tree.
    void folderChosen(const QString& folder);

private:
    void fillDrives();
    void makeModel();

    QComboBox* m_drives;
    QTreeView* m_tree;
    QFileSystemModel* m_model = nullptr;
    QTimer* m_settle;
    QString m_folder;
    bool m_inView = false;
    static constexpr int kMaxTries = 50;
    int m_tries = 0;
};

} // namespace hoedeck
