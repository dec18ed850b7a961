#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace hoedeck {

// The lyrics window's keys that act in every window of the program: while the lyrics window
// shows, Left and Right turn its pages (one page per key press, also while the main window
// has the focus), Esc takes the focus from a browser view to the pages and F5 to the clock;
// Control-F runs the fade anywhere. Every key goes on to its window as well, except the fade.
class LyricsKeys : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(int step)> turnPage;
        std::function<void()> focusPages;
        std::function<void()> focusClock;
        std::function<void()> fade;
    };

    // Watches the application's events for as long as the window lives.
    LyricsKeys(QWidget* window, Actions actions);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A key event travels from the focused widget up through its parents, and the watcher
    // sees it at each: only its first sighting counts.
    bool firstSighting(const QKeyEvent* key);

    QWidget* m_window;
    Actions m_actions;
    // An event is told from the next by all of these: events made one after another (by a
    // test, say) may share an address and a time.
    struct Sighting {
        const QKeyEvent* event = nullptr;
        quint64 timestamp = 0;
        int type = 0;
        int key = 0;
        int modifiers = 0;
        bool operator==(const Sighting&) const = default;
    };
    Sighting m_last;
};

} // namespace hoedeck
