#pragma once

#include "carddesk.h"

#include <QGroupBox>
#include <functional>

class QListWidget;

namespace hoedeck {

// One of the reader's five preview boxes: a framed list holding one card. A double click
// chooses it, its context menu closes it, and it takes drops of the main card view and of the
// card browser's folders and files.
class PreviewBox : public QGroupBox {
    Q_OBJECT
public:
    PreviewBox(int number, QWidget* parent);

    int number() const { return m_number; }
    QListWidget* list() const { return m_list; }
    void showBox(const reader::CardDesk::Box& box);
    void setHighlight(reader::CardDesk::Highlight highlight);
    // Which drag sources the box takes.
    void setAcceptsSource(std::function<bool(QObject*)> accepts) { m_accepts = std::move(accepts); }

signals:
    void chosen(int number);
    void closeRequested(int number);
    void droppedOn(int number, QObject* source, const QPoint& globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_number;
    QListWidget* m_list;
    std::function<bool(QObject*)> m_accepts;
};

// Paints a frame's background and caption.
void paintFrame(QGroupBox* frame, const QColor& background, const QColor& caption);

} // namespace hoedeck
