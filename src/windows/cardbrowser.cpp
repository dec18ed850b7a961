#include "cardbrowser.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

namespace hoedeck {

namespace {
QGroupBox* framed(const QString& caption, QWidget* inside, QWidget* parent) {
    auto* frame = new QGroupBox(caption, parent);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(inside);
    return frame;
}
} // namespace

CardBrowser::CardBrowser(reader::CardDesk& desk, QString danceFolder, QWidget* parent)
    : QWidget(parent), m_desk(desk), m_danceFolder(std::move(danceFolder)),
      m_dances(new QListWidget), m_drives(new QComboBox), m_model(new QFileSystemModel(this)),
      m_tree(new QTreeView), m_filter(new QComboBox), m_files(new QListWidget) {
    m_dances->setObjectName("FileListBox2");
    m_drives->setObjectName("DriveComboBox1");
    m_tree->setObjectName("DirectoryListBox1");
    m_filter->setObjectName("FilterComboBox1");
    m_files->setObjectName("FileListBox1");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(framed("Dances", m_dances, this), 1);
    auto* browser = new QWidget(this);
    auto* column = new QVBoxLayout(browser);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_drives);
    column->addWidget(m_tree, 2);
    column->addWidget(m_filter);
    column->addWidget(m_files, 2);
    layout->addWidget(framed("Cards", browser, this), 4);

    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            m_drives->addItem(volume.rootPath());
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath(QStringLiteral("/"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);
    m_tree->setDragEnabled(true);
    m_tree->setDragDropMode(QAbstractItemView::DragOnly);
    m_filter->addItems({"All flies (*.*)", "Text files (*.txt)"});
    m_files->setDragEnabled(true);
    m_files->setDragDropMode(QAbstractItemView::DragOnly);
    m_dances->installEventFilter(this);

    connect(m_drives, &QComboBox::activated, this, [this] { showFolder(m_drives->currentText()); });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) {
                if (m_syncing || !index.isValid())
                    return;
                m_desk.setBrowserFolder(m_model->filePath(index));
                sync();
            });
    connect(m_filter, &QComboBox::activated, this, [this](int index) {
        m_desk.setBrowserMask(index == 1 ? QStringLiteral("*.txt") : QStringLiteral("*"));
        sync();
    });
    connect(m_files, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_desk.selectBrowserFile(row);
    });
    connect(m_files, &QListWidget::itemDoubleClicked, this, [this] {
        if (const QString path = m_desk.selectedBrowserPath(); !path.isEmpty())
            emit fileDoubleClicked(path);
    });
    connect(m_dances, &QListWidget::itemDoubleClicked, this, &CardBrowser::danceDoubleClicked);
    readDances();
    sync();
}

void CardBrowser::showFolder(const QString& folder) {
    m_desk.setBrowserFolder(folder);
    sync();
}

void CardBrowser::sync() {
    m_syncing = true;
    const QModelIndex index = m_model->index(m_desk.browserFolder());
    if (index.isValid()) {
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
    }
    m_files->clear();
    m_files->addItems(m_desk.browserFiles());
    m_files->setCurrentRow(m_desk.browserSelected());
    m_syncing = false;
}

void CardBrowser::readDances() {
    QStringList dances = QDir(m_danceFolder).entryList({"*.dnc"}, QDir::Files);
    std::sort(dances.begin(), dances.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    m_dances->clear();
    m_dances->addItems(dances);
}

QString CardBrowser::selectedDance() const {
    const QListWidgetItem* item = m_dances->currentItem();
    return item ? QDir(m_danceFolder).filePath(item->text()) : QString();
}

QString CardBrowser::selectedTreeFolder() const {
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? m_model->filePath(index) : m_desk.browserFolder();
}

bool CardBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_dances && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        emit danceDeleteRequested();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace hoedeck
