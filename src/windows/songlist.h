#pragma once

#include <QListWidget>
#include <functional>

namespace hoedeck {

// A favourites list on screen. Songs dragged from another song list arrive through onDrop,
// files dropped from the desktop through onShellDrop, each with the row under the drop point
// (-1 below the last item); a right click reports the row under the pointer without selecting
// it.
class SongListWidget : public QListWidget {
    Q_OBJECT
public:
    explicit SongListWidget(const QString& name, QWidget* parent = nullptr);

    // The source is the list the songs were dragged from.
    std::function<void(QListWidget* source, const QStringList& songs, int row)> onDrop;
    std::function<void(const QStringList& paths, int row)> onShellDrop;
    std::function<void(int row)> onRightClick;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool accepts(const QDropEvent* event) const;
};

} // namespace hoedeck
