#include "lyrics.h"

#include "progressstrip.h"
#include "widgetmaking.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace hoedeck {

LyricsWindow::LyricsWindow(QWidget* parent) : SecondaryWindow("TForm2", "Lyrics", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_clocker = namedLabel("clocker", QString(), this);
    m_countdown = namedLabel("LBCountdown", QString(), this);
    m_position = namedLabel("position_counter", QString(), this);
    m_of = namedLabel("lOf", QString(), this);
    m_total = namedLabel("ltotal_time", QString(), this);
    m_status = namedLabel("Label3", QString(), this);
    for (QLabel* label : {m_clocker, m_countdown, m_position, m_status})
        top->addWidget(label);
    m_of->hide();
    m_total->hide();
    top->addStretch();
    layout->addLayout(top);
    m_meter = namedBar("RLed3", 128, this);
    m_progress = namedBar("RVProgressBar1", 100, this);
    layout->addWidget(m_meter);
    layout->addWidget(m_progress);
    layout->addStretch();
    m_strip = new ProgressStrip(this);
    m_strip->setFixedHeight(31);
    layout->addWidget(m_strip);
    resize(800, 600);
}

} // namespace hoedeck
