#include "recordingpanel.h"

#include "recorder.h"
#include "widgetmaking.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace hoedeck {

// The recording level as a row of lamps on black: lime up to the break, red above it.
class LevelMeter : public QWidget {
public:
    static constexpr int kMaximum = 128;
    static constexpr int kBreak = 35;
    static constexpr int kLampPx = 5;

    explicit LevelMeter(QWidget* parent) : QWidget(parent) {
        setObjectName("RLed1");
        setMinimumHeight(12);
        setMaximumHeight(12);
    }
    void setValue(int value) {
        if (value == m_value)
            return;
        m_value = value;
        update();
    }
    int value() const { return m_value; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        const int lit = width() * m_value / kMaximum;
        const int breakPx = width() * kBreak / kMaximum;
        for (int x = 1; x + kLampPx - 1 <= lit; x += kLampPx + 1)
            painter.fillRect(x, 2, kLampPx, height() - 4,
                             x < breakPx ? QColor(Qt::green) : QColor(Qt::red));
    }

private:
    int m_value = 0;
};

namespace {
QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // The space key stays the patter's, whatever was clicked last.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}
} // namespace

RecordingPanel::RecordingPanel(const DataFolder& folder, AudioEngine& engine, Prompter& prompter,
                               MainWindowParts parts, QWidget* parent)
    : QFrame(parent), m_recorder(std::make_unique<Recorder>(folder, engine, prompter)),
      m_parts(parts) {
    setObjectName("Panel8");
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 3, 3, 3);
    auto* box = new QGroupBox("Recording", this);
    outer->addWidget(box);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(3);

    m_input = new QComboBox(box);
    m_input->setObjectName("cbInput");
    m_input->setFocusPolicy(Qt::NoFocus);
    m_level = new QSlider(Qt::Horizontal, box);
    m_level->setObjectName("tbLevel");
    m_level->setRange(0, 100);
    m_level->setFocusPolicy(Qt::NoFocus);
    m_levelName = namedLabel("lLevel", QString(), box);
    m_record = button("bRecord", "Record", box);
    m_play = button("bPlay", "Play/Stop", box);
    m_name = button("btRecordName", "Filename", box);
    m_name->setToolTip("The name the takes are given; numbers are appended");
    m_status = namedLabel("stStatus", QString(), box);
    m_meter = new LevelMeter(box);
    grid->addWidget(m_input, 0, 0, 1, 3);
    grid->addWidget(m_level, 1, 0, 1, 2);
    grid->addWidget(m_levelName, 1, 2);
    grid->addWidget(m_record, 2, 0);
    grid->addWidget(m_play, 2, 1);
    grid->addWidget(m_name, 2, 2);
    grid->addWidget(m_status, 3, 0, 1, 3);
    grid->addWidget(m_meter, 4, 0, 1, 3);

    connect(m_input, &QComboBox::activated, this,
            [this](int index) { m_recorder->cbInputChange(index); });
    connect(m_level, &QSlider::valueChanged, this, [this](int value) {
        if (value != m_recorder->tbLevel)
            m_recorder->tbLevelChange(value);
    });
    connect(m_record, &QPushButton::clicked, this, [this] { m_recorder->bRecordClick(); });
    connect(m_play, &QPushButton::clicked, this, [this] { m_recorder->bPlayClick(); });
    connect(m_name, &QPushButton::clicked, this, [this] { m_recorder->btRecordNameClick(); });
    connect(m_recorder.get(), &Recorder::changed, this, &RecordingPanel::refresh);
    connect(m_parts.timerRec, &QTimer::timeout, this, [this] { m_recorder->TimerRecTimer(); });
    connect(m_parts.progresTimer, &QTimer::timeout, this, &RecordingPanel::switchRecorderTick);
    refresh();
    hide();
}

RecordingPanel::~RecordingPanel() = default;

void RecordingPanel::initialise() {
    m_recorder->initialise();
    // The recorder tick is slower than the progress tick once there is something to show.
    if (!m_recorder->cbInput.isEmpty())
        m_parts.timerRec->setInterval(200);
}

void RecordingPanel::recordingClick(const QRect& area) {
    // The loop panel lies over the same place: it gives way.
    if (m_parts.loopPanel && m_parts.loopPanel->isVisible()) {
        m_parts.loopPanel->hide();
        hide();
    }
    if (!m_recorder->isInitialised())
        initialise();
    if (isVisible()) {
        hide();
        return;
    }
    placeOver(area);
    show();
    raise();
}

void RecordingPanel::RecordAuto() {
    if (!m_recorder->isInitialised())
        initialise();
    else
        m_recorder->bRecordClick();
}

void RecordingPanel::placeOver(const QRect& area) {
    setGeometry(area.x(), area.y(), area.width(), std::min(sizeHint().height(), area.height()));
}

void RecordingPanel::shutDown() {
    m_recorder->shutDown();
}

void RecordingPanel::switchRecorderTick() {
    // On while the panel shows and the last take is not playing back.
    const bool on = isVisible() && !m_recorder->playbackActive();
    if (on && !m_parts.timerRec->isActive())
        m_parts.timerRec->start();
    else if (!on && m_parts.timerRec->isActive())
        m_parts.timerRec->stop();
}

void RecordingPanel::refresh() {
    const Recorder& r = *m_recorder;
    {
        const QSignalBlocker blockInput(m_input);
        const QSignalBlocker blockLevel(m_level);
        QStringList shown;
        for (int i = 0; i < m_input->count(); ++i)
            shown << m_input->itemText(i);
        if (shown != r.cbInput) {
            m_input->clear();
            m_input->addItems(r.cbInput);
        }
        m_input->setCurrentIndex(r.cbInput.isEmpty() ? -1 : r.selectedInput());
        m_level->setValue(r.tbLevel);
    }
    m_levelName->setText(r.lLevel);
    m_record->setText(r.bRecord);
    m_play->setText(r.bPlay);
    m_play->setEnabled(r.bPlayEnabled);
    m_name->setText(r.btRecordName);
    m_status->setText(r.stStatus);
    m_meter->setValue(r.RLed1);
    if (r.clockRed != m_clockRed) {
        m_clockRed = r.clockRed;
        m_parts.clocker->setStyleSheet(m_clockRed ? "color: red;" : QString());
    }
}

} // namespace hoedeck
