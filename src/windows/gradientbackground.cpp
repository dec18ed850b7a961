#include "gradientbackground.h"

#include <QColor>
#include <QPainter>
#include <QRect>

namespace hoedeck {

void paintRedGradient(QPainter& painter, const QRect& client) {
    const int band = (client.height() + 255) / 256;
    for (int i = 0; i < 256; ++i)
        painter.fillRect(QRect(client.left(), client.top() + i * band, client.width(), band),
                         QColor(i, 0, 0));
}

} // namespace hoedeck
