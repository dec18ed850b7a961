#pragma once

#include "secondarywindow.h"

class QPainter;

namespace hoedeck {

// The utility windows' background: 256 horizontal bands from black at the top to pure red at
// the bottom. Band i has red i, green and blue 0, and is (height + 255) / 256 pixels high.
void paintRedGradient(QPainter& painter, int width, int height);

// A secondary window that paints that background behind its controls.
class GradientWindow : public SecondaryWindow {
    Q_OBJECT
public:
    GradientWindow(const QString& objectName, const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace hoedeck
