#include "progressstrip.h"

#include "progress.h"

#include <QLabel>

namespace hoedeck {

namespace {
const char* const kPanelNames[] = {"Panel30", "Panel29", "Panel28", "Panel27", "Panel26",
                                   "Panel25", "Panel24", "Panel23", "Panel31"};

QLabel* marker(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet("background: red; color: white; font-weight: bold;");
    return label;
}
} // namespace

ProgressStrip::ProgressStrip(QWidget* parent) : QFrame(parent) {
    setObjectName("panel_progress");
    setFrameShape(QFrame::NoFrame);
    for (const char* name : kPanelNames) {
        auto* panel = new QLabel(this);
        panel->setObjectName(name);
        panel->setAlignment(Qt::AlignCenter);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Raised);
        m_panels << panel;
    }
    m_beginLoop = marker("begin_loop", "--->", this);
    m_patterProgress = marker("patter_progress", "<---", this);
    showSinger();
}

void ProgressStrip::showSinger() {
    m_patter = false;
    const QStringList& captions = progress::sequenceCaptions();
    for (int i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setText(captions.value(i));
    m_beginLoop->hide();
    m_patterProgress->hide();
    layOut();
}

void ProgressStrip::showPatter(int beginLoopWidth, int patterProgressWidth) {
    m_patter = true;
    for (QLabel* panel : m_panels)
        panel->clear();
    m_beginWidth = beginLoopWidth;
    m_endWidth = patterProgressWidth;
    m_beginLoop->show();
    m_patterProgress->show();
    layOut();
}

void ProgressStrip::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layOut();
}

void ProgressStrip::layOut() {
    const progress::StripWidths widths = progress::stripWidths(width());
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        const int w = i == 0 ? widths.intro : i == m_panels.size() - 1 ? widths.tag : widths.middle;
        m_panels[i]->setGeometry(x, 0, w, height());
        x += w;
    }
    m_beginLoop->setGeometry(0, 0, m_beginWidth, height());
    m_patterProgress->setGeometry(width() - m_endWidth, 0, m_endWidth, height());
}

} // namespace hoedeck
