#include "flashmenu.h"

#include "guarded.h"
#include "multilevel.h"
#include "prompter.h"

#include <QActionGroup>
#include <QMenu>
#include <QTimer>

namespace hoedeck {

FlashCallsMenu::FlashCallsMenu(DataFolder folder, Prompter& prompter, QMenu* menu,
                               MultiLevelWindow* levels)
    : QObject(menu), m_flash(std::move(folder)), m_prompter(prompter), m_timer(new QTimer(this)),
      m_intervals(new QActionGroup(this)), m_levels(new QActionGroup(this)) {
    m_timer->setObjectName("Timer2");
    m_timer->setInterval(10000);
    connect(m_timer, &QTimer::timeout, this, &FlashCallsMenu::pick);

    menu->addAction("Pick Random Call", QKeySequence(Qt::Key_F10), this, &FlashCallsMenu::pick);
    m_toggle = menu->addAction("Toggle Timer", QKeySequence(Qt::Key_F9), this,
                               &FlashCallsMenu::toggleTimer);
    m_toggle->setCheckable(true);
    QMenu* intervals = menu->addMenu("Timer (Sec)");
    for (const QString& caption : calls::FlashCalls::intervals()) {
        QAction* action =
            intervals->addAction(caption, this, [this, caption] { chooseInterval(caption); });
        action->setCheckable(true);
        m_intervals->addAction(action);
    }
    QMenu* choose = menu->addMenu("Choose Level");
    const int keys[] = {Qt::Key_F12, Qt::Key_F11, Qt::Key_F10, Qt::Key_F9, Qt::Key_F8,
                        Qt::Key_F7,  Qt::Key_F6,  Qt::Key_F5,  Qt::Key_F4};
    for (int line = 1; line <= 9; ++line) {
        QAction* action = choose->addAction(calls::flashLevels()[line - 1],
                                            QKeySequence(Qt::SHIFT | keys[line - 1]), this,
                                            [this, line] { chooseLevel(line); });
        action->setCheckable(true);
        m_levels->addAction(action);
    }
    menu->addAction("Multi-level", this, [this] {
        if (m_levelsWindow) {
            m_levelsWindow->show();
            m_levelsWindow->raise();
        }
    });
    menu->addAction("Hilton reset - flash", this, [this] {
        if (remoteFlashes)
            remoteFlashes();
    });
    setLevelsWindow(levels);

    // The interval marked at start; the timer takes it when it is started.
    runGuarded(m_prompter, [this] {
        const QString caption = m_flash.restoreInterval();
        for (QAction* action : m_intervals->actions())
            action->setChecked(action->text() == caption);
    });
}

void FlashCallsMenu::setLevelsWindow(MultiLevelWindow* levels) {
    if (m_levelsWindow)
        disconnect(m_levelsWindow, nullptr, this, nullptr);
    m_levelsWindow = levels;
    if (m_levelsWindow)
        connect(m_levelsWindow, &MultiLevelWindow::done, this, [this](const QList<int>& chosen) {
            if (runGuarded(m_prompter, [&] { m_flash.chooseLevels(chosen); }))
                pick();
        });
}

QString FlashCallsMenu::markedInterval() const {
    const QAction* checked = m_intervals->checkedAction();
    return checked ? checked->text() : QString();
}

QString FlashCallsMenu::markedLevel() const {
    const QAction* checked = m_levels->checkedAction();
    return checked ? checked->text() : QString();
}

void FlashCallsMenu::pick() {
    runGuarded(m_prompter, [this] {
        m_flash.pick();
        if (showPage)
            showPage(m_flash.pagePath());
    });
}

void FlashCallsMenu::toggleTimer() {
    if (m_timer->isActive()) {
        stop();
        return;
    }
    m_timer->start();
    m_toggle->setChecked(true);
    pick();
    if (const int ms = calls::FlashCalls::intervalMs(markedInterval()))
        m_timer->setInterval(ms);
    if (setTabCaption)
        setTabCaption("Flash");
}

void FlashCallsMenu::chooseInterval(const QString& caption) {
    m_timer->start();
    m_timer->setInterval(calls::FlashCalls::intervalMs(caption));
    for (QAction* action : m_intervals->actions())
        action->setChecked(action->text() == caption);
    runGuarded(m_prompter, [&] { m_flash.storeInterval(caption); });
    pick();
}

void FlashCallsMenu::chooseLevel(int line) {
    const bool chosen = runGuarded(m_prompter, [&] { m_flash.chooseLevel(line); });
    m_levels->actions()[line - 1]->setChecked(true);
    if (chosen)
        pick();
}

void FlashCallsMenu::stop() {
    m_timer->stop();
    m_toggle->setChecked(false);
    if (setTabCaption)
        setTabCaption("Lyrics");
}

void FlashCallsMenu::clearToggleMark() {
    m_toggle->setChecked(false);
    if (m_levelsWindow)
        m_levelsWindow->hide();
}

} // namespace hoedeck
