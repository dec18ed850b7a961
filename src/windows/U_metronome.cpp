#include "U_metronome.h"

#include "metronome.h"
#include "widgetmaking.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace hoedeck {

MetronomeWindow::MetronomeWindow(const DataFolder& folder, AudioEngine& engine, Effects& effects,
                                 Prompter& prompter, QWidget* parent)
    : SecondaryWindow("TfmMetro", "Metronome", parent),
      m_metronome(std::make_unique<Metronome>(folder, engine, effects, prompter)) {
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    // The caller's keys stay with the main window while it ticks; clicked, the window answers
    // Control-M itself.
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* again = new QAction(this);
    again->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(again, &QAction::triggered, this, &MetronomeWindow::toggle);
    addAction(again);
    auto* layout = new QVBoxLayout(this);
    m_sounds = new QComboBox(this);
    m_sounds->setObjectName("ComboBox1");
    m_metronome->listSounds();
    m_sounds->addItems(m_metronome->sounds());
    layout->addWidget(m_sounds);

    auto* row = new QHBoxLayout;
    QLabel* caption = namedLabel("Label1", "Beats per minute", this);
    caption->setStyleSheet("color: white;"); // on the dark top of the background
    row->addWidget(caption);
    m_bpm = new QSpinBox(this);
    m_bpm->setObjectName("Edit1");
    m_bpm->setRange(Metronome::kMinBpm, Metronome::kMaxBpm);
    m_bpm->setValue(Metronome::kDefaultBpm);
    row->addWidget(m_bpm);
    layout->addLayout(row);
    m_start = new QPushButton("Start", this);
    m_start->setObjectName("StartBtn");
    layout->addWidget(m_start);
    resize(260, 130);

    connect(m_sounds, &QComboBox::activated, this,
            [this](int index) { m_metronome->selectSound(index); });
    connect(m_bpm, &QSpinBox::valueChanged, this, [this](int bpm) { m_metronome->setBpm(bpm); });
    connect(m_start, &QPushButton::clicked, this, &MetronomeWindow::press);
    connect(m_metronome.get(), &Metronome::runningChanged, this, [this](bool running) {
        m_start->setText(running ? "Stop" : "Start");
        if (!running && m_hideWhenStopped) {
            m_hideWhenStopped = false;
            hide();
        }
    });
}

MetronomeWindow::~MetronomeWindow() = default;

void MetronomeWindow::press() {
    if (m_metronome->running())
        m_metronome->stop();
    else
        m_metronome->start();
}

void MetronomeWindow::toggle() {
    if (isHidden()) {
        show();
        raise();
        press();
        return;
    }
    press();
    if (m_metronome->running())
        m_hideWhenStopped = true; // the run just started: hidden when it stops
    else
        hide();
}

void MetronomeWindow::closeEvent(QCloseEvent* event) {
    // Closed from the system menu: the ticks stop and the music comes back up, instead of
    // staying turned down behind a window that is gone.
    m_hideWhenStopped = false;
    m_metronome->stop();
    event->accept();
}

void MetronomeWindow::paintEvent(QPaintEvent*) {
    // 256 bands from black at the top to pure red at the bottom.
    QPainter painter(this);
    const int band = (height() + 255) / 256;
    for (int i = 0; i < 256; ++i)
        painter.fillRect(0, i * band, width(), band, QColor(i, 0, 0));
}

} // namespace hoedeck
