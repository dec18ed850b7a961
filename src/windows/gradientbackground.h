#pragma once

class QPainter;
class QRect;

namespace hoedeck {

// The utility windows' background: 256 horizontal bands from black at the top to pure red at
// the bottom, band i of red i, each (height + 255) / 256 pixels tall.
void paintRedGradient(QPainter& painter, const QRect& client);

} // namespace hoedeck
