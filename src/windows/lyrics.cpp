#include "lyrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace hoedeck {

namespace {
QLabel* namedLabel(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}
} // namespace

LyricsWindow::LyricsWindow(QWidget* parent) : SecondaryWindow("TForm2", "Lyrics", parent) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    m_clocker = namedLabel("clocker", this);
    m_countdown = namedLabel("LBCountdown", this);
    m_position = namedLabel("position_counter", this);
    m_status = namedLabel("Label3", this);
    for (QLabel* label : {m_clocker, m_countdown, m_position, m_status})
        top->addWidget(label);
    top->addStretch();
    layout->addLayout(top);
    layout->addStretch();
    resize(800, 600);
}

} // namespace hoedeck
