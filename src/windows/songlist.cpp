#include "songlist.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace hoedeck {

SongListWidget::SongListWidget(const QString& name, QWidget* parent) : QListWidget(parent) {
    setObjectName(name);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

namespace {
QListWidget* songSource(const QDropEvent* event) {
    return qobject_cast<QListWidget*>(event->source());
}

QStringList localFiles(const QMimeData* data) {
    QStringList paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}
} // namespace

bool SongListWidget::accepts(const QDropEvent* event) const {
    return songSource(event) || !localFiles(event->mimeData()).isEmpty();
}

void SongListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SongListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (accepts(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SongListWidget::dropEvent(QDropEvent* event) {
    const QListWidgetItem* under = itemAt(event->position().toPoint());
    const int row = under ? this->row(under) : -1;
    QListWidget* source = songSource(event);
    if (!source) {
        const QStringList paths = localFiles(event->mimeData());
        if (paths.isEmpty() || !onShellDrop) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        onShellDrop(paths, row);
        return;
    }
    if (!onDrop) {
        event->ignore();
        return;
    }
    // The selected songs of the source, in their order in it.
    QList<int> rows;
    for (const QListWidgetItem* item : source->selectedItems())
        rows << source->row(item);
    std::sort(rows.begin(), rows.end());
    QStringList songs;
    for (int r : rows)
        songs << source->item(r)->text();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    onDrop(source, songs, row);
}

void SongListWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QListWidgetItem* under = itemAt(event->position().toPoint());
        if (onRightClick)
            onRightClick(under ? row(under) : -1);
        return;
    }
    QListWidget::mousePressEvent(event);
}

} // namespace hoedeck
