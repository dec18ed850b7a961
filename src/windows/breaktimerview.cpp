#include "breaktimerview.h"

#include "breaktimer.h"
#include "guarded.h"
#include "lyrics.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace hoedeck {

namespace {
void showCountdown(QLabel* label, const BreakTimer::Countdown& countdown) {
    label->setText(countdown.text);
    const QString style = countdown.overtime ? QStringLiteral("color: red;") : QString();
    if (label->styleSheet() != style)
        label->setStyleSheet(style);
}
} // namespace

BreakTimerView::BreakTimerView(BreakTimer& timer, Prompter& prompter, QMenuBar* bar,
                               QLabel* countdown, QTimer* progresTimer, QObject* parent)
    : QObject(parent), m_timer(timer), m_prompter(prompter), m_countdown(countdown) {
    // Read at a glance while calling, as large as the position under it.
    QFont big = m_countdown->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    m_countdown->setFont(big);
    m_menu = bar->addMenu(m_timer.caption());
    m_menu->setObjectName("Timer");
    auto* minutes = new QActionGroup(this);
    for (int n = 1; n <= BreakTimer::kMenuMinutes; ++n) {
        QAction* item = m_menu->addAction(QStringLiteral("%1 min").arg(n));
        item->setCheckable(true);
        minutes->addAction(item);
        m_minutes << item;
        connect(item, &QAction::triggered, this,
                [this, n] { guarded([this, n] { m_timer.chooseMinutes(n); }); });
    }
    // A file that says no item leaves them all unchecked.
    minutes->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    QMenu* sound = m_menu->addMenu("sound");
    auto* onOff = new QActionGroup(this);
    m_on = sound->addAction("on");
    m_off = sound->addAction("off");
    for (QAction* item : {m_on, m_off}) {
        item->setCheckable(true);
        onOff->addAction(item);
    }
    connect(m_on, &QAction::triggered, this,
            [this] { guarded([this] { m_timer.setSound(true); }); });
    connect(m_off, &QAction::triggered, this,
            [this] { guarded([this] { m_timer.setSound(false); }); });
    sound->addAction("select", this, [this] { guarded([this] { m_timer.select(); }); });
    connect(progresTimer, &QTimer::timeout, this, &BreakTimerView::tick);
    refresh();
}

void BreakTimerView::guarded(const std::function<void()>& command) {
    runGuarded(m_prompter, command);
    refresh();
}

void BreakTimerView::refresh() {
    for (int n = 1; n <= int(m_minutes.size()); ++n)
        m_minutes[n - 1]->setChecked(m_timer.checkedMinutes() == n);
    m_on->setChecked(m_timer.soundOn());
    m_off->setChecked(!m_timer.soundOn());
    m_menu->setTitle(m_timer.caption());
}

void BreakTimerView::tick() {
    const BreakTimer::Countdown countdown = m_timer.countdown();
    if (!countdown.started)
        return;
    showCountdown(m_countdown, countdown);
    if (m_lyrics)
        showCountdown(m_lyrics->LBCountdown(), countdown);
}

} // namespace hoedeck
