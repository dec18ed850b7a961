#pragma once

#include <QObject>
#include <functional>

class QListWidget;

namespace hoedeck {

// A song list's click: a mouse click, or the selection moved with the keys (so a caller can
// cue with the arrow keys alone), reported once each; and its double click.
class ListClicks : public QObject {
    Q_OBJECT
public:
    ListClicks(QListWidget* list, std::function<void(const QString&)> clicked,
               std::function<void(const QString&)> activated);

private:
    bool m_changedByPress = false;
};

} // namespace hoedeck
