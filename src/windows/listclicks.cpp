#include "listclicks.h"

#include <QGuiApplication>
#include <QListWidget>
#include <utility>

namespace hoedeck {

ListClicks::ListClicks(QListWidget* list, std::function<void(const QString&)> clicked,
                       std::function<void(const QString&)> activated)
    : QObject(list) {
    connect(list, &QListWidget::currentItemChanged, this, [this, clicked](QListWidgetItem* item) {
        if (!item)
            return;
        // A mouse press that changes the item is followed by a click: report that one once.
        m_changedByPress = QGuiApplication::mouseButtons() != Qt::NoButton;
        clicked(item->text());
    });
    connect(list, &QListWidget::itemClicked, this, [this, clicked](QListWidgetItem* item) {
        if (!std::exchange(m_changedByPress, false))
            clicked(item->text());
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [activated](QListWidgetItem* item) { activated(item->text()); });
}

} // namespace hoedeck
