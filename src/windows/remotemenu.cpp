#include "remotemenu.h"

#include "serialremote.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

namespace hoedeck {

namespace {
const char* const kCordText =
    "You need: a cord, a 9-pin serial plug (female) for the computer and an RCA (phono) plug "
    "(female) for the Hilton microphone assembly.\n\n"
    "Pins are numbered as seen from the back of the plug: pin 1 top left, pin 6 bottom left.\n\n"
    "connect 1 to 6\n"
    "connect 4 to 6\n"
    "connect 7 to 8\n"
    "center of RCA female to 2\n"
    "ground of RCA (outside) to 3\n"
    "nothing on 5\n"
    "nothing on 9\n\n"
    "(double click to close)";

QAction* checkable(QMenu* menu, const QString& text, QActionGroup* group) {
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    group->addAction(action);
    return action;
}
} // namespace

RemoteMenu::RemoteMenu(SerialRemote& remote, QMenuBar* bar, QWidget* window, QObject* parent)
    : QObject(parent), m_remote(remote), m_tick(new QTimer(this)) {
    m_menu = bar->addMenu("R&emote");
    m_menu->setObjectName("Remote");
    auto* onOff = new QActionGroup(this);
    m_on = checkable(m_menu, "on", onOff);
    m_on->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    window->addAction(m_on); // its key works while the menu is closed
    m_off = checkable(m_menu, "off", onOff);
    connect(m_on, &QAction::triggered, this, [this] {
        m_remote.turnOn();
        refresh();
    });
    connect(m_off, &QAction::triggered, this, [this] {
        m_remote.turnOff();
        refresh();
    });

    QMenu* ports = m_menu->addMenu("port");
    auto* portGroup = new QActionGroup(this);
    for (int port = 1; port <= SerialRemote::kPorts; ++port) {
        QAction* item = checkable(ports, QString::number(port), portGroup);
        m_ports << item;
        connect(item, &QAction::triggered, this, [this, port] {
            m_remote.choosePort(port);
            refresh();
        });
    }
    // An adapter plugged in after start-up shows up the next time the menu opens.
    connect(ports, &QMenu::aboutToShow, this, [this] {
        m_remote.probe();
        refresh();
    });

    QMenu* types = m_menu->addMenu("type");
    auto* typeGroup = new QActionGroup(this);
    for (int i = 0; i < SerialRemote::kTypeCaptions.size(); ++i) {
        QAction* item = checkable(types, SerialRemote::kTypeCaptions[i], typeGroup);
        m_types << item;
        connect(item, &QAction::triggered, this, [this, i] {
            m_remote.chooseType(SerialRemote::Type(i));
            refresh();
        });
    }
    m_menu->addAction("Making the cord", this, &RemoteMenu::toggleCord);
    buildCordPanel(window);

    connect(&m_remote, &SerialRemote::changed, this, &RemoteMenu::refresh);
    m_tick->setInterval(kTickMs);
    connect(m_tick, &QTimer::timeout, &m_remote, &SerialRemote::keepAlive);
    refresh();
}

void RemoteMenu::buildCordPanel(QWidget* window) {
    m_cord = new QFrame(window);
    m_cord->setObjectName("pnlCord");
    m_cord->setFrameShape(QFrame::Box);
    m_cord->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(m_cord);
    auto* title = new QLabel("How to make the cord for the Hilton reset:", m_cord);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* text = new QLabel(kCordText, m_cord);
    text->setObjectName("lblCord");
    text->installEventFilter(this);
    m_cordText = text;
    layout->addWidget(title);
    layout->addWidget(text);
    m_cord->hide();
}

void RemoteMenu::toggleCord() {
    if (m_cord->isVisible()) {
        m_cord->hide();
        return;
    }
    m_cord->adjustSize();
    const QWidget* window = m_cord->parentWidget();
    m_cord->move((window->width() - m_cord->width()) / 2,
                 (window->height() - m_cord->height()) / 2);
    m_cord->raise();
    m_cord->show();
}

bool RemoteMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_cordText && event->type() == QEvent::MouseButtonDblClick) {
        m_cord->hide();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void RemoteMenu::refresh() {
    if (m_remote.isOn() != m_tick->isActive())
        m_remote.isOn() ? m_tick->start() : m_tick->stop();
    m_on->setChecked(m_remote.isOn());
    m_off->setChecked(!m_remote.isOn());
    for (int port = 1; port <= int(m_ports.size()); ++port) {
        m_ports[port - 1]->setChecked(m_remote.port() == port);
        m_ports[port - 1]->setVisible(m_remote.usable(port));
    }
    for (int i = 0; i < int(m_types.size()); ++i)
        m_types[i]->setChecked(int(m_remote.type()) == i);
    // Calls are flashed by the lyrics window's call lists: without them the type does nothing.
    m_types.last()->setEnabled(bool(m_remote.flashCall));
}

} // namespace hoedeck
