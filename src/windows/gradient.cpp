#include "gradient.h"

#include <QPainter>

namespace hoedeck {

void paintRedGradient(QPainter& painter, int width, int height) {
    const int band = (height + 255) / 256;
    for (int i = 0; i < 256; ++i)
        painter.fillRect(0, i * band, width, band, QColor(i, 0, 0));
}

GradientWindow::GradientWindow(const QString& objectName, const QString& title, QWidget* parent)
    : SecondaryWindow(objectName, title, parent) {
    // Labels and boxes on the dark bands read in white.
    QPalette light = palette();
    light.setColor(QPalette::WindowText, Qt::white);
    setPalette(light);
}

void GradientWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintRedGradient(painter, width(), height());
}

} // namespace hoedeck
