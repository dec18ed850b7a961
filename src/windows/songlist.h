#pragma once

#include <QListWidget>
#include <functional>

namespace hoedeck {

// A favourites list on screen: songs dragged onto it from another song list arrive through
// onDrop with the row under the drop point (-1 below the last item).
class SongListWidget : public QListWidget {
    Q_OBJECT
public:
    explicit SongListWidget(const QString& name, QWidget* parent = nullptr);

    std::function<void(const QStringList& songs, int row)> onDrop;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace hoedeck
