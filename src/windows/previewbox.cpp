#include "previewbox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QVBoxLayout>

namespace hoedeck {

PreviewBox::PreviewBox(int number, QWidget* parent)
    : QGroupBox(parent), m_number(number), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("PreviewBox%1").arg(number));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_list);
    m_list->setObjectName(objectName() + "List");
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setAcceptDrops(true);
    m_list->viewport()->setAcceptDrops(true);
    m_list->viewport()->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { emit chosen(m_number); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        menu.addAction("Close", this, [this] { emit closeRequested(m_number); });
        menu.exec(m_list->mapToGlobal(at));
    });
}

void PreviewBox::showBox(const reader::CardDesk::Box& box) {
    setTitle(box.caption);
    m_list->clear();
    m_list->addItems(box.lines);
}

void paintFrame(QGroupBox* frame, const QColor& background, const QColor& caption) {
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, caption);
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
}

void PreviewBox::setHighlight(reader::CardDesk::Highlight highlight) {
    using H = reader::CardDesk::Highlight;
    if (highlight == H::None)
        paintFrame(this, QColor(192, 192, 192), palette().color(QPalette::Text));
    else
        paintFrame(this, highlight == H::LastOfFolder ? QColor(255, 0, 0) : QColor(0, 128, 0),
                   Qt::white);
}

bool PreviewBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_list->viewport())
        return QGroupBox::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (m_accepts && m_accepts(drag->source())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!m_accepts || !m_accepts(drop->source()))
            return true;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit droppedOn(m_number, drop->source(),
                       m_list->viewport()->mapToGlobal(drop->position().toPoint()));
        return true;
    }
    default:
        return QGroupBox::eventFilter(watched, event);
    }
}

} // namespace hoedeck
