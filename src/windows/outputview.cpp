#include "outputview.h"

#include "audioengine.h"
#include "guarded.h"
#include "outputchoice.h"
#include "widgetmaking.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

namespace hoedeck {

namespace {
// Device names are shown as they are; a '&' in one is not a shortcut marker.
QString caption(const QString& name) {
    return QString(name).replace('&', "&&");
}
} // namespace

OutputView::OutputView(AudioEngine& engine, DataFolder folder, Prompter& prompter, QMenu* menu,
                       QMainWindow* window)
    : QObject(window), m_engine(engine), m_folder(std::move(folder)), m_prompter(prompter),
      m_menu(menu), m_window(window) {
    m_menu->setObjectName("SoundOutput1");
    connect(m_menu, &QMenu::aboutToShow, this, &OutputView::fillMenu);

    m_line = namedLabel("outputStatus", QString(), window);
    // The music has gone quiet in front of a hall: the line has to be seen at a glance.
    m_line->setStyleSheet("QLabel { background: #b00020; color: white; font-weight: bold; "
                          "padding: 2px 8px; }");
    // A permanent widget: menu hints shown in the status bar never hide it.
    window->statusBar()->addPermanentWidget(m_line, 1);
    window->statusBar()->setSizeGripEnabled(false);
    window->statusBar()->hide();

    // The progress tick runs only once a song is open, but a card can be lost at any time.
    m_timer = new QTimer(this);
    m_timer->setObjectName("OutputStatusTimer");
    m_timer->setInterval(kStatusInterval);
    connect(m_timer, &QTimer::timeout, this, &OutputView::showStatus);
    m_timer->start();
}

void OutputView::restoreChoice() {
    runGuarded(m_prompter, [this] { m_engine.setOutputDevice(outputchoice::load(m_folder)); });
}

void OutputView::choose(const QString& device) {
    // The sound comes first: a choice that cannot be written still plays on the device. The
    // remembered card chosen again once it is plugged back in is asked for again; the card
    // already playing is not opened a second time.
    const bool playsIt = device.isEmpty() || m_engine.outputName() == device;
    if (device != m_engine.outputDevice() || !playsIt)
        m_engine.setOutputDevice(device);
    runGuarded(m_prompter, [&] { outputchoice::save(m_folder, device); });
}

void OutputView::fillMenu() {
    m_menu->clear();
    delete m_choices;
    m_choices = new QActionGroup(m_menu);
    const QString current = m_engine.outputDevice();
    const auto add = [&](const QString& text, const QString& device) {
        QAction* action = m_menu->addAction(text);
        action->setCheckable(true);
        action->setChecked(device == current);
        m_choices->addAction(action);
        connect(action, &QAction::triggered, this, [this, device] { choose(device); });
    };
    add(kDefaultCaption, QString());
    m_menu->addSeparator();
    const QStringList devices = m_engine.outputDevices();
    for (const QString& device : devices)
        add(caption(device), device);
    // A remembered card that is unplugged stays the choice; the caller sees why the default
    // plays instead.
    if (!current.isEmpty() && !devices.contains(current))
        add(caption(current) + " (not found; the default plays)", current);
}

void OutputView::showStatus() {
    const QString status = m_engine.outputStatus();
    if (status == m_line->text())
        return;
    m_line->setText(status);
    m_window->statusBar()->setVisible(!status.isEmpty());
}

} // namespace hoedeck
