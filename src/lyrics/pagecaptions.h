#pragma once

#include <QString>
#include <QStringList>

namespace hoedeck {

// The tab captions of the lyrics window's document pages: "(" + position + ") " + file name,
// the lyrics page being position 0.
QString pageCaption(int position, const QString& fileName);
// The captions of pages 1 on after one closed: each numbered by its new position, keeping
// what followed its first ")" and one blank.
QStringList renumberedCaptions(const QStringList& captions);

} // namespace hoedeck
