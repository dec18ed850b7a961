#include "songlist.h"

#include <QDragEnterEvent>
#include <QDropEvent>

namespace hoedeck {

SongListWidget::SongListWidget(const QString& name, QWidget* parent) : QListWidget(parent) {
    setObjectName(name);
    setUniformItemSizes(true);
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
} // namespace

void SongListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (songSource(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SongListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (songSource(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SongListWidget::dropEvent(QDropEvent* event) {
    QListWidget* source = songSource(event);
    if (!source || !onDrop) {
        event->ignore();
        return;
    }
    // The selected songs of the source, in their order in it.
    QList<int> rows;
    for (const QListWidgetItem* item : source->selectedItems())
        rows << source->row(item);
    std::sort(rows.begin(), rows.end());
    QStringList songs;
    for (int row : rows)
        songs << source->item(row)->text();
    const QListWidgetItem* under = itemAt(event->position().toPoint());
    const int row = under ? this->row(under) : -1;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    onDrop(songs, row);
}

} // namespace hoedeck
