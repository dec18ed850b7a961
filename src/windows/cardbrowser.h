#pragma once

#include "carddesk.h"

#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QListWidget;
class QTreeView;

namespace hoedeck {

// The reader's Create-a-Dance panel: the dances kept in the dance folder, and the card browser
// (mounted volumes, folder tree, file filter, the folder's files) whose folder and selection
// the desk pages through even while the panel is hidden.
class CardBrowser : public QWidget {
    Q_OBJECT
public:
    CardBrowser(reader::CardDesk& desk, QString danceFolder, QWidget* parent);

    QComboBox* DriveComboBox1() const { return m_drives; }
    QTreeView* DirectoryListBox1() const { return m_tree; }
    QComboBox* FilterComboBox1() const { return m_filter; }
    QListWidget* FileListBox1() const { return m_files; }
    QListWidget* FileListBox2() const { return m_dances; }

    // The tree and the file list as the desk has them.
    void sync();
    void readDances();
    QString selectedDance() const;
    // The folder of the tree's selected entry.
    QString selectedTreeFolder() const;

signals:
    void fileDoubleClicked(const QString& path);
    void danceDoubleClicked();
    void danceDeleteRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFolder(const QString& folder);

    reader::CardDesk& m_desk;
    QString m_danceFolder;
    QListWidget* m_dances;
    QComboBox* m_drives;
    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QComboBox* m_filter;
    QListWidget* m_files;
    bool m_syncing = false;
};

} // namespace hoedeck
