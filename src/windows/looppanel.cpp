#include "looppanel.h"

#include "loopmarks.h"
#include "player.h"
#include "widgetmaking.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <functional>

namespace hoedeck {

namespace {
QPushButton* button(const QString& name, const QString& caption, const QString& hint,
                    QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}
} // namespace

LoopPanel::LoopPanel(LoopMarks& marks, Player& player, QWidget* parent)
    : QFrame(parent), m_marks(marks), m_player(player) {
    setObjectName("LoopPanel");
    setFrameShape(QFrame::Panel);
    setAutoFillBackground(true);
    auto* grid = new QGridLayout(this);
    m_start = new QLineEdit(this);
    m_start->setObjectName("eLoop_Start");
    m_end = new QLineEdit(this);
    m_end->setObjectName("eLoop_End");
    for (QLineEdit* edit : {m_start, m_end})
        edit->installEventFilter(this);

    // One column, narrow enough to lie over the music folders, the one panel a caller does not
    // need while setting marks by ear: the clock, the position, the "Loop at:" line and the
    // strip stay in sight.
    grid->setSpacing(3);
    int row = 0;
    const auto addNudges = [&](const QString& prefix, auto&& nudge, std::array<double, 4> steps) {
        const char* captions[] = {"<<", "<", ">", ">>"};
        const char* names[] = {"_back_alot", "_back_little", "_forward_little", "_forward_alot"};
        for (int i = 0; i < 4; ++i) {
            auto* b = button(prefix + names[i], captions[i], QString(), this);
            const double step = steps[size_t(i)];
            connect(b, &QPushButton::clicked, this, [this, nudge, step] {
                nudge(step);
                refresh();
            });
            grid->addWidget(b, row, i);
        }
        ++row;
    };
    const auto addMark = [&](const char* captionName, const char* caption, QLineEdit* edit) {
        grid->addWidget(namedLabel(captionName, caption, this), row, 0, 1, 2);
        grid->addWidget(edit, row, 2, 1, 3);
        ++row;
    };

    addMark("lStartCaption", "Master Loop Start", m_start);
    addNudges("start", [this](double s) { m_marks.nudgeStart(s); }, {-0.1, -0.01, 0.01, 0.1});
    auto* startMark = button("bStart_Mark", "Start", QString(), this);
    auto* startReset = button("Reset_Loop_Start", "Reset", QString(), this);
    grid->addWidget(startMark, row, 0, 1, 2);
    grid->addWidget(startReset, row, 2, 1, 2);
    ++row;

    addMark("lEndCaption", "Master Loop End", m_end);
    addNudges("end", [this](double s) { m_marks.nudgeEnd(s); }, {-0.1, -0.01, 0.01, 0.1});
    auto* endMark = button("bEnd_Mark", "End", QString(), this);
    auto* endReset = button("bGoto_End", "Reset", QString(), this);
    grid->addWidget(endMark, row, 0, 1, 2);
    grid->addWidget(endReset, row, 2, 1, 2);
    ++row;

    grid->addWidget(namedLabel("lBothCaption", "Change Both Start and End", this), row++, 0, 1, 5);
    const std::array<std::pair<double, double>, 4> both{
        {{-0.1, -0.1}, {-0.05, -0.01}, {0.05, 0.01}, {0.1, 0.1}}};
    const char* bothNames[] = {"both_back_alot", "both_back_little", "both_forward_little",
                               "both_forward_alot"};
    const char* bothCaptions[] = {"<<", "<", ">", ">>"};
    for (int i = 0; i < 4; ++i) {
        auto* b = button(bothNames[i], bothCaptions[i], QString(), this);
        const auto [s, e] = both[size_t(i)];
        connect(b, &QPushButton::clicked, this, [this, s = s, e = e] {
            m_marks.nudgeBoth(s, e);
            refresh();
        });
        grid->addWidget(b, row, i);
    }
    ++row;

    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        void (LoopMarks::*command)();
    } positions[] = {
        {"lGo_Begin_15", "<<", "15 seconds after start", &LoopMarks::goBegin15},
        {"decrease_position", "<", "back 15 seconds", &LoopMarks::back15},
        {"increase_position", ">", "forward 15 seconds", &LoopMarks::forward15},
        {"bGo_End_15", ">>", "15 seconds from end", &LoopMarks::goEnd15},
        {"btnTest_Loop", "***", "5 seconds from end of loop", &LoopMarks::btnTest_Loop},
    };
    for (int i = 0; i < 5; ++i) {
        auto* b = button(positions[i].name, positions[i].caption, positions[i].hint, this);
        const auto command = positions[i].command;
        connect(b, &QPushButton::clicked, this, [this, command] {
            (m_marks.*command)();
            refresh();
        });
        grid->addWidget(b, row, i);
    }
    grid->setRowStretch(row + 1, 1);
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setMinimumWidth(0);
    const auto connectMark = [this](QPushButton* b, void (LoopMarks::*command)()) {
        connect(b, &QPushButton::clicked, this, [this, command] {
            (m_marks.*command)();
            refresh();
        });
    };
    connectMark(startMark, &LoopMarks::bStart_Mark);
    connectMark(startReset, &LoopMarks::Reset_Loop_Start);
    connectMark(endMark, &LoopMarks::bEnd_Mark);
    connectMark(endReset, &LoopMarks::bGoto_End);

    // A typed loop start counts from the next seam on; a typed end once the syncs move.
    connect(m_start, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_start->hasFocus())
            return; // shown by refresh(), not typed
        m_player.eLoop_Start = QString(text).replace(',', '.');
        m_player.publishLoopStart();
    });
    connect(m_end, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_player.eLoop_End = QString(text).replace(',', '.'); });
    connect(&m_player, &Player::stateChanged, this, &LoopPanel::refresh);
    hide();
}

bool LoopPanel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_start || watched == m_end) && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace || key->text().isEmpty())
            return false;
        // Only digits and the decimal point go into a loop mark.
        const QString typed = key->text();
        return !(typed.size() == 1 && LoopMarks::acceptsKey(typed[0].toLatin1()));
    }
    return QFrame::eventFilter(watched, event);
}

void LoopPanel::toggleOver(const QRect& area, int bottom) {
    if (isVisible()) {
        hide();
        return;
    }
    setGeometry(area.x(), area.y(), area.width(), std::min(sizeHint().height(), bottom - area.y()));
    refresh();
    show();
    raise();
}

void LoopPanel::refresh() {
    // What the caller types is handed on as it is typed, so an edit that differs from the
    // player was changed elsewhere (a new song, a nudge): it shows the mark in force, focused
    // or not.
    for (const auto& [edit, mark] :
         {std::pair{m_start, &m_player.eLoop_Start}, std::pair{m_end, &m_player.eLoop_End}})
        if (edit->text() != *mark)
            edit->setText(*mark);
}

} // namespace hoedeck
