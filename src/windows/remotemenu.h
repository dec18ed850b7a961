#pragma once

#include <QList>
#include <QObject>

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QTimer;
class QWidget;

namespace hoedeck {

class SerialRemote;

// The "Remote" menu of the hand remote, its keep-alive, and the panel that tells how to make
// the cord. The keep-alive ticks at the progress timer's pace whenever the remote is on, from
// start-up: tied to the progress timer itself, which starts with the first song, a press could
// not start the evening's first song.
class RemoteMenu : public QObject {
    Q_OBJECT
public:
    // The menu goes into the bar; the cord panel over `window`'s middle.
    static constexpr int kTickMs = 33;

    RemoteMenu(SerialRemote& remote, QMenuBar* bar, QWidget* window, QObject* parent = nullptr);

    QMenu* menu() const { return m_menu; }
    QFrame* cordPanel() const { return m_cord; }
    QTimer* keepAliveTimer() const { return m_tick; }
    // The menu as the remote has it: on or off, the port, the type, the usable ports.
    void refresh();
    // "Making the cord": shows the panel in the middle, or hides it.
    void toggleCord();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCordPanel(QWidget* window);

    SerialRemote& m_remote;
    QMenu* m_menu;
    QAction* m_on;
    QAction* m_off;
    QList<QAction*> m_ports;
    QList<QAction*> m_types;
    QTimer* m_tick;
    QFrame* m_cord = nullptr;
    QWidget* m_cordText = nullptr;
};

} // namespace hoedeck
